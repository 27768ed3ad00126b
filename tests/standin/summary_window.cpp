#include "summary_window.h"
#include <map>
#include <string>
#include "standin_state.h"

namespace standin {

namespace {

struct Hook {
    WNDPROC previous;
    PluginInstance* instance;  // null once detached while another subclass sits on top
};

std::map<HWND, Hook>& Hooks()
{
    static std::map<HWND, Hook> hooks;
    return hooks;
}

LRESULT CALLBACK SummaryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

bool IsOurs(HWND window)
{
    return reinterpret_cast<WNDPROC>(GetWindowLongPtrW(window, GWLP_WNDPROC)) ==
           SummaryWindowProc;
}

void Paint(HWND window, const std::string& summary)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, summary.c_str(), -1, &client, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
    EndPaint(window, &paint);
}

LRESULT CALLBACK SummaryWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WNDPROC previous;
    std::string summary;
    bool showing;
    {
        std::lock_guard<std::recursive_mutex> guard(TheState().lock);
        auto hook = Hooks().find(window);
        if (hook == Hooks().end()) return DefWindowProcW(window, message, wParam, lParam);
        previous = hook->second.previous;
        PluginInstance* instance = hook->second.instance;
        showing = instance != nullptr;
        if (message == WM_NCDESTROY) {
            // The handle dies with this message and may be reused.
            if (instance) instance->window = nullptr;
            if (IsOurs(window)) {
                SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
            }
            Hooks().erase(hook);
        } else if (message == WM_PAINT && instance) {
            summary = instance->Summary();
        }
    }
    if (message == WM_PAINT && showing) {
        Paint(window, summary);
        return 0;
    }
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

void AttachWindow(PluginInstance* instance, HWND window)
{
    if (instance->window == window) return;
    DetachWindow(instance);
    if (!window || !IsWindow(window)) return;

    auto hook = Hooks().find(window);
    if (hook != Hooks().end()) {
        if (hook->second.instance) hook->second.instance->window = nullptr;
        hook->second.instance = instance;
    } else {
        const LONG_PTR previous = SetWindowLongPtrW(window, GWLP_WNDPROC,
                                                    reinterpret_cast<LONG_PTR>(SummaryWindowProc));
        if (!previous) return;  // not a window of this process
        Hooks()[window] = Hook{reinterpret_cast<WNDPROC>(previous), instance};
    }
    instance->window = window;
    InvalidateRect(window, nullptr, TRUE);
}

void DetachWindow(PluginInstance* instance)
{
    HWND window = instance->window;
    if (!window) return;
    instance->window = nullptr;
    auto hook = Hooks().find(window);
    if (hook == Hooks().end()) return;
    // The old procedure goes back only if nobody subclassed on top of ours;
    // otherwise ours stays in the chain and only passes messages on.
    if (IsOurs(window)) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(hook->second.previous));
        Hooks().erase(hook);
    } else {
        hook->second.instance = nullptr;
    }
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace standin
