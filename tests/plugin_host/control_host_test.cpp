// The control as the plugin sees it, through the stand-in's journal: when the
// module is loaded and shut down, when the instance is created, given its
// window, replaced and destroyed, and the argument list it is created with;
// and a process whose plugin arrives after its first control looked for it.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>
#include "FexoCtl.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;
using fexo::test::TestContainer;

namespace {

const StandinControl* Standin()
{
    return StandinControlOf(GetModuleHandleA("npfexo.dll"));
}

// The instance's own calls.  Documents reach it as streams, whose delivery
// the download tests follow; here they are left out of the journal.
std::string Journal()
{
    std::string journal;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i) {
        const std::string call = entry->call;
        if (call == "NPP_NewStream" || call == "NPP_WriteReady" || call == "NPP_Write" ||
            call == "NPP_DestroyStream")
            continue;
        journal += call + "(" + entry->arguments + ")\n";
    }
    return journal;
}

bool StreamOpened(const char* url)
{
    const std::string wanted = std::string("url=\"") + url + "\"";
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (std::string(entry->call) == "NPP_NewStream" &&
            std::string(entry->arguments).find(wanted) != std::string::npos)
            return true;
    return false;
}

std::string Handshake()
{
    return "NP_GetEntryPoints(size=" + std::to_string(sizeof(NPPluginFuncs)) +
           " version=0)\nNP_Initialize(size=" + std::to_string(sizeof(NPNetscapeFuncs)) +
           " version=9)\n"
           "fexop_ErrorFunc(callback=ptr)\n"
           "fexop_EventFunc(callback=ptr)\n"
           "fexop_ComplexEventFunc(callback=ptr)\n"
           "fexop_SetPasswordFunc(callback=ptr)\n";
}

const char kDefaultArguments[] =
    "SCROLLBARS=\"TRUE\" CACHE=\"FALSE\" FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" "
    "LOGO=\"TRUE\" POSTERROR=\"TRUE\"";

std::string New(int argc, const std::string& arguments, const std::string& saved = "saved=null")
{
    return "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=" + std::to_string(argc) +
           (arguments.empty() ? "" : " " + arguments) + " " + saved + ")\n";
}

const char kSetWindow[] = "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n";
const char kDestroy[] = "NPP_Destroy(save=ptr)\n";

// The size changes of one window, as its procedure receives them.
class SizeChanges {
public:
    explicit SizeChanges(HWND window)
    {
        s_window = window;
        s_changes.clear();
        m_hook = SetWindowsHookExW(WH_CALLWNDPROC, Record, nullptr, GetCurrentThreadId());
    }
    ~SizeChanges() { UnhookWindowsHookEx(m_hook); }
    std::vector<std::string> Take() { return std::move(s_changes); }

private:
    static LRESULT CALLBACK Record(int code, WPARAM wParam, LPARAM lParam)
    {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (code == HC_ACTION && message->hwnd == s_window && message->message == WM_SIZE)
            s_changes.push_back(std::to_string(LOWORD(message->lParam)) + "x" +
                                std::to_string(HIWORD(message->lParam)));
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
    HHOOK m_hook;
    static inline HWND s_window;
    static inline std::vector<std::string> s_changes;
};

// One control object with its container.
class Control {
public:
    Control()
    {
        EXPECT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)),
                  S_OK);
        if (ole) ole->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&fexo));
    }
    ~Control() { Release(); }

    void Activate()
    {
        ole->SetClientSite(&container);
        RECT position = container.PositionRect();
        EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                              container.HostWindow(), &position),
                  S_OK);
        PumpMessages();
    }
    void Deactivate()
    {
        ole->Close(OLECLOSE_NOSAVE);
        PumpMessages();
    }
    HWND Window()
    {
        IOleInPlaceObject* inPlace = nullptr;
        HWND window = nullptr;
        if (SUCCEEDED(ole->QueryInterface(IID_IOleInPlaceObject,
                                          reinterpret_cast<void**>(&inPlace)))) {
            inPlace->GetWindow(&window);
            inPlace->Release();
        }
        return window;
    }
    HRESULT PutSrc(const wchar_t* address)
    {
        BSTR text = address ? SysAllocString(address) : nullptr;
        HRESULT hr = fexo->put_SRC(text);
        SysFreeString(text);
        PumpMessages();
        return hr;
    }
    // The last reference goes: the destructor runs.
    void Release()
    {
        if (!ole) return;
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        if (fexo) fexo->Release();
        EXPECT_EQ(ole->Release(), 0u);
        ole = nullptr;
        fexo = nullptr;
        PumpMessages();
    }

    TestContainer container;
    IOleObject* ole = nullptr;
    IFexoCtl* fexo = nullptr;
};

class ControlHost : public testing::Test {
protected:
    // Every test starts with the plugin shut down and nothing saved.
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CanUnloadNow(), S_OK);
        if (Standin()) Standin()->Reset();
    }
    void TearDown() override
    {
        if (Standin()) Standin()->Reset();
    }
};

