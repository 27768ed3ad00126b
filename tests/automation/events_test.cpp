// The plugin's notifications, as the stand-in delivers them through the
// callbacks the control registered: what the control stores and which
// events its sinks receive.
#include "control_fixture.h"
#include <cstring>
#include <memory>
#include "event_sink.h"

using namespace fexo::test;
using Events = std::vector<std::string>;

namespace {

class PluginEvents : public ControlFixture {
protected:
    void SetUp() override
    {
        RegisterServerOnce();
        ControlFixture::SetUp();
        Activate();
        cookie = sink.Advise(control);
        ASSERT_EQ(cookie, 1u);
    }
    void TearDown() override
    {
        if (cookie) sink.Unadvise(control, cookie);
        ControlFixture::TearDown();
        EXPECT_EQ(sink.References(), 1u);
    }

    void Event(const char* name, const char* text, int32_t value1, int32_t value2)
    {
        Callbacks().event(instance, name, text, 0x11111111, 0x22222222, value1, value2);
    }
    void Click(const char* url, const char* target, const char* comment, int32_t flag)
    {
        Callbacks().complexEvent(instance, "HyperlinkClickEvent", url, target, comment, 1, 2, 3, 4,
                                 5, flag);
    }
    std::wstring Read(HRESULT (STDMETHODCALLTYPE IFexoCtl::*get)(BSTR*))
    {
        BSTR value = nullptr;
        EXPECT_EQ((control->*get)(&value), S_OK);
        std::wstring text = value ? value : L"<null>";
        SysFreeString(value);
        return text;
    }
    EventSink sink;
    DWORD cookie = 0;
};

TEST_F(PluginEvents, EveryNameOfTheTableStoresAndFires)
{
    Event("pagechange", nullptr, 12, 0);
    Event("ZoomChange", "150%", 0, 0);
    Event("DisplayModeChange", nullptr, 0, 1);
    Event("DisplayModeChange", nullptr, 0, 7);
    Event("DisplayModeChange", nullptr, 0, 65536);
    Event("BackForwardChange", nullptr, 1, 65535);
    Event("SCROLLEVENT", "h", 0, 0);
    Event("LayoutChange", "2up", 0, 0);
    Event("LayoutChange", nullptr, 0, 0);
    EXPECT_EQ(sink.events,
              (Events{"PageChange(12)", "ZoomChange(\"150%\")", "DisplayModeChange(\"BW\")",
                      "DisplayModeChange(\"\")", "DisplayModeChange(\"COLOR\")",
                      "BackForwardChange(\"1,-1\")", "ScrollEvent(\"h\")", "LayoutChange(\"2up\")",
                      "LayoutChange(null)"}));
    EXPECT_EQ(Journal(), "") << "the plugin is not called back";
}

// A new window makes a new instance from the stored values.
TEST_F(PluginEvents, StoredValuesReachTheNextInstance)
{
    Event("PageChange", nullptr, -5, 0);
    Event("ZoomChange", "width", 0, 0);
    Event("DisplayModeChange", nullptr, 0, 3);
    Event("LayoutChange", "2up", 0, 0);
    IOleInPlaceObject* inPlace = nullptr;
    ASSERT_EQ(ole->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&inPlace)), S_OK);
    ASSERT_EQ(inPlace->InPlaceDeactivate(), S_OK);
    inPlace->Release();
    ClearJournal();
    RECT position = container.PositionRect();
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.HostWindow(),
                          &position),
              S_OK);
    PumpMessages();
    const std::string journal = Journal();
    for (const char* stored : {"MODE=\"FORE\"", "PAGE=\"-5\"", "ZOOM=\"width\"", "LAYOUT=\"2up\""})
        EXPECT_NE(journal.find(stored), std::string::npos) << stored << " in " << journal;
}

