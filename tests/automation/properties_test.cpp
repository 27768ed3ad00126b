// Every property of IFexoCtl, written and read through IDispatch by name as
// script does: what is stored, what the plugin is sent (key, slot, code
// page) and what is asked back.
#include "control_fixture.h"
#include <oleauto.h>
#include <cstring>
#include <iterator>
#include <string_view>

using namespace fexo::test;
using namespace std::literals;

namespace {

const wchar_t kValue[] = L"v\u00e9";  // "vé": differs between ANSI and UTF-8

std::string SetText(const char* key, const std::string& text)
{
    return std::string("fexop_SetProperty(name=\"") + key + "\" text=" + text +
           " number=0 integer=0 short=0 flag=0)\n";
}

std::string SetSlots(const char* key, const char* slots)
{
    return std::string("fexop_SetProperty(name=\"") + key + "\" text=null " + slots + ")\n";
}

std::string Ask(const char* key,
                const char* slots = "number=null integer=null short=null flag=null")
{
    return std::string("fexop_GetProperty(name=\"") + key + "\" text=empty " + slots + ")\n";
}

VARIANT Text(std::wstring_view text)
{
    VARIANT value;
    V_VT(&value) = VT_BSTR;
    V_BSTR(&value) = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return value;
}

template <class T, VARTYPE type>
VARIANT Number(T number)
{
    VARIANT value;
    VariantInit(&value);
    V_VT(&value) = type;
    if constexpr (type == VT_R8) V_R8(&value) = number;
    if constexpr (type == VT_I4) V_I4(&value) = number;
    if constexpr (type == VT_I2) V_I2(&value) = number;
    return value;
}

class Properties : public ControlFixture {
protected:
    void SetUp() override
    {
        RegisterServerOnce();
        ControlFixture::SetUp();
    }

