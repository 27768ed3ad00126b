// IFexoCtl as page script meets it: a control activated in the test container
// with the stand-in plugin behind it (IDispatch needs the registered type
// library); its properties, methods and events, and a plugin without exports.
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <string>
#include <utility>
#include "event_sink.h"
#include "hosted_control.h"
#include "message_box_watcher.h"
#include "server_dll.h"
#include "tests/allocation_faults/every_member.h"

using namespace fexo::test;
using Events = std::vector<std::string>;

namespace {

class Automation : public testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_EQ(ServerDll::Register(), S_OK); }
    // A new window: its NPP_New carries the stored values; the entry's arguments.
    std::string Reactivate()
    {
        EXPECT_EQ(hosted.Deactivate(), S_OK);
        standin->Reset();
        EXPECT_EQ(hosted.Activate(), S_OK);
        return Created();
    }
    // The arguments of the last NPP_New.
    std::string Created() const
    {
        std::string created = "no NPP_New";
        for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
            if (std::strcmp(entry->call, "NPP_New") == 0) created = entry->arguments;
        return created;
    }
    DISPID IdOf(const wchar_t* name) const
    {
        DISPID id = DISPID_UNKNOWN;
        control->GetIDsOfNames(IID_NULL, const_cast<LPOLESTR*>(&name), 1, LOCALE_USER_DEFAULT, &id);
        return id;
    }

    EventSink sink, second;  // made before the control, so that they outlive its connections
    HostedControl hosted;
    IFexoCtl* const control = hosted.Control();
    const StandinControl* const standin = hosted.Standin();
    const NPP instance = hosted.Instance();
    const StandinCallbacks& callbacks = *standin->Callbacks();
};

// A BSTR for one call.
struct Text {
    explicit Text(const wchar_t* text) : bstr(SysAllocString(text)) {}
    ~Text() { SysFreeString(bstr); }
    operator BSTR() const { return bstr; }
    const BSTR bstr;
};

// What a text property or method answers: "null" for no text, "failed" for an error.
using Get = HRESULT (STDMETHODCALLTYPE IFexoCtl::*)(BSTR*);
std::wstring Read(IFexoCtl* control, Get get)
{
    BSTR text = nullptr;
    const std::wstring answer = (control->*get)(&text) != S_OK ? L"failed" : text ? text : L"null";
    return SysFreeString(text), answer;
}

// The journal line of a text sent to the plugin.
#define SET_TEXT(key, text) "fexop_SetProperty(name=\"" key "\" text=\"" text "\" number=0 integer=0 short=0 flag=0)\n"

// Every property of IFexoCtl written and read through IDispatch by its
// dispid, as script does: the key, slot and code page of what a write sends,
// what a read asks and returns, and which field keeps the plugin's answer.

// How a value travels: a text in a code page, a yes/no text (the flag is
// kept, the text sent), or one numeric slot; long flags are true when
// positive or when not zero.
enum class Slot { Ansi, Utf8, YesNoAnsi, YesNoUtf8, Number, Integer, Short, Positive, NonZero };
const unsigned kAnsweredSlot[] = {0, 0, STANDIN_SLOT_FLAG, STANDIN_SLOT_FLAG, STANDIN_SLOT_NUMBER,
                                  STANDIN_SLOT_INTEGER, STANDIN_SLOT_SHORT, STANDIN_SLOT_FLAG, STANDIN_SLOT_FLAG};
const VARTYPE kReadType[] = {VT_BSTR, VT_BSTR, VT_BSTR, VT_BSTR, VT_R8, VT_I4, VT_I2, VT_I4, VT_I4};

struct Property {
    const wchar_t* name;
    DISPID dispid;
    const char* key;    // the write's key; null: read-only
    Slot slot;
    const char* asked;  // the read's key; null: the stored value answers
    double put = 0;     // numbers: the value written
    double answer = 0;  // numbers and flags: the plugin's answer; -1: it leaves the slot alone
};

