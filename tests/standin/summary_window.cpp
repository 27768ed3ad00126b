// Each instance paints its summary in the window it was given (subclassed, so that other subclasses above and below
// keep working).
#include <windows.h>
#include <commctrl.h>
#include <utility>
#include "standin.h"

namespace standin {

namespace {

std::string Summary(const Instance& instance)
{
    std::string text = instance.described;
    for (const Stream& stream : instance.streams) {
        text += "stream " + std::to_string(stream.number) + ": " + stream.url + " (" +
                std::to_string(stream.bytes) + " bytes" + (stream.ended ? ", done)\n" : ")\n");
    }
    return text;
}

LRESULT CALLBACK ShowSummary(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR)
{
    std::optional<std::string> summary;
    {
        std::lock_guard<std::recursive_mutex> guard(TheState().lock);
        for (const auto& instance : TheState().instances) {
            if (instance->window != window) continue;
            if (message == WM_NCDESTROY) instance->window = nullptr;  // the handle may be reused
            if (message == WM_PAINT) summary = Summary(*instance);
        }
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ShowSummary, 0);
    if (!summary) return DefSubclassProc(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    SetBkMode(dc, TRANSPARENT);
    DrawTextA(dc, summary->c_str(), -1, &client, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
    EndPaint(window, &paint);
    return 0;
}

}  // namespace

void AttachWindow(Instance* instance, HWND window)
{
    if (instance->window == window) return;
    DetachWindow(instance);
    for (const auto& other : TheState().instances) {
        if (other->window == window) other->window = nullptr;
    }
    if (!window || !SetWindowSubclass(window, ShowSummary, 0, 0)) return;
    instance->window = window;
    InvalidateRect(window, nullptr, TRUE);
}

void DetachWindow(Instance* instance)
{
    HWND window = std::exchange(instance->window, nullptr);
    if (!window || !RemoveWindowSubclass(window, ShowSummary, 0)) return;
    InvalidateRect(window, nullptr, TRUE);
}

}  // namespace standin
