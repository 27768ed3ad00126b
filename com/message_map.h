// Declarative message maps: a window class lists the messages it handles and
// the member that handles each; anything not listed falls through.
#pragma once
#include <windows.h>
#include <vector>

namespace fexo::com {

template <class T>
struct MessageEntry {
    UINT message;
    // Sets `handled` to FALSE to let the message fall through after all.
    LRESULT (T::*handler)(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
};

template <class T>
using MessageMap = std::vector<MessageEntry<T>>;

template <class T>
BOOL DispatchMessageMap(T* window, const MessageMap<T>& map, UINT message, WPARAM wParam,
                        LPARAM lParam, LRESULT& result)
{
    for (const MessageEntry<T>& entry : map) {
        if (entry.message != message) continue;
        BOOL handled = TRUE;
        LRESULT value = (window->*entry.handler)(message, wParam, lParam, handled);
        if (handled) {
            result = value;
            return TRUE;
        }
    }
    return FALSE;
}

}  // namespace fexo::com
