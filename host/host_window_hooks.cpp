// Inside an Internet Explorer frame, the browser's print command (260) is
// meant for the document the control shows, not for the page around it: the
// control subclasses the frame's document view (menu commands) and toolbar
// band (toolbar commands) and turns that command into the plugin's
// "CmdPrint".  Each hooked window keeps the hooking control in its user-data
// slot.
#include <cstring>
#include "control/fexo_ctl.h"
#include "control/plugin_calls.h"

using fexo::plugin::FexopExport;

namespace {

constexpr WORD kPrintCommand = 260;
constexpr WORD kDroppedCommand = 275;
constexpr WORD kGreyedMenuItems[] = {259, 277};

bool HasClass(HWND window, const char* className)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return std::strcmp(name, className) == 0;
}

struct ClassSearch {
    const char* className;
    HWND found;
};

BOOL CALLBACK FindClassProc(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<ClassSearch*>(lParam);
    if (!HasClass(window, search->className)) return TRUE;
    search->found = window;
    return FALSE;
}

// The first descendant of `frame` of that class, in enumeration order.
HWND FindDescendant(HWND frame, const char* className)
{
    ClassSearch search{className, nullptr};
    EnumChildWindows(frame, FindClassProc, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

CFexoCtl* HookingControl(HWND window)
{
    return reinterpret_cast<CFexoCtl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Puts `hook` on `window` unless it is there already (from another control of
// the frame, or from this one's earlier window); returns the procedure it
// replaced, or null when it replaced none.
WNDPROC Subclass(HWND window, WNDPROC hook, CFexoCtl* control)
{
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == hook) return nullptr;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
    return reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook)));
}

void Restore(HWND& window, WNDPROC& oldProc)
{
    if (oldProc && window)
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
    window = nullptr;
    oldProc = nullptr;
}

}  // namespace

bool CFexoCtl::HookHostWindows(HWND controlWindow)
{
    m_hWndIEFrame = GetParent(controlWindow);
    while (m_hWndIEFrame && !HasClass(m_hWndIEFrame, "IEFrame"))
        m_hWndIEFrame = GetParent(m_hWndIEFrame);
    if (!m_hWndIEFrame) return false;

    // Another control's plugin window already serves this frame.
    if (FindDescendant(m_hWndIEFrame, "FexoImageWindow")) {
        UnhookHostWindows();
        return false;
    }

    HookWindow(FindDescendant(m_hWndIEFrame, "Shell DocObject View"), DocViewSubclassProc,
               m_hWndDocView, m_pfnOldDocViewProc);
    HookWindow(FindDescendant(m_hWndIEFrame, "ReBarWindow32"), ReBarSubclassProc, m_hWndReBar,
               m_pfnOldReBarProc);
    return true;
}

// A window is recorded only when one was found: a frame without it must not
// make the control forget a window it hooked earlier (that hook could then
// never come off).  A different window than the one hooked before gets the
// hook after the earlier one has come off.
void CFexoCtl::HookWindow(HWND found, WNDPROC hook, HWND& hooked, WNDPROC& oldProc)
{
    if (!found) return;
    if (found != hooked) Restore(hooked, oldProc);
    hooked = found;
    if (WNDPROC old = Subclass(found, hook, this)) oldProc = old;
}

// Procedures go back without a check that the hook is still on top: the
// browser's windows are not subclassed by anyone else.
void CFexoCtl::UnhookHostWindows()
{
    Restore(m_hWndDocView, m_pfnOldDocViewProc);
    Restore(m_hWndReBar, m_pfnOldReBarProc);
}

// A plugin without the dialog-command export cannot print: the browser then
// handles its own command, so that printing still does something.
bool CFexoCtl::SendPrintCommand()
{
    // No caller holds the control while the browser's window runs this.
    fexo::com::ComPtr<IUnknown> keepAlive(ControllingUnknown());
    return fexo::control::CallPlugin<fexop_OpenDlgCommandProc>(FexopExport::OpenDlgCommand,
                                                               m_plugin.Npp(), "CmdPrint");
}

LRESULT CALLBACK CFexoCtl::DocViewSubclassProc(HWND window, UINT message, WPARAM wParam,
                                               LPARAM lParam)
{
    CFexoCtl* control = HookingControl(window);
    switch (message) {
    case WM_COMMAND:
        if (LOWORD(wParam) == kPrintCommand && control->SendPrintCommand()) return 0;
        if (LOWORD(wParam) == kDroppedCommand) return 0;
        break;
    case WM_INITMENUPOPUP: {
        const HMENU menu = reinterpret_cast<HMENU>(wParam);
        EnableMenuItem(menu, kDroppedCommand, MF_GRAYED | MF_DISABLED);
        EnableMenuItem(menu, kGreyedMenuItems[0], MF_GRAYED | MF_DISABLED);
        EnableMenuItem(menu, kPrintCommand, MF_ENABLED);
        EnableMenuItem(menu, kGreyedMenuItems[1], MF_GRAYED | MF_DISABLED);
        return 0;
    }
    default:
        break;
    }
    return CallWindowProcA(control->m_pfnOldDocViewProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CFexoCtl::ReBarSubclassProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam)
{
    CFexoCtl* control = HookingControl(window);
    if (message == WM_COMMAND && LOWORD(wParam) == kPrintCommand && control->SendPrintCommand())
        return 0;
    return CallWindowProcA(control->m_pfnOldReBarProc, window, message, wParam, lParam);
}