TEST_F(PluginEvents, PageLoadedAndUnknownNamesFireNothing)
{
    Event("PageLoaded", "x", 1, 1);
    Event("PageChanged", "x", 1, 1);
    Event(nullptr, "x", 1, 1);
    Callbacks().complexEvent(instance, "Hyperlink", "u", "t", "c", 0, 0, 0, 0, 0, 1);
    EXPECT_EQ(sink.events, Events{});
    EXPECT_EQ(Journal(), "");
}

TEST_F(PluginEvents, NotificationsWithoutAControlAreIgnored)
{
    NPP_t orphan = {nullptr, nullptr};
    Callbacks().event(nullptr, "PageChange", nullptr, 0, 0, 1, 0);
    Callbacks().event(&orphan, "PageChange", nullptr, 0, 0, 1, 0);
    Callbacks().error(nullptr, "e");
    Callbacks().error(&orphan, "e");
    Callbacks().complexEvent(&orphan, "HyperlinkClickEvent", "u", "t", "c", 0, 0, 0, 0, 0, 1);
    PasswordRequest request{3, "http://x/", "user", "pass"};
    int32_t result = 77;
    Callbacks().password(&orphan, &request, &result);
    EXPECT_EQ(request.userId[0], 0);
    EXPECT_EQ(request.password[0], 0);
    EXPECT_EQ(result, 77) << "untouched";
    Callbacks().password(instance, nullptr, &result);
    EXPECT_EQ(sink.events, Events{});
    EXPECT_EQ(Journal(), "");
}

TEST_F(PluginEvents, ErrorsAreReportedWhateverPostErrorSays)
{
    ASSERT_EQ(control->put_PostError(0), S_OK);
    Callbacks().error(instance, "Broken \xe9");
    Callbacks().error(instance, nullptr);
    BSTR last = nullptr;
    EXPECT_EQ(control->GetLastFexoError(&last), S_OK);
    EXPECT_EQ(last, nullptr) << "an absent message";
    Callbacks().error(instance, "Broken");
    EXPECT_EQ(control->GetLastFexoError(&last), S_OK);
    EXPECT_STREQ(last, L"Broken");
    SysFreeString(last);
    ASSERT_EQ(sink.events.size(), 3u);
    EXPECT_EQ(sink.events[1], "PlugInError(null)");
    EXPECT_EQ(sink.events[2], "PlugInError(\"Broken\")");
}

TEST_F(PluginEvents, HyperlinkClickFollowsTheFlagWithoutHandlers)
{
    sink.Unadvise(control, cookie);
    cookie = 0;
    Click("http://a/", "_top", "c", 1);
    Click("http://b/", nullptr, nullptr, 256);  // low byte 0
    Click("http://\xff/", "_top", "\xc3(", 1);     // not UTF-8: no text
    EXPECT_EQ(Journal(), "fexop_DoHyperlink(url=\"http://a/\" target=\"_top\" comment=\"c\")\n"
                         "fexop_DoHyperlink(url=null target=\"_top\" comment=null)\n");
}

TEST_F(PluginEvents, HyperlinkClickHandlersSeeAndChangeTheSameVariablesInOrder)
{
    EventSink second;
    ASSERT_EQ(second.Advise(control), 2u);
    sink.action = [](DISPID, DISPPARAMS& params) {
        // Arguments lie last first: comment, target, url, follow.
        *V_BOOLREF(&params.rgvarg[3]) = VARIANT_TRUE;
        SysFreeString(*V_BSTRREF(&params.rgvarg[2]));
        *V_BSTRREF(&params.rgvarg[2]) = SysAllocString(L"http://new/\u00e9");
    };
    Click("http://old/", "frame", nullptr, 0);
    EXPECT_EQ(sink.events, Events{"HyperlinkClick(&0, &\"http://old/\", &\"frame\", &null)"});
    EXPECT_EQ(second.events,
              Events{"HyperlinkClick(&-1, &\"http://new/\\u00e9\", &\"frame\", &null)"});
    EXPECT_EQ(Journal(),
              "fexop_DoHyperlink(url=\"http://new/\\xc3\\xa9\" target=\"frame\" comment=null)\n");

    ClearJournal();
    second.action = [](DISPID, DISPPARAMS& params) {
        *V_BOOLREF(&params.rgvarg[3]) = VARIANT_FALSE;
    };
    sink.action = nullptr;
    Click("http://x/", "", "\xc3\xa9", 1);
    EXPECT_EQ(sink.events.back(), "HyperlinkClick(&-1, &\"http://x/\", &\"\", &\"\\u00e9\")");
    EXPECT_EQ(Journal(), "") << "a handler cancelled the click";
    second.Unadvise(control, 2);
    EXPECT_EQ(second.References(), 1u);
}

