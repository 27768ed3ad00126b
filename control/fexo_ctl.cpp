#include "control/fexo_ctl.h"
#include "plugin/plugin_module.h"

using namespace fexo::com;

// Lookup order matters to containers that probe; several identifiers share
// one interface pointer.
const InterfaceMap<CFexoCtl>& CFexoCtl::Interfaces()
{
    static const InterfaceMap<CFexoCtl> map = {
        Expose<CFexoCtl, IFexoCtl>(),
        Expose<CFexoCtl, IDispatch, IFexoCtl>(),
        Expose<CFexoCtl, IViewObjectEx>(),
        Expose<CFexoCtl, IViewObject2, IViewObjectEx>(),
        Expose<CFexoCtl, IViewObject, IViewObjectEx>(),
        Expose<CFexoCtl, IOleInPlaceObjectWindowless>(),
        Expose<CFexoCtl, IOleInPlaceObject, IOleInPlaceObjectWindowless>(),
        Expose<CFexoCtl, IOleWindow, IOleInPlaceObjectWindowless>(),
        Expose<CFexoCtl, IOleInPlaceActiveObject>(),
        Expose<CFexoCtl, IOleControl>(),
        Expose<CFexoCtl, IOleObject>(),
        Expose<CFexoCtl, IPersistStreamInit>(),
        Expose<CFexoCtl, IPersist, IPersistStreamInit>(),
        Expose<CFexoCtl, ISpecifyPropertyPages>(),
        Expose<CFexoCtl, IQuickActivate>(),
        Expose<CFexoCtl, IPersistStorage>(),
        Expose<CFexoCtl, IDataObject>(),
        ExposeAs<CFexoCtl, IProvideClassInfo, IProvideClassInfo2>(IID_IProvideClassInfo),
        Expose<CFexoCtl, IProvideClassInfo2>(),
        Expose<CFexoCtl, IPersistPropertyBag>(),
        ExposeAs<CFexoCtl, IObjectSafety>(IID_IObjectSafety),
        Expose<CFexoCtl, IConnectionPointContainer>(),
    };
    return map;
}

// The page's parameters and the saved state, in load order.  SRC and imageURL
// are two names of one property.
const PropertyMap& CFexoCtl::PersistedProperties() const
{
    static const PropertyMap map = {
        DataRow(L"_cx", ControlBase::ExtentWidth),
        DataRow(L"_cy", ControlBase::ExtentHeight),
        DispatchRow(L"SRC", 1),
        DispatchRow(L"imageURL", 1),
        DispatchRow(L"Flags", 2),
        DispatchRow(L"Align", 3),
        DispatchRow(L"Cache", 4),
        DispatchRow(L"Frame", 5),
        DispatchRow(L"Highlight", 6),
        DispatchRow(L"Keyboard", 8),
        DispatchRow(L"Links", 9),
        DispatchRow(L"Logo", 10),
        DispatchRow(L"Menu", 11),
        DispatchRow(L"Mode", 12),
        DispatchRow(L"Page", 13),
        DispatchRow(L"Passive", 14),
        DispatchRow(L"ScrollBars", 15),
        DispatchRow(L"Rotate", 16),
        DispatchRow(L"Thumbnails", 17),
        DispatchRow(L"Toolbar", 18),
        DispatchRow(L"VAlign", 19),
        DispatchRow(L"Zoom", 20),
        DispatchRow(L"noMenu", 21),
        DispatchRow(L"noScrollBars", 22),
        DispatchRow(L"noToolbar", 23),
        DispatchRow(L"NavPane", 24),
        DispatchRow(L"MouseMode", 25),
        DispatchRow(L"HAlign", 34),
        DispatchRow(L"MagSize", 39),
        DispatchRow(L"MagZoom", 40),
        DispatchRow(L"PostError", 48),
        DispatchRow(L"LogoImage", 77),
        DispatchRow(L"DisplayMode", 79),
        DispatchRow(L"ShowPosition", 81),
        DispatchRow(L"Layout", 84),
        DispatchRow(L"Prefetch", 85),
        DispatchRow(L"UserId", 87),
        DispatchRow(L"Password", 88),
    };
    return map;
}

// The one connection point: _IFexoCtlEvents.
ConnectionPoint* CFexoCtl::ConnectionPointAt(size_t index)
{
    return index == 0 ? &EventPoint() : nullptr;
}

const MessageMap<CFexoCtl>& CFexoCtl::Messages()
{
    static const MessageMap<CFexoCtl> map = {
        {WM_CREATE, &CFexoCtl::OnCreate},
    };
    return map;
}

BOOL CFexoCtl::ProcessWindowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    LRESULT& result)
{
    return DispatchMessageMap(this, Messages(), message, wParam, lParam, result) ||
           ControlBase::ProcessWindowMessage(window, message, wParam, lParam, result);
}

// With the plugin in place the plugin draws; without it, the window shows why
// it could not be loaded.
HRESULT CFexoCtl::OnDraw(const DrawInfo& info)
{
    const char* text = fexo::plugin::g_loadErrorText;
    if (!text[0]) return S_OK;
    const RECTL& r = info.bounds;
    Rectangle(info.hdc, r.left, r.top, r.right, r.bottom);
    SetTextAlign(info.hdc, TA_CENTER | TA_BASELINE);
    TextOutA(info.hdc, (r.left + r.right) / 2, (r.top + r.bottom) / 2, text, lstrlenA(text));
    return S_OK;
}
