// The container-facing half of a windowed ActiveX control: the OLE embedding,
// in-place activation, view and control interfaces, the control window with
// its message handling, persistence through the control's property map,
// object safety, class information, quick activation and data transfer.  The
// control class derives from ControlBase, supplies its drawing, its own
// messages and its property map, and lists the interfaces in its interface
// map; the IUnknown methods come from ComObject/ContainedObject.
#pragma once
#include <ocidl.h>
#include <olectl.h>
#include <objsafe.h>
#include <cstdint>
#include <vector>
#include "com/com_object.h"
#include "com/com_ptr.h"
#include "com/message_map.h"
#include "com/property_map.h"

namespace fexo::com {

struct DrawInfo {
    HDC hdc;
    RECTL bounds;
};

// What a control class is known by: its class identifier, its registered
// type library (version 1.0) and its default source (event) interface.
struct ControlClass {
    const CLSID* classId;
    const GUID* libraryId;
    const IID* eventsId;
};

class ControlBase : public ObjectRoot,
                    public IOleObject,
                    public IOleInPlaceObjectWindowless,
                    public IOleInPlaceActiveObject,
                    public IOleControl,
                    public IViewObjectEx,
                    public IPersistStreamInit,
                    public IPersistStorage,
                    public IPersistPropertyBag,
                    public ISpecifyPropertyPages,
                    public IQuickActivate,
                    public IDataObject,
                    public IProvideClassInfo2,
                    public IObjectSafety {
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

    // IPersist / IPersistStreamInit / IPersistStorage / IPersistPropertyBag
    STDMETHODIMP GetClassID(CLSID* clsid) override;
    STDMETHODIMP IsDirty() override;
    STDMETHODIMP InitNew() override;
    STDMETHODIMP Load(IStream* stream) override;
    STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
    STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
    STDMETHODIMP InitNew(IStorage* storage) override;
    STDMETHODIMP Load(IStorage* storage) override;
    STDMETHODIMP Save(IStorage* storage, BOOL sameAsLoad) override;
    STDMETHODIMP SaveCompleted(IStorage* storage) override;
    STDMETHODIMP HandsOffStorage() override;
    STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* errorLog) override;
    STDMETHODIMP Save(IPropertyBag* bag, BOOL clearDirty, BOOL saveAll) override;

    // ISpecifyPropertyPages
    STDMETHODIMP GetPages(CAUUID* pages) override;

    // IQuickActivate
    STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
    STDMETHODIMP SetContentExtent(LPSIZEL size) override;
    STDMETHODIMP GetContentExtent(LPSIZEL size) override;

    // IDataObject
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC* format, FORMATETC* canonical) override;
    STDMETHODIMP SetData(FORMATETC* format, STGMEDIUM* medium, BOOL release) override;
    STDMETHODIMP EnumFormatEtc(DWORD direction, IEnumFORMATETC** formats) override;
    STDMETHODIMP DAdvise(FORMATETC* format, DWORD flags, IAdviseSink* sink,
                         DWORD* connection) override;
    STDMETHODIMP DUnadvise(DWORD connection) override;
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA** advise) override;

    // IProvideClassInfo / IProvideClassInfo2
    STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
    STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

    // IObjectSafety
    STDMETHODIMP GetInterfaceSafetyOptions(REFIID iid, DWORD* supported,
                                           DWORD* enabled) override;
    STDMETHODIMP SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options) override;

    // The extent's fields, for the data rows of a property map.
    static LONG* ExtentWidth(ControlBase& control) { return &control.m_sizeExtent.cx; }
    static LONG* ExtentHeight(ControlBase& control) { return &control.m_sizeExtent.cy; }

    HWND Window() const { return m_hWnd; }
    IOleClientSite* ClientSite() const { return m_clientSite.Get(); }
    IOleInPlaceSite* InPlaceSite() const { return m_inPlaceSite.Get(); }
    SIZEL Extent() const { return m_sizeExtent; }

protected:
    // Window style of the control window: WS_CHILD | WS_VISIBLE |
    // WS_CLIPSIBLINGS | WS_CLIPCHILDREN.
    static constexpr DWORD kWindowStyle = 0x56000000;

    explicit ControlBase(const ControlClass& controlClass);
    ~ControlBase() override;

    // The control's drawing, for WM_PAINT, IViewObject::Draw and the
    // metafile that IDataObject renders.
    virtual HRESULT OnDraw(const DrawInfo& info) = 0;

    // The persisted properties, in load and save order, and the control's
    // own IDispatch that their dispatch rows go through.
    virtual const PropertyMap& PersistedProperties() const = 0;
    virtual IDispatch* PropertyDispatch() = 0;

    // The control's own message map runs first; it passes what it leaves to
    // this one (paint, focus, mouse activation, reflected notifications).
    virtual BOOL ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      LRESULT& result);

    // Set by the control's constructor: it never runs windowless.
    bool m_bWindowOnly = false;

private:
    friend class ControlWindowClass;

    HRESULT InPlaceActivate(LONG verb, const RECT* posRect);
    HRESULT EncodeProperties(std::vector<uint8_t>& bytes);
    IUnknown* Self() { return static_cast<IOleObject*>(this); }
    HRESULT UIActivate();
    HWND CreateControlWindow(HWND parent, const RECT& position);
    void PaintWindow();
    void NotifyFocus(BOOL gotFocus);

    const ControlClass m_class;
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
    ComPtr<IDataAdviseHolder> m_dataAdviseHolder;
    // Set by InitNew, cleared by a successful load and by a save that is
    // asked to clear it.
    bool m_bRequiresSave = false;
    // Safety options a container enabled: recorded, read by nobody else.
    DWORD m_safetyOptions = 0;
};

}  // namespace fexo::com
