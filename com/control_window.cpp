// The control window: its process-wide window class, the window procedure that
// finds the control behind a window, and the base message map.
#include <cstdio>
#include "com/control_base.h"

namespace fexo::com {

namespace {
// The window's control is kept in a window property rather than in
// GWLP_USERDATA, which the hosted plugin may use for itself.
const char kControlProperty[] = "FexoControl.Object";

// The control whose window is being created on this thread: the first
// messages arrive before CreateWindowEx returns the handle.
thread_local ControlBase* t_creatingControl;

// Reflected child notifications (OCM_* = WM_* + OCM__BASE) that the control
// answers with the default handling of the unreflected message.
bool IsReflectedDefault(UINT message)
{
    if (message < OCM__BASE) return false;
    switch (message - OCM__BASE) {
    case WM_COMMAND: case WM_NOTIFY: case WM_PARENTNOTIFY: case WM_DRAWITEM:
    case WM_MEASUREITEM: case WM_COMPAREITEM: case WM_DELETEITEM: case WM_VKEYTOITEM:
    case WM_CHARTOITEM: case WM_HSCROLL: case WM_VSCROLL:
        return true;
    default:
        return message - OCM__BASE >= WM_CTLCOLORMSGBOX &&
               message - OCM__BASE <= WM_CTLCOLORSTATIC;
    }
}
}  // namespace

// One window class per process, named after the address of its record as
// "ATL:%p"; registered on first use, unregistered when the module detaches.
class ControlWindowClass {
public:
    static const char* Name()
    {
        static ControlWindowClass registered;
        return registered.m_name;
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        auto* control = static_cast<ControlBase*>(GetPropA(window, kControlProperty));
        if (!control && t_creatingControl) {
            control = std::exchange(t_creatingControl, nullptr);
            control->m_hWnd = window;
            SetPropA(window, kControlProperty, control);
        }
        if (!control) return DefWindowProcA(window, message, wParam, lParam);

        LRESULT result = 0;
        BOOL handled = FALSE;
        try {
            handled = control->ProcessWindowMessage(window, message, wParam, lParam, result);
        } catch (...) {
            // Out of memory inside a handler: the message counts as handled
            // (window creation goes on, without what the handler could not make).
            result = 0;
            handled = TRUE;
        }
        if (!handled) result = DefWindowProcA(window, message, wParam, lParam);
        if (message == WM_NCDESTROY) {
            RemovePropA(window, kControlProperty);
            if (control->m_hWnd == window) control->m_hWnd = nullptr;
        }
        return result;
    }

private:
    ControlWindowClass()
    {
        std::snprintf(m_name, sizeof m_name, "ATL:%p", static_cast<void*>(&m_record));
        m_record.cbSize = sizeof m_record;
        m_record.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
        m_record.lpfnWndProc = WindowProc;
        m_record.hInstance = Module::Instance();
        m_record.hCursor = LoadCursor(nullptr, IDC_ARROW);
        m_record.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        m_record.lpszClassName = m_name;
        if (RegisterClassExA(&m_record)) Module::AtDetach(Unregister);
    }

    static void Unregister() { UnregisterClassA(Name(), Module::Instance()); }

    WNDCLASSEXA m_record{};
    char m_name[32]{};
};

HWND ControlBase::CreateControlWindow(HWND parent, const RECT& position)
{
    t_creatingControl = this;
    HWND window = CreateWindowExA(0, ControlWindowClass::Name(), nullptr, kWindowStyle,
                                  position.left, position.top, position.right - position.left,
                                  position.bottom - position.top, parent, nullptr,
                                  Module::Instance(), nullptr);
    t_creatingControl = nullptr;
    return window;
}

BOOL ControlBase::ProcessWindowMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                       LRESULT& result)
{
    switch (message) {
    case WM_PAINT:
        PaintWindow();
        result = 0;
        return TRUE;
    case WM_SETFOCUS:
        if (m_bInPlaceActive && !m_bUIActive) UIActivate();
        NotifyFocus(TRUE);
        return FALSE;
    case WM_KILLFOCUS:
        NotifyFocus(FALSE);
        return FALSE;
    case WM_MOUSEACTIVATE:
        if (m_bInPlaceActive && !m_bUIActive) UIActivate();
        return FALSE;
    default:
        if (IsReflectedDefault(message)) {
            result = DefWindowProcA(m_hWnd, message - OCM__BASE, wParam, lParam);
            return TRUE;
        }
        return FALSE;
    }
}

void ControlBase::PaintWindow()
{
    PAINTSTRUCT paint;
    HDC hdc = BeginPaint(m_hWnd, &paint);
    if (!hdc) return;
    RECT client;
    GetClientRect(m_hWnd, &client);
    DrawInfo info{hdc, {client.left, client.top, client.right, client.bottom}};
    OnDraw(info);
    EndPaint(m_hWnd, &paint);
}

void ControlBase::NotifyFocus(BOOL gotFocus)
{
    if (!m_bInPlaceActive) return;
    if (auto site = ComPtr<IOleControlSite>::QueryFrom(m_clientSite.Get()))
        site->OnFocus(gotFocus);
}

}  // namespace fexo::com
