#include "hosted_control.h"
#include <stdexcept>
#include "server_dll.h"

namespace fexo::test {

HostedControl::HostedControl(IServiceProvider* services, bool activate, bool anyPlugin)
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

HWND HostedControl::Window() const
{
    HWND window = nullptr;
    IOleWindow* inPlace = nullptr;
    if (SUCCEEDED(m_ole->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&inPlace)))) {
        inPlace->GetWindow(&window);
        inPlace->Release();
    }
    return window;
}

HRESULT HostedControl::Activate(HWND parent)
{
    RECT position = container.PositionRect();
    const HRESULT hr = m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                                     parent ? parent : container.HostWindow(), &position);
    PumpMessages();
    return hr;
}

HRESULT HostedControl::Deactivate()
{
    IOleInPlaceObject* inPlace = nullptr;
    m_ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
    const HRESULT hr = inPlace->InPlaceDeactivate();
    inPlace->Release();
    return hr;
}

HRESULT HostedControl::SetSource(const std::wstring& url)
{
    const BSTR text = SysAllocString(url.c_str());
    const HRESULT hr = m_control->put_SRC(text);
    return SysFreeString(text), hr;
}

ULONG HostedControl::Destroy()
{
    if (!m_ole) return 0;
    if (m_control) m_control->Release();
    m_control = nullptr;
    m_ole->Close(OLECLOSE_NOSAVE);
    m_ole->SetClientSite(nullptr);
    const ULONG remaining = m_ole->Release();
    m_ole = nullptr;
    PumpMessages();
    return remaining;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
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
