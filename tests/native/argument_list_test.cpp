// The plugin's creation arguments: every row of the list with a value of its
// own, so that a row taken from the wrong field, sent in the wrong encoding,
// or out of order shows.
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>
#include "control/argument_list.h"

using namespace fexo::control;
using Pairs = std::vector<std::pair<std::string, std::string>>;

namespace {

// Marks each conversion so tests can see which encoding a value went through.
std::optional<std::string> TaggedConversion(const wchar_t* text, TextEncoding encoding)
{
    std::string narrow;
    for (; *text; ++text) {
        if (*text == L'\x2603') return std::nullopt;  // stands for "does not convert"
        narrow.push_back(static_cast<char>(*text));
    }
    return (encoding == TextEncoding::Utf8 ? "u8:" : "ansi:") + narrow;
}

Pairs PairsOf(const ArgumentSource& source)
{
    ArgumentList list = BuildArgumentList(source, TaggedConversion);
    Pairs pairs;
    char** names = list.Names();
    char** values = list.Values();
    for (short i = 0; i < list.Count(); ++i) pairs.emplace_back(names[i], values[i]);
    EXPECT_EQ(names[list.Count()], nullptr);
    EXPECT_EQ(values[list.Count()], nullptr);
    return pairs;
}

}  // namespace

TEST(ArgumentList, EveryRowInOrderFromItsOwnFieldInItsEncoding)
{
    ArgumentSource s;
    s.scrollBars = false, s.cache = true, s.frame = false, s.keyboard = true, s.links = false,
    s.logo = true, s.postError = false;
    s.mode = L"mo", s.page = L"pa", s.highlight = L"hi", s.zoom = L"zo", s.rotate = L"ro",
    s.thumbnails = L"th", s.menu = L"me", s.toolbar = L"to", s.hAlign = L"ha", s.vAlign = L"va",
    s.passive = L"ps", s.flags = L"fl", s.navPane = L"na", s.mouseMode = L"mm",
    s.showPosition = L"sp", s.logoImage = L"li", s.layout = L"la", s.prefetch = L"pf",
    s.userId = L"us", s.password = L"pw";
    s.magSize = 32767, s.magZoom = 1;
    EXPECT_EQ(PairsOf(s),
              (Pairs{{"SCROLLBARS", "FALSE"},    {"CACHE", "TRUE"},       {"FRAME", "FALSE"},
                     {"KEYBOARD", "TRUE"},       {"LINKS", "FALSE"},      {"LOGO", "TRUE"},
                     {"POSTERROR", "FALSE"},     {"MODE", "ansi:mo"},     {"PAGE", "u8:pa"},
                     {"HIGHLIGHT", "ansi:hi"},   {"ZOOM", "ansi:zo"},     {"ROTATE", "ansi:ro"},
                     {"THUMBNAILS", "ansi:th"},  {"MENU", "ansi:me"},     {"TOOLBAR", "ansi:to"},
                     {"HALIGN", "ansi:ha"},      {"VALIGN", "ansi:va"},   {"PASSIVE", "ansi:ps"},
                     {"FLAGS", "u8:fl"},         {"NAVPANE", "ansi:na"},  {"MOUSEMODE", "ansi:mm"},
                     {"MAGSIZE", "32767"},       {"MAGZOOM", "1"},        {"SHOWPOSITION", "ansi:sp"},
                     {"LOGOIMAGE", "u8:li"},     {"LAYOUT", "ansi:la"},   {"PREFETCH", "ansi:pf"},
                     {"USERID", "ansi:us"},      {"PASSWORD", "ansi:pw"}}));
}

// The defaults give the seven flags alone; absent, empty and unconvertible
// texts and magnifier numbers of 0 or below leave no gap.
TEST(ArgumentList, RowsNotSentLeaveNoGap)
{
    const Pairs defaults = {{"SCROLLBARS", "TRUE"}, {"CACHE", "FALSE"}, {"FRAME", "TRUE"},
                            {"KEYBOARD", "TRUE"},   {"LINKS", "TRUE"},  {"LOGO", "TRUE"},
                            {"POSTERROR", "TRUE"}};
    EXPECT_EQ(PairsOf(ArgumentSource{}), defaults);

    ArgumentSource s;
    s.zoom = L"", s.rotate = L"\x2603", s.magSize = 0, s.magZoom = -5, s.page = L"3";
    s.password = L"pw";
    Pairs expected = defaults;
    expected.insert(expected.end(), {{"PAGE", "u8:3"}, {"PASSWORD", "ansi:pw"}});
    EXPECT_EQ(PairsOf(s), expected);
}