TEST_F(ControlHost, TwoControlsLoadThePluginOnceAndOnlyTheUnloadQueryShutsItDown)
{
    auto first = std::make_unique<Control>();
    ASSERT_NE(Standin(), nullptr);
    Standin()->Reset();
    auto second = std::make_unique<Control>();
    EXPECT_EQ(Journal(), "") << "the second control only counts up";
    Standin()->Reset();

    // A query while a control lives: S_FALSE, nothing shut down.
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE);
    first.reset();
    second.reset();
    EXPECT_EQ(Journal(), std::string(kDestroy) + kDestroy)
        << "the last control gone: no NP_Shutdown";
    Standin()->Reset();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    EXPECT_EQ(Journal(), "NP_Shutdown()\n");

    // A control after the shutdown loads the plugin again.
    Standin()->Reset();
    Control third;
    EXPECT_EQ(Journal(), Handshake());
}

TEST_F(ControlHost, ReleasedWithoutActivationDestroysAnInstanceThatWasNeverCreated)
{
    Control control;
    Standin()->Reset();
    control.Release();
    ASSERT_EQ(Journal(), kDestroy);
    EXPECT_EQ(Standin()->Entry(0)->pdata, nullptr);
    EXPECT_EQ(Standin()->Entry(0)->ndata, nullptr);
    EXPECT_NE(Standin()->Entry(0)->pointers[0], nullptr) << "the saved-data slot";
}

TEST_F(ControlHost, ActivationCreatesTheInstanceWithTheDefaultsOnTheControlsWindow)
{
    Control control;
    Standin()->Reset();
    control.Activate();
    ASSERT_EQ(Journal(), New(7, kDefaultArguments) + kSetWindow);
    const StandinEntry* created = Standin()->Entry(0);
    EXPECT_EQ(created->pdata, nullptr);
    EXPECT_NE(created->ndata, nullptr) << "the control";
    const StandinEntry* windowed = Standin()->Entry(1);
    EXPECT_EQ(windowed->instance, created->instance);
    EXPECT_EQ(windowed->pointers[1], control.Window());
    EXPECT_NE(Standin()->Summary(created->instance), nullptr);

    // Deactivation destroys only the window; the release destroys the
    // instance after it.
    Standin()->Reset();
    control.Deactivate();
    EXPECT_EQ(Journal(), "");
    control.Release();
    EXPECT_EQ(Journal(), kDestroy);
    EXPECT_EQ(Standin()->Entry(0)->instance, created->instance);
}

TEST_F(ControlHost, AWindowCreatedAgainReplacesTheInstance)
{
    Control control;
    control.Activate();
    const NPP instance = Standin()->Entry(Standin()->Count() - 2)->instance;
    control.Deactivate();
    Standin()->Reset();
    control.Activate();
    EXPECT_EQ(Journal(), kDestroy + New(7, kDefaultArguments) + kSetWindow);
    EXPECT_EQ(Standin()->Entry(1)->instance, instance) << "the same record";
    EXPECT_EQ(Standin()->Entry(2)->pointers[1], control.Window());
}

TEST_F(ControlHost, SavedDataGoesFromOneControlsDestroyToTheNextNew)
{
    Standin()->SaveDataOnDestroy("state", 5);
    {
        Control first;
        first.Activate();
    }
    Standin()->SaveDataOnDestroy(nullptr, 0);
    Standin()->Reset();
    // Count 0 again: the next control loads anew, and the data stays for it.
    Control second;
    second.Activate();
    EXPECT_EQ(Journal(), Handshake() + New(7, kDefaultArguments, "saved.len=5 saved.buf=\"state\"") +
                             kSetWindow);
}

// Before the window there is no instance: an address (or the empty one) is
// only stored, with Rotate reset to "0", which travels with the list.
TEST_F(ControlHost, SrcBeforeActivationIsStoredForTheWindow)
{
    const std::pair<const wchar_t*, HRESULT> kAddresses[] = {{L"http://127.0.0.1/a.fexo", S_OK},
                                                             {L"", S_FALSE}};
    for (const auto& [address, result] : kAddresses) {
        Control control;
        Standin()->Reset();
        EXPECT_EQ(control.PutSrc(address), result);
        EXPECT_EQ(Journal(), "") << "no window, no plugin call";
        BSTR stored = nullptr;
        EXPECT_EQ(control.fexo->get_SRC(&stored), S_OK);
        EXPECT_EQ(std::wstring(stored ? stored : L""), address);
        SysFreeString(stored);
        control.Activate();
        EXPECT_EQ(Journal(), New(8, std::string(kDefaultArguments) + " ROTATE=\"0\"") + kSetWindow);
    }
}

