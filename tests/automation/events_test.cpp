// The plugin's notifications through the callbacks the control registered:
// what the control keeps and which events its sinks hear; the connection
// point's cookies.
#include <utility>
#include "automation.h"
#include "event_sink.h"

using namespace fexo::test;
using Events = std::vector<std::string>;

namespace {

// The text is ANSI; fired: the event the sink hears (null: nothing).
struct Notification { const char* name; const char* text; int32_t value1, value2; const char* fired; };

const Notification kNotifications[] = {
    {"pagechange", nullptr, 12, 0, "PageChange(12)"},
    {"ZoomChange", "fit\xe9", 0, 0, "ZoomChange(\"fit\\u00e9\")"},
    {"DisplayModeChange", nullptr, 0, 1, "DisplayModeChange(\"BW\")"},
    {"DisplayModeChange", nullptr, 0, 7, "DisplayModeChange(\"\")"},
    {"DISPLAYMODECHANGE", nullptr, 0, 65536 + 3, "DisplayModeChange(\"FORE\")"},
    {"BackForwardChange", nullptr, 1, 65535, "BackForwardChange(\"1,-1\")"},
    {"ScrollEvent", "h\xe9", 0, 0, "ScrollEvent(\"h\\u00e9\")"},
    {"LayoutChange", "2\xfcp", 0, 0, "LayoutChange(\"2\\u00fcp\")"},
    {"PageLoaded", "x", 1, 1, nullptr},
    {"PageChanged", "x", 1, 1, nullptr},
};

class PluginEvents : public Automation {
protected:
    const StandinCallbacks& callbacks = *standin->Callbacks();
    void Click(const char* url, const char* target, const char* comment, int32_t flag)
    {
        callbacks.complexEvent(instance, "HyperlinkClickEvent", url, target, comment, 1, 2, 3, 4, 5, flag);
    }
};

TEST_F(PluginEvents, EveryNotificationStoresAndFiresWhatItsRowSays)
{
    EventSink sink;
    ASSERT_EQ(sink.Advise(control), 1u);
    Events fired;
    for (const Notification& n : kNotifications) {
        callbacks.event(instance, n.name, n.text, 0x11111111, 0x22222222, n.value1, n.value2);
        if (n.fired) fired.push_back(n.fired);
    }
    ASSERT_EQ(control->put_PostError(0), S_OK);
    callbacks.error(instance, "Broken \xe9");
    fired.push_back("PlugInError(\"Broken \\u00e9\")");
    EXPECT_EQ(sink.events, fired);
    BSTR last = nullptr;
    EXPECT_EQ(control->GetLastFexoError(&last), S_OK);
    EXPECT_STREQ(last, L"Broken \u00e9");
    SysFreeString(last);
    sink.Unadvise(control, 1);
    EXPECT_EQ(Reactivate(),
              "type=\"image/vnd.fexo\" mode=1 argc=11 SCROLLBARS=\"TRUE\" CACHE=\"FALSE\" "
              "FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"FALSE\" "
              "MODE=\"FORE\" PAGE=\"12\" ZOOM=\"fit\\xe9\" LAYOUT=\"2\\xfcp\" saved=null");
}

// Handlers change the click's variables in slot order and answer a
// credential request by writing the password.
TEST_F(PluginEvents, HandlersRedirectCancelAndAnswer)
{
    EventSink first, second;
    ASSERT_EQ(first.Advise(control) + second.Advise(control), 3u);
    first.action = [&](DISPID id, DISPPARAMS& params) {
        if (id == 11) control->put_Password(Text(L"p\u00e9"));
        if (id != 8) return;
        *V_BOOLREF(&params.rgvarg[3]) = VARIANT_TRUE;  // arguments lie last first
        SysFreeString(*V_BSTRREF(&params.rgvarg[2]));
        *V_BSTRREF(&params.rgvarg[2]) = SysAllocString(L"http://n\u00e9w/");
    };
    Click("http://old/", "fr\xc3\xa9me", nullptr, 256);  // the low byte: false
    second.action = [](DISPID id, DISPPARAMS& params) {
        if (id == 8) *V_BOOLREF(&params.rgvarg[3]) = VARIANT_FALSE;
    };
    Click("http://x/", "", "\xc3\xa9", 1);
    PasswordRequest request{2, "http://doc/\xc3\xa9", "user", "pass"};
    int32_t answered = -1;
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 4) << "the sink table's capacity";
    EXPECT_EQ(request.userId[0] + request.password[0], 0);
    first.action = nullptr;
    control->put_UserId(Text(L"early"));  // forgotten by the next request
    callbacks.password(nullptr, &request, &answered);
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 0);

    EXPECT_EQ(first.events[0], "HyperlinkClick(&0, &\"http://old/\", &\"fr\\u00e9me\", &null)");
    const std::string asked = "RequestPassword(\"http://doc/\\u00e9\", " +
                              std::to_string(int(reinterpret_cast<uintptr_t>(control))) + ", 2)";
    EXPECT_EQ(second.events,
              (Events{"HyperlinkClick(&-1, &\"http://n\\u00e9w/\", &\"fr\\u00e9me\", &null)",
                      "HyperlinkClick(&-1, &\"http://n\\u00e9w/\", &\"\", &\"\\u00e9\")", asked,
                      asked}));
    EXPECT_EQ(Journal(), "fexop_DoHyperlink(url=\"http://n\\xc3\\xa9w/\" target=\"fr\\xc3\\xa9me\" "
                         "comment=null)\n"
                         "fexop_SetProperty(name=\"PASSWORD\" text=\"p\\xe9\" number=0 integer=0 "
                         "short=0 flag=0)\n"
                         "fexop_SetProperty(name=\"USERID\" text=\"early\" number=0 integer=0 "
                         "short=0 flag=0)\n");
    first.Unadvise(control, 1);
    second.Unadvise(control, 2);
}

// Cookies are slots: the last one can be given back, an emptied slot is
// skipped by events and taken by the next Advise, and a full table doubles.
TEST_F(PluginEvents, CookiesAreSlotsOfATableThatDoubles)
{
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    ASSERT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, &point), S_OK);
    EventSink sinks[6];
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(point->Advise(points, &cookie), CONNECT_E_CANNOTCONNECT);
    for (DWORD expected = 1; expected <= 4; ++expected) {
        EXPECT_EQ(point->Advise(&sinks[expected - 1], &cookie), S_OK);
        EXPECT_EQ(cookie, expected);
    }
    EXPECT_EQ(point->Unadvise(4), S_OK);
    for (DWORD refused : {4, 0, 5, 9}) EXPECT_EQ(point->Unadvise(refused), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(1), S_OK);
    callbacks.event(instance, "ZoomChange", "z", 0, 0, 0, 0);
    const std::pair<int, DWORD> readvised[] = {{4, 1}, {5, 4}, {0, 5}};  // sink, its cookie
    for (const auto& [sink, expected] : readvised) {
        EXPECT_EQ(point->Advise(&sinks[sink], &cookie), S_OK);
        EXPECT_EQ(cookie, expected);
    }
    sinks[1].action = [&](DISPID, DISPPARAMS&) { control->put_UserId(Text(L"u")); };
    PasswordRequest request{0, nullptr, "", ""};
    int32_t answered = 0;
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 8);
    const size_t heard[] = {1, 2, 2, 0, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(sinks[i].events.size(), heard[i]) << i;
    for (DWORD given = 1; given <= 5; ++given) EXPECT_EQ(point->Unadvise(given), S_OK);
    for (EventSink& sink : sinks) EXPECT_EQ(sink.References(), 1u);
    point->Release();
    points->Release();
}

}  // namespace