// Texts are written as the name followed by "é" and answered as the key
// followed by "ä"; flags and numbers are answered otherwise than written.
const Property kProperties[] = {
    {L"Flags", 2, "Flags", Slot::Utf8, nullptr},
    {L"Align", 3, "HAlign", Slot::Ansi, "HAlign"},
    {L"Cache", 4, "Cache", Slot::YesNoAnsi, "Cache", 0, -1},
    {L"Frame", 5, "Frame", Slot::YesNoAnsi, "Frame", 0, 0},
    {L"Highlight", 6, "HIGHLIGHT", Slot::Ansi, nullptr},
    {L"Keyboard", 8, "Keyboard", Slot::YesNoAnsi, "Keyboard", 0, 0},
    {L"Links", 9, "Links", Slot::YesNoUtf8, "Links", 0, 0},
    {L"Logo", 10, "Logo", Slot::YesNoUtf8, "Logo", 0, 0},
    {L"Menu", 11, "Menu", Slot::Ansi, "Menu"},
    {L"Mode", 12, "Mode", Slot::Ansi, "Mode"},
    {L"Page", 13, "Page", Slot::Utf8, "PAGE"},
    {L"ScrollBars", 15, "ScrollBars", Slot::YesNoAnsi, "ScrollBars", 0, 0},
    {L"Rotate", 16, "Rotate", Slot::Ansi, "ROTATE"},
    {L"Toolbar", 18, "Toolbar", Slot::Ansi, nullptr},
    {L"VAlign", 19, "VAlign", Slot::Ansi, "VAlign"},
    {L"Zoom", 20, "Zoom", Slot::Ansi, "ZOOM"},
    {L"NavPane", 24, "NavPane", Slot::Ansi, "NavPane"},
    {L"MouseMode", 25, "MouseMode", Slot::Ansi, "MouseMode"},
    {L"HAlign", 34, "HAlign", Slot::Ansi, "HAlign"},
    {L"DisplayGamma", 35, "DisplayGamma", Slot::Number, "DisplayGamma", 35.5, 3.5},
    {L"PrintGamma", 36, "PrintGamma", Slot::Number, "PrintGamma", 36.25, -3.625},
    {L"PrintMatchScreen", 37, "PrintMatchScreen", Slot::NonZero, "PrintMatchScreen", -1, 0},
    {L"PrintHighQuality", 38, "PrintHighQuality", Slot::Positive, "PrintHighQuality", -1, 1},
    {L"MagSize", 39, "MagSize", Slot::Short, "MagSize", -39, 390},
    {L"MagZoom", 40, "MagZoom", Slot::Short, "MagZoom", 40, -400},
    {L"ZoomFast", 41, "ZoomFast", Slot::Positive, "ZoomFast", -1, 1},
    {L"HyperlinkSimpleBorder", 42, "HyperlinkSimpleBorder", Slot::Positive, "HyperlinkSimpleBorder", -1, 1},
    {L"HyperlinkShowAllKey", 43, "HyperlinkShowAllKey", Slot::Ansi, "HyperlinkShowAllKey"},
    {L"ThumbnailFast", 44, "ThumbnailFast", Slot::Positive, "ThumbnailFast", -1, 1},
    {L"ThumbnailSmart", 45, "ThumbnailSmart", Slot::Positive, "ThumbnailSmart", -1, 1},
    {L"MaxCacheSize", 46, "MaxCacheSize", Slot::Integer, "MaxCacheSize", -46000, 460},
    {L"HelpURL", 47, "HelpURL", Slot::Utf8, "HelpURL"},
    {L"PostError", 48, "PostError", Slot::NonZero, nullptr, -1},
    {L"LogoImage", 77, "LogoImage", Slot::Utf8, "LogoImage"},
    {L"DisplayMode", 79, "DisplayMode", Slot::Ansi, "DisplayMode"},
    {L"ShowPosition", 81, "ShowPosition", Slot::Ansi, "ShowPosition"},
    {L"PageText", 82, nullptr, Slot::Ansi, "PageText"},
    {L"SelectedText", 83, nullptr, Slot::Ansi, "SelectedText"},
    {L"Layout", 84, "Layout", Slot::Ansi, "Layout"},
    {L"Prefetch", 85, "PREFETCH", Slot::Ansi, "PREFETCH"},
};

