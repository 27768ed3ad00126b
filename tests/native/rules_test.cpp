// The decisions on texts: the plugin's argument list, addresses, navigation targets, yes/no
// texts, event names, file names and print options.
#include "control/argument_list.h"
#include "control/file_name_rules.h"
#include "control/navigation_rules.h"
#include "control/page_url.h"
#include "control/plugin_event_rules.h"
#include "control/print_arguments.h"
#include "control/text_rules.h"
#include "download/file_url.h"
#include "download/percent_decoding.h"
#include "expect_rows.h"

using namespace fexo::control;
using namespace fexo::download;
using Texts = std::pair<const wchar_t*, const wchar_t*>;

// "NAME=value" pairs; each conversion tagged with its encoding, U+2603 for a text that does not convert.
static std::string Arguments(const ArgumentSource& source)
{
    ArgumentList list = BuildArgumentList(source, [](const wchar_t* text, TextEncoding encoding) {
        std::string narrow = encoding == TextEncoding::Utf8 ? "u8:" : "ansi:";
        for (; *text; ++text) narrow.push_back(char(*text));
        return narrow.find('\x03') == std::string::npos ? std::optional(narrow) : std::nullopt;
    });
    std::string text;  // the lists end in a null entry
    for (short i = 0; i <= list.Count(); ++i)
        text += list.Names()[i] ? std::string(list.Names()[i]) + "=" + list.Values()[i] + " " : "end";
    return text;
}

TEST(ArgumentList, EveryRowFromItsOwnFieldInItsEncodingAndOrder)
{
    ArgumentSource s;
    s.scrollBars = false, s.cache = true, s.frame = false, s.keyboard = true, s.links = false, s.postError = false;
    s.mode = L"mo", s.page = L"pa", s.highlight = L"hi", s.zoom = L"zo", s.rotate = L"ro", s.thumbnails = L"th", s.menu = L"me";
    s.toolbar = L"to", s.hAlign = L"ha", s.vAlign = L"va", s.passive = L"ps", s.flags = L"fl", s.navPane = L"na", s.mouseMode = L"mm";
    s.showPosition = L"sp", s.logoImage = L"li", s.layout = L"la", s.prefetch = L"pf", s.userId = L"us", s.password = L"pw";
    s.magSize = 32767, s.magZoom = 1;
    EXPECT_EQ(Arguments(s),
              "SCROLLBARS=FALSE CACHE=TRUE FRAME=FALSE KEYBOARD=TRUE LINKS=FALSE LOGO=TRUE POSTERROR=FALSE "
              "MODE=ansi:mo PAGE=u8:pa HIGHLIGHT=ansi:hi ZOOM=ansi:zo ROTATE=ansi:ro THUMBNAILS=ansi:th "
              "MENU=ansi:me TOOLBAR=ansi:to HALIGN=ansi:ha VALIGN=ansi:va PASSIVE=ansi:ps FLAGS=u8:fl "
              "NAVPANE=ansi:na MOUSEMODE=ansi:mm MAGSIZE=32767 MAGZOOM=1 SHOWPOSITION=ansi:sp LOGOIMAGE=u8:li "
              "LAYOUT=ansi:la PREFETCH=ansi:pf USERID=ansi:us PASSWORD=ansi:pw end");
    ArgumentSource gaps;  // absent, empty and unconvertible texts and magnifier numbers of 0 or below leave no gap
    gaps.zoom = L"", gaps.rotate = L"\x2603", gaps.magSize = 0, gaps.magZoom = -5, gaps.page = L"3";
    EXPECT_EQ(Arguments(gaps), "SCROLLBARS=TRUE CACHE=FALSE FRAME=TRUE KEYBOARD=TRUE LINKS=TRUE LOGO=TRUE "
                               "POSTERROR=TRUE PAGE=u8:3 end");
}

