// The control inside a browser frame built by the test from real windows of
// the browser's classes: the print command of the menu and of the toolbar
// band reaches the plugin as "CmdPrint", one command is dropped, the popup
// menus are greyed, and the windows get their own procedures back.
//
// The server is loaded from FEXO_SERVER_DIR (the tests' directory by
// default), so that the same cases also run beside the stand-in that lacks
// fexop_OpenDlgCommand: the browser then handles its print command itself.
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "tests/standin/standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::TestContainer;
using Log = std::vector<std::string>;

namespace {

// What the browser's own procedures received.
Log g_browserLog;

LRESULT CALLBACK BrowserWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (message == WM_COMMAND) {
        g_browserLog.push_back(std::string(name) + " WM_COMMAND " + std::to_string(LOWORD(wParam)));
        return 0;
    }
    if (message == WM_INITMENUPOPUP) {
        g_browserLog.push_back(std::string(name) + " WM_INITMENUPOPUP");
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateBrowserWindow(const char* className, HWND parent)
{
    WNDCLASSA record{};
    record.lpfnWndProc = BrowserWindowProc;
    record.hInstance = GetModuleHandleA(nullptr);
    record.lpszClassName = className;
    RegisterClassA(&record);  // fails harmlessly once registered
    return CreateWindowA(className, "", parent ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW, 0, 0,
                         600, 400, parent, nullptr, GetModuleHandleA(nullptr), nullptr);
}

// The browser's frame: the toolbar band inside a worker window, the document
// view with the page's server window inside, where controls are embedded.
struct BrowserFrame {
    BrowserFrame()
    {
        frame = CreateBrowserWindow("IEFrame", nullptr);
        HWND worker = CreateBrowserWindow("FexoTestWorker", frame);
        rebar = CreateBrowserWindow("ReBarWindow32", worker);
        docView = CreateBrowserWindow("Shell DocObject View", frame);
        server = CreateBrowserWindow("Internet Explorer_Server", docView);
        g_browserLog.clear();
    }
    ~BrowserFrame() { DestroyWindow(frame); }

    bool Hooked() const
    {
        const auto original = reinterpret_cast<LONG_PTR>(BrowserWindowProc);
        const bool docViewHooked = GetWindowLongPtrA(docView, GWLP_WNDPROC) != original;
        EXPECT_EQ(GetWindowLongPtrA(rebar, GWLP_WNDPROC) != original, docViewHooked)
            << "both windows or neither";
        return docViewHooked;
    }

    HWND frame, rebar, docView, server;
};

HMODULE Server()
{
    static const HMODULE module = [] {
        const char* directory = std::getenv("FEXO_SERVER_DIR");
        const std::string path = std::string(directory ? directory : ".") + "\\FexoCntl.DLL";
        char full[MAX_PATH] = {};
        GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
        return LoadLibraryA(full);
    }();
    return module;
}

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

bool PluginHasPrintExport()
{
    return GetProcAddress(GetModuleHandleA("npfexo.dll"), "fexop_OpenDlgCommand") != nullptr;
}

// A site whose window is the given one (the page's window in the frame).
class PageSite : public TestContainer {
public:
    explicit PageSite(HWND window) : m_window(window) {}
    void MoveTo(HWND window) { m_window = window; }
    STDMETHODIMP GetWindow(HWND* window) override
    {
        *window = m_window;
        return S_OK;
    }

private:
    HWND m_window;
};

// A control in place in `parent`, with the plugin instance it created (none
// when the plugin lacks an export the control requires, as fexop_OpenDlgCommand).
class EmbeddedControl {
public:
    explicit EmbeddedControl(HWND parent) : m_site(parent)
    {
        using GetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
        auto get = reinterpret_cast<GetClassObject>(
            reinterpret_cast<void*>(GetProcAddress(Server(), "DllGetClassObject")));
        IClassFactory* factory = nullptr;
        EXPECT_EQ(get(CLSID_FexoCtl, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IOleObject, reinterpret_cast<void**>(&m_ole)),
                  S_OK);
        factory->Release();
        m_ole->SetClientSite(&m_site);
        Standin()->Reset();
        Activate();
        for (int i = 0; i < Standin()->Count(); ++i)
            if (std::string(Standin()->Entry(i)->call) == "NPP_New")
                instance = Standin()->Entry(i)->instance;
    }
    ~EmbeddedControl()
    {
        m_ole->Close(OLECLOSE_NOSAVE);
        m_ole->SetClientSite(nullptr);
        EXPECT_EQ(m_ole->Release(), 0u);
        PumpMessages();
    }

    void Activate()
    {
        RECT position{0, 0, 200, 100};
        HWND parent = nullptr;
        m_site.GetWindow(&parent);
        EXPECT_EQ(m_ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &m_site, 0, parent, &position),
                  S_OK);
        PumpMessages();
    }
    // The next activation creates the control's window in `parent`.
    void MoveTo(HWND parent) { m_site.MoveTo(parent); }
    void Deactivate()
    {
        IOleInPlaceObject* inPlace = nullptr;
        m_ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace));
        inPlace->InPlaceDeactivate();
        inPlace->Release();
    }

    NPP instance = nullptr;