    // Puts then clears the variant.
    HRESULT Put(const wchar_t* name, VARIANT value)
    {
        HRESULT hr = PutByName(name, value);
        VariantClear(&value);
        return hr;
    }
    std::wstring GetText(const wchar_t* name)
    {
        VARIANT value;
        EXPECT_EQ(GetByName(name, &value), S_OK) << name;
        EXPECT_EQ(V_VT(&value), VT_BSTR) << name;
        const BSTR read = V_BSTR(&value);
        std::wstring text = read ? std::wstring(read, SysStringLen(read)) : L"<null>";
        VariantClear(&value);
        return text;
    }
    VARIANT GetValue(const wchar_t* name)
    {
        VARIANT value;
        EXPECT_EQ(GetByName(name, &value), S_OK) << name;
        return value;
    }
    void Answer(const char* key, const char* text, unsigned slots = 0, double number = 0,
                int32_t integer = 0, int16_t shortInteger = 0, bool flag = false)
    {
        const StandinAnswer answer = {text, slots, number, integer, shortInteger, flag};
        standin->SetAnswer(key, &answer);
    }
};

struct TextPut {
    const wchar_t* property;
    const char* key;
    bool utf8;
};

const TextPut kTextPuts[] = {
    {L"Flags", "Flags", true},
    {L"Align", "HAlign", false},
    {L"Cache", "Cache", false},
    {L"Frame", "Frame", false},
    {L"Highlight", "HIGHLIGHT", false},
    {L"Keyboard", "Keyboard", false},
    {L"Links", "Links", true},
    {L"Logo", "Logo", true},
    {L"Menu", "Menu", false},
    {L"Mode", "Mode", false},
    {L"Page", "Page", true},
    {L"ScrollBars", "ScrollBars", false},
    {L"Rotate", "Rotate", false},
    {L"Toolbar", "Toolbar", false},
    {L"VAlign", "VAlign", false},
    {L"Zoom", "Zoom", false},
    {L"NavPane", "NavPane", false},
    {L"MouseMode", "MouseMode", false},
    {L"HAlign", "HAlign", false},
    {L"HyperlinkShowAllKey", "HyperlinkShowAllKey", false},
    {L"HelpURL", "HelpURL", true},
    {L"LogoImage", "LogoImage", true},
    {L"DisplayMode", "DisplayMode", false},
    {L"ShowPosition", "ShowPosition", false},
    {L"Layout", "Layout", false},
    {L"Prefetch", "PREFETCH", false},
    {L"RotateBy", nullptr, false},  // a method: see Methods
};

TEST_F(Properties, TextWritesSendTheCallersTextUnderTheExactKey)
{
    Activate();
    for (const TextPut& row : kTextPuts) {
        if (!row.key) continue;
        SCOPED_TRACE(testing::Message() << row.key);
        ClearJournal();
        EXPECT_EQ(Put(row.property, Text(kValue)), S_OK);
        EXPECT_EQ(Journal(), SetText(row.key, JournalText(row.utf8 ? Utf8(kValue) : Ansi(kValue))));
        ClearJournal();
        EXPECT_EQ(Put(row.property, Text(L"")), S_OK);
        EXPECT_EQ(Journal(), SetText(row.key, "\"\"")) << "an empty text is sent as one";
    }
}

struct TextGet {
    const wchar_t* property;
    const char* askedKey;  // null: answered from the stored value
};

const TextGet kTextGets[] = {
    {L"Flags", nullptr},
    {L"Align", "HAlign"},
    {L"Highlight", nullptr},
    {L"Menu", "Menu"},
    {L"Mode", "Mode"},
    {L"Page", "PAGE"},
    {L"Passive", nullptr},
    {L"Rotate", "ROTATE"},
    {L"Thumbnails", nullptr},
    {L"Toolbar", nullptr},
    {L"VAlign", "VAlign"},
    {L"Zoom", "ZOOM"},
    {L"NavPane", "NavPane"},
    {L"MouseMode", "MouseMode"},
    {L"HAlign", "HAlign"},
    {L"HyperlinkShowAllKey", "HyperlinkShowAllKey"},
    {L"HelpURL", "HelpURL"},
    {L"LogoImage", "LogoImage"},
    {L"DisplayMode", "DisplayMode"},
    {L"ShowPosition", "ShowPosition"},
    {L"PageText", "PageText"},
    {L"SelectedText", "SelectedText"},
    {L"Layout", "Layout"},
    {L"Prefetch", "PREFETCH"},
};

TEST_F(Properties, TextReadsAskThePluginOrAnswerTheStoredText)
{
    Activate();
    for (const TextGet& row : kTextGets) {
        SCOPED_TRACE(testing::Message() << row.askedKey);
        if (row.askedKey) {
            ClearJournal();  // forgets the answers too
            Answer(row.askedKey, "answer");
            EXPECT_EQ(GetText(row.property), L"answer");
            EXPECT_EQ(Journal(), Ask(row.askedKey));
        } else {
            EXPECT_EQ(Put(row.property, Text(L"kept\0x"sv)), S_OK);
            ClearJournal();
            EXPECT_EQ(GetText(row.property), L"kept\0x"sv) << "the whole text, its zero included";
            EXPECT_EQ(Journal(), "") << "the plugin is not asked";
        }
    }
    EXPECT_EQ(standin->LiveStrings(), 0) << "every answer went back to the plugin";
}

TEST_F(Properties, AnswersAreReadInTheAnsiCodePage)
{
    Activate();
    const std::string answer = Ansi(kValue);
    Answer("ZOOM", answer.c_str());
    EXPECT_EQ(GetText(L"Zoom"), kValue);
}

TEST_F(Properties, AnAnswerlessReadIsAnEmptyText)
{
    Activate();
    EXPECT_EQ(GetText(L"PageText"), L"");
    EXPECT_EQ(GetText(L"SelectedText"), L"");
}

// The stored values reach the plugin with its creation arguments, which a
// second document address makes anew.
TEST_F(Properties, AnsweredTextsAreStoredWhereTheTableSays)
{
    Activate();
    const struct {
        const char* key;
        const wchar_t* property;
    } asked[] = {{"HAlign", L"Align"},
                 {"Menu", L"Menu"},
                 {"DisplayMode", L"DisplayMode"},
                 {"VAlign", L"VAlign"},
                 {"ZOOM", L"Zoom"},
                 {"NavPane", L"NavPane"},
                 {"MouseMode", L"MouseMode"},
                 {"LogoImage", L"LogoImage"},
                 {"ShowPosition", L"ShowPosition"},
                 {"PREFETCH", L"Prefetch"},
                 {"HyperlinkShowAllKey", L"HyperlinkShowAllKey"}};
    for (const auto& row : asked) {
        Answer(row.key, (std::string("A-") + row.key).c_str());
        GetText(row.property);
    }
    EXPECT_EQ(Put(L"SRC", Text(L"http://127.0.0.1:1/a.fexo")), S_OK);
    EXPECT_EQ(Put(L"SRC", Text(L"http://127.0.0.1:1/b.fexo")), S_OK);
    std::string arguments;
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        if (std::string(entry->call) == "NPP_New") arguments = entry->arguments;
    for (const char* stored :
         {"HALIGN=\"A-HAlign\"", "MENU=\"A-Menu\"", "MODE=\"A-DisplayMode\"", "VALIGN=\"A-VAlign\"",
          "ZOOM=\"A-ZOOM\"", "NAVPANE=\"A-NavPane\"", "MOUSEMODE=\"A-MouseMode\"",
          "LOGOIMAGE=\"A-LogoImage\"", "SHOWPOSITION=\"A-ShowPosition\""})
        EXPECT_NE(arguments.find(stored), std::string::npos) << stored << " in " << arguments;
    EXPECT_EQ(arguments.find("A-PREFETCH"), std::string::npos) << "Prefetch answers are not stored";
}

TEST_F(Properties, YesNoTextsStoreAFlagAndReadTheFlagSlot)
{
    Activate();
    for (const char* key : {"Cache", "Frame", "Keyboard", "Links", "Logo", "ScrollBars"}) {
        SCOPED_TRACE(key);
        const std::wstring property(key, key + strlen(key));
        ClearJournal();  // forgets the answers too
        Answer(key, nullptr, STANDIN_SLOT_FLAG, 0, 0, 0, false);
        EXPECT_EQ(GetText(property.c_str()), L"FALSE");
        EXPECT_EQ(Journal(), Ask(key, "number=null integer=null short=null flag=ptr"));
        Answer(key, nullptr, STANDIN_SLOT_FLAG, 0, 0, 0, true);
        EXPECT_EQ(GetText(property.c_str()), L"TRUE");
        standin->SetAnswer(key, nullptr);
        EXPECT_EQ(Put(property.c_str(), Text(L"No")), S_OK);
        EXPECT_EQ(GetText(property.c_str()), L"FALSE") << "the plugin left the stored flag";
        EXPECT_EQ(Put(property.c_str(), Text(L"off")), S_OK);
        EXPECT_EQ(GetText(property.c_str()), L"TRUE");
    }
}

TEST_F(Properties, NumbersTravelInTheirOwnSlot)
{
    Activate();
    EXPECT_EQ(Put(L"DisplayGamma", Number<double, VT_R8>(2.5)), S_OK);
    EXPECT_EQ(Put(L"PrintGamma", Number<double, VT_R8>(1.25)), S_OK);
    EXPECT_EQ(Put(L"MagSize", Number<short, VT_I2>(-3)), S_OK);
    EXPECT_EQ(Put(L"MagZoom", Number<short, VT_I2>(200)), S_OK);
    EXPECT_EQ(Put(L"MaxCacheSize", Number<long, VT_I4>(-70000)), S_OK);
    EXPECT_EQ(Journal(), SetSlots("DisplayGamma", "number=2.5 integer=0 short=0 flag=0") +
                             SetSlots("PrintGamma", "number=1.25 integer=0 short=0 flag=0") +
                             SetSlots("MagSize", "number=0 integer=0 short=-3 flag=0") +
                             SetSlots("MagZoom", "number=0 integer=0 short=200 flag=0") +
                             SetSlots("MaxCacheSize", "number=0 integer=-70000 short=0 flag=0"));

    ClearJournal();
    Answer("DisplayGamma", nullptr, STANDIN_SLOT_NUMBER, 1.8);
    Answer("MagZoom", nullptr, STANDIN_SLOT_SHORT, 0, 0, 150);
    Answer("MaxCacheSize", nullptr, STANDIN_SLOT_INTEGER, 0, 4096);
    VARIANT value = GetValue(L"DisplayGamma");
    EXPECT_EQ(V_R8(&value), 1.8);
    value = GetValue(L"PrintGamma");
    EXPECT_EQ(V_R8(&value), 1.25) << "unanswered: the stored value";
    value = GetValue(L"MagSize");
    EXPECT_EQ(V_I2(&value), -3);
    value = GetValue(L"MagZoom");
    EXPECT_EQ(V_I2(&value), 150);
    value = GetValue(L"MaxCacheSize");
    EXPECT_EQ(V_I4(&value), 4096);
    EXPECT_EQ(Journal(), Ask("DisplayGamma", "number=ptr integer=null short=null flag=null") +
                             Ask("PrintGamma", "number=ptr integer=null short=null flag=null") +
                             Ask("MagSize", "number=null integer=null short=ptr flag=null") +
                             Ask("MagZoom", "number=null integer=null short=ptr flag=null") +
                             Ask("MaxCacheSize", "number=null integer=ptr short=null flag=null"));
}

TEST_F(Properties, LongFlagsDifferInWhatCountsAsTrue)
{
    Activate();
    const struct {
        const wchar_t* property;
        const char* key;
        bool negativeIsTrue;
    } rows[] = {{L"PrintMatchScreen", "PrintMatchScreen", true},
                {L"PostError", "PostError", true},
                {L"PrintHighQuality", "PrintHighQuality", false},
                {L"ZoomFast", "ZoomFast", false},
                {L"HyperlinkSimpleBorder", "HyperlinkSimpleBorder", false},
                {L"ThumbnailFast", "ThumbnailFast", false},
                {L"ThumbnailSmart", "ThumbnailSmart", false}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.key);
        ClearJournal();
        EXPECT_EQ(Put(row.property, Number<long, VT_I4>(-1)), S_OK);
        EXPECT_EQ(Put(row.property, Number<long, VT_I4>(0)), S_OK);
        EXPECT_EQ(Put(row.property, Number<long, VT_I4>(5)), S_OK);
        EXPECT_EQ(Journal(),
                  SetSlots(row.key, row.negativeIsTrue ? "number=0 integer=0 short=0 flag=1"
                                                       : "number=0 integer=0 short=0 flag=0") +
                      SetSlots(row.key, "number=0 integer=0 short=0 flag=0") +
                      SetSlots(row.key, "number=0 integer=0 short=0 flag=1"));
        ClearJournal();
        VARIANT value = GetValue(row.property);
        EXPECT_EQ(V_VT(&value), VT_I4);
        EXPECT_EQ(V_I4(&value), 1);
        const bool stored = std::wstring(row.property) == L"PostError";
        EXPECT_EQ(Journal(),
                  stored ? "" : Ask(row.key, "number=null integer=null short=null flag=ptr"));
    }
    Answer("ZoomFast", nullptr, STANDIN_SLOT_FLAG, 0, 0, 0, false);
    VARIANT value = GetValue(L"ZoomFast");
    EXPECT_EQ(V_I4(&value), 0);
}