// The stored fields as the next instance's creation arguments show them:
// the answers of the reads that keep them, else the written texts.
const char kStored[] =
    "type=\"image/vnd.fexo\" mode=1 argc=24 SCROLLBARS=\"FALSE\" CACHE=\"TRUE\" FRAME=\"FALSE\" "
    "KEYBOARD=\"FALSE\" LINKS=\"FALSE\" LOGO=\"FALSE\" POSTERROR=\"TRUE\" "
    "MODE=\"DisplayMode\\xe4\" PAGE=\"PAGE\\xc3\\xa4\" HIGHLIGHT=\"Highlight\\xe9\" "
    "ZOOM=\"ZOOM\\xe4\" ROTATE=\"ROTATE\\xe4\" MENU=\"Menu\\xe4\" TOOLBAR=\"Toolbar\\xe9\" "
    "HALIGN=\"HAlign\\xe4\" VALIGN=\"VAlign\\xe4\" FLAGS=\"Flags\\xc3\\xa9\" "
    "NAVPANE=\"NavPane\\xe4\" MOUSEMODE=\"MouseMode\\xe4\" MAGSIZE=\"390\" "
    "SHOWPOSITION=\"ShowPosition\\xe4\" LOGOIMAGE=\"LogoImage\\xc3\\xa4\" "
    "LAYOUT=\"Layout\\xe4\" PREFETCH=\"Prefetch\\xe9\" saved=null";

bool IsText(Slot slot) { return slot <= Slot::YesNoUtf8; }
bool IsYesNo(Slot slot) { return slot == Slot::YesNoAnsi || slot == Slot::YesNoUtf8; }
bool IsFlag(Slot slot) { return slot >= Slot::Positive; }

// The journal's form of the written text: "é" in the ANSI code page (1252) or in UTF-8.
std::string SetLine(const Property& p)
{
    const bool utf8 = p.slot == Slot::Utf8 || p.slot == Slot::YesNoUtf8;
    const std::string text = "\"" + std::string(p.name, p.name + std::wcslen(p.name)) + (utf8 ? "\\xc3\\xa9\"" : "\\xe9\"");
    char values[96];
    std::snprintf(values, sizeof values, " number=%g integer=%g short=%g flag=%d)\n",
                  p.slot == Slot::Number ? p.put : 0, p.slot == Slot::Integer ? p.put : 0, p.slot == Slot::Short ? p.put : 0,
                  p.slot == Slot::NonZero ? p.put != 0 : p.slot == Slot::Positive && p.put > 0);
    return std::string("fexop_SetProperty(name=\"") + p.key + "\" text=" + (IsText(p.slot) ? text : "null") + values;
}

std::string AskLine(const Property& p)
{
    auto given = [&](bool yes) { return yes ? "ptr" : "null"; };
    return std::string("fexop_GetProperty(name=\"") + p.asked + "\" text=empty number=" + given(p.slot == Slot::Number) +
           " integer=" + given(p.slot == Slot::Integer) + " short=" + given(p.slot == Slot::Short) +
           " flag=" + given(IsFlag(p.slot) || IsYesNo(p.slot)) + ")\n";
}

HRESULT Invoke(IFexoCtl* control, DISPID id, WORD flags, VARIANT* value)
{
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params{put ? value : nullptr, put ? &named : nullptr, put, put};
    return control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, put ? nullptr : value, nullptr, nullptr);
}

