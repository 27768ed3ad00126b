// A control made through the class factory, sited in a TestContainer that
// offers the given services, activated in place, with the stand-in it loaded.
#pragma once
#include <windows.h>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include "FexoCtl.h"
#include "server_dll.h"
#include "tests/standin/standin_control.h"
#include "test_container.h"

namespace fexo::test {

class HostedControl {
public:
    // anyPlugin: the plugin need not be the stand-in (Standin() is then null).
    explicit HostedControl(IServiceProvider* services = nullptr, bool activate = true, bool anyPlugin = false)
    {
        container.OfferServices(services);
        if (FAILED(ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&m_ole))))
            throw std::runtime_error("the control cannot be created");
        m_ole->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&m_control));
        m_standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
        if (!m_standin && !anyPlugin) throw std::runtime_error("the stand-in plugin is not loaded");
        if (m_standin) m_standin->Reset();
        m_ole->SetClientSite(&container);
        if (!activate) return;
        Activate();
        if (!m_standin) return;
        for (int i = 0; i < m_standin->Count(); ++i)
            if (std::string(m_standin->Entry(i)->call) == "NPP_New") m_instance = m_standin->Entry(i)->instance;
        m_standin->Reset();
    }
    ~HostedControl() { Destroy(); }
    HostedControl(const HostedControl&) = delete;
    HostedControl& operator=(const HostedControl&) = delete;

    IFexoCtl* Control() const { return m_control; }
    HWND Window() const
    {
        HWND window = nullptr;
        IOleWindow* inPlace = nullptr;
        if (SUCCEEDED(m_ole->QueryInterface(IID_PPV_ARGS(&inPlace)))) inPlace->GetWindow(&window), inPlace->Release();
        return window;
    }
    NPP Instance() const { return m_instance; }
    const StandinControl* Standin() const { return m_standin; }
    std::string Journal() const { return m_standin->Journal(); }
    HRESULT SetSource(const std::wstring& url)
    {
        const BSTR text = SysAllocString(url.c_str());
        const HRESULT hr = m_control->put_SRC(text);
        return SysFreeString(text), hr;
    }
    // In place, in `parent` (else the container's host window), then the messages pumped.
    HRESULT Activate(HWND parent = nullptr)
    {
        RECT position = container.PositionRect();
        const HRESULT hr = m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                                         parent ? parent : container.HostWindow(), &position);
        PumpMessages();
        return hr;
    }
    HRESULT Deactivate()
    {
        IOleInPlaceObject* inPlace = nullptr;
        m_ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
        const HRESULT hr = inPlace->InPlaceDeactivate();
        return inPlace->Release(), hr;
    }
    ULONG Destroy()  // closes and releases the control now: Release's count
    {
        if (!m_ole) return 0;
        if (m_control) std::exchange(m_control, nullptr)->Release();
        m_ole->Close(OLECLOSE_NOSAVE);
        m_ole->SetClientSite(nullptr);
        const ULONG remaining = std::exchange(m_ole, nullptr)->Release();
        PumpMessages();
        return remaining;
    }

    TestContainer container;

private:
    IOleObject* m_ole = nullptr;
    IFexoCtl* m_control = nullptr;
    const StandinControl* m_standin = nullptr;
    NPP m_instance = nullptr;
};

// Pumps messages until `done` says so (true) or the time is up (false).
inline bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 30000)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (!done()) {
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        PumpMessages();
    }
    return true;
}

}  // namespace fexo::test
