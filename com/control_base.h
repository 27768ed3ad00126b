// The container-facing half of a windowed ActiveX control: the OLE embedding,
// in-place activation, view and control interfaces, and the control window
// with its message handling.  The control class derives from ControlBase,
// supplies its drawing and its own messages, and lists the interfaces in its
// interface map; the IUnknown methods come from ComObject/ContainedObject.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include "com/com_object.h"
#include "com/com_ptr.h"
#include "com/message_map.h"

namespace fexo::com {

struct DrawInfo {
    HDC hdc;
    RECTL bounds;
};

class ControlBase : public ObjectRoot,
                    public IOleObject,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObjectEx {
public:
    // IOleWindow (shared by the in-place object and the active object)
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;

    // IOleObject
    STDMETHODIMP SetClientSite(IOleClientSite* site) override;
    STDMETHODIMP GetClientSite(IOleClientSite** site) override;
    STDMETHODIMP SetHostNames(LPCOLESTR containerApp, LPCOLESTR containerObject) override;
    STDMETHODIMP Close(DWORD saveOption) override;
    STDMETHODIMP SetMoniker(DWORD whichMoniker, IMoniker* moniker) override;
    STDMETHODIMP GetMoniker(DWORD assign, DWORD whichMoniker, IMoniker** moniker) override;
    STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
    STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
    STDMETHODIMP DoVerb(LONG verb, LPMSG msg, IOleClientSite* activeSite, LONG index,
                        HWND parent, LPCRECT posRect) override;
    STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
    STDMETHODIMP Update() override;
    STDMETHODIMP IsUpToDate() override;
    STDMETHODIMP GetUserClassID(CLSID* clsid) override;
    STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
    STDMETHODIMP SetExtent(DWORD drawAspect, SIZEL* size) override;
    STDMETHODIMP GetExtent(DWORD drawAspect, SIZEL* size) override;
    STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
    STDMETHODIMP Unadvise(DWORD connection) override;
    STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
    STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
    STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

    // IOleInPlaceObject / IOleInPlaceObjectWindowless
    STDMETHODIMP InPlaceDeactivate() override;
    STDMETHODIMP UIDeactivate() override;
    STDMETHODIMP SetObjectRects(LPCRECT posRect, LPCRECT clipRect) override;
    STDMETHODIMP ReactivateAndUndo() override;
    STDMETHODIMP OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                 LRESULT* result) override;
    STDMETHODIMP GetDropTarget(IDropTarget** target) override;

    // IOleInPlaceActiveObject
    STDMETHODIMP TranslateAccelerator(LPMSG msg) override;
    STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
    STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
    STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window,
                              BOOL frameWindow) override;
    STDMETHODIMP EnableModeless(BOOL enable) override;

    // IOleControl
    STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
    STDMETHODIMP OnMnemonic(MSG* msg) override;
    STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
    STDMETHODIMP FreezeEvents(BOOL freeze) override;

    // IViewObject / IViewObject2 / IViewObjectEx
    STDMETHODIMP Draw(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target,
                      HDC targetDevice, HDC hdc, LPCRECTL bounds, LPCRECTL metafileBounds,
                      BOOL(STDMETHODCALLTYPE* keepGoing)(ULONG_PTR), ULONG_PTR keepGoingArg) override;
    STDMETHODIMP GetColorSet(DWORD drawAspect, LONG index, void* aspect, DVTARGETDEVICE* target,
                             HDC targetDevice, LOGPALETTE** colorSet) override;
    STDMETHODIMP Freeze(DWORD drawAspect, LONG index, void* aspect, DWORD* freeze) override;
    STDMETHODIMP Unfreeze(DWORD freeze) override;
    STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
    STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
    STDMETHODIMP GetExtent(DWORD drawAspect, LONG index, DVTARGETDEVICE* target,
                           LPSIZEL size) override;
    STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
    STDMETHODIMP GetViewStatus(DWORD* status) override;
    STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT location, LONG closeHint,
                               DWORD* hitResult) override;
    STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT location, LONG closeHint,
                              DWORD* hitResult) override;
    STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* target,
                                  HDC targetDevice, DVEXTENTINFO* extentInfo,
                                  LPSIZEL size) override;

    HWND Window() const { return m_hWnd; }
    IOleClientSite* ClientSite() const { return m_clientSite.Get(); }
    IOleInPlaceSite* InPlaceSite() const { return m_inPlaceSite.Get(); }
    SIZEL Extent() const { return m_sizeExtent; }

protected:
    // Window style of the control window: WS_CHILD | WS_VISIBLE |
    // WS_CLIPSIBLINGS | WS_CLIPCHILDREN.
    static constexpr DWORD kWindowStyle = 0x56000000;

    explicit ControlBase(const CLSID& classId);
    ~ControlBase() override;

    // The control's drawing, for WM_PAINT and IViewObject::Draw.
    virtual HRESULT OnDraw(const DrawInfo& info) = 0;

    // The control's own message map runs first; it passes what it leaves to
    // this one (paint, focus, mouse activation, reflected notifications).
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result);

    // Set by the control's constructor: it never runs windowless.
    bool m_bWindowOnly = false;

private:
    friend class ControlWindowClass;

    HRESULT InPlaceActivate(LONG verb, const RECT* posRect);
    HRESULT UIActivate();
    HWND CreateControlWindow(HWND parent, const RECT& position);
    void PaintWindow();
    void NotifyFocus(BOOL gotFocus);

    const CLSID& m_classId;
    HWND m_hWnd = nullptr;
    bool m_bInPlaceActive = false;
    bool m_bUIActive = false;
    ULONG m_freezeCount = 0;
    SIZEL m_sizeExtent{5080, 5080};
    SIZEL m_sizeNatural{5080, 5080};
    RECT m_rcPos{};
    ComPtr<IOleClientSite> m_clientSite;
    ComPtr<IOleInPlaceSite> m_inPlaceSite;
    ComPtr<IOleInPlaceFrame> m_inPlaceFrame;
    ComPtr<IOleInPlaceUIWindow> m_inPlaceUIWindow;
    ComPtr<IOleAdviseHolder> m_oleAdviseHolder;
    ComPtr<IAdviseSink> m_viewAdviseSink;
    DWORD m_viewAdviseAspects = 0;
    DWORD m_viewAdviseFlags = 0;
};

}  // namespace fexo::com
