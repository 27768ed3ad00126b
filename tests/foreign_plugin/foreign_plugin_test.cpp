// The control against a plugin built in Microsoft's C++ ABI (bin/foreign): an
// instance's whole life; every text representation the plugin answers is
// released once, through entry 0 of its own table with the flag that frees
// it (read over and over: an unbalanced 32-bit stack would not survive); and
// the password request in the record as that compiler lays it out.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
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

// A read of each slot of fexop_GetProperty, described as text.
template <class T, HRESULT (STDMETHODCALLTYPE IFexoCtl::*Get)(T*)>
std::string Read(IFexoCtl* control)
{
    T value{};
    EXPECT_EQ((control->*Get)(&value), S_OK);
    if constexpr (std::is_same_v<T, BSTR>) {
        const std::string text(value, value + SysStringLen(value));  // the answers are ASCII
        SysFreeString(value);
        return text;
    } else {
        return std::to_string(value);
    }
}
std::string (*const kReads[])(IFexoCtl*) = {
    Read<BSTR, &IFexoCtl::get_Menu>, Read<double, &IFexoCtl::get_DisplayGamma>,
    Read<LONG, &IFexoCtl::get_MaxCacheSize>, Read<short, &IFexoCtl::get_MagSize>,
    Read<LONG, &IFexoCtl::get_PrintMatchScreen>};
const char kAnswers[] = "foreign Menu 2.500000 77 33 1 ";
// Each read: the ask, then its representation released once.
const char kReadJournal[] =
    "fexop_GetProperty Menu\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty DisplayGamma\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty MaxCacheSize\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty MagSize\nrep destroyed count=-1\nrep freed\n"
    "fexop_GetProperty PrintMatchScreen\nrep destroyed count=-1\nrep freed\n";

TEST(ForeignPlugin, WholeLifeOfAnInstance)
{
    std::string journal;
    {
        fexo::test::HostedControl hosted(nullptr, true, true);
        IFexoCtl* control = hosted.Control();
        journal = TakeJournal();
        for (int round = 0; round < 300; ++round) {
            std::string answers;
            for (const auto read : kReads) answers += read(control) + " ";
            ASSERT_EQ(answers, kAnswers);
            ASSERT_EQ(TakeJournal(), kReadJournal) << "round " << round;
        }

        BSTR password = SysAllocString(L"pw");
        fexo::test::EventSink sink;
        sink.action = [control, password](DISPID id, DISPPARAMS&) {
            if (id == 11) control->put_Password(password);  // RequestPassword
        };
        ASSERT_NE(sink.Advise(control), 0u);
        Foreign<void(__cdecl*)()>("foreign_RequestPassword")();
        std::string& request = sink.events.back();  // without the control's identity
        request.erase(request.find(','), request.rfind(',') - request.find(','));
        EXPECT_EQ(request, "RequestPassword(\"http://127.0.0.1/doc.fexo\", 3)");
        SysFreeString(password);
    }
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_OK);
    // The tables' sizes are those of the natural layout of each architecture.
    EXPECT_EQ(journal + TakeJournal(),
              "NP_GetEntryPoints size=" + std::to_string(sizeof(void*) == 4 ? 52 : 104) +
                  "\nNP_Initialize size=" + std::to_string(sizeof(void*) == 4 ? 68 : 136) +
                  " version=9\nNPP_New image/vnd.fexo mode=1 SCROLLBARS=TRUE CACHE=FALSE "
                  "FRAME=TRUE KEYBOARD=TRUE LINKS=TRUE LOGO=TRUE POSTERROR=TRUE\n"
                  "NPP_SetWindow window\nfexop_SetProperty PASSWORD pw\n"
                  "password result=4 retry=3 url=http://127.0.0.1/doc.fexo texts=0ser,0ecret\n"
                  "NPP_Destroy\nNP_Shutdown\n");
}

}  // namespace
