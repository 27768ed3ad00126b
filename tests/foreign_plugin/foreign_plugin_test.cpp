// The control against a plugin in Microsoft's C++ ABI (bin/foreign): a whole
// instance life; each text representation it answers released once, through
// entry 0 of its own table with the flag that frees it (over and over: an
// unbalanced 32-bit stack would not survive); its password request record.
#include <gtest/gtest.h>
#include <string>
#include "FexoCtl.h"
#include "event_sink.h"
#include "hosted_control.h"
#include "server_dll.h"

namespace {

template <class Function>
Function Foreign(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("npfexo.dll"), name)));
}
std::string TakeJournal() { return Foreign<const char*(__cdecl*)()>("foreign_TakeJournal")(); }

// Each slot of fexop_GetProperty read, and the answers as text.
std::string ReadEverySlot(IFexoCtl* control)
{
    BSTR menu = nullptr;
    double gamma = 0;
    LONG cacheSize = 0, matchScreen = 0;
    short magSize = 0;
    control->get_Menu(&menu), control->get_DisplayGamma(&gamma), control->get_MaxCacheSize(&cacheSize);
    control->get_MagSize(&magSize), control->get_PrintMatchScreen(&matchScreen);
    const std::string text(menu, menu + SysStringLen(menu));  // the answers are ASCII
    SysFreeString(menu);
    return text + " " + std::to_string(gamma) + " " + std::to_string(cacheSize) + " " +
           std::to_string(magSize) + " " + std::to_string(matchScreen);
}

TEST(ForeignPlugin, WholeLifeOfAnInstance)
{
    std::string journal;
    {
        fexo::test::HostedControl hosted(nullptr, true, true);
        IFexoCtl* control = hosted.Control();
        journal = TakeJournal();
        std::string reads;  // each the ask, then its representation released once
        for (const char* key : {"Menu", "DisplayGamma", "MaxCacheSize", "MagSize", "PrintMatchScreen"})
            reads += "fexop_GetProperty " + std::string(key) + "\nrep destroyed count=-1\nrep freed\n";
        for (int round = 0; round < 300; ++round) {
            ASSERT_EQ(ReadEverySlot(control), "Menu 2.500000 77 33 1");
            ASSERT_EQ(TakeJournal(), reads) << "round " << round;
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
    // The tables' sizes are those of this compiler's layout of the published records.
    EXPECT_EQ(journal + TakeJournal(),
              "NP_GetEntryPoints size natural\nNP_Initialize size natural version=9\n"
              "NPP_New image/vnd.fexo mode=1 SCROLLBARS=TRUE CACHE=FALSE FRAME=TRUE KEYBOARD=TRUE "
              "LINKS=TRUE LOGO=TRUE POSTERROR=TRUE\nNPP_SetWindow window\n"
              "fexop_SetProperty PASSWORD pw\n"
              "password result=4 retry=3 url=http://127.0.0.1/doc.fexo texts=0ser,0ecret\n"
              "NPP_Destroy\nNP_Shutdown\n");
}

}  // namespace