TEST_F(Automation, EveryPropertyRowSendsAsksAndKeepsWhatItsColumnsSay)
{
    ASSERT_EQ(GetACP(), 1252u);
    for (const Property& p : kProperties) {
        SCOPED_TRACE(testing::Message() << p.name);
        EXPECT_EQ(IdOf(p.name), p.dispid);
        const std::wstring written = std::wstring(p.name) + L"\u00e9";
        std::string expected = p.key ? SetLine(p) : "";
        VARIANT value{};  // numbers as doubles: IDispatch converts them
        V_VT(&value) = IsText(p.slot) ? VT_BSTR : VT_R8;
        if (IsText(p.slot)) V_BSTR(&value) = SysAllocString(written.c_str()); else V_R8(&value) = p.put;
        EXPECT_EQ(p.key ? Invoke(control, p.dispid, DISPATCH_PROPERTYPUT, &value) : S_OK, S_OK);
        VariantClear(&value);

        std::wstring answered = written;
        if (p.asked) {
            const std::string text = p.asked + std::string("\xe4");  // "ä" in the ANSI code page
            answered = std::wstring(p.asked, p.asked + std::strlen(p.asked)) + L"\u00e4";
            const StandinAnswer answer = {text.c_str(), p.answer == -1 ? 0 : kAnsweredSlot[int(p.slot)],
                                          p.answer, int32_t(p.answer), int16_t(p.answer), p.answer != 0};
            standin->SetAnswer(p.asked, &answer);
            expected += AskLine(p);
        }
        if (IsYesNo(p.slot)) answered = p.answer == 0 ? L"FALSE" : L"TRUE";
        EXPECT_EQ(Invoke(control, p.dispid, DISPATCH_PROPERTYGET, &value), S_OK);
        EXPECT_EQ(V_VT(&value), kReadType[int(p.slot)]);
        if (IsText(p.slot)) {
            EXPECT_EQ(std::wstring(V_BSTR(&value)), answered);
        } else if (VariantChangeType(&value, &value, 0, VT_R8) == S_OK) {
            EXPECT_EQ(V_R8(&value), !p.asked ? p.put != 0 : IsFlag(p.slot) ? p.answer != 0 : p.answer);
        }
        VariantClear(&value);
        EXPECT_EQ(hosted.Journal(), expected);
        standin->Reset();
    }
    EXPECT_EQ(standin->LiveStrings(), 0) << "every answer went back to the plugin";
    EXPECT_EQ(Reactivate(), kStored);
}

// The properties that are not plain mappings, and what SRC resets.
TEST_F(Automation, NegatedThumbnailPassiveAndCredentialWritesThenAnSrc)
{
    using Put = HRESULT (STDMETHODCALLTYPE IFexoCtl::*)(BSTR);
    const std::pair<Put, const wchar_t*> writes[] = {
        {&IFexoCtl::put_noMenu, L"true"}, {&IFexoCtl::put_noMenu, L""}, {&IFexoCtl::put_noMenu, L"false"},
        {&IFexoCtl::put_noScrollBars, L"yes"}, {&IFexoCtl::put_noScrollBars, L""},
        {&IFexoCtl::put_noToolbar, L"1"}, {&IFexoCtl::put_noToolbar, L""},
        {&IFexoCtl::put_Thumbnails, L"tru\u00e9"}, {&IFexoCtl::put_Thumbnails, L""},
        {&IFexoCtl::put_Passive, L"k\u00e9pt"}, {&IFexoCtl::put_Passive, L""}, {&IFexoCtl::put_UserId, L"m\u00e9"},
        {&IFexoCtl::put_Password, L"p\u00e4"}, {&IFexoCtl::put_Rotate, L"9"}, {&IFexoCtl::put_Page, L"9"},
        {&IFexoCtl::put_Layout, L"9"}, {&IFexoCtl::put_Prefetch, L"9"}};
    for (const auto& [put, text] : writes) EXPECT_EQ((control->*put)(Text(text)), S_OK);
    const std::pair<Get, const wchar_t*> reads[] = {
        {&IFexoCtl::get_noMenu, L"FALSE"}, {&IFexoCtl::get_noScrollBars, L"TRUE"},
        {&IFexoCtl::get_noToolbar, L"TRUE"}, {&IFexoCtl::get_Toolbar, L"NO"}, {&IFexoCtl::get_Thumbnails, L""},
        {&IFexoCtl::get_Passive, L"k\u00e9pt"}, {&IFexoCtl::get_UserId, L""}, {&IFexoCtl::get_Password, L""}};
    for (const auto& [get, expected] : reads) EXPECT_EQ(Read(control, get), expected);
    EXPECT_EQ(hosted.Journal(), SET_TEXT("Menu", "NO") SET_TEXT("Menu", "YES")
                                    SET_TEXT("NavPane", "Thumbnails,tru\\xe9") SET_TEXT("NavPane", "Thumbnails,")
                                    SET_TEXT("USERID", "m\\xe9") SET_TEXT("PASSWORD", "p\\xe4") SET_TEXT("Rotate", "9")
                                    SET_TEXT("Page", "9") SET_TEXT("Layout", "9") SET_TEXT("PREFETCH", "9"));
    // A second address replaces the instance, whose arguments show the resets.
    control->put_noToolbar(Text(L"No"));
    hosted.SetSource(L"http://127.0.0.1:1/a.fexo");
    hosted.SetSource(L"http://127.0.0.1:1/b.fexo");
    EXPECT_EQ(Created(),
              "type=\"image/vnd.fexo\" mode=1 argc=10 SCROLLBARS=\"FALSE\" CACHE=\"FALSE\" "
              "FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"TRUE\" "
              "ROTATE=\"0\" MENU=\"YES\" PASSIVE=\"k\\xe9pt\" saved=null");
}

