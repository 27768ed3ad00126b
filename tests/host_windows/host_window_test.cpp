// The control inside a browser frame of real windows of the browser's classes; what reaches
// the browser's own procedures and the plugin goes into one log.  Beside the stand-in without
// fexop_OpenDlgCommand (FEXO_SERVER_DLL), the browser handles its print command itself.
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <utility>
#include "hosted_control.h"

using namespace fexo::test;

namespace {

std::string g_log;

LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (message == WM_COMMAND) g_log += std::string(name) + " " + std::to_string(LOWORD(wParam)) + "\n";
    if (message == WM_INITMENUPOPUP) g_log += std::string(name) + " popup\n";
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateBrowserWindow(const char* className, HWND parent)
{
    const WNDCLASSA record{0, BrowserWindowProc, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, className};
    RegisterClassA(&record);  // fails harmlessly once registered
    return CreateWindowA(className, "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, parent, nullptr,
                         nullptr, nullptr);
}

// The browser's frame: the toolbar band inside a worker window, the document
// view with the page's server window inside, where controls are embedded.
struct BrowserFrame {
    HWND frame = CreateBrowserWindow("IEFrame", nullptr);
    HWND rebar = CreateBrowserWindow("ReBarWindow32", CreateBrowserWindow("FexoTestWorker", frame));
    HWND docView = CreateBrowserWindow("Shell DocObject View", frame);
    HWND page = CreateBrowserWindow("Internet Explorer_Server", docView);
    ~BrowserFrame() { DestroyWindow(frame); }

    // Which of the two windows carry a procedure other than the browser's.
    std::string Hooked() const
    {
        const auto own = reinterpret_cast<LONG_PTR>(BrowserWindowProc);
        return std::string(GetWindowLongPtrA(docView, GWLP_WNDPROC) != own ? "docview" : "-") +
               (GetWindowLongPtrA(rebar, GWLP_WNDPROC) != own ? " rebar" : " -");
    }
};

// (Re)creates the control's window with its container's host window in `parent`.
void Activate(HostedControl& hosted, HWND parent)
{
    hosted.Deactivate();
    SetWindowLongPtrA(hosted.container.HostWindow(), GWL_STYLE, WS_CHILD);
    SetParent(hosted.container.HostWindow(), parent);
    EXPECT_EQ(hosted.Activate(parent), S_OK);
}

// The plugin's calls since the last reset, then the browser's messages.
std::string TakeLog(const HostedControl& hosted)
{
    std::string log = hosted.Journal();
    hosted.Standin()->Reset();
    return log + std::exchange(g_log, {});
}

// Hooked: print (260) goes to the plugin (or, without its dialog command, to
// the browser), 275 from the menu is dropped, every other message passes, and
// popup menus of the document view are greyed.  A second control beside a
// plugin window hooks nothing; the first one, its window created again in the
// frame and then outside any, still gives both procedures back.
TEST(HostWindows, PrintFromTheBrowserReachesThePlugin)
{
    BrowserFrame browser;
    auto first = std::make_unique<HostedControl>();
    Activate(*first, browser.page);
    Activate(*first, browser.page);
    ASSERT_EQ(browser.Hooked(), "docview rebar");
    const bool prints = GetProcAddress(GetModuleHandleA("npfexo.dll"), "fexop_OpenDlgCommand");
    const std::string print = prints ? "fexop_OpenDlgCommand(command=\"CmdPrint\")\n" : "";
    const std::string hooked = print + print + (prints ? "" : "Shell DocObject View 260\n") +
                               "Shell DocObject View 261\n" + (prints ? "" : "ReBarWindow32 260\n") +
                               "ReBarWindow32 275\nReBarWindow32 261\nReBarWindow32 popup\n";
    for (int round = 0; round < 2; ++round) {
        TakeLog(*first);
        HMENU menu = CreatePopupMenu();
        for (UINT id : {259u, 260u, 261u, 275u, 277u}) AppendMenuA(menu, id == 260 ? MF_GRAYED : 0, id, "");
        for (HWND window : {browser.docView, browser.rebar}) {
            for (WORD id : {260, 275, 261}) SendMessageA(window, WM_COMMAND, id, 0);
            SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        }
        std::string log = TakeLog(*first) + "menu ";
        for (UINT id : {259u, 260u, 261u, 275u, 277u}) log += std::to_string(GetMenuState(menu, id, 0));
        EXPECT_EQ(log, hooked + "menu 30033");
        DestroyMenu(menu);
        CreateBrowserWindow("FexoImageWindow", browser.page);
        HostedControl second;
        Activate(second, browser.page);
    }
    const HWND outside = CreateBrowserWindow("FexoOutside", nullptr);  // of no browser class
    Activate(*first, outside);
    first.reset();
    EXPECT_EQ(browser.Hooked(), "- -");
    DestroyWindow(outside);
}

}  // namespace
