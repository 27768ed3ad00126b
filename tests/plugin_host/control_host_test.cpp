// The control as the plugin sees it, through the stand-in's journal: the
// module's load and shutdown, the instance created on the control's window,
// replaced and destroyed, and its argument list; and (LatePlugin, a process
// of its own) the load error drawn, then a plugin that arrives late.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include "FexoCtl.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;

namespace {

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

// The instance's calls since the last look; streams are the download tests'.
std::string Journal()
{
    std::string journal;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (!std::strstr(entry->call, "Stream") && !std::strstr(entry->call, "Write"))
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
const std::string kDestroy = "NPP_Destroy(save=ptr)\n";

// NPP_New, then NPP_SetWindow before the window has its size.
std::string New(int argc, const std::string& arguments, const char* saved = "saved=null")
{
    return "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=" + std::to_string(argc) +
           (argc ? " " : "") + arguments + " " + saved +
           ")\nNPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n";
}

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
    template <class Interface>
    Interface* As(REFIID iid)  // held by the control
    {
        Interface* object = nullptr;
        ole->QueryInterface(iid, reinterpret_cast<void**>(&object));
        object->Release();
        return object;
    }
    HRESULT Put(HRESULT (STDMETHODCALLTYPE IFexoCtl::*setter)(BSTR), const wchar_t* value)
    {
        BSTR text = value ? SysAllocString(value) : nullptr;
        const HRESULT hr = (As<IFexoCtl>(IID_IFexoCtl)->*setter)(text);
        SysFreeString(text);
        PumpMessages();
        return hr;
    }
    fexo::test::TestContainer container;
    IOleObject* ole = nullptr;
};

// One process's controls, the plugin loaded by the test first so that the
// control's load shows in the journal.  Stored properties reach the list: the
// same non-ASCII text as UTF-8 for Page and in the ANSI code page for Zoom,
// MagSize as digits, the credentials once, SRC (which resets Page) with
// Rotate reset to "0".  On a live instance a new address (or the same again)
// re-creates it, an empty one re-creates it without arguments, and without a
// document the address is only streamed into it.
TEST(ControlHost, OneLoadInstancesArgumentsSavedDataAndTheUnloadQuery)
{
    char path[MAX_PATH];
    GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH);
    std::strcpy(std::strrchr(path, '\\') + 1, "npfexo.dll");
    StandinControlOf(LoadLibraryA(path))->Reset();
    auto first = std::make_unique<Control>();
    auto second = std::make_unique<Control>();
    EXPECT_EQ(Journal(), kHandshake) << "the second control only counts up";
    first->Put(&IFexoCtl::put_SRC, L"http://127.0.0.1/a.fexo");
    first->Put(&IFexoCtl::put_Page, L"\x00e9t\x00e9");
    first->Put(&IFexoCtl::put_Zoom, L"\x00e9t\x00e9");
    first->Put(&IFexoCtl::put_UserId, L"user");
    first->Put(&IFexoCtl::put_Password, L"secret");
    first->As<IFexoCtl>(IID_IFexoCtl)->put_MagSize(12);
    Journal();  // the writes sent on: the property tests' concern
    first->Activate();
    const StandinEntry created = *Standin()->Entry(0);
    const std::string zoomRotateMagSize = " ZOOM=\"\\xe9t\\xe9\" ROTATE=\"0\" MAGSIZE=\"12\"";
    EXPECT_EQ(Journal(), New(13, kDefaults + " PAGE=\"\\xc3\\xa9t\\xc3\\xa9\"" + zoomRotateMagSize +
                                     " USERID=\"user\" PASSWORD=\"secret\""));
    EXPECT_EQ(created.pdata, nullptr);
    EXPECT_NE(created.ndata, nullptr) << "the control";
    first->ole->Close(OLECLOSE_NOSAVE);  // destroys only the window
    first->Activate();  // a new window replaces the instance, in the same record
    EXPECT_EQ(Standin()->Entry(0)->instance, created.instance);
    HWND window = nullptr;
    first->As<IOleWindow>(IID_IOleWindow)->GetWindow(&window);
    EXPECT_EQ(Standin()->Entry(2)->pointers[1], window);
    const std::string recreated = kDestroy + New(10, kDefaults + zoomRotateMagSize);
    EXPECT_EQ(Journal(), kDestroy + New(11, kDefaults + " PAGE=\"\\xc3\\xa9t\\xc3\\xa9\"" + zoomRotateMagSize));
    const struct {
        const wchar_t* address;
        HRESULT result;
        std::string journal;
    } kSteps[] = {{L"http://127.0.0.1/b.fexo", S_OK, recreated},
                  {L"http://127.0.0.1/b.fexo", S_OK, recreated},
                  {L"", S_FALSE, kDestroy + New(0, "")},
                  {nullptr, S_FALSE, kDestroy + New(0, "")},
                  {L"http://127.0.0.1/c.fexo", S_OK, ""}};
    for (const auto& s : kSteps) {
        EXPECT_EQ(first->Put(&IFexoCtl::put_SRC, s.address), s.result);
        EXPECT_EQ(Journal(), s.journal) << (&s - kSteps);
    }
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_FALSE);

    second.reset();  // never activated: its instance was never created
    EXPECT_EQ(Standin()->Entry(0)->pdata, nullptr);
    Standin()->SaveDataOnDestroy("state", 5);
    first.reset();
    Standin()->SaveDataOnDestroy(nullptr, 0);
    EXPECT_EQ(Journal(), kDestroy + kDestroy) << "the last control gone: no NP_Shutdown";
    auto third = std::make_unique<Control>();  // count 0: loads anew, given what the first left
    third->Activate();
    EXPECT_EQ(Journal(), kHandshake + New(7, kDefaults, "saved.len=5 saved.buf=\"state\""));
    third.reset();
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK);
    EXPECT_EQ(Journal(), kDestroy + "NP_Shutdown()\n");
}