// The methods of IFexoCtl, one row each (two where a check branches): the
// dispid, what the call returns, and, for the whole table, the exports the
// plugin sees in order and the errors the sinks hear.

const wchar_t kLocked[] = L"automation-locked.fexo";  // an existing read-only file

struct Method {
    const wchar_t* name;
    DISPID dispid;
    long (*call)(IFexoCtl*);
    long result;        // the query's answer, or the call's HRESULT
    const char* calls;  // what the plugin sees
};

#define CALL(call) [](IFexoCtl* c) -> long { return c->call; }
#define QUERY(type, method) [](IFexoCtl* c) -> long { type v{}; c->method(&v); return v; }
#define TEXT_IS(method, text) [](IFexoCtl* c) -> long { return Read(c, &IFexoCtl::method) == text; }
#define DIALOG(name, dispid) {L## #name, dispid, CALL(name()), S_OK, "fexop_OpenDlgCommand(command=\"" #name "\")\n"}
#define ACTION(name, dispid, call, export) {L## #name, dispid, CALL(call), S_OK, export "()\n"}

const Method kMethods[] = {
    {L"GetDocPagesCount", 26, QUERY(long, GetDocPagesCount), 70000, "fexop_GetDocPagesCount()\n"},
    {L"GetDocFormatVersion", 27, QUERY(short, GetDocFormatVersion), 0x2345, "fexop_GetDocFormatVersion()\n"},
    {L"GetPageResolution", 28, QUERY(short, GetPageResolution), 300, "fexop_GetPageResolution()\n"},
    {L"GetPageLength", 29, QUERY(long, GetPageLength), 40000 - 65536, "fexop_GetPageLength()\n"},
    {L"GetPageWidth", 30, QUERY(long, GetPageWidth), 0x8005 - 65536, "fexop_GetPageWidth()\n"},
    {L"GetDocType", 31, TEXT_IS(GetDocType, L"F\u00e9xo"), true, "fexop_GetDocType(docType=ptr)\n"},
    DIALOG(CmdHelp, 49),
    DIALOG(CmdPageInfo, 50),
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK, "fexop_GetDocPagesCount()\n"},  // one page
    {L"CmdDocInfo", 51, CALL(CmdDocInfo()), S_OK, "fexop_GetDocPagesCount()\nfexop_OpenDlgCommand(command=\"CmdDocInfo\")\n"},
    DIALOG(CmdSavePageAs, 52),
    DIALOG(CmdSaveDocAs, 53),
    DIALOG(CmdFind, 54),
    DIALOG(CmdExportToFile, 55),
    DIALOG(CmdPrint, 56),
    DIALOG(CmdPreferences, 57),
    DIALOG(CmdAboutFexo, 58),
    {L"ScrollImage", 59, CALL(ScrollImage(-59, 590)), S_OK, "fexop_ScrollImage(dx=-59 dy=590)\n"},
    {L"NavView", 60, CALL(NavView(-60)), S_OK, "fexop_NavView(code=-60)\n"},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"C:\\docs.old\\a"), Text(L"x"))), S_OK, ""},
    {L"SaveAs", 61, CALL(SaveAs(Text(kLocked), nullptr)), S_OK, ""},
    {L"SaveAs", 61, CALL(SaveAs(Text(L"no-such-dir\\n\u00e9w.FXO"), Text(L"d\u00e9"))), S_OK,
     "fexop_SaveAs(file=\"no-such-dir\\x5cn\\xc3\\xa9w.FXO\" docType=\"d\\xe9\")\n"},
    ACTION(CopySelectedText, 62, CopySelectedText(), "fexop_CopySelectedText"),
    ACTION(SelectAllText, 63, SelectAllText(), "fexop_SelectedAllText"),
    ACTION(UnSelectText, 64, UnSelectText(), "fexop_UnSelectText"),
    ACTION(CopyImage, 65, CopyImage(), "fexop_CopyImage"),
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(kLocked), Text(L"png"))), S_OK, ""},
    {L"ExportImageAs", 66, CALL(ExportImageAs(Text(L"no-such-dir\\\u00e9.png"), nullptr)), S_OK,
     "fexop_ExportImageAs(file=\"no-such-dir\\x5c\\xc3\\xa9.png\")\n"},
    {L"HighlightTerm", 67, CALL(HighlightTerm(Text(L"r\u00e9sum\u00e9"), 2, 0, -1, 0xFF00)), S_OK,
     "fexop_SearchText(text=\"r\\xc3\\xa9sum\\xc3\\xa9\" matchCase=1 wholeWord=0 allMatches=0 colour=0x0000ff00)\n"},
    {L"HighlightTerm", 67, CALL(HighlightTerm(nullptr, -1, 1, 0, 0xFFFFFFFF)), S_OK,
     "fexop_SearchText(text=null matchCase=0 wholeWord=1 allMatches=0 colour=0xffffffff)\n"},
    {L"AddHighlightRect", 68, CALL(AddHighlightRect(68, 69, 70, 71, 0xABCDEF)), S_OK,
     "fexop_AddHighlightRect(x=68 y=69 w=70 h=71 colour=0x00abcdef)\n"},
    ACTION(RemoveAllHighlightRect, 69, RemoveAllHighlightRect(), "fexop_ClearHighlightRects"),
    ACTION(RestoreDefaults, 70, RestoreDefaults(), "fexop_RestoreDefaults"),
    ACTION(ClearCache, 71, ClearCache(), "fexop_ClearCache"),
    {L"PrintDocTo", 72, CALL(PrintDocTo(3, 7, Text(L"Current ZOOM"), Text(L"P\u00e9"), Text(L"HEADER,FOOTER"))),
     S_OK, "fexop_PrintDocTo(reserved=null start=3 end=7 zoom=2 printer=\"P\\xc3\\xa9\" options=6)\n"},
    {L"PrintDocTo", 72, CALL(PrintDocTo(-1, 0, Text(L"orig. size"), nullptr, Text(L"anno"))), S_OK,
     "fexop_PrintDocTo(reserved=null start=-1 end=0 zoom=1 printer=\"\" options=1)\n"},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(-1)), S_OK, "fexop_ShowMagnifier(show=0)\n"},
    {L"ShowMagnifier", 73, CALL(ShowMagnifier(73)), S_OK, "fexop_ShowMagnifier(show=1)\n"},
    {L"GetLastFexoError", 74, TEXT_IS(GetLastFexoError, L"Invalid path or file exsisting"), true, ""},
    {L"RotateBy", 78, CALL(RotateBy(Text(L"7\u00e8"))), S_OK, SET_TEXT("Rotate", "7\\xe8")},
};

