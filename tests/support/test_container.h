// A container for the control under test: a host window and the sites and
// frame a real container offers, logging the control's calls by name.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <string>
#include <utility>
#include <vector>

namespace fexo::test {

class TestContainer : public IOleClientSite,
                      public IOleInPlaceSite,
                      public IOleControlSite,
                      public IOleInPlaceFrame,
                      public IServiceProvider {
public:
    TestContainer()  // a top-level host window, 400 x 300 client area
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
    ~TestContainer() { DestroyWindow(m_host); }

    HWND HostWindow() const { return m_host; }
    RECT PositionRect() const { return m_position; }
    // Answers IServiceProvider (passing requests on) only while offered.
    void OfferServices(IServiceProvider* services) { m_services = services; }

    // Calls in arrival order, as "Interface::Method"; TakeCalls empties the log.
    std::vector<std::string> TakeCalls() { return std::exchange(m_calls, {}); }

    // Counts are checked to be balanced, not used for the container's lifetime.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
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
        return *out ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    ULONG References() const { return m_refs; }

    STDMETHODIMP SaveObject() override { return Log("ClientSite::SaveObject"); }
    STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** out) override { return Log("ClientSite::GetMoniker", out, E_NOTIMPL); }
    STDMETHODIMP GetContainer(IOleContainer** out) override { return Log("ClientSite::GetContainer", out, E_NOINTERFACE); }
    STDMETHODIMP ShowObject() override { return Log("ClientSite::ShowObject"); }
    STDMETHODIMP OnShowWindow(BOOL) override { return Log("ClientSite::OnShowWindow"); }
    STDMETHODIMP RequestNewObjectLayout() override { return Log("ClientSite::RequestNewObjectLayout", E_NOTIMPL); }

    STDMETHODIMP GetWindow(HWND* window) override { *window = m_host; return Log("InPlaceSite::GetWindow"); }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

    STDMETHODIMP CanInPlaceActivate() override { return Log("InPlaceSite::CanInPlaceActivate"); }
    STDMETHODIMP OnInPlaceActivate() override { return Log("InPlaceSite::OnInPlaceActivate"); }
    STDMETHODIMP OnUIActivate() override { return Log("InPlaceSite::OnUIActivate"); }
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                  LPRECT clip, LPOLEINPLACEFRAMEINFO frameInfo) override
    {
        *frame = this;
        AddRef();
        *document = nullptr;
        *position = m_position;
        GetClientRect(m_host, clip);
        *frameInfo = {frameInfo->cb, FALSE, m_host, nullptr, 0};
        return Log("InPlaceSite::GetWindowContext");
    }
    STDMETHODIMP Scroll(SIZE) override { return E_NOTIMPL; }
    STDMETHODIMP OnUIDeactivate(BOOL) override { return Log("InPlaceSite::OnUIDeactivate"); }
    STDMETHODIMP OnInPlaceDeactivate() override { return Log("InPlaceSite::OnInPlaceDeactivate"); }
    STDMETHODIMP DiscardUndoState() override { return S_OK; }
    STDMETHODIMP DeactivateAndUndo() override { return S_OK; }
    STDMETHODIMP OnPosRectChange(LPCRECT) override { return Log("InPlaceSite::OnPosRectChange"); }

    STDMETHODIMP OnControlInfoChanged() override { return S_OK; }
    STDMETHODIMP LockInPlaceActive(BOOL) override { return S_OK; }
    STDMETHODIMP GetExtendedControl(IDispatch** out) override { return Log(nullptr, out, E_NOTIMPL); }
    STDMETHODIMP TransformCoords(POINTL*, POINTF*, DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP TranslateAccelerator(MSG*, DWORD) override { return S_FALSE; }
    STDMETHODIMP OnFocus(BOOL got) override { return Log(got ? "ControlSite::OnFocus(TRUE)" : "ControlSite::OnFocus(FALSE)"); }
    STDMETHODIMP ShowPropertyFrame() override { return E_NOTIMPL; }

    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS) override { return Log("Frame::SetBorderSpace"); }
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) override
    {
        return Log(object ? "Frame::SetActiveObject" : "Frame::SetActiveObject(NULL)");
    }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override  // reached only with services
    {
        return m_services->QueryService(service, iid, out);
    }

private:
    HRESULT Log(const char* call, HRESULT result = S_OK) { return m_calls.emplace_back(call), result; }
    template <class T>  // an answer without the object asked for (a call not logged when null)
    HRESULT Log(const char* call, T** out, HRESULT result) { return *out = nullptr, call ? Log(call, result) : result; }
    HWND m_host = nullptr;
    RECT m_position{10, 20, 310, 220};
    ULONG m_refs = 1;
    IServiceProvider* m_services = nullptr;
    std::vector<std::string> m_calls;
};

// Dispatches the thread's pending messages.
inline void PumpMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace fexo::test