TEST(Rules, AddressesAndNavigationTargets)
{
    ExpectRows<const wchar_t*, bool>(IsAbsoluteUrl, {{L"other://x/y", true}, {L"C:\\d\\a.fxo", true}, {L":x", true},
                                                     {L"dir/a:b", false}, {L"/x:y", false}, {L"\\\\server\\share", false}});
    // The page address up to its last '/', or its third for a root-relative address; nothing normalised.
    ExpectRows<Texts, std::wstring>([](Texts in) { return JoinPageUrl(in.first, in.second); },
        {{{L"scheme://server/dir/page.html", L"../doc.fexo"}, L"scheme://server/dir/../doc.fexo"}, {{L"page.html", L"d"}, L"d"},
         {{L"scheme://server/dir/p.html?a=b/c", L""}, L"scheme://server/dir/p.html?a=b/"}, {{L"a/b", L"/c"}, L"a/b/c"},
         {{L"scheme://server/dir/page.html", L"/d.fexo"}, L"scheme://server/d.fexo"}, {{L"s://h", L"/e"}, L"s://h/e"},
         {{L"file:///C:/dir/p.html", L"/f.fexo"}, L"file:///f.fexo"}});
    // Two hex digits become one character of that code, once; anything else is copied.
    ExpectRows<const wchar_t*, std::wstring>(PercentDecode, {{L"a%20b%41%7e%7E", L"a bA~~"}, {L"%C3%A9", L"\x00C3\x00A9"},
        {L"%2541", L"%41"}, {L"100%", L"100%"}, {L"a%4", L"a%4"}, {L"%g1%1g%%41", L"%g1%1g%A"},
        {L"%\x0661\x0662", L"%\x0661\x0662"}, {nullptr, L""}});
    std::wstring escapes;
    for (int i = 0; i < 2084; ++i) escapes += L"%41";
    EXPECT_EQ(PercentDecode(escapes.c_str()), std::wstring(2083, L'A')) << "cut at 2083 characters";
    ExpectRows<const char*, std::string>([](const char* url) {
        return IsFileUrl(url) ? LocalFilePathsOf(url).first + " " + LocalFilePathsOf(url).second : "remote";
    }, {{"file:///C:/d/a b.fexo", "C:/d/a b.fexo //C:/d/a b.fexo"}, {"FILE:///C:/a.fexo?p=2?x", "C:/a.fexo //C:/a.fexo"},
        {"File://srv/s/a", "srv/s/a //srv/s/a"}, {"file://?q", " //"}, {"file:/", "remote"}, {" file://x", "remote"}});
    ExpectRows<const wchar_t*, bool>(IsNewWindowTarget, {{L"_blank", true}, {L"_new", true}, {L"_BLANK", false}, {L"_self", false}});
    ExpectRows<Texts, bool>([](Texts in) { return LoadsIntoControl(in.first, in.second); },
        {{{L"http://h/a.b/a.FXO", L"_top"}, true}, {{L"a.Fexo", L"_SELF"}, true}, {{L"h/a.pdf", L"_top"}, false},
         {{L"h/a.fexo?page=2", L"_self"}, false}, {{L"h/a.fxo", L"_blank"}, false}});
}

TEST(Rules, YesNoEventAndFileTexts)
{
    ExpectRows<const wchar_t*, bool>(TextToBool, {{L"false", false}, {L"nO", false}, {nullptr, true}, {L"", true},
                                                  {L"0", true}, {L"falsey", true}, {L"no ", true}, {L"N\x00D8", true}});
    ExpectRows<const char*, PluginEvent>(ClassifyPluginEvent, {{"PageLoaded", PluginEvent::PageLoaded},
        {"pagechange", PluginEvent::PageChange}, {"ZOOMCHANGE", PluginEvent::ZoomChange}, {"ScrollEvent", PluginEvent::ScrollEvent},
        {"DisplayModeChange", PluginEvent::DisplayModeChange}, {"backForwardChange", PluginEvent::BackForwardChange},
        {"LayoutChange", PluginEvent::LayoutChange}, {"PageChang", PluginEvent::Unknown}, {nullptr, PluginEvent::Unknown}});
    ExpectRows<const char*, bool>(IsHyperlinkClickEvent, {{"hyperlinkclickEVENT", true}, {"HyperlinkClick", false}, {nullptr, false}});
    ExpectRows<int32_t, std::string>(DisplayModeName, {{0, "COLOR"}, {1, "BW"}, {2, "BACK"}, {3, "FORE"}, {-1, ""}, {65537, "BW"}});
    EXPECT_EQ(BackForwardText(65536 + 3, 65535) + " " + BackForwardText(-32768, 32768), "3,-1 -32768,-32768");
    ExpectRows<std::wstring_view, std::optional<std::wstring>>(GetFileExtension, {{L"C:\\d\\a.fexo", L"fexo"},
        {L"C:\\docs.old\\a", L"old\\a"}, {L"a.", L""}, {L"noext", std::nullopt}, {{L"a.fexo\0x", 8}, std::wstring(L"fexo\0x", 6)}});
    ExpectRows<std::wstring, bool>(IsDocumentExtension, {{L"fexo", true}, {L"fXo", true}, {L"pdf", false}, {L"fexo ", false}});
    ExpectRows<uint32_t, bool>(IsNoSuchFileError, {{2, true}, {3, true}, {53, true}, {206, true}, {0, false}, {5, false}});
    ExpectRows<std::wstring_view, int32_t>(PrintOptionFlags, {{L"header,footer", 6}, {L"annotations", 1},
                                                              {L"footer anno header", 7}, {L"HEADER", 0}, {{L"x\0header", 8}, 2}});
}
