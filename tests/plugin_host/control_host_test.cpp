// The control as the plugin sees it, through the stand-in's journal: the
// module's load and shutdown, the instance created on the control's window,
// replaced and destroyed, and the argument list it is created with; and
// (LatePlugin, its own process) a control directory whose plugin arrives late.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;

namespace {

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

// The instance's own calls; streams are the download tests' concern.
std::string Journal()
{
    std::string journal;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (std::string(entry->call).find("Stream") == std::string::npos &&
            std::string(entry->call).find("Write") == std::string::npos)
            journal += std::string(entry->call) + "(" + entry->arguments + ")\n";
    Standin()->Reset();
    return journal;
}

const std::string kHandshake =
    "NP_GetEntryPoints(size=" + std::to_string(sizeof(NPPluginFuncs)) +
    " version=0)\nNP_Initialize(size=" + std::to_string(sizeof(NPNetscapeFuncs)) +
    " version=9)\nfexop_ErrorFunc(callback=ptr)\nfexop_EventFunc(callback=ptr)\n"
    "fexop_ComplexEventFunc(callback=ptr)\nfexop_SetPasswordFunc(callback=ptr)\n";
const std::string kDefaults = "SCROLLBARS=\"TRUE\" CACHE=\"FALSE\" FRAME=\"TRUE\" KEYBOARD=\"TRUE\" "
                              "LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"TRUE\"";
const std::string kWindow = "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n";
const std::string kDestroy = "NPP_Destroy(save=ptr)\n";

std::string New(int argc, const std::string& arguments, const std::string& saved = "saved=null")
{
    return "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=" + std::to_string(argc) +
           (arguments.empty() ? "" : " " + arguments) + " " + saved + ")\n" + kWindow;
}

// One control object in its container.
struct Control {
    Control() { ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)); }
    ~Control()
    {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        EXPECT_EQ(ole->Release(), 0u);
        PumpMessages();
    }
    void Activate()
    {
        ole->SetClientSite(&container);
        RECT position = container.PositionRect();
        ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.HostWindow(),
                    &position);
        PumpMessages();
    }
    IFexoCtl* Fexo()
    {
        IFexoCtl* fexo = nullptr;
        ole->QueryInterface(IID_IFexoCtl, reinterpret_cast<void**>(&fexo));
        fexo->Release();  // the control holds it
        return fexo;
    }
    HRESULT Put(HRESULT (STDMETHODCALLTYPE IFexoCtl::*setter)(BSTR), const wchar_t* value)
    {
        BSTR text = value ? SysAllocString(value) : nullptr;
        const HRESULT hr = (Fexo()->*setter)(text);
        SysFreeString(text);
        PumpMessages();
        return hr;
    }
    HWND Window()
    {
        HWND window = nullptr;
        IOleWindow* inPlace = nullptr;
        if (SUCCEEDED(ole->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&inPlace))))
            inPlace->GetWindow(&window), inPlace->Release();
        return window;
    }
    fexo::test::TestContainer container;
    IOleObject* ole = nullptr;
};

// A metafile record as "type: numbers" (the rectangle, the alignment) or
// "type: x,y text".
int CALLBACK Describe(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM out)
{
    std::string line = std::to_string(record->iType) + ": ";
    const int numbers = record->iType == EMR_RECTANGLE ? 4 : record->iType == EMR_SETTEXTALIGN;
    for (int i = 0; i < numbers; ++i) line += std::to_string(LONG(record->dParm[i])) + " ";
    if (record->iType == EMR_EXTTEXTOUTW) {
        const EMRTEXT& text = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
        line += std::to_string(text.ptlReference.x) + "," + std::to_string(text.ptlReference.y);
        const auto* chars = reinterpret_cast<const wchar_t*>(
            reinterpret_cast<const BYTE*>(record) + text.offString);
        line += " " + std::string(chars, chars + text.nChars);
    }
    reinterpret_cast<std::vector<std::string>*>(out)->push_back(line);
    return 1;
}

class ControlHost : public testing::Test {
protected:
    // Each test starts with the plugin shut down, loaded first by the test so
    // that the control's load shows in the journal.
    void SetUp() override
    {
        ASSERT_EQ(ServerDll::CanUnloadNow(), S_OK);
        char bin[MAX_PATH];
        GetModuleFileNameA(ServerDll::Handle(), bin, MAX_PATH);
        std::strcpy(std::strrchr(bin, '\\') + 1, "npfexo.dll");
        StandinControlOf(LoadLibraryA(bin))->Reset();
    }
};

TEST_F(ControlHost, LoadedOnceInstancesReplacedSavedDataHandedOnShutDownByTheUnloadQuery)
{
    auto first = std::make_unique<Control>();
    auto second = std::make_unique<Control>();
    EXPECT_EQ(Journal(), kHandshake) << "the second control only counts up";
    first->Activate();
    const StandinEntry created = *Standin()->Entry(0);
    EXPECT_EQ(Journal(), New(7, kDefaults));
    EXPECT_EQ(created.pdata, nullptr);
    EXPECT_NE(created.ndata, nullptr) << "the control";
    first->ole->Close(OLECLOSE_NOSAVE);  // destroys only the window
    PumpMessages();
    first->Activate();  // a new window replaces the instance, in the same record
    EXPECT_EQ(Standin()->Entry(0)->instance, created.instance);
    EXPECT_EQ(Standin()->Entry(2)->pointers[1], first->Window());
    EXPECT_EQ(Journal(), kDestroy + New(7, kDefaults));
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE);

    second.reset();  // never activated: its instance was never created
    EXPECT_EQ(Standin()->Entry(0)->pdata, nullptr);
    Standin()->SaveDataOnDestroy("state", 5);
    first.reset();
    Standin()->SaveDataOnDestroy(nullptr, 0);
    EXPECT_EQ(Journal(), kDestroy + kDestroy) << "the last control gone: no NP_Shutdown";
    // Count 0 again: the next control loads anew and is given what the first left.
    auto third = std::make_unique<Control>();
    third->Activate();
    EXPECT_EQ(Journal(), kHandshake + New(7, kDefaults, "saved.len=5 saved.buf=\"state\""));
    third.reset();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    EXPECT_EQ(Journal(), kDestroy + "NP_Shutdown()\n");
}

