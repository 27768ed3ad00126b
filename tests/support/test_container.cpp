#include "test_container.h"

namespace fexo::test {

namespace {
const wchar_t kHostClass[] = L"FexoTestHost";

HWND CreateHostWindow()
{
    static const ATOM registered = [] {
        WNDCLASSW record{};
        record.lpfnWndProc = DefWindowProcW;
        record.hInstance = GetModuleHandleW(nullptr);
        record.lpszClassName = kHostClass;
        return RegisterClassW(&record);
    }();
    (void)registered;
    RECT frame{0, 0, 400, 300};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    return CreateWindowW(kHostClass, L"Fexo test container", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                         0, 0, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

TestContainer::TestContainer() : m_host(CreateHostWindow()) {}

TestContainer::~TestContainer()
{
    if (m_activeObject) m_activeObject->Release();
    DestroyWindow(m_host);
}

std::vector<std::string> TestContainer::TakeCalls()
{
    std::vector<std::string> calls;
    calls.swap(m_calls);
    return calls;
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

STDMETHODIMP TestContainer::SaveObject() { Log("ClientSite::SaveObject"); return S_OK; }

STDMETHODIMP TestContainer::GetMoniker(DWORD, DWORD, IMoniker** moniker)
{
    Log("ClientSite::GetMoniker");
    if (moniker) *moniker = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestContainer::GetContainer(IOleContainer** container)
{
    Log("ClientSite::GetContainer");
    if (container) *container = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP TestContainer::ShowObject() { Log("ClientSite::ShowObject"); return S_OK; }
STDMETHODIMP TestContainer::OnShowWindow(BOOL) { Log("ClientSite::OnShowWindow"); return S_OK; }

STDMETHODIMP TestContainer::RequestNewObjectLayout()
{
    Log("ClientSite::RequestNewObjectLayout");
    return E_NOTIMPL;
}

STDMETHODIMP TestContainer::GetWindow(HWND* window)
{
    Log("InPlaceSite::GetWindow");
    *window = m_host;
    return S_OK;
}

STDMETHODIMP TestContainer::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP TestContainer::CanInPlaceActivate()
{
    Log("InPlaceSite::CanInPlaceActivate");
    return m_refuseActivation ? S_FALSE : S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceActivate()
{
    Log("InPlaceSite::OnInPlaceActivate");
    return S_OK;
}

STDMETHODIMP TestContainer::OnUIActivate()
{
    Log("InPlaceSite::OnUIActivate");
    return S_OK;
}

STDMETHODIMP TestContainer::GetWindowContext(IOleInPlaceFrame** frame,
                                             IOleInPlaceUIWindow** document, LPRECT position,
                                             LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo)
{
    Log("InPlaceSite::GetWindowContext");
    *frame = this;
    AddRef();
    *document = nullptr;
    *position = m_position;
    GetClientRect(m_host, clip);
    frameInfo->fMDIApp = FALSE;
    frameInfo->hwndFrame = m_host;
    frameInfo->haccel = nullptr;
    frameInfo->cAccelEntries = 0;
    return S_OK;
}

STDMETHODIMP TestContainer::Scroll(SIZE) { return E_NOTIMPL; }

STDMETHODIMP TestContainer::OnUIDeactivate(BOOL)
{
    Log("InPlaceSite::OnUIDeactivate");
    return S_OK;
}

STDMETHODIMP TestContainer::OnInPlaceDeactivate()
{
    Log("InPlaceSite::OnInPlaceDeactivate");
    return S_OK;
}

STDMETHODIMP TestContainer::DiscardUndoState() { return S_OK; }
STDMETHODIMP TestContainer::DeactivateAndUndo() { return S_OK; }

STDMETHODIMP TestContainer::OnPosRectChange(LPCRECT)
{
    Log("InPlaceSite::OnPosRectChange");
    return S_OK;
}

STDMETHODIMP TestContainer::OnControlInfoChanged() { return S_OK; }
STDMETHODIMP TestContainer::LockInPlaceActive(BOOL) { return S_OK; }

STDMETHODIMP TestContainer::GetExtendedControl(IDispatch** control)
{
    if (control) *control = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP TestContainer::TransformCoords(POINTL*, POINTF*, DWORD) { return E_NOTIMPL; }
STDMETHODIMP TestContainer::TranslateAccelerator(MSG*, DWORD) { return S_FALSE; }

STDMETHODIMP TestContainer::OnFocus(BOOL gotFocus)
{
    Log(gotFocus ? "ControlSite::OnFocus(TRUE)" : "ControlSite::OnFocus(FALSE)");
    return S_OK;
}

STDMETHODIMP TestContainer::ShowPropertyFrame() { return E_NOTIMPL; }
STDMETHODIMP TestContainer::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
STDMETHODIMP TestContainer::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }

STDMETHODIMP TestContainer::SetBorderSpace(LPCBORDERWIDTHS)
{
    Log("Frame::SetBorderSpace");
    return S_OK;
}

STDMETHODIMP TestContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR)
{
    Log(object ? "Frame::SetActiveObject" : "Frame::SetActiveObject(NULL)");
    if (object) object->AddRef();
    if (m_activeObject) m_activeObject->Release();
    m_activeObject = object;
    return S_OK;
}

STDMETHODIMP TestContainer::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
STDMETHODIMP TestContainer::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
STDMETHODIMP TestContainer::RemoveMenus(HMENU) { return E_NOTIMPL; }
STDMETHODIMP TestContainer::SetStatusText(LPCOLESTR) { return S_OK; }
STDMETHODIMP TestContainer::EnableModeless(BOOL) { return S_OK; }
STDMETHODIMP TestContainer::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

STDMETHODIMP TestContainer::QueryService(REFGUID service, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    return m_services ? m_services->QueryService(service, iid, out) : E_NOINTERFACE;
}

}  // namespace fexo::test
