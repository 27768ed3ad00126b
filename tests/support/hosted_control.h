// A control made through the class factory, sited in a TestContainer (which
// offers the given browser services, if any) and activated in place, with
// the stand-in plugin it loaded.
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
    // The instance record the control gave the plugin (from its NPP_New).
    NPP Instance() const { return m_instance; }
    const StandinControl* Standin() const { return m_standin; }
    std::string Journal() const { return m_standin->Journal(); }
    // put_SRC's result for `url`.
    HRESULT SetSource(const std::wstring& url);
    // Closes the container's hold and releases the control now; returns the
    // count Release answered.
    ULONG Destroy();

    TestContainer container;

private:
    IOleObject* m_ole = nullptr;
    IFexoCtl* m_control = nullptr;
    const StandinControl* m_standin = nullptr;
    NPP m_instance = nullptr;
};

// Pumps the thread's messages until `done` says so or `timeoutMs` have passed;
// returns the last answer of `done`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000);
// Pumps messages for `ms` milliseconds.
inline void PumpFor(DWORD ms) { PumpUntil([] { return false; }, ms); }

}  // namespace fexo::test
