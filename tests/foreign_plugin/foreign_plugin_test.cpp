// The control against a plugin built in Microsoft's C++ ABI (bin/foreign):
// every text the plugin answers comes back and its representation is
// destroyed once, through entry 0 of its own table with the flag that frees
// it; and an instance's whole life works across the two compilers.
#include <gtest/gtest.h>
#include <windows.h>
#include <oleauto.h>
#include <fstream>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "event_sink.h"
#include "foreign_plugin.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "server_dll.h"
#include "test_bytes.h"

namespace {

using fexo::test::HostedControl;

template <class Function>
Function Foreign(const char* name)
{
    FARPROC address = GetProcAddress(GetModuleHandleA("npfexo.dll"), name);
    if (!address) throw std::runtime_error(std::string("the foreign plugin lacks ") + name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}

std::string Journal() { return Foreign<foreign_JournalProc>("foreign_Journal")(); }
void ClearJournal() { Foreign<foreign_ClearProc>("foreign_Clear")(); }
ForeignCounts Counts()
{
    ForeignCounts counts{};
    Foreign<foreign_CountsProc>("foreign_Counts")(&counts);
    return counts;
}

// Takes the string (the answers are ASCII).
std::string Describe(BSTR text)
{
    std::string narrow;
    for (UINT i = 0; text && i < SysStringLen(text); ++i) narrow += static_cast<char>(text[i]);
    SysFreeString(text);
    return narrow;
}
template <class Number>
std::string Describe(Number value)
{
    return std::to_string(value);
}

// Reads one member of the control and describes what it answered.
using Reader = std::string (*)(IFexoCtl*);
template <class T, HRESULT (STDMETHODCALLTYPE IFexoCtl::*Get)(T*)>
std::string Read(IFexoCtl* control)
{
    T value{};
    EXPECT_EQ((control->*Get)(&value), S_OK);
    return Describe(value);
}

struct TextRead {
    Reader read;
    const char* key;  // the key the plugin is asked for; null: no property read
    const char* answer;
};

// Every read that asks the plugin: the plugin answers "foreign <key>" to
// each, and 2.5, 77, 33 or true in the numeric slots.
const TextRead kReads[] = {
    {Read<BSTR, &IFexoCtl::get_Align>, "HAlign", "foreign HAlign"},
    {Read<BSTR, &IFexoCtl::get_HAlign>, "HAlign", "foreign HAlign"},
    {Read<BSTR, &IFexoCtl::get_Menu>, "Menu", "foreign Menu"},
    {Read<BSTR, &IFexoCtl::get_Mode>, "Mode", "foreign Mode"},
    {Read<BSTR, &IFexoCtl::get_DisplayMode>, "DisplayMode", "foreign DisplayMode"},
    {Read<BSTR, &IFexoCtl::get_Page>, "PAGE", "foreign PAGE"},
    {Read<BSTR, &IFexoCtl::get_Rotate>, "ROTATE", "foreign ROTATE"},
    {Read<BSTR, &IFexoCtl::get_VAlign>, "VAlign", "foreign VAlign"},
    {Read<BSTR, &IFexoCtl::get_Zoom>, "ZOOM", "foreign ZOOM"},
    {Read<BSTR, &IFexoCtl::get_NavPane>, "NavPane", "foreign NavPane"},
    {Read<BSTR, &IFexoCtl::get_MouseMode>, "MouseMode", "foreign MouseMode"},
    {Read<BSTR, &IFexoCtl::get_HyperlinkShowAllKey>, "HyperlinkShowAllKey",
     "foreign HyperlinkShowAllKey"},
    {Read<BSTR, &IFexoCtl::get_HelpURL>, "HelpURL", "foreign HelpURL"},
    {Read<BSTR, &IFexoCtl::get_LogoImage>, "LogoImage", "foreign LogoImage"},
    {Read<BSTR, &IFexoCtl::get_ShowPosition>, "ShowPosition", "foreign ShowPosition"},
    {Read<BSTR, &IFexoCtl::get_PageText>, "PageText", "foreign PageText"},
    {Read<BSTR, &IFexoCtl::get_SelectedText>, "SelectedText", "foreign SelectedText"},
    {Read<BSTR, &IFexoCtl::get_Layout>, "Layout", "foreign Layout"},
    {Read<BSTR, &IFexoCtl::get_Prefetch>, "PREFETCH", "foreign PREFETCH"},
    {Read<BSTR, &IFexoCtl::get_Cache>, "Cache", "TRUE"},
    {Read<BSTR, &IFexoCtl::get_Frame>, "Frame", "TRUE"},
    {Read<BSTR, &IFexoCtl::get_Keyboard>, "Keyboard", "TRUE"},
    {Read<BSTR, &IFexoCtl::get_Links>, "Links", "TRUE"},
    {Read<BSTR, &IFexoCtl::get_Logo>, "Logo", "TRUE"},
    {Read<BSTR, &IFexoCtl::get_ScrollBars>, "ScrollBars", "TRUE"},
    {Read<double, &IFexoCtl::get_DisplayGamma>, "DisplayGamma", "2.500000"},
    {Read<double, &IFexoCtl::get_PrintGamma>, "PrintGamma", "2.500000"},
    {Read<LONG, &IFexoCtl::get_PrintMatchScreen>, "PrintMatchScreen", "1"},
    {Read<LONG, &IFexoCtl::get_PrintHighQuality>, "PrintHighQuality", "1"},
    {Read<short, &IFexoCtl::get_MagSize>, "MagSize", "33"},
    {Read<short, &IFexoCtl::get_MagZoom>, "MagZoom", "33"},
    {Read<LONG, &IFexoCtl::get_ZoomFast>, "ZoomFast", "1"},
    {Read<LONG, &IFexoCtl::get_HyperlinkSimpleBorder>, "HyperlinkSimpleBorder", "1"},
    {Read<LONG, &IFexoCtl::get_ThumbnailFast>, "ThumbnailFast", "1"},
    {Read<LONG, &IFexoCtl::get_ThumbnailSmart>, "ThumbnailSmart", "1"},
    {Read<LONG, &IFexoCtl::get_MaxCacheSize>, "MaxCacheSize", "77"},
    {Read<BSTR, &IFexoCtl::GetDocType>, nullptr, "foreign document"},
};

// What one read leaves in the plugin's journal: the ask, then the release of
// the representation it made (the id-th) through entry 0 with flag 1.
std::string ReadJournal(const TextRead& read, int id)
{
    if (!read.key) return "fexop_GetDocType\n";
    return std::string("fexop_GetProperty ") + read.key + "\nrep " + std::to_string(id) +
           " destroyed count=-1\nrep freed\n";
}

void ExpectAllReleasedOnce()
{
    const ForeignCounts counts = Counts();
    EXPECT_EQ(counts.destroyed, counts.created);
    EXPECT_EQ(counts.freed, counts.created);
    EXPECT_EQ(counts.wrongEntries, 0);
}

void ReadEverything(IFexoCtl* control)
{
    for (const TextRead& read : kReads) {
        const ForeignCounts before = Counts();
        ClearJournal();
        EXPECT_EQ(read.read(control), read.answer) << read.answer;
        EXPECT_EQ(Journal(), ReadJournal(read, before.created + 1));
    }
    ExpectAllReleasedOnce();
}

std::string Replaced(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// Load, NPP_New with the argument list, SetWindow, a network and a local
// stream, every read, the four callbacks, teardown and unload.
TEST(ForeignPlugin, WholeLifeOfAnInstance)
{
    fexo::test::LoopbackHttpServer server;
    server.Serve("/net.fexo", fexo::test::HttpResponse(200, fexo::test::Bytes(5000, 1)));
    char localPath[MAX_PATH];
    GetFullPathNameA("foreign_local.fexo", MAX_PATH, localPath, nullptr);
    std::ofstream(localPath, std::ios::binary) << fexo::test::Bytes(9000, 2);

    std::string journal;
    {
        HostedControl hosted(nullptr, true, true);
        IFexoCtl* control = hosted.Control();
        BSTR password = SysAllocString(L"pw");
        fexo::test::EventSink sink;
        sink.action = [control, password](DISPID id, DISPPARAMS&) {
            if (id == 11) control->put_Password(password);
        };
        ASSERT_NE(sink.Advise(control), 0u);

        BSTR url = SysAllocString(server.WideUrl("/net.fexo").c_str());
        control->put_SRC(url);
        SysFreeString(url);
        const auto delivered = [](const char* bytes) {
            return [bytes] { return Journal().find(bytes) != std::string::npos; };
        };
        ASSERT_TRUE(fexo::test::PumpUntil(delivered("bytes=5000"))) << Journal();
        Foreign<foreign_GetURLProc>("foreign_GetURL")((std::string("file:///") + localPath).c_str());
        ASSERT_TRUE(fexo::test::PumpUntil(delivered("bytes=9000"))) << Journal();
        journal = Journal();

        ReadEverything(control);
        ClearJournal();
        Foreign<foreign_RunCallbacksProc>("foreign_RunCallbacks")();
        sink.events.back() = std::regex_replace(sink.events.back(), std::regex(", -?\\d+,"), ", id,");
        EXPECT_EQ(sink.events, (std::vector<std::string>{
                                   "PlugInError(\"foreign error\")",
                                   "PageChange(7)",
                                   "HyperlinkClick(&-1, &\"http://127.0.0.1/link\", &\"_blank\", "
                                   "&\"a comment\")",
                                   "RequestPassword(\"http://127.0.0.1/doc.fexo\", id, 3)",
                               }));
        journal += Journal();
        ClearJournal();
        SysFreeString(password);
    }
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_OK);
    journal += Journal();
    // The two records' sizes are those of the natural layout of each architecture.
    EXPECT_EQ(Replaced(Replaced(journal, server.Url(""), "http://server"), localPath, "local"),
              "NP_GetEntryPoints size=" + std::string(sizeof(void*) == 4 ? "52" : "104") +
                  "\n"
                  "NP_Initialize size=" + std::string(sizeof(void*) == 4 ? "68" : "136") +
                  " version=9\n"
                  "fexop_ErrorFunc\n"
                  "fexop_EventFunc\n"
                  "fexop_ComplexEventFunc\n"
                  "fexop_SetPasswordFunc\n"
                  "NPP_New image/vnd.fexo mode=1 SCROLLBARS=TRUE CACHE=FALSE FRAME=TRUE "
                  "KEYBOARD=TRUE LINKS=TRUE LOGO=TRUE POSTERROR=TRUE\n"
                  "NPP_SetWindow 0x0 window\n"
                  "NPP_NewStream image/vnd.fexo http://server/net.fexo end=0 seekable=0\n"
                  "NPP_DestroyStream http://server/net.fexo bytes=5000 reason=0\n"
                  "NPP_NewStream image/vnd.fexo file:///local end=0 seekable=0\n"
                  "NPP_DestroyStream file:///local bytes=9000 reason=0\n"
                  "fexop_DoHyperlink http://127.0.0.1/link _blank a comment\n"
                  "fexop_SetProperty PASSWORD pw\n"
                  "password result=4 retry=3 url=http://127.0.0.1/doc.fexo texts=0ser,0ecret\n"
                  "NPP_Destroy\n"
                  "NP_Shutdown\n");
    ExpectAllReleasedOnce();
    DeleteFileA(localPath);
}

TEST(ForeignPlugin, TextsComeBackAndEachRepresentationIsDestroyedOnceThroughEntryZero)
{
    HostedControl hosted(nullptr, true, true);
    ReadEverything(hosted.Control());
}

// A release that unbalanced the 32-bit stack would not survive this.
TEST(ForeignPlugin, ThousandsOfReadsReleaseEverything)
{
    HostedControl hosted(nullptr, true, true);
    for (int round = 0; round < 2000; ++round) {
        for (const TextRead& read : {kReads[3], kReads[1], kReads[5], kReads[6], kReads[17]})
            ASSERT_EQ(read.read(hosted.Control()), read.answer);
        if (round % 100 == 0) ClearJournal();
    }
    ExpectAllReleasedOnce();
    EXPECT_GE(Counts().created, 10000);
}

}  // namespace