TEST_F(PluginEvents, AFailingSinkDoesNotStopTheOthers)
{
    EventSink second;
    ASSERT_EQ(second.Advise(control), 2u);
    sink.invokeResult = DISP_E_MEMBERNOTFOUND;
    Event("ZoomChange", "fit", 0, 0);
    EXPECT_EQ(sink.events, Events{"ZoomChange(\"fit\")"});
    EXPECT_EQ(second.events, Events{"ZoomChange(\"fit\")"});
    second.Unadvise(control, 2);
}

TEST_F(PluginEvents, CredentialRequestsAnswerWhetherAHandlerSentCredentials)
{
    PasswordRequest request{2, "http://doc/\xc3\xa9", "user", "pass"};
    int32_t result = -1;
    Callbacks().password(instance, &request, &result);
    EXPECT_EQ(result, 0) << "nobody answered";
    EXPECT_EQ(request.userId[0], 0);
    EXPECT_EQ(request.password[0], 0);
    const int regId = static_cast<int>(reinterpret_cast<uintptr_t>(control));
    EXPECT_EQ(sink.events,
              Events{"RequestPassword(\"http://doc/\\u00e9\", " + std::to_string(regId) + ", 2)"});

    ClearJournal();
    sink.action = [&](DISPID, DISPPARAMS&) {
        BSTR password = SysAllocString(L"pw");
        control->put_Password(password);
        SysFreeString(password);
    };
    request.documentUrl = "http://\xc3(";  // not UTF-8: no text
    Callbacks().password(instance, &request, &result);
    EXPECT_EQ(result, 4) << "the sink table's capacity";
    EXPECT_EQ(Journal(),
              "fexop_SetProperty(name=\"PASSWORD\" text=\"pw\" number=0 integer=0 "
              "short=0 flag=0)\n");
    EXPECT_EQ(sink.events.back(), "RequestPassword(null, " + std::to_string(regId) + ", 2)");

    // A write outside a request is forgotten by the next request.
    sink.action = nullptr;
    BSTR user = SysAllocString(L"me");
    control->put_UserId(user);
    SysFreeString(user);
    Callbacks().password(instance, &request, &result);
    EXPECT_EQ(result, 0);
    Callbacks().password(instance, &request, nullptr);
}

TEST_F(PluginEvents, CredentialResultGrowsWithTheSinkTable)
{
    std::vector<std::unique_ptr<EventSink>> more;
    for (DWORD expected = 2; expected <= 5; ++expected) {
        more.push_back(std::make_unique<EventSink>());
        EXPECT_EQ(more.back()->Advise(control), expected);
    }
    sink.action = [&](DISPID, DISPPARAMS&) {
        BSTR user = SysAllocString(L"u");
        control->put_UserId(user);
        SysFreeString(user);
    };
    PasswordRequest request{0, nullptr, "", ""};
    int32_t result = 0;
    Callbacks().password(instance, &request, &result);
    EXPECT_EQ(result, 8);
    for (size_t i = 0; i < more.size(); ++i) {
        EXPECT_EQ(more[i]->events.size(), 1u);
        more[i]->Unadvise(control, static_cast<DWORD>(i + 2));
    }
}

}  // namespace
