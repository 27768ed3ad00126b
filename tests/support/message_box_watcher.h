// Finds the message boxes with a given caption that this process shows,
// notes their text and owner, and presses their OK button; it watches from a
// thread of its own while the test thread sits in the box's loop.
#pragma once
#include <windows.h>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace fexo::test {

struct SeenMessageBox {
    std::wstring text;
    HWND owner;
};

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::wstring caption) : m_caption(std::move(caption)), m_thread([this] { Watch(); }) {}
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The boxes closed so far, in order.
    std::vector<SeenMessageBox> Seen();

private:
    void Watch();

    std::wstring m_caption;
    std::atomic<bool> m_stopping{false};
    std::mutex m_lock;
    std::vector<SeenMessageBox> m_seen;
    std::thread m_thread;
};

}  // namespace fexo::test
