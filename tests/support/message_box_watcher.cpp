#include "message_box_watcher.h"

namespace fexo::test {

MessageBoxWatcher::~MessageBoxWatcher()
{
    m_stopping = true;
    m_thread.join();
}

std::vector<SeenMessageBox> MessageBoxWatcher::Seen()
{
    std::lock_guard<std::mutex> guard(m_lock);
    return m_seen;
}

void MessageBoxWatcher::Watch()
{
    HWND handled = nullptr;
    while (!m_stopping) {
        // Only this process's boxes: test programs that run side by side
        // under one Wine server see each other's windows.
        HWND box = nullptr;
        DWORD process = 0;
        while ((box = FindWindowExW(nullptr, box, L"#32770", m_caption.c_str())) &&
               (GetWindowThreadProcessId(box, &process), process != GetCurrentProcessId())) {
        }
        if (!box) handled = nullptr;
        if (box && box != handled && IsWindowVisible(box)) {
            wchar_t text[4096] = {};
            GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the box's text control
            {
                std::lock_guard<std::mutex> guard(m_lock);
                m_seen.push_back({text, GetWindow(box, GW_OWNER)});
            }
            handled = box;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        }
        Sleep(10);
    }
}

}  // namespace fexo::test