private:
    PageSite m_site;
    IOleObject* m_ole = nullptr;
};

LRESULT Command(HWND window, WORD id)
{
    return SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

// The print commands sent to the plugin since the last reset, by instance.
std::vector<NPP> PrintCommands()
{
    std::vector<NPP> instances;
    for (int i = 0; i < Standin()->Count(); ++i) {
        const StandinEntry* entry = Standin()->Entry(i);
        EXPECT_STREQ(entry->call, "fexop_OpenDlgCommand");
        EXPECT_STREQ(entry->arguments, "command=\"CmdPrint\"");
        instances.push_back(entry->instance);
    }
    return instances;
}

class HostWindows : public testing::Test {
protected:
    void SetUp() override { ASSERT_NE(Server(), nullptr); }
};

TEST_F(HostWindows, PrintFromTheMenuAndTheToolbarReachesThePluginNotTheBrowser)
{
    BrowserFrame browser;
    EmbeddedControl control(browser.server);
    if (!PluginHasPrintExport()) GTEST_SKIP() << "this stand-in lacks fexop_OpenDlgCommand";
    ASSERT_NE(control.instance, nullptr);
    ASSERT_TRUE(browser.Hooked());
    Standin()->Reset();

    EXPECT_EQ(Command(browser.docView, 260), 0);
    EXPECT_EQ(SendMessageA(browser.rebar, WM_COMMAND, MAKEWPARAM(260, 1), 0), 0);
    EXPECT_EQ(PrintCommands(), (std::vector<NPP>{control.instance, control.instance}));
    EXPECT_EQ(g_browserLog, Log{});

    Standin()->Reset();
    Command(browser.docView, 275);
    Command(browser.docView, 261);
    Command(browser.rebar, 275);
    EXPECT_EQ(g_browserLog, (Log{"Shell DocObject View WM_COMMAND 261",
                                 "ReBarWindow32 WM_COMMAND 275"}))
        << "275 is dropped from the menu only; other commands pass";
    EXPECT_EQ(Standin()->Count(), 0);
}

TEST_F(HostWindows, WithoutThePluginsDialogCommandTheBrowserPrints)
{
    BrowserFrame browser;
    EmbeddedControl control(browser.server);
    if (PluginHasPrintExport()) GTEST_SKIP() << "this stand-in has fexop_OpenDlgCommand";
    ASSERT_TRUE(browser.Hooked());
    Standin()->Reset();

    Command(browser.docView, 260);
    Command(browser.rebar, 260);
    Command(browser.docView, 275);
    EXPECT_EQ(g_browserLog, (Log{"Shell DocObject View WM_COMMAND 260",
                                 "ReBarWindow32 WM_COMMAND 260"}));
    EXPECT_EQ(Standin()->Count(), 0);
}

TEST_F(HostWindows, PopupMenusOfTheDocumentViewGreyTheBrowsersCommands)
{
    BrowserFrame browser;
    EmbeddedControl control(browser.server);
    HMENU menu = CreatePopupMenu();
    for (UINT id : {259u, 260u, 261u, 275u, 277u})
        AppendMenuA(menu, MF_STRING | (id == 260 ? MF_GRAYED : 0), id, "item");

    EXPECT_EQ(SendMessageA(browser.docView, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0), 0);
    EXPECT_EQ(GetMenuState(menu, 259, MF_BYCOMMAND), UINT(MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(GetMenuState(menu, 260, MF_BYCOMMAND), UINT(MF_ENABLED));
    EXPECT_EQ(GetMenuState(menu, 261, MF_BYCOMMAND), UINT(MF_ENABLED));
    EXPECT_EQ(GetMenuState(menu, 275, MF_BYCOMMAND), UINT(MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(GetMenuState(menu, 277, MF_BYCOMMAND), UINT(MF_GRAYED | MF_DISABLED));
    EXPECT_EQ(g_browserLog, Log{}) << "the browser does not see the popup";

    SendMessageA(browser.rebar, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
    EXPECT_EQ(g_browserLog, Log{"ReBarWindow32 WM_INITMENUPOPUP"});
    DestroyMenu(menu);
}

TEST_F(HostWindows, OutsideABrowserFrameNothingIsHooked)
{
    BrowserFrame browser;
    TestContainer page;
    EmbeddedControl control(page.HostWindow());
    EXPECT_FALSE(browser.Hooked());
    Standin()->Reset();
    Command(browser.docView, 260);
    Command(browser.docView, 275);
    EXPECT_EQ(g_browserLog, (Log{"Shell DocObject View WM_COMMAND 260",
                                 "Shell DocObject View WM_COMMAND 275"}));
    EXPECT_EQ(Standin()->Count(), 0);
}

TEST_F(HostWindows, ASecondControlBesideAPluginWindowInstallsNothing)
{
    BrowserFrame browser;
    auto first = std::make_unique<EmbeddedControl>(browser.server);
    ASSERT_TRUE(browser.Hooked());
    CreateBrowserWindow("FexoImageWindow", browser.server);
    auto second = std::make_unique<EmbeddedControl>(browser.server);

    second.reset();
    EXPECT_TRUE(browser.Hooked()) << "the second control had nothing to take off";
    Standin()->Reset();
    Command(browser.docView, 260);
    if (PluginHasPrintExport()) {
        EXPECT_EQ(PrintCommands(), std::vector<NPP>{first->instance});
        EXPECT_EQ(g_browserLog, Log{});
    }

    first.reset();
    EXPECT_FALSE(browser.Hooked()) << "the browser's procedures are back";
    g_browserLog.clear();
    Command(browser.docView, 260);
    Command(browser.rebar, 260);
    EXPECT_EQ(g_browserLog, (Log{"Shell DocObject View WM_COMMAND 260",
                                 "ReBarWindow32 WM_COMMAND 260"}));
}

TEST_F(HostWindows, AControlActivatedAgainKeepsItsHookAndStillRestoresTheProcedures)
{
    BrowserFrame browser;
    auto control = std::make_unique<EmbeddedControl>(browser.server);
    ASSERT_TRUE(browser.Hooked());
    control->Deactivate();
    control->Activate();
    EXPECT_TRUE(browser.Hooked());
    Standin()->Reset();
    Command(browser.docView, 275);
    EXPECT_EQ(g_browserLog, Log{});

    control.reset();
    EXPECT_FALSE(browser.Hooked());
    Command(browser.docView, 275);
    EXPECT_EQ(g_browserLog, Log{"Shell DocObject View WM_COMMAND 275"});
}

TEST_F(HostWindows, AControlActivatedAgainInAFrameWithoutTheWindowsStillTakesItsHooksOff)
{
    BrowserFrame browser;
    HWND bareFrame = CreateBrowserWindow("IEFrame", nullptr);
    HWND page = CreateBrowserWindow("Internet Explorer_Server", bareFrame);
    auto control = std::make_unique<EmbeddedControl>(browser.server);
    ASSERT_TRUE(browser.Hooked());
    control->Deactivate();
    control->MoveTo(page);
    control->Activate();
    control.reset();
    EXPECT_FALSE(browser.Hooked()) << "no hook is left to run the freed control";
    Command(browser.docView, 260);
    EXPECT_EQ(g_browserLog, Log{"Shell DocObject View WM_COMMAND 260"});
    DestroyWindow(bareFrame);
}

}  // namespace