TEST_F(Automation, EveryMethodRowCallsItsExportWithItsArguments)
{
    HANDLE file = CreateFileW(kLocked, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_READONLY, nullptr);
    ASSERT_TRUE(file != INVALID_HANDLE_VALUE && CloseHandle(file));
    ASSERT_EQ(sink.Advise(control), 1u);
    standin->SetResult("fexop_GetDocPagesCount", 2);
    standin->QueueResult("fexop_GetDocPagesCount", 70000);
    standin->QueueResult("fexop_GetDocPagesCount", 1);
    standin->SetResult("fexop_GetDocFormatVersion", 0x12345);
    standin->SetResult("fexop_GetPageResolution", 0x2012C);
    standin->SetResult("fexop_GetPageLength", 40000);
    standin->SetResult("fexop_GetPageWidth", 0x18005);
    standin->SetDocType(L"F\u00e9xo");
    MessageBoxWatcher boxes(L"");

    std::string calls;
    for (const Method& m : kMethods) {
        calls += m.calls;
        EXPECT_EQ(IdOf(m.name), m.dispid) << m.name;
        EXPECT_EQ(m.call(control), m.result) << m.name;
    }
    EXPECT_EQ(hosted.Journal(), calls);
    for (int i = 0; const StandinEntry* entry = standin->Entry(i); ++i)
        EXPECT_EQ(entry->instance, instance) << entry->call;
    EXPECT_EQ(sink.events, (Events{"PlugInError(\"No Doc information for sigle page document\")",
                                   "PlugInError(\"Invalid file extension\")",
                                   "PlugInError(\"Invalid path or file exsisting\")"}));
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, L"Printer Name == NULL");
    SetFileAttributesW(kLocked, FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(kLocked);
}

