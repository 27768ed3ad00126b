// A control made through the class factory, sited in a TestContainer that
// offers the given services, activated in place, with the stand-in it loaded.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include "FexoCtl.h"
#include "tests/standin/standin_control.h"
#include "test_container.h"

namespace fexo::test {

class HostedControl {
public:
    // anyPlugin: the plugin need not be the stand-in (Standin() is then null).
    explicit HostedControl(IServiceProvider* services = nullptr, bool activate = true, bool anyPlugin = false);
    ~HostedControl() { Destroy(); }
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    IFexoCtl* Control() const { return m_control; }
    HWND Window() const;
    NPP Instance() const { return m_instance; }
    const StandinControl* Standin() const { return m_standin; }
    std::string Journal() const { return m_standin->Journal(); }
    HRESULT SetSource(const std::wstring& url);
    // In place, in `parent` (else the container's host window), then the messages pumped.
    HRESULT Activate(HWND parent = nullptr);
    HRESULT Deactivate();
    ULONG Destroy();  // closes and releases the control now: Release's count

    TestContainer container;

private:
    IOleObject* m_ole = nullptr;
    IFexoCtl* m_control = nullptr;
    const StandinControl* m_standin = nullptr;
    NPP m_instance = nullptr;
};

// Pumps messages until `done` says so (true) or the time is up (false).
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);

}  // namespace fexo::test
