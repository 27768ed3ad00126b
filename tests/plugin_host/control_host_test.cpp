// The control as the plugin sees it, through the stand-in's journal: its
// instance created, replaced and destroyed, the arguments, saved data, shutdown.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include "hosted_control.h"
#include "tests/object/com_results.h"

using fexo::test::HostedControl, fexo::test::PumpMessages;

namespace {

const StandinControl* Standin() { return StandinControlOf(GetModuleHandleA("npfexo.dll")); }

std::string Journal()  // the instance's calls since the last look, without streams
{
    std::string journal;
    for (int i = 0; const StandinEntry* entry = Standin()->Entry(i); ++i)
        if (!std::strstr(entry->call, "Stream") && !std::strstr(entry->call, "Write"))
            journal += std::string(entry->call) + "(" + entry->arguments + ")\n";
    Standin()->Reset();
    return journal;
}

const std::string kDefaults = "SCROLLBARS=\"TRUE\" CACHE=\"FALSE\" FRAME=\"TRUE\" KEYBOARD=\"TRUE\" "
                              "LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"TRUE\"";
const std::string kDestroy = "NPP_Destroy(save=ptr)\n";

std::string New(int argc, const std::string& arguments, const char* saved = "saved=null")
{
    return "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=" + std::to_string(argc) +
           (argc ? " " : "") + arguments + " " + saved +
           ")\nNPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n";
}

HRESULT Put(HostedControl& hosted, HRESULT (STDMETHODCALLTYPE IFexoCtl::*setter)(BSTR),
            const wchar_t* value)
{
    BSTR text = SysAllocString(value);
    const HRESULT hr = (hosted.Control()->*setter)(text);
    SysFreeString(text);
    PumpMessages();
    return hr;
}

// The credentials reach the first list only, SRC sets Rotate "0" (the other
// arguments: the property tests).  A live instance is re-created for a new
// address (or the same again), without arguments for an empty one; with no
// document the address is only streamed into it.
TEST(ControlHost, InstancesArgumentsSavedDataAndTheUnloadQuery)
{
    HostedControl first(nullptr, false), second(nullptr, false);
    Put(first, &IFexoCtl::put_SRC, L"http://127.0.0.1/a.fexo");
    Put(first, &IFexoCtl::put_UserId, L"user");
    Put(first, &IFexoCtl::put_Password, L"secret");
    Journal();  // the writes sent on: the property tests' concern
    first.Activate();
    const StandinEntry created = *Standin()->Entry(0);
    const std::string rotate = kDefaults + " ROTATE=\"0\"";
    EXPECT_EQ(Journal(), New(10, rotate + " USERID=\"user\" PASSWORD=\"secret\""));
    EXPECT_TRUE(!created.pdata && created.ndata) << "nothing of the plugin's yet; the control";
    fexo::test::As<IOleObject>(first.Control())->Close(OLECLOSE_NOSAVE);  // destroys only the window
    first.Activate();  // a new window replaces the instance, in the same record
    EXPECT_EQ(Standin()->Entry(0)->instance, created.instance);
    EXPECT_EQ(Standin()->Entry(2)->pointers[1], first.Window());
    const std::string recreated = kDestroy + New(8, rotate);
    EXPECT_EQ(Journal(), recreated);
    const struct { const wchar_t* address; HRESULT result; std::string journal; } kSteps[] = {
        {L"http://127.0.0.1/b.fexo", S_OK, recreated},
        {L"http://127.0.0.1/b.fexo", S_OK, recreated},
        {L"", S_FALSE, kDestroy + New(0, "")},
        {nullptr, S_FALSE, kDestroy + New(0, "")},
        {L"http://127.0.0.1/c.fexo", S_OK, ""}};
    for (const auto& s : kSteps) {
        EXPECT_EQ(Put(first, &IFexoCtl::put_SRC, s.address), s.result);
        EXPECT_EQ(Journal(), s.journal) << (&s - kSteps);
    }
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_FALSE);

    EXPECT_EQ(second.Destroy(), 0u);  // never activated: its instance never created
    EXPECT_EQ(Standin()->Entry(0)->pdata, nullptr);
    Standin()->SaveDataOnDestroy("state", 5);
    EXPECT_EQ(first.Destroy(), 0u);
    Standin()->SaveDataOnDestroy(nullptr, 0);
    EXPECT_EQ(Journal(), kDestroy + kDestroy) << "the last control gone: no NP_Shutdown";
    HostedControl third(nullptr, false);  // given what the first left
    third.Activate();
    EXPECT_EQ(Journal(), New(7, kDefaults, "saved.len=5 saved.buf=\"state\""));
    EXPECT_EQ(third.Destroy(), 0u);
    EXPECT_EQ(fexo::test::ServerDll::CanUnloadNow(), S_OK);
    EXPECT_EQ(Journal(), kDestroy + "NP_Shutdown()\n");
}

}  // namespace