// A metafile record as "type numbers" or "type x,y text".
int CALLBACK Describe(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM out)
{
    std::string& text = *reinterpret_cast<std::string*>(out);
    if (record->iType == EMR_HEADER || record->iType == EMR_EOF) return 1;
    text += std::to_string(record->iType);
    if (record->iType == EMR_EXTTEXTOUTW) {
        const EMRTEXT& t = reinterpret_cast<const EMREXTTEXTOUTW*>(record)->emrtext;
        const auto* chars = reinterpret_cast<const wchar_t*>(
            reinterpret_cast<const BYTE*>(record) + t.offString);
        text += " " + std::to_string(t.ptlReference.x) + "," + std::to_string(t.ptlReference.y) +
                " " + std::string(chars, chars + t.nChars);
    } else {
        for (DWORD i = 0; i < record->nSize / 4 - 2; ++i)
            text += " " + std::to_string(LONG(record->dParm[i]));
    }
    text += "\n";
    return 1;
}

// Run with FEXO_SERVER_DLL naming a FexoCntl.DLL in a directory without the
// plugin: the first control draws the load error; the plugin put in place,
// the next control loads it but keeps the count 0 and creates no instance;
// the one after loads again and does.
TEST(LatePlugin, ErrorDrawnThenFoundThenLoadedAgain)
{
    if (!std::getenv("FEXO_SERVER_DLL")) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    char plugin[MAX_PATH], standin[MAX_PATH];
    GetModuleFileNameA(ServerDll::Handle(), plugin, MAX_PATH);
    std::strcpy(std::strrchr(plugin, '\\') + 1, "npfexo.dll");
    GetModuleFileNameA(nullptr, standin, MAX_PATH);
    std::strcpy(std::strrchr(standin, '\\') + 1, "npfexo.dll");
    DeleteFileA(plugin);  // left by an earlier run

    Control missing;
    HDC recorder = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    const RECTL bounds{-31, 20, 211, 121};
    EXPECT_EQ(missing.As<IViewObject>(IID_IViewObject)->Draw(
                  DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, recorder, &bounds, nullptr,
                  nullptr, 0), S_OK);
    HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
    std::string records;
    EnumEnhMetaFile(nullptr, metafile, Describe, &records, nullptr);
    DeleteEnhMetaFile(metafile);
    // The bounds (right and bottom exclusive), TA_CENTER | TA_BASELINE, and
    // the text at the centre, rounded towards zero.
    const std::size_t code = records.find("ErrorCode ");
    ASSERT_NE(code, std::string::npos) << records;
    EXPECT_EQ(records.substr(0, code) + records.substr(records.find(" : ")),
              "43 -31 20 210 120\n22 30\n84 90,70 InternalError: "
              " : Plugin DLL(npfexo.dll) can not be loaded\n");

    ASSERT_TRUE(CopyFileA(standin, plugin, FALSE));
    Control found;
    EXPECT_EQ(Journal(), kHandshake);
    found.Activate();
    EXPECT_EQ(Journal(), "");
    Control loaded;
    loaded.Activate();
    EXPECT_EQ(Journal(), kHandshake + New(7, kDefaults));
}

}  // namespace