TEST_F(Properties, ThumbnailsGoToThePluginAsANavigationPaneValue)
{
    Activate();
    EXPECT_EQ(Put(L"NavPane", Text(L"left")), S_OK);
    ClearJournal();
    EXPECT_EQ(Put(L"Thumbnails", Text(L"true")), S_OK);
    EXPECT_EQ(Put(L"Thumbnails", Text(L"")), S_OK);
    EXPECT_EQ(Journal(),
              SetText("NavPane", "\"Thumbnails,true\"") + SetText("NavPane", "\"Thumbnails,\""));
    EXPECT_EQ(GetText(L"Thumbnails"), L"");
    ClearJournal();
    Answer("NavPane", nullptr);
    EXPECT_EQ(Put(L"Thumbnails", Text(L"x")), S_OK);
    EXPECT_EQ(GetText(L"Thumbnails"), L"x");
}

TEST_F(Properties, NegatedSettingsIgnoreEmptyTexts)
{
    Activate();
    EXPECT_EQ(GetText(L"noMenu"), L"FALSE");
    EXPECT_EQ(Put(L"noMenu", Text(L"true")), S_OK);
    EXPECT_EQ(Put(L"noMenu", Text(L"")), S_OK);
    EXPECT_EQ(GetText(L"noMenu"), L"TRUE");
    EXPECT_EQ(Put(L"noMenu", Text(L"false")), S_OK);
    EXPECT_EQ(GetText(L"noMenu"), L"FALSE");
    EXPECT_EQ(Journal(), SetText("Menu", "\"NO\"") + SetText("Menu", "\"YES\""));

    ClearJournal();
    EXPECT_EQ(GetText(L"noScrollBars"), L"FALSE");
    EXPECT_EQ(Put(L"noScrollBars", Text(L"yes")), S_OK);
    EXPECT_EQ(Put(L"noScrollBars", Text(L"")), S_OK);
    EXPECT_EQ(GetText(L"noScrollBars"), L"TRUE");
    EXPECT_EQ(GetText(L"noToolbar"), L"FALSE");
    EXPECT_EQ(Put(L"noToolbar", Text(L"1")), S_OK);
    EXPECT_EQ(Put(L"noToolbar", Text(L"")), S_OK);
    EXPECT_EQ(GetText(L"noToolbar"), L"TRUE");
    EXPECT_EQ(GetText(L"Toolbar"), L"NO");
    EXPECT_EQ(Put(L"noToolbar", Text(L"No")), S_OK);
    EXPECT_EQ(GetText(L"noToolbar"), L"FALSE");
    BSTR toolbar = const_cast<BSTR>(L"untouched");
    EXPECT_EQ(control->get_Toolbar(&toolbar), S_OK);
    EXPECT_EQ(toolbar, nullptr) << "absent";
    EXPECT_EQ(Put(L"Passive", Text(L"kept")), S_OK);
    EXPECT_EQ(Put(L"Passive", Text(L"")), S_OK);
    EXPECT_EQ(GetText(L"Passive"), L"kept");
    EXPECT_EQ(Journal(), "") << "none of these is sent";
}

