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
        Expose<CFexoCtl, IConnectionPointContainer>(),
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