TEST_F(ControlHost, SrcTransitionsOfAnActiveControl)
{
    Control control;
    control.Activate();
    SizeChanges sizes(control.Window());
    // A document replaced (or the same address again) re-creates the instance
    // with Rotate reset to "0"; emptied, it is re-created without arguments;
    // either is followed by two size changes.  Without a document the address
    // is only streamed into the existing instance.
    const std::string recreated =
        kDestroy + New(8, std::string(kDefaultArguments) + " ROTATE=\"0\"") + kSetWindow;
    const std::string emptied = kDestroy + New(0, "") + kSetWindow;
    const struct {
        const wchar_t* address;
        HRESULT result;
        std::string journal;
        const char* streamed;
    } kSteps[] = {
        {L"http://127.0.0.1/a.fexo", S_OK, "", "http://127.0.0.1/a.fexo"},
        {L"http://127.0.0.1/b.fexo", S_OK, recreated, nullptr},
        {L"http://127.0.0.1/b.fexo", S_OK, recreated, nullptr},
        {L"", S_FALSE, emptied, nullptr},
        {nullptr, S_FALSE, emptied, nullptr},
        {L"http://127.0.0.1/c.fexo", S_OK, "", "http://127.0.0.1/c.fexo"},
    };
    const std::vector<std::string> kUnsized, kResized = {"0x0", "300x200"};
    int step = 0;
    for (const auto& s : kSteps) {
        Standin()->Reset();
        EXPECT_EQ(control.PutSrc(s.address), s.result) << "step " << step;
        EXPECT_EQ(Journal(), s.journal) << "step " << step;
        if (s.streamed) EXPECT_TRUE(StreamOpened(s.streamed)) << "step " << step;
        EXPECT_EQ(sizes.Take(), s.journal.empty() ? kUnsized : kResized) << "step " << step++;
    }
}

void PutText(IFexoCtl* control, HRESULT (STDMETHODCALLTYPE IFexoCtl::*setter)(BSTR),
             const wchar_t* value)
{
    BSTR text = SysAllocString(value);
    EXPECT_EQ((control->*setter)(text), S_OK);
    SysFreeString(text);
}

// Stored properties reach the list: a non-ASCII page arrives as UTF-8, the
// same characters in Zoom in the ANSI code page; MagSize as digits; the
// credentials are consumed.
TEST_F(ControlHost, StoredPropertiesBecomeTheArgumentList)
{
    Control other;
    PutText(other.fexo, &IFexoCtl::put_Page, L"\x00e9t\x00e9");
    PutText(other.fexo, &IFexoCtl::put_Zoom, L"\x00e9t\x00e9");
    PutText(other.fexo, &IFexoCtl::put_UserId, L"user");
    PutText(other.fexo, &IFexoCtl::put_Password, L"secret");
    EXPECT_EQ(other.fexo->put_MagSize(12), S_OK);
    Standin()->Reset();
    other.Activate();
    EXPECT_EQ(Journal(), New(12, std::string(kDefaultArguments) +
                                     " PAGE=\"\\xc3\\xa9t\\xc3\\xa9\" ZOOM=\"\\xe9t\\xe9\""
                                     " MAGSIZE=\"12\" USERID=\"user\" PASSWORD=\"secret\"") +
                             kSetWindow);
    BSTR userId = nullptr;
    EXPECT_EQ(other.fexo->get_UserId(&userId), S_OK);
    EXPECT_EQ(SysStringLen(userId), 0u) << "consumed";
    SysFreeString(userId);
    Standin()->Reset();
    EXPECT_EQ(other.PutSrc(L"http://127.0.0.1/a.fexo"), S_OK);
    EXPECT_EQ(other.PutSrc(L"http://127.0.0.1/b.fexo"), S_OK);
    EXPECT_EQ(Journal(), kDestroy +
                             New(10, std::string(kDefaultArguments) +
                                            " ZOOM=\"\\xe9t\\xe9\" ROTATE=\"0\" MAGSIZE=\"12\"") +
                             kSetWindow)
        << "no page, no credentials the second time";
}

// A process whose first control finds no plugin, after which the plugin is
// put in place (run with FEXO_SERVER_DLL naming a FexoCntl.DLL in a directory
// of its own): the control that then loads it is left with the count 0 and
// creates no instance; the next control loads again and does.
TEST(LatePlugin, NotFoundThenFoundThenLoadedAgain)
{
    if (!std::getenv("FEXO_SERVER_DLL")) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    const auto directoryOf = [](HMODULE module) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(module, path, MAX_PATH);
        const std::string text = path;
        return text.substr(0, text.rfind('\\') + 1);
    };
    const std::string plugin = directoryOf(ServerDll::Handle()) + "npfexo.dll";
    DeleteFileA(plugin.c_str());  // left by an earlier run

    Control missing;  // count -1
    missing.Activate();
    EXPECT_EQ(Standin(), nullptr);
    ASSERT_TRUE(CopyFileA((directoryOf(nullptr) + "npfexo.dll").c_str(), plugin.c_str(), FALSE));

    Control found;  // count 0: loaded, but no instance
    ASSERT_NE(Standin(), nullptr);
    EXPECT_EQ(Journal(), Handshake());
    Standin()->Reset();
    found.Activate();
    EXPECT_EQ(Journal(), "") << "count 0 creates no instance";

    Control loaded;  // old count 0: loads again, count 1
    EXPECT_EQ(Journal(), Handshake());
    Standin()->Reset();
    loaded.Activate();
    EXPECT_EQ(Journal(), New(7, kDefaultArguments) + kSetWindow);
}

}  // namespace