// SRC stored before the window travels with the list, Rotate reset to "0".
// On a live instance a new address (or the same again) re-creates it, an
// empty one re-creates it without arguments, and without a document the
// address is only streamed into it.
TEST_F(ControlHost, SrcBeforeAndAfterTheWindow)
{
    Control control;
    EXPECT_EQ(control.Put(&IFexoCtl::put_SRC, L"http://127.0.0.1/a.fexo"), S_OK);
    Journal();
    control.Activate();
    const std::string recreated = kDestroy + New(8, kDefaults + " ROTATE=\"0\"");
    const std::string emptied = kDestroy + New(0, "");
    EXPECT_EQ(Journal(), New(8, kDefaults + " ROTATE=\"0\""));
    const struct {
        const wchar_t* address;
        HRESULT result;
        std::string journal;
    } kSteps[] = {
        {L"http://127.0.0.1/b.fexo", S_OK, recreated}, {L"http://127.0.0.1/b.fexo", S_OK, recreated},
        {L"", S_FALSE, emptied}, {nullptr, S_FALSE, emptied}, {L"http://127.0.0.1/c.fexo", S_OK, ""},
    };
    for (const auto& s : kSteps) {
        EXPECT_EQ(control.Put(&IFexoCtl::put_SRC, s.address), s.result);
        EXPECT_EQ(Journal(), s.journal) << (&s - kSteps);
    }
}

// Stored properties reach the list: the same non-ASCII text as UTF-8 for Page
// and in the ANSI code page for Zoom; MagSize as digits; the credentials
// only once.
TEST_F(ControlHost, StoredPropertiesBecomeTheArgumentList)
{
    Control control;
    control.Put(&IFexoCtl::put_Page, L"\x00e9t\x00e9");
    control.Put(&IFexoCtl::put_Zoom, L"\x00e9t\x00e9");
    control.Put(&IFexoCtl::put_UserId, L"user");
    control.Put(&IFexoCtl::put_Password, L"secret");
    control.Fexo()->put_MagSize(12);
    Journal();
    control.Activate();
    EXPECT_EQ(Journal(), New(12, kDefaults + " PAGE=\"\\xc3\\xa9t\\xc3\\xa9\" ZOOM=\"\\xe9t\\xe9\""
                                             " MAGSIZE=\"12\" USERID=\"user\" PASSWORD=\"secret\""));
    control.Put(&IFexoCtl::put_SRC, L"http://127.0.0.1/a.fexo");
    control.Put(&IFexoCtl::put_SRC, L"http://127.0.0.1/b.fexo");
    EXPECT_EQ(Journal(), kDestroy + New(10, kDefaults + " ZOOM=\"\\xe9t\\xe9\" ROTATE=\"0\" "
                                                        "MAGSIZE=\"12\""));
}

// Run with FEXO_SERVER_DLL naming a FexoCntl.DLL in a directory without the
// plugin: the first control draws the load error; the plugin put in place,
// the next control loads it but keeps the count 0 and creates no instance;
// the one after loads again and does.
TEST(LatePlugin, ErrorDrawnThenFoundThenLoadedAgain)
{
    if (!std::getenv("FEXO_SERVER_DLL")) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    char path[MAX_PATH];
    GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH);
    std::strcpy(std::strrchr(path, '\\') + 1, "npfexo.dll");
    DeleteFileA(path);  // left by an earlier run

    Control missing;
    IViewObject* view = nullptr;
    missing.ole->QueryInterface(IID_IViewObject, reinterpret_cast<void**>(&view));
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    const RECTL bounds{-31, 20, 211, 121};
    EXPECT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, recorder, &bounds,
                         nullptr, nullptr, 0), S_OK);
    view->Release();
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    std::vector<std::string> records;
    EnumEnhMetaFile(nullptr, metafile, Describe, &records, nullptr);
    DeleteEnhMetaFile(metafile);
    // The bounds (right and bottom exclusive), TA_CENTER | TA_BASELINE, and
    // the text at the centre, rounded towards zero.
    ASSERT_EQ(records.size(), 5u);
    EXPECT_EQ(records[1] + records[2], "43: -31 20 210 120 22: 30 ");
    EXPECT_EQ(records[3].substr(0, 34), "84: 90,70 InternalError: ErrorCode");
    EXPECT_EQ(records[3].substr(records[3].find(" : ")), " : Plugin DLL(npfexo.dll) can not be loaded");

    char bin[MAX_PATH];
    GetModuleFileNameA(nullptr, bin, MAX_PATH);
    std::strcpy(std::strrchr(bin, '\\') + 1, "npfexo.dll");
    ASSERT_TRUE(CopyFileA(bin, path, FALSE));
    Control found;  // count 0: loaded, but no instance
    EXPECT_EQ(Journal(), kHandshake);
    found.Activate();
    EXPECT_EQ(Journal(), "");
    Control loaded;  // old count 0: loads again, count 1
    loaded.Activate();
    EXPECT_EQ(Journal(), kHandshake + New(7, kDefaults));
}

}  // namespace
