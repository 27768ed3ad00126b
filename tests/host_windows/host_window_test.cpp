// The control inside a browser frame built from real windows of the browser's
// classes.  Every message that reaches the browser's own procedures, and
// every print command that reaches the plugin, goes into one log.
//
// The server is loaded from FEXO_SERVER_DIR (the tests' directory by
// default), so that the same cases also run beside the stand-in that lacks
// fexop_OpenDlgCommand: the browser then handles its print command itself.
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include "FexoCtl.h"
#include "tests/standin/standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::TestContainer;

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
    WNDCLASSA record{};
    record.lpfnWndProc = BrowserWindowProc;
    record.hInstance = GetModuleHandleA(nullptr);
    record.lpszClassName = className;
    RegisterClassA(&record);  // fails harmlessly once registered
    return CreateWindowA(className, "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, parent,
                         nullptr, GetModuleHandleA(nullptr), nullptr);
}

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

// The print commands the plugin received since the last call, then the browser's log.
std::string TakeLog()
{
    std::string log;
    for (int i = 0; i < Standin()->Count(); ++i)
        log += std::string("plugin ") + Standin()->Entry(i)->call + "(" + Standin()->Entry(i)->arguments + ")\n";
    Standin()->Reset();
    return log + std::exchange(g_log, {});
}

// The browser's frame: the toolbar band inside a worker window, the document
// view with the page's server window inside, where controls are embedded.
struct BrowserFrame {
    HWND frame = CreateBrowserWindow("IEFrame", nullptr);
    HWND rebar = CreateBrowserWindow("ReBarWindow32", CreateBrowserWindow("FexoTestWorker", frame));
    HWND docView = CreateBrowserWindow("Shell DocObject View", frame);
    HWND page = CreateBrowserWindow("Internet Explorer_Server", docView);
    ~BrowserFrame() { DestroyWindow(frame); }

    // "docview rebar": which of the two carry a procedure other than the browser's.
    std::string Hooked() const
    {
        const auto own = reinterpret_cast<LONG_PTR>(BrowserWindowProc);
        return std::string(GetWindowLongPtrA(docView, GWLP_WNDPROC) != own ? "docview" : "-") + " " +
               (GetWindowLongPtrA(rebar, GWLP_WNDPROC) != own ? "rebar" : "-");
    }
    // Print (260), dropped (275) and another command (261) to both windows.
    std::string Commands()
    {
        for (HWND window : {docView, rebar})
            for (WORD id : {260, 275, 261}) SendMessageA(window, WM_COMMAND, id, 0);
        return TakeLog();
    }
};

// A site whose window is the given one (the page's window in the frame).
class PageSite : public TestContainer {
public:
    HWND window = nullptr;
    STDMETHODIMP GetWindow(HWND* out) override { return *out = window, S_OK; }
};

// A control activated in place in `parent`.
class EmbeddedControl {
public:
    explicit EmbeddedControl(HWND parent)
    {
        static const HMODULE server = [] {
            const char* directory = std::getenv("FEXO_SERVER_DIR");
            char full[MAX_PATH] = {};
            GetFullPathNameA((std::string(directory ? directory : ".") + "\\FexoCntl.DLL").c_str(), MAX_PATH,
                             full, nullptr);
            return LoadLibraryA(full);
        }();
        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        IClassFactory* factory = nullptr;
        reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(server, "DllGetClassObject")))(
            CLSID_FexoCtl, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&m_ole)), S_OK);
        factory->Release();
        m_ole->SetClientSite(&m_site);
        Activate(parent);
    }
    ~EmbeddedControl()
    {
        m_ole->Close(OLECLOSE_NOSAVE);
        m_ole->SetClientSite(nullptr);
        EXPECT_EQ(m_ole->Release(), 0u);
        PumpMessages();
        TakeLog();
    }
    // Creates the control's window anew in `parent`.
    void Activate(HWND parent)
    {
        IOleInPlaceObject* inPlace = nullptr;
        m_ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
        inPlace->InPlaceDeactivate();
        inPlace->Release();
        RECT position{0, 0, 200, 100};
        m_site.window = parent;
        EXPECT_EQ(m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &m_site, 0, parent, &position), S_OK);
        PumpMessages();
        TakeLog();
    }

private:
    PageSite m_site;
    IOleObject* m_ole = nullptr;
};

bool PluginPrints() { return GetProcAddress(GetModuleHandleA("npfexo.dll"), "fexop_OpenDlgCommand"); }

// Hooked: print goes to the plugin (or, without its dialog command, to the
// browser), 275 from the menu is dropped, every other message passes.  A
// second control beside a plugin window hooks nothing; the first one's
// destruction gives both windows their procedures back.
TEST(HostWindows, PrintFromTheBrowserReachesThePlugin)
{
    BrowserFrame browser;
    auto first = std::make_unique<EmbeddedControl>(browser.page);
    ASSERT_EQ(browser.Hooked(), "docview rebar");
    const std::string print = "plugin fexop_OpenDlgCommand(command=\"CmdPrint\")\n";
    const std::string hooked = PluginPrints()
        ? print + print + "Shell DocObject View 261\nReBarWindow32 275\nReBarWindow32 261\n"
        : "Shell DocObject View 260\nShell DocObject View 261\nReBarWindow32 260\nReBarWindow32 275\n"
          "ReBarWindow32 261\n";
    EXPECT_EQ(browser.Commands(), hooked);

    HMENU menu = CreatePopupMenu();
    for (UINT id : {259u, 260u, 261u, 275u, 277u}) AppendMenuA(menu, MF_STRING | (id == 260 ? MF_GRAYED : 0), id, "");
    for (HWND window : {browser.docView, browser.rebar})
        SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    std::string states;
    for (UINT id : {259u, 260u, 261u, 275u, 277u}) states += std::to_string(GetMenuState(menu, id, MF_BYCOMMAND));
    EXPECT_EQ(states, "30033");
    EXPECT_EQ(TakeLog(), "ReBarWindow32 popup\n") << "the document view's popup stays with the control";
    DestroyMenu(menu);

    CreateBrowserWindow("FexoImageWindow", browser.page);
    EmbeddedControl(browser.page);
    EXPECT_EQ(browser.Commands(), hooked) << "the second control took nothing off";
    first.reset();
    EXPECT_EQ(browser.Hooked(), "- -");
}

// A control whose window is created again keeps its hook (in the same frame)
// or still takes it off at the end (moved to a frame without the windows);
// outside a browser frame nothing is hooked.
TEST(HostWindows, HooksComeOffWhereverTheWindowWasCreatedLast)
{
    BrowserFrame browser, bare;
    DestroyWindow(bare.docView);
    DestroyWindow(bare.rebar);
    TestContainer plain;
    for (HWND last : {browser.page, bare.frame, plain.HostWindow()}) {
        auto control = std::make_unique<EmbeddedControl>(browser.page);
        control->Activate(browser.page);
        EXPECT_EQ(browser.Hooked(), "docview rebar");
        control->Activate(last);
        control.reset();
        EXPECT_EQ(browser.Hooked(), "- -");
    }
    EmbeddedControl outside(plain.HostWindow());
    EXPECT_EQ(browser.Hooked(), "- -");
}

}  // namespace
