#include "test_container.h"

namespace fexo::test {

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TestContainer::TestContainer()
{
    static const ATOM registered = [] {
        WNDCLASSW record{};
        record.lpfnWndProc = DefWindowProcW;
        record.lpszClassName = L"FexoTestHost";
        return RegisterClassW(&record);
    }();
    RECT frame{0, 0, 400, 300};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    m_host = CreateWindowW(MAKEINTATOM(registered), L"Fexo test container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0,
                           0, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
}

TestContainer::~TestContainer()
{
    DestroyWindow(m_host);
}

STDMETHODIMP TestContainer::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IOleClientSite))
        *out = static_cast<IOleClientSite*>(this);
    else if (IsEqualIID(iid, IID_IOleWindow) || IsEqualIID(iid, IID_IOleInPlaceSite))
        *out = static_cast<IOleInPlaceSite*>(this);
    else if (IsEqualIID(iid, IID_IOleControlSite))
        *out = static_cast<IOleControlSite*>(this);
    else if (IsEqualIID(iid, IID_IOleInPlaceUIWindow) || IsEqualIID(iid, IID_IOleInPlaceFrame))
        *out = static_cast<IOleInPlaceFrame*>(this);
    else if (IsEqualIID(iid, IID_IServiceProvider) && m_services)
        *out = static_cast<IServiceProvider*>(this);
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                             LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
{
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = m_position;
    GetClientRect(m_host, clip);
    *frameInfo = {frameInfo->cb, FALSE, m_host, nullptr, 0};
    return Log("InPlaceSite::GetWindowContext");
}

STDMETHODIMP TestContainer::QueryService(REFGUID service, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return m_services ? m_services->QueryService(service, iid, out) : E_NOINTERFACE;
}

}  // namespace fexo::test
