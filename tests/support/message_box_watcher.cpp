#include "message_box_watcher.h"

namespace fexo::test {

namespace {
// The identifier of a message box's text control.
constexpr int kMessageBoxTextId = 0xFFFF;
}  // namespace

MessageBoxWatcher::MessageBoxWatcher(std::wstring caption)
    : m_caption(std::move(caption)), m_thread([this] { Watch(); })
{
}

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

namespace {
// The first box with that caption shown by this process: test programs that
// run side by side under one Wine server see each other's windows.
HWND FindOwnBox(const std::wstring& caption)
{
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, L"#32770", caption.c_str()))) {
        DWORD process = 0;
        GetWindowThreadProcessId(box, &process);
        if (process == GetCurrentProcessId()) return box;
    }
    return nullptr;
}
}  // namespace

void MessageBoxWatcher::Watch()
{
    HWND handled = nullptr;
    while (!m_stopping) {
        HWND box = FindOwnBox(m_caption);
        if (!box) handled = nullptr;
        if (box && box != handled && IsWindowVisible(box)) {
            wchar_t text[4096] = {};
            GetDlgItemTextW(box, kMessageBoxTextId, text, 4096);
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
