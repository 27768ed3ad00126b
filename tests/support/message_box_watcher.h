// From a thread of its own, notes text and owner of this process's message
// boxes with the caption and presses their OK button.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fexo::test {

struct SeenMessageBox { std::wstring text; HWND owner; };

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::wstring caption) : m_caption(std::move(caption)), m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher()
    {
        m_stopping = true;
        m_thread.join();
    }
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    std::vector<SeenMessageBox> Seen()
    {
        std::lock_guard<std::mutex> guard(m_lock);
        return m_seen;
    }

private:
    void Watch()
    {
        HWND handled = nullptr;
        while (!m_stopping) {
            // Only this process's boxes: test programs that run side by side
            // under one Wine server see each other's windows.
            HWND box = nullptr;
            DWORD process = 0;
            while ((box = FindWindowExW(nullptr, box, L"#32770", m_caption.c_str())) &&
                   (GetWindowThreadProcessId(box, &process), process != GetCurrentProcessId())) {}
            if (!box) handled = nullptr;
            if (box && box != handled && IsWindowVisible(box)) {
                wchar_t text[4096] = {};
                GetDlgItemTextW(box, 0xFFFF, text, 4096);  // the box's text control
                std::lock_guard<std::mutex> guard(m_lock);
                m_seen.push_back({text, GetWindow(box, GW_OWNER)});
                handled = box;
                PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
            Sleep(10);
        }
    }

    std::wstring m_caption;
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::vector<SeenMessageBox> m_seen;
    std::thread m_thread;
};

}  // namespace fexo::test