// The plugin's notifications through the callbacks the control registered:
// what the control keeps and which events its sinks hear; the connection
// point's cookies.

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

TEST_F(Automation, EveryNotificationStoresAndFiresWhatItsRowSays)
{
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
    EXPECT_EQ(Read(control, &IFexoCtl::GetLastFexoError), L"Broken \u00e9");
    EXPECT_EQ(Reactivate(),
              "type=\"image/vnd.fexo\" mode=1 argc=11 SCROLLBARS=\"TRUE\" CACHE=\"FALSE\" "
              "FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"FALSE\" "
              "MODE=\"FORE\" PAGE=\"12\" ZOOM=\"fit\\xe9\" LAYOUT=\"2\\xfcp\" saved=null");
}

// Handlers change the click's variables in slot order (the flag counts by its
// low byte: 256 is false) and answer a credential request with the password.
TEST_F(Automation, HandlersRedirectCancelAndAnswer)
{
    ASSERT_EQ(sink.Advise(control) + second.Advise(control), 3u);
    sink.action = [&](DISPID id, DISPPARAMS& params) {
        if (id == 11) control->put_Password(Text(L"p\u00e9"));
        if (id != 8) return;
        *V_BOOLREF(&params.rgvarg[3]) = VARIANT_TRUE;  // arguments lie last first
        SysFreeString(*V_BSTRREF(&params.rgvarg[2]));
        *V_BSTRREF(&params.rgvarg[2]) = SysAllocString(L"http://n\u00e9w/");
    };
    callbacks.complexEvent(instance, "HyperlinkClickEvent", "http://old/", "fr\xc3\xa9me", nullptr, 1, 2, 3, 4, 5, 256);
    second.action = [](DISPID id, DISPPARAMS& params) { if (id == 8) *V_BOOLREF(&params.rgvarg[3]) = VARIANT_FALSE; };
    callbacks.complexEvent(instance, "HyperlinkClickEvent", "http://x/", "", "\xc3\xa9", 1, 2, 3, 4, 5, 1);
    PasswordRequest request{2, "http://doc/\xc3\xa9", "user", "pass"};
    int32_t answered = -1;
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 4) << "the sink table's capacity";
    EXPECT_EQ(request.userId[0] + request.password[0], 0);
    sink.action = nullptr;
    control->put_UserId(Text(L"early"));  // forgotten by the next request
    callbacks.password(nullptr, &request, &answered);
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 0);

    EXPECT_EQ(sink.events[0], "HyperlinkClick(&0, &\"http://old/\", &\"fr\\u00e9me\", &null)");
    const std::string asked = "RequestPassword(\"http://doc/\\u00e9\", " +
                              std::to_string(int(reinterpret_cast<uintptr_t>(control))) + ", 2)";
    EXPECT_EQ(second.events, (Events{"HyperlinkClick(&-1, &\"http://n\\u00e9w/\", &\"fr\\u00e9me\", &null)",
                                     "HyperlinkClick(&-1, &\"http://n\\u00e9w/\", &\"\", &\"\\u00e9\")", asked,
                                     asked}));
    EXPECT_EQ(hosted.Journal(),
              "fexop_DoHyperlink(url=\"http://n\\xc3\\xa9w/\" target=\"fr\\xc3\\xa9me\" comment=null)\n"
              SET_TEXT("PASSWORD", "p\\xe9") SET_TEXT("USERID", "early"));
}