TEST_F(Properties, CredentialsWaitForTheInstanceThenGoAtOnce)
{
    EXPECT_EQ(Put(L"UserId", Text(L"me")), S_OK);
    EXPECT_EQ(Put(L"Password", Text(L"secret")), S_OK);
    EXPECT_EQ(Journal(), "");
    EXPECT_EQ(GetText(L"UserId"), L"");
    EXPECT_EQ(GetText(L"Password"), L"");

    ASSERT_EQ(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&ole)), S_OK);
    ASSERT_EQ(ole->SetClientSite(&container), S_OK);
    RECT position = container.PositionRect();
    ASSERT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0, container.HostWindow(),
                          &position),
              S_OK);
    const std::string journal = Journal();
    EXPECT_NE(journal.find("USERID=\"me\" PASSWORD=\"secret\""), std::string::npos) << journal;

    ClearJournal();
    EXPECT_EQ(Put(L"UserId", Text(kValue)), S_OK);
    EXPECT_EQ(Put(L"Password", Text(L"pw")), S_OK);
    EXPECT_EQ(Journal(),
              SetText("USERID", JournalText(Ansi(kValue))) + SetText("PASSWORD", "\"pw\""));
    EXPECT_EQ(GetText(L"UserId"), L"");
    EXPECT_EQ(GetText(L"Password"), L"");
}

