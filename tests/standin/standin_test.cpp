// The stand-in plugin driven the way a browser drives a plugin: what its
// journal shows of each call and how it answers, which the control's tests
// rely on.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <string>
#include "plugin/fexop_exports.h"
#include "standin_control.h"

namespace {

HMODULE Standin()
{
    static HMODULE module = LoadLibraryA("npfexo.dll");
    return module;
}

template <class Function>
Function Export(const char* name)
{
    FARPROC address = GetProcAddress(Standin(), name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

char kMimeType[] = "image/vnd.fexo";

// A window whose own procedure counts what reaches it.
struct CountingWindow {
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_PAINT) ++paints;
        if (message == WM_USER) ++userMessages;
        return DefWindowProcW(window, message, wParam, lParam);
    }

    CountingWindow()
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"StandinTestWindow";
        RegisterClassW(&windowClass);
        handle = CreateWindowW(L"StandinTestWindow", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300,
                               200,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        paints = 0;
        userMessages = 0;
    }
    ~CountingWindow() { DestroyWindow(handle); }

    HWND handle;
    static inline int paints;
    static inline int userMessages;
};

class StandinTest : public testing::Test {
protected:
    void SetUp() override
    {
        standin = StandinControlOf(Standin());
        ASSERT_NE(standin, nullptr);
        standin->Reset();
        NPPluginFuncs table = {};
        table.size = sizeof table;
        ASSERT_EQ(Export<NP_GetEntryPointsFunc>("NP_GetEntryPoints")(&table), NPERR_NO_ERROR);
        plugin = table;
        standin->Reset();
    }

    NPError New(NPP instance, int16_t argc, char** argn, char** argv, NPSavedData* saved = nullptr)
    {
        return plugin.newp(kMimeType, instance, NP_EMBED, argc, argn, argv, saved);
    }

    std::string Journal() const { return standin->Journal(); }

