// The control against a plugin built in Microsoft's C++ ABI (bin/foreign): an
// instance's whole life, every text representation the plugin answers
// released once through entry 0 of its own table with the flag that frees it
// (read over and over, so that an unbalanced 32-bit stack would not survive),
// and the callbacks with the password record as that compiler lays it out.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "event_sink.h"
#include "hosted_control.h"
#include "server_dll.h"

namespace {

template <class Function>
Function Foreign(const char* name)
{
    FARPROC address = GetProcAddress(GetModuleHandleA("npfexo.dll"), name);
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}
std::string TakeJournal() { return Foreign<const char*(__cdecl*)()>("foreign_TakeJournal")(); }

std::string Describe(BSTR text)
{
    std::string narrow(text, text + SysStringLen(text));  // the answers are ASCII
    SysFreeString(text);
    return narrow;
}
template <class Number>
std::string Describe(Number value)
{
    return std::to_string(value);
}
template <class T, HRESULT (STDMETHODCALLTYPE IFexoCtl::*Get)(T*)>
std::string Read(IFexoCtl* control)
{
    T value{};
    EXPECT_EQ((control->*Get)(&value), S_OK);
    return Describe(value);
}

// A read of each slot of fexop_GetProperty, and the document type.
const struct {
    std::string (*read)(IFexoCtl*);
    const char* answer;
} kReads[] = {
    {Read<BSTR, &IFexoCtl::get_Menu>, "foreign Menu"},
    {Read<double, &IFexoCtl::get_DisplayGamma>, "2.500000"},
    {Read<LONG, &IFexoCtl::get_MaxCacheSize>, "77"},
    {Read<short, &IFexoCtl::get_MagSize>, "33"},
    {Read<LONG, &IFexoCtl::get_PrintMatchScreen>, "1"},
    {Read<BSTR, &IFexoCtl::GetDocType>, "foreign document"},
};
// Each property read: the ask, then its representation released once.
const char kReadJournal[] =
    "fexop_GetProperty Menu\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty DisplayGamma\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty MaxCacheSize\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty MagSize\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty PrintMatchScreen\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetDocType\n";

TEST(ForeignPlugin, WholeLifeOfAnInstance)
{
    std::string journal;
    {
        fexo::test::HostedControl hosted(nullptr, true, true);
        IFexoCtl* control = hosted.Control();
        journal = TakeJournal();
        for (int round = 0; round < 300; ++round) {
            for (const auto& read : kReads) ASSERT_EQ(read.read(control), read.answer);
            ASSERT_EQ(TakeJournal(), kReadJournal) << "round " << round;
        }

        BSTR password = SysAllocString(L"pw");
        fexo::test::EventSink sink;
        sink.action = [control, password](DISPID id, DISPPARAMS&) {
            if (id == 11) control->put_Password(password);  // RequestPassword
        };
        ASSERT_NE(sink.Advise(control), 0u);
        Foreign<void(__cdecl*)()>("foreign_RunCallbacks")();
        const std::string& request = sink.events.back();
        EXPECT_EQ(request.substr(0, request.find(',')) + request.substr(request.rfind(',')),
                  "RequestPassword(\"http://127.0.0.1/doc.fexo\", 3)");
        sink.events.pop_back();
        EXPECT_EQ(sink.events, (std::vector<std::string>{
                                   "PlugInError(\"foreign error\")", "PageChange(7)",
                                   "HyperlinkClick(&-1, &\"http://127.0.0.1/link\", &\"_blank\", "
                                   "&\"a comment\")"}));
        SysFreeString(password);
    }
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_OK);
    // The tables' sizes are those of the natural layout of each architecture.
    EXPECT_EQ(journal + TakeJournal(),
              "NP_GetEntryPoints size=" + std::to_string(sizeof(void*) == 4 ? 52 : 104) +
                  "\nNP_Initialize size=" + std::to_string(sizeof(void*) == 4 ? 68 : 136) +
                  " version=9\n"
                  "NPP_New image/vnd.fexo mode=1 SCROLLBARS=TRUE CACHE=FALSE FRAME=TRUE "
                  "KEYBOARD=TRUE LINKS=TRUE LOGO=TRUE POSTERROR=TRUE\n"
                  "NPP_SetWindow 0x0 window\n"
                  "fexop_DoHyperlink http://127.0.0.1/link _blank a comment\n"
                  "fexop_SetProperty PASSWORD pw\n"
                  "password result=4 retry=3 url=http://127.0.0.1/doc.fexo texts=0ser,0ecret\n"
                  "NPP_Destroy\nNP_Shutdown\n");
}

}  // namespace