TEST_F(Properties, EveryReadSucceedsBeforeTheInstanceExists)
{
    const wchar_t* all[] = {L"SRC",
                            L"Flags",
                            L"Align",
                            L"Cache",
                            L"Frame",
                            L"Highlight",
                            L"Keyboard",
                            L"Links",
                            L"Logo",
                            L"Menu",
                            L"Mode",
                            L"Page",
                            L"Passive",
                            L"ScrollBars",
                            L"Rotate",
                            L"Thumbnails",
                            L"Toolbar",
                            L"VAlign",
                            L"Zoom",
                            L"noMenu",
                            L"noScrollBars",
                            L"noToolbar",
                            L"NavPane",
                            L"MouseMode",
                            L"HAlign",
                            L"DisplayGamma",
                            L"PrintGamma",
                            L"PrintMatchScreen",
                            L"PrintHighQuality",
                            L"MagSize",
                            L"MagZoom",
                            L"ZoomFast",
                            L"HyperlinkSimpleBorder",
                            L"HyperlinkShowAllKey",
                            L"ThumbnailFast",
                            L"ThumbnailSmart",
                            L"MaxCacheSize",
                            L"HelpURL",
                            L"PostError",
                            L"LogoImage",
                            L"DisplayMode",
                            L"ShowPosition",
                            L"PageText",
                            L"SelectedText",
                            L"Layout",
                            L"Prefetch",
                            L"UserId",
                            L"Password"};
    EXPECT_EQ(std::size(all), 48u);
    for (const wchar_t* name : all) {
        VARIANT value;
        EXPECT_EQ(GetByName(name, &value), S_OK) << static_cast<const void*>(name);
        VariantClear(&value);
    }
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i) {
        EXPECT_EQ(entry->pdata, nullptr);
        EXPECT_EQ(entry->ndata, nullptr);
    }
}

TEST_F(Properties, NullOutPointersAreRefused)
{
    EXPECT_EQ(control->get_Flags(nullptr), E_POINTER);
    EXPECT_EQ(control->get_Zoom(nullptr), E_POINTER);
    EXPECT_EQ(control->get_MagSize(nullptr), E_POINTER);
    EXPECT_EQ(control->get_PostError(nullptr), E_POINTER);
    EXPECT_EQ(control->put_Flags(nullptr), S_OK) << "an absent text is a text";
}

}  // namespace
