// Every property of IFexoCtl written and read through IDispatch by its
// dispid, as script does: the key, slot and code page of what a write sends,
// what a read asks and returns, and which field keeps the plugin's answer.
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <list>
#include <utility>
#include "automation.h"

using namespace fexo::test;

namespace {

// How a value travels: a text in a code page, a yes/no text (the flag is
// kept, the text sent), or one numeric slot; long flags are true when
// positive or when not zero.
enum class Slot { Ansi, Utf8, YesNoAnsi, YesNoUtf8, Number, Integer, Short, Positive, NonZero };
const unsigned kAnsweredSlot[] = {0, 0, STANDIN_SLOT_FLAG, STANDIN_SLOT_FLAG, STANDIN_SLOT_NUMBER,
                                  STANDIN_SLOT_INTEGER, STANDIN_SLOT_SHORT, STANDIN_SLOT_FLAG,
                                  STANDIN_SLOT_FLAG};
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
    {L"HyperlinkSimpleBorder", 42, "HyperlinkSimpleBorder", Slot::Positive,
     "HyperlinkSimpleBorder", -1, 1},
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

class Properties : public Automation {};

TEST_F(Properties, EveryRowSendsAsksAndKeepsWhatItsColumnsSay)
{
    ASSERT_EQ(GetACP(), 1252u);
    std::list<std::string> answers;  // the stand-in keeps the pointers
    for (const Property& p : kProperties) {
        SCOPED_TRACE(testing::Message() << p.name);
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(p.name)};
        control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        EXPECT_EQ(id, p.dispid);
        const std::wstring written = std::wstring(p.name) + L"\u00e9";
        std::string expected = p.key ? SetLine(p) : "";
        VARIANT value{};  // numbers as doubles: IDispatch converts them
        V_VT(&value) = IsText(p.slot) ? VT_BSTR : VT_R8;
        if (IsText(p.slot)) V_BSTR(&value) = SysAllocString(written.c_str()); else V_R8(&value) = p.put;
        EXPECT_EQ(p.key ? Invoke(control, p.dispid, DISPATCH_PROPERTYPUT, &value) : S_OK, S_OK);
        VariantClear(&value);

        std::wstring answered = written;
        if (p.asked) {
            answers.push_back(p.asked + std::string("\xe4"));  // "ä" in the ANSI code page
            answered = std::wstring(p.asked, p.asked + std::strlen(p.asked)) + L"\u00e4";
            const StandinAnswer answer = {answers.back().c_str(), p.answer == -1 ? 0 : kAnsweredSlot[int(p.slot)],
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
            const double expected = !p.asked        ? p.put != 0
                                    : IsFlag(p.slot) ? p.answer != 0
                                                     : p.answer;
            EXPECT_EQ(V_R8(&value), expected);
        }
        VariantClear(&value);
        EXPECT_EQ(Journal(), expected);
        standin->Reset();
    }
    EXPECT_EQ(standin->LiveStrings(), 0) << "every answer went back to the plugin";
    EXPECT_EQ(Reactivate(), kStored);
}

// The properties that are not plain mappings, and what SRC resets.
TEST_F(Properties, NegatedThumbnailPassiveAndCredentialWritesThenAnSrc)
{
    using Put = HRESULT (STDMETHODCALLTYPE IFexoCtl::*)(BSTR);
    using Get = HRESULT (STDMETHODCALLTYPE IFexoCtl::*)(BSTR*);
    const std::pair<Put, const wchar_t*> writes[] = {
        {&IFexoCtl::put_noMenu, L"true"}, {&IFexoCtl::put_noMenu, L""},
        {&IFexoCtl::put_noMenu, L"false"}, {&IFexoCtl::put_noScrollBars, L"yes"},
        {&IFexoCtl::put_noScrollBars, L""}, {&IFexoCtl::put_noToolbar, L"1"},
        {&IFexoCtl::put_noToolbar, L""}, {&IFexoCtl::put_Thumbnails, L"tru\u00e9"},
        {&IFexoCtl::put_Thumbnails, L""}, {&IFexoCtl::put_Passive, L"k\u00e9pt"},
        {&IFexoCtl::put_Passive, L""}, {&IFexoCtl::put_UserId, L"m\u00e9"},
        {&IFexoCtl::put_Password, L"p\u00e4"}, {&IFexoCtl::put_Rotate, L"9"},
        {&IFexoCtl::put_Page, L"9"}, {&IFexoCtl::put_Layout, L"9"},
        {&IFexoCtl::put_Prefetch, L"9"}};
    for (const auto& [put, text] : writes) EXPECT_EQ((control->*put)(Text(text)), S_OK);
    const std::pair<Get, const wchar_t*> reads[] = {
        {&IFexoCtl::get_noMenu, L"FALSE"}, {&IFexoCtl::get_noScrollBars, L"TRUE"},
        {&IFexoCtl::get_noToolbar, L"TRUE"}, {&IFexoCtl::get_Toolbar, L"NO"},
        {&IFexoCtl::get_Thumbnails, L""}, {&IFexoCtl::get_Passive, L"k\u00e9pt"},
        {&IFexoCtl::get_UserId, L""}, {&IFexoCtl::get_Password, L""}};
    for (const auto& [get, expected] : reads) {
        BSTR text = nullptr;
        EXPECT_EQ((control->*get)(&text), S_OK);
        EXPECT_STREQ(text, expected);
        SysFreeString(text);
    }
    auto set = [](const char* key, const char* text) {
        return std::string("fexop_SetProperty(name=\"") + key + "\" text=\"" + text +
               "\" number=0 integer=0 short=0 flag=0)\n";
    };
    EXPECT_EQ(Journal(), set("Menu", "NO") + set("Menu", "YES") +
                             set("NavPane", "Thumbnails,tru\\xe9") + set("NavPane", "Thumbnails,") +
                             set("USERID", "m\\xe9") + set("PASSWORD", "p\\xe4") +
                             set("Rotate", "9") + set("Page", "9") + set("Layout", "9") +
                             set("PREFETCH", "9"));
    // A second address replaces the instance, whose arguments show the resets.
    control->put_noToolbar(Text(L"No"));
    hosted.SetSource(L"http://127.0.0.1:1/a.fexo");
    hosted.SetSource(L"http://127.0.0.1:1/b.fexo");
    EXPECT_EQ(Created(),
              "type=\"image/vnd.fexo\" mode=1 argc=10 SCROLLBARS=\"FALSE\" CACHE=\"FALSE\" "
              "FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" LOGO=\"TRUE\" POSTERROR=\"TRUE\" "
              "ROTATE=\"0\" MENU=\"YES\" PASSIVE=\"k\\xe9pt\" saved=null");
}

}  // namespace