    const StandinControl* standin = nullptr;
    NPPluginFuncs plugin = {};
    int browserSide = 0;  // what the instances' ndata points at
};

TEST_F(StandinTest, EntryPointsFillThePluginTableAndKeepTheBrowserTable)
{
    NPPluginFuncs table = {};
    table.size = 52;
    EXPECT_EQ(Export<NP_GetEntryPointsFunc>("NP_GetEntryPoints")(&table), NPERR_NO_ERROR);
    EXPECT_EQ(table.size, sizeof(NPPluginFuncs));
    EXPECT_EQ(table.version, NP_VERSION);
    for (auto entry : {reinterpret_cast<void*>(table.newp), reinterpret_cast<void*>(table.destroy),
                       reinterpret_cast<void*>(table.setwindow),
                       reinterpret_cast<void*>(table.newstream),
                       reinterpret_cast<void*>(table.destroystream),
                       reinterpret_cast<void*>(table.asfile),
                       reinterpret_cast<void*>(table.writeready),
                       reinterpret_cast<void*>(table.write), reinterpret_cast<void*>(table.print),
                       reinterpret_cast<void*>(table.event),
                       reinterpret_cast<void*>(table.urlnotify)}) {
        EXPECT_NE(entry, nullptr);
    }
    EXPECT_EQ(table.javaClass, nullptr);

    NPNetscapeFuncs browser = {};
    browser.size = sizeof browser;
    browser.version = NP_VERSION;
    EXPECT_EQ(standin->BrowserFuncs(), nullptr);
    EXPECT_EQ(Export<NP_InitializeFunc>("NP_Initialize")(&browser), NPERR_NO_ERROR);
    EXPECT_EQ(standin->BrowserFuncs(), &browser);
    EXPECT_EQ(Export<NP_ShutdownFunc>("NP_Shutdown")(), NPERR_NO_ERROR);
    EXPECT_EQ(standin->BrowserFuncs(), nullptr);

    EXPECT_EQ(Journal(), "NP_GetEntryPoints(size=52 version=0)\n"
                         "NP_Initialize(size=" + std::to_string(sizeof browser) + " version=11)\n"
                         "NP_Shutdown()\n");
    ASSERT_EQ(standin->Count(), 3);
    EXPECT_EQ(standin->Entry(0)->pointers[0], &table);
    EXPECT_EQ(standin->Entry(1)->pointers[0], &browser);
    EXPECT_EQ(standin->Entry(1)->instance, nullptr);
    EXPECT_EQ(standin->Entry(3), nullptr);
}

TEST_F(StandinTest, EntryPointsFailAsTold)
{
    EXPECT_TRUE(standin->SetResult("NP_GetEntryPoints", NPERR_GENERIC_ERROR));
    EXPECT_TRUE(standin->QueueResult("NP_Initialize", NPERR_INCOMPATIBLE_VERSION_ERROR));
    EXPECT_FALSE(standin->SetResult("NP_Unknown", 0));
    EXPECT_FALSE(standin->QueueResult(nullptr, 0));

    NPPluginFuncs table = {};
    table.size = 52;
    EXPECT_EQ(Export<NP_GetEntryPointsFunc>("NP_GetEntryPoints")(&table), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.size, 52) << "a failing call leaves the table alone";
    EXPECT_EQ(table.newp, nullptr);

    NPNetscapeFuncs browser = {};
    auto initialize = Export<NP_InitializeFunc>("NP_Initialize");
    EXPECT_EQ(initialize(&browser), NPERR_INCOMPATIBLE_VERSION_ERROR);
    EXPECT_EQ(standin->BrowserFuncs(), nullptr);
    EXPECT_EQ(initialize(&browser), NPERR_NO_ERROR) << "a queued result is used once";
    EXPECT_EQ(initialize(nullptr), NPERR_INVALID_FUNCTABLE_ERROR);

    standin->Reset();
    EXPECT_EQ(Export<NP_GetEntryPointsFunc>("NP_GetEntryPoints")(nullptr),
              NPERR_INVALID_FUNCTABLE_ERROR);
    EXPECT_EQ(Journal(), "NP_GetEntryPoints(null)\n");
}

TEST_F(StandinTest, InstanceRecordsItsArgumentsAndShowsThemInItsWindow)
{
    char name1[] = "SCROLLBARS", value1[] = "TRUE";
    char name2[] = "PAGE", value2[] = "\xc3\xa9t\xc3\xa9";
    char name3[] = "ZOOM", value3[] = "say \"hi\"";
    char* argn[] = {name1, name2, name3, nullptr};
    char* argv[] = {value1, value2, value3, nullptr};
    NPP_t instance = {nullptr, &browserSide};
    ASSERT_EQ(New(&instance, 3, argn, argv), NPERR_NO_ERROR);
    EXPECT_NE(instance.pdata, nullptr) << "the plugin keeps its state in pdata";
    EXPECT_EQ(instance.ndata, &browserSide);

    CountingWindow window;
    UpdateWindow(window.handle);
    ASSERT_EQ(CountingWindow::paints, 1);
    SetWindowLongPtrW(window.handle, GWLP_USERDATA, 0x5eed);
    const LONG_PTR original = GetWindowLongPtrW(window.handle, GWLP_WNDPROC);
    NPWindow record = {window.handle, 0, 0, 0, 0, {0, 0, 0, 0}};
    EXPECT_EQ(plugin.setwindow(&instance, &record), NPERR_NO_ERROR);

    EXPECT_EQ(Journal(),
              "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=3 SCROLLBARS=\"TRUE\" "
              "PAGE=\"\\xc3\\xa9t\\xc3\\xa9\" ZOOM=\"say \\x22hi\\x22\" saved=null)\n"
              "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n");
    const StandinEntry* created = standin->Entry(0);
    EXPECT_EQ(created->instance, &instance);
    EXPECT_EQ(created->pdata, nullptr) << "pdata as it was at entry";
    EXPECT_EQ(created->ndata, &browserSide);
    EXPECT_EQ(created->pointers[0], nullptr);
    const StandinEntry* windowed = standin->Entry(1);
    EXPECT_EQ(windowed->pdata, instance.pdata);
    EXPECT_EQ(windowed->pointers[0], &record);
    EXPECT_EQ(windowed->pointers[1], window.handle);

    // Subclassed: the stand-in paints, the window's own procedure still gets
    // everything else, and the window's user data is untouched.
    EXPECT_NE(GetWindowLongPtrW(window.handle, GWLP_WNDPROC), original);
    EXPECT_EQ(GetWindowLongPtrW(window.handle, GWLP_USERDATA), 0x5eed);
    EXPECT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE)) << "a new window shows the summary";
    UpdateWindow(window.handle);
    EXPECT_EQ(CountingWindow::paints, 1);
    EXPECT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE)) << "the stand-in painted";
    SendMessageW(window.handle, WM_USER, 0, 0);
    EXPECT_EQ(CountingWindow::userMessages, 1);
    EXPECT_STREQ(standin->Summary(&instance),
                 "type: image/vnd.fexo\nSCROLLBARS=TRUE\nPAGE=\xc3\xa9t\xc3\xa9\nZOOM=say \"hi\"\n");

    // Destroyed: the window gets its procedure back and the saved data its slot.
    standin->Reset();
    standin->SaveDataOnDestroy("state", 5);
    NPSavedData* saved = nullptr;
    EXPECT_EQ(plugin.destroy(&instance, &saved), NPERR_NO_ERROR);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(std::string(static_cast<const char*>(saved->buf), saved->len), "state");
    EXPECT_EQ(instance.pdata, nullptr);
    EXPECT_EQ(GetWindowLongPtrW(window.handle, GWLP_WNDPROC), original);
    EXPECT_EQ(standin->Summary(&instance), nullptr);
    EXPECT_EQ(standin->Entry(0)->pointers[0], &saved);
    EXPECT_EQ(standin->Entry(0)->pointers[1], saved);

    ASSERT_EQ(New(&instance, 0, nullptr, nullptr, saved), NPERR_NO_ERROR);
    EXPECT_EQ(standin->Entry(1)->pointers[0], saved);
    EXPECT_EQ(plugin.destroy(&instance, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(Journal(), "NPP_Destroy(save=ptr)\n"
                         "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=0 saved.len=5 "
                         "saved.buf=\"state\")\n"
                         "NPP_Destroy(save=null)\n");
}

TEST_F(StandinTest, StreamsRecordEveryBlockAndAnswerAsTold)
{
    NPP_t instance = {nullptr, &browserSide};
    ASSERT_EQ(New(&instance, 0, nullptr, nullptr), NPERR_NO_ERROR);
    CountingWindow window;
    NPWindow record = {window.handle, 0, 0, 0, 0, {0, 0, 0, 0}};
    plugin.setwindow(&instance, &record);
    standin->Reset();

    NPStream stream = {nullptr, &browserSide, "http://host/a.fexo", 0, 0, nullptr};
    uint16_t type = 0;
    EXPECT_EQ(plugin.newstream(&instance, kMimeType, &stream, false, &type), NPERR_NO_ERROR);
    EXPECT_EQ(type, NP_NORMAL);

    EXPECT_TRUE(standin->QueueResult("NPP_WriteReady", 100));
    EXPECT_EQ(plugin.writeready(&instance, &stream), 100);
    EXPECT_EQ(plugin.writeready(&instance, &stream), NP_MAXREADY);

    char block[300];
    for (int i = 0; i < 300; ++i) block[i] = static_cast<char>(i);
    UpdateWindow(window.handle);
    EXPECT_FALSE(GetUpdateRect(window.handle, nullptr, FALSE));
    EXPECT_EQ(plugin.write(&instance, &stream, 0, 300, block), 300) << "takes all by default";
    EXPECT_TRUE(GetUpdateRect(window.handle, nullptr, FALSE)) << "new bytes repaint the window";
    standin->QueueResult("NPP_Write", 120);
    standin->QueueResult("NPP_Write", -1);
    EXPECT_EQ(plugin.write(&instance, &stream, 300, 200, block + 100), 120);
    EXPECT_EQ(plugin.write(&instance, &stream, 420, 80, block + 220), -1);
    EXPECT_STREQ(standin->Summary(&instance),
                 "type: image/vnd.fexo\nstream 1: http://host/a.fexo (420 bytes)\n");
    EXPECT_EQ(plugin.destroystream(&instance, &stream, NPRES_DONE), NPERR_NO_ERROR);
    EXPECT_STREQ(standin->Summary(&instance),
                 "type: image/vnd.fexo\nstream 1: http://host/a.fexo (420 bytes, done)\n");

    char crc[3][16];
    const std::pair<const char*, size_t> blocks[] = {{block, 300}, {block + 100, 200},
                                                     {block + 220, 80}};
    for (int i = 0; i < 3; ++i) {
        snprintf(crc[i], sizeof crc[i], "0x%08x",
                 standin->Checksum(blocks[i].first, blocks[i].second));
    }
    EXPECT_EQ(Journal(),
              "NPP_NewStream(stream=1 type=\"image/vnd.fexo\" url=\"http://host/a.fexo\" end=0 "
              "lastmodified=0 notifyData=null seekable=0)\n"
              "NPP_WriteReady(stream=1)\n"
              "NPP_WriteReady(stream=1)\n"
              "NPP_Write(stream=1 offset=0 length=300 crc=" + std::string(crc[0]) + ")\n"
              "NPP_Write(stream=1 offset=300 length=200 crc=" + std::string(crc[1]) + ")\n"
              "NPP_Write(stream=1 offset=420 length=80 crc=" + std::string(crc[2]) + ")\n"
              "NPP_DestroyStream(stream=1 reason=0)\n");
    const StandinEntry* announced = standin->Entry(0);
    EXPECT_EQ(announced->pointers[0], &stream);
    EXPECT_EQ(announced->pointers[1], &type);
    EXPECT_EQ(announced->pointers[2], &browserSide);
    EXPECT_EQ(standin->Entry(3)->pointers[1], block);
    EXPECT_EQ(standin->Checksum("123456789", 9), 0xCBF43926u) << "the standard CRC-32";
    plugin.destroy(&instance, nullptr);
}

TEST_F(StandinTest, ExportsRecordEveryArgumentAndAnswerAsTold)
{
    NPP_t instance = {nullptr, &browserSide};
    standin->SetResult("fexop_GetDocPagesCount", 7);
    standin->SetResult("fexop_GetPageLength", 40000);
    EXPECT_EQ(Export<fexop_GetDocPagesCountProc>("fexop_GetDocPagesCount")(&instance), 7);
    EXPECT_EQ(Export<fexop_GetPageLengthProc>("fexop_GetPageLength")(&instance), -25536)
        << "a 16-bit result";
    EXPECT_EQ(Export<fexop_GetPageWidthProc>("fexop_GetPageWidth")(&instance), 0);

    Export<fexop_SetPropertyProc>("fexop_SetProperty")(&instance, "Zoom", "150", 0.0, 0, 0, false);
    Export<fexop_SetPropertyProc>("fexop_SetProperty")(&instance, "DisplayGamma", nullptr, 2.2, 0,
                                                       0, false);
    Export<fexop_SetPropertyProc>("fexop_SetProperty")(&instance, "MagSize", nullptr, 0.0, -1, 12,
                                                       true);
    Export<fexop_SearchTextProc>("fexop_SearchText")(&instance, "r\xc3\xa9sum\xc3\xa9", true, false,
                                                     true, 0xff00);
    Export<fexop_PrintDocToProc>("fexop_PrintDocTo")(&instance, nullptr, 1, 3, 2, "", 6);
    Export<fexop_OpenDlgCommandProc>("fexop_OpenDlgCommand")(nullptr, "CmdPrint");
    Export<fexop_DoHyperlinkProc>("fexop_DoHyperlink")(&instance, "http://x/", nullptr, "c");

    standin->SetDocType(L"Fexo 3");
    wchar_t* docType = nullptr;
    Export<fexop_GetDocTypeProc>("fexop_GetDocType")(&instance, &docType);
    ASSERT_NE(docType, nullptr);
    EXPECT_STREQ(docType, L"Fexo 3");
    EXPECT_EQ(SysStringLen(docType), 6u) << "a BSTR";
    SysFreeString(docType);

    EXPECT_EQ(Journal(),
              "fexop_GetDocPagesCount()\n"
              "fexop_GetPageLength()\n"
              "fexop_GetPageWidth()\n"
              "fexop_SetProperty(name=\"Zoom\" text=\"150\" number=0 integer=0 short=0 flag=0)\n"
              "fexop_SetProperty(name=\"DisplayGamma\" text=null number=2.2 integer=0 short=0 "
              "flag=0)\n"
              "fexop_SetProperty(name=\"MagSize\" text=null number=0 integer=-1 short=12 flag=1)\n"
              "fexop_SearchText(text=\"r\\xc3\\xa9sum\\xc3\\xa9\" matchCase=1 wholeWord=0 "
              "allMatches=1 colour=0x0000ff00)\n"
              "fexop_PrintDocTo(reserved=null start=1 end=3 zoom=2 printer=\"\" options=6)\n"
              "fexop_OpenDlgCommand(command=\"CmdPrint\")\n"
              "fexop_DoHyperlink(url=\"http://x/\" target=null comment=\"c\")\n"
              "fexop_GetDocType(docType=ptr)\n");
    EXPECT_EQ(standin->Entry(0)->instance, &instance);
    EXPECT_EQ(standin->Entry(0)->ndata, &browserSide);
    EXPECT_EQ(standin->Entry(8)->instance, nullptr);
}

TEST_F(StandinTest, PropertyReadFillsTheStringObjectWithARepresentationOfItsOwn)
{
    NPP_t instance = {nullptr, &browserSide};
    auto getProperty = Export<fexop_GetPropertyProc>("fexop_GetProperty");
    StandinAnswer zoom = {"150%", 0, 0, 0, 0, false};
    standin->SetAnswer("ZOOM", &zoom);
    StandinAnswer magSize = {nullptr, STANDIN_SLOT_SHORT | STANDIN_SLOT_NUMBER, 1.5, 0, 12, false};
    standin->SetAnswer("MagSize", &magSize);
    {
        GUTF8String text;
        getProperty(&instance, "ZOOM", &text, nullptr, nullptr, nullptr, nullptr);
        EXPECT_STREQ(text.Text(), "150%");
        EXPECT_EQ(standin->LiveStrings(), 1);

        getProperty(&instance, "ZOOM", &text, nullptr, nullptr, nullptr, nullptr);
        EXPECT_EQ(standin->LiveStrings(), 1) << "the replaced representation was destroyed";
        GUTF8String copy = text;
        EXPECT_EQ(text.Rep()->count, 2);
    }
    EXPECT_EQ(standin->LiveStrings(), 0) << "destroyed through the stand-in's destructor";

    GUTF8String text;
    int16_t shortValue = 3;
    bool flag = true;
    double number = 0;
    getProperty(&instance, "MagSize", &text, nullptr, nullptr, &shortValue, &flag);
    EXPECT_EQ(shortValue, 12);
    EXPECT_TRUE(flag) << "a slot the answer does not name keeps its value";
    EXPECT_EQ(text.Rep(), nullptr);
    EXPECT_STREQ(text.Text(), "");
    getProperty(&instance, "Unknown", &text, &number, nullptr, &shortValue, nullptr);
    EXPECT_EQ(number, 0);
    EXPECT_EQ(shortValue, 12);
    standin->SetAnswer("MagSize", nullptr);
    getProperty(&instance, "MagSize", nullptr, &number, nullptr, nullptr, nullptr);
    EXPECT_EQ(number, 0) << "the answer was removed";

    const std::string noSlots = " number=null integer=null short=null flag=null)\n";
    EXPECT_EQ(Journal(),
              "fexop_GetProperty(name=\"ZOOM\" text=empty" + noSlots +
              "fexop_GetProperty(name=\"ZOOM\" text=\"150%\"" + noSlots +
              "fexop_GetProperty(name=\"MagSize\" text=empty number=null integer=null short=ptr "
              "flag=ptr)\n"
              "fexop_GetProperty(name=\"Unknown\" text=empty number=ptr integer=null short=ptr "
              "flag=null)\n"
              "fexop_GetProperty(name=\"MagSize\" text=null number=ptr integer=null short=null "
              "flag=null)\n");
    const StandinEntry* read = standin->Entry(2);
    EXPECT_EQ(read->pointers[0], &text);
    EXPECT_EQ(read->pointers[3], &shortValue);
    EXPECT_EQ(read->pointers[4], &flag);
}

struct EventSeen {
    NPP instance;
    std::string name;
    int32_t value1;
    int32_t value2;
};
EventSeen g_eventSeen;

void NP_CALL RecordEvent(NPP instance, const char* name, const char*, int32_t, int32_t,
                         int32_t value1, int32_t value2)
{
    g_eventSeen = {instance, name, value1, value2};
}

TEST_F(StandinTest, RegisteredCallbacksAreKeptForTheTestToCall)
{
    Export<fexop_EventFuncProc>("fexop_EventFunc")(RecordEvent);
    Export<fexop_ErrorFuncProc>("fexop_ErrorFunc")(nullptr);
    EXPECT_EQ(Journal(), "fexop_EventFunc(callback=ptr)\nfexop_ErrorFunc(callback=null)\n");
    EXPECT_EQ(standin->Entry(0)->pointers[0], reinterpret_cast<const void*>(RecordEvent));

    standin->Reset();
    const StandinCallbacks* callbacks = standin->Callbacks();
    ASSERT_EQ(callbacks->event, RecordEvent) << "registrations outlive a reset";
    EXPECT_EQ(callbacks->error, nullptr);
    NPP_t instance = {nullptr, &browserSide};
    callbacks->event(&instance, "PageChange", nullptr, 0, 0, 12, -1);
    EXPECT_EQ(g_eventSeen.instance, &instance);
    EXPECT_EQ(g_eventSeen.name, "PageChange");
    EXPECT_EQ(g_eventSeen.value1, 12);
    EXPECT_EQ(g_eventSeen.value2, -1);
}

TEST_F(StandinTest, BadInstancesAndOddOrdersAreRecordedNotTrusted)
{
    EXPECT_EQ(plugin.newp(nullptr, nullptr, NP_EMBED, 2, nullptr, nullptr, nullptr),
              NPERR_INVALID_INSTANCE_ERROR);
    EXPECT_EQ(plugin.destroy(nullptr, nullptr), NPERR_INVALID_INSTANCE_ERROR);
    NPP_t foreign = {reinterpret_cast<void*>(0x1234), nullptr};
    EXPECT_EQ(plugin.destroy(&foreign, nullptr), NPERR_NO_ERROR) << "destroy without new";
    EXPECT_EQ(foreign.pdata, reinterpret_cast<void*>(0x1234)) << "foreign pdata is left alone";
    EXPECT_EQ(plugin.setwindow(&foreign, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(plugin.write(&foreign, nullptr, 0, 5, nullptr), 5);
    EXPECT_EQ(plugin.newstream(nullptr, nullptr, nullptr, 0, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(Journal(), "NPP_New(type=null mode=1 argc=2 argn=null argv=null saved=null)\n"
                         "NPP_Destroy(save=null)\n"
                         "NPP_Destroy(save=null)\n"
                         "NPP_SetWindow(null)\n"
                         "NPP_Write(stream=0 offset=0 length=5 crc=0x00000000)\n"
                         "NPP_NewStream(stream=0 type=null seekable=0)\n");
    EXPECT_EQ(standin->Summary(&foreign), nullptr);
    EXPECT_EQ(standin->Summary(nullptr), nullptr);

    // The window goes first (a deactivated control), the instance later.
    NPP_t instance = {nullptr, &browserSide};
    ASSERT_EQ(New(&instance, 0, nullptr, nullptr), NPERR_NO_ERROR);
    {
        CountingWindow window;
        NPWindow record = {window.handle, 0, 0, 0, 0, {0, 0, 0, 0}};
        plugin.setwindow(&instance, &record);
    }
    EXPECT_NE(standin->Summary(&instance), nullptr);
    EXPECT_EQ(plugin.destroy(&instance, nullptr), NPERR_NO_ERROR);

    // A second NPP_New on a live record replaces its instance.
    ASSERT_EQ(New(&instance, 0, nullptr, nullptr), NPERR_NO_ERROR);
    void* first = instance.pdata;
    ASSERT_EQ(New(&instance, 0, nullptr, nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(standin->Entry(standin->Count() - 1)->pdata, first);
    EXPECT_NE(standin->Summary(&instance), nullptr);
    plugin.destroy(&instance, nullptr);
}

}  // namespace
