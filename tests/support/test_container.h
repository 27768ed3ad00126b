// A container for the control under test: a host window plus the client
// site, in-place site, control site and in-place frame that a real container
// offers.  Every call the control makes on it is logged by name, so tests can
// state the exact sequence they expect.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <string>
#include <vector>

namespace fexo::test {

class TestContainer : public IOleClientSite,
                      public IOleInPlaceSite,
                      public IOleControlSite,
                      public IOleInPlaceFrame,
                      public IServiceProvider {
public:
    // Creates the host window (a top-level window, 400 x 300 client area).
    TestContainer();
    virtual ~TestContainer();

    HWND HostWindow() const { return m_host; }
    RECT PositionRect() const { return m_position; }
    void SetPositionRect(const RECT& position) { m_position = position; }
    void RefuseInPlaceActivation(bool refuse) { m_refuseActivation = refuse; }
    // The site answers IServiceProvider, passing every request to `services`,
    // only while services are offered (a plain container offers none).
    void OfferServices(IServiceProvider* services) { m_services = services; }

    // Calls in arrival order, as "Interface::Method"; TakeCalls empties the log.
    std::vector<std::string> TakeCalls();
    IOleInPlaceActiveObject* ActiveObject() const { return m_activeObject; }

    // IUnknown: the container lives on the test's stack; counts are not used
    // for its lifetime, but are checked to be balanced.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    ULONG References() const { return m_refs; }

    // IOleClientSite
    STDMETHODIMP SaveObject() override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
    STDMETHODIMP GetContainer(IOleContainer** container) override;
    STDMETHODIMP ShowObject() override;
    STDMETHODIMP OnShowWindow(BOOL show) override;
    STDMETHODIMP RequestNewObjectLayout() override;

    // IOleWindow (site and frame)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleInPlaceSite
    STDMETHODIMP CanInPlaceActivate() override;
    STDMETHODIMP OnInPlaceActivate() override;
    STDMETHODIMP OnUIActivate() override;
    STDMETHODIMP GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                                  LPRECT position, LPRECT clip,
                                  LPOLEINPLACEFRAMEINFO frameInfo) override;
    STDMETHODIMP Scroll(SIZE extent) override;
    STDMETHODIMP OnUIDeactivate(BOOL undoable) override;
    STDMETHODIMP OnInPlaceDeactivate() override;
    STDMETHODIMP DiscardUndoState() override;
    STDMETHODIMP DeactivateAndUndo() override;
    STDMETHODIMP OnPosRectChange(LPCRECT position) override;

    // IOleControlSite
    STDMETHODIMP OnControlInfoChanged() override;
    STDMETHODIMP LockInPlaceActive(BOOL lock) override;
    STDMETHODIMP GetExtendedControl(IDispatch** control) override;
    STDMETHODIMP TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg, DWORD modifiers) override;
    STDMETHODIMP OnFocus(BOOL gotFocus) override;
    STDMETHODIMP ShowPropertyFrame() override;

    // IOleInPlaceUIWindow / IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT border) override;
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override;
    STDMETHODIMP SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
    STDMETHODIMP InsertMenus(HMENU shared, LPOLEMENUGROUPWIDTHS widths) override;
    STDMETHODIMP SetMenu(HMENU shared, HOLEMENU ole, HWND active) override;
    STDMETHODIMP RemoveMenus(HMENU shared) override;
    STDMETHODIMP SetStatusText(LPCOLESTR text) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;
    STDMETHODIMP TranslateAccelerator(LPMSG msg, WORD id) override;

    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID iid, void** out) override;

protected:
    void Log(const char* call) { m_calls.emplace_back(call); }

private:
    HWND m_host = nullptr;
    RECT m_position{10, 20, 310, 220};
    bool m_refuseActivation = false;
    ULONG m_refs = 1;
    IOleInPlaceActiveObject* m_activeObject = nullptr;
    IServiceProvider* m_services = nullptr;
    std::vector<std::string> m_calls;
};

// Pumps the thread's pending messages (window creation and painting arrive
// as messages).
void PumpMessages();

}  // namespace fexo::test