// Cookies are slots: the last one can be given back, an emptied slot is
// skipped by events and taken by the next Advise, and a full table doubles.
TEST_F(Automation, CookiesAreSlotsOfATableThatDoubles)
{
    IConnectionPointContainer* points = nullptr;
    IConnectionPoint* point = nullptr;
    control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&points));
    ASSERT_EQ(points->FindConnectionPoint(DIID__IFexoCtlEvents, &point), S_OK);
    EventSink sinks[6];
    DWORD cookie = 77;
    EXPECT_EQ(point->Advise(nullptr, &cookie), E_POINTER);
    EXPECT_EQ(point->Advise(points, &cookie), CONNECT_E_CANNOTCONNECT);
    for (DWORD expected = 1; expected <= 4; ++expected) EXPECT_EQ(sinks[expected - 1].Advise(control), expected);
    EXPECT_EQ(point->Unadvise(4), S_OK);
    for (DWORD refused : {4, 0, 5, 9}) EXPECT_EQ(point->Unadvise(refused), CONNECT_E_NOCONNECTION);
    EXPECT_EQ(point->Unadvise(1), S_OK);
    callbacks.event(instance, "ZoomChange", "z", 0, 0, 0, 0);
    const std::pair<int, DWORD> readvised[] = {{4, 1}, {5, 4}, {0, 5}};  // sink, its cookie
    for (const auto& [index, expected] : readvised) EXPECT_EQ(sinks[index].Advise(control), expected);
    sinks[1].action = [&](DISPID, DISPPARAMS&) { control->put_UserId(Text(L"u")); };
    PasswordRequest request{0, nullptr, "", ""};
    int32_t answered = 0;
    callbacks.password(instance, &request, &answered);
    EXPECT_EQ(answered, 8);
    const size_t heard[] = {1, 2, 2, 0, 1, 1};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(sinks[i].events.size(), heard[i]) << i;
    for (DWORD given = 1; given <= 5; ++given) EXPECT_EQ(point->Unadvise(given), S_OK);
    for (const EventSink& each : sinks) EXPECT_EQ(each.References(), 1u);
    point->Release();
    points->Release();
}

// A plugin without the exports that members and callbacks call (its load
// fails, so no instance is made): every member still answers S_OK, every
// callback returns, and nothing reaches the plugin.
class MissingExports : public Automation {};

TEST_F(MissingExports, EveryMemberAndCallbackStillSucceeds)
{
    EXPECT_EQ(CallEveryMember(control, [](DISPID id, HRESULT hr) { EXPECT_EQ(hr, S_OK) << id; }), 127);
    // Without an instance the callbacks are given a record that names the control.
    NPP_t record{nullptr, control};
    callbacks.error(&record, "message");
    callbacks.event(&record, "PageChange", nullptr, 0, 0, 3, 0);
    callbacks.complexEvent(&record, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0, 0, 0, 0, 1);
    PasswordRequest request{0, nullptr, "u", "p"};
    int32_t result = 5;
    callbacks.password(&record, &request, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(hosted.Journal(), "");
}

}  // namespace
