// The plugin's creation arguments: order, conditions, formats.
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

Pairs PairsOf(ArgumentList list)
{
    Pairs pairs;
    char** names = list.Names();
    char** values = list.Values();
    for (short i = 0; i < list.Count(); ++i) pairs.emplace_back(names[i], values[i]);
    EXPECT_EQ(names[list.Count()], nullptr);
    EXPECT_EQ(values[list.Count()], nullptr);
    return pairs;
}

const Pairs kDefaultFlags = {{"SCROLLBARS", "TRUE"}, {"CACHE", "FALSE"}, {"FRAME", "TRUE"},
                             {"KEYBOARD", "TRUE"},   {"LINKS", "TRUE"},  {"LOGO", "TRUE"},
                             {"POSTERROR", "TRUE"}};

}  // namespace

TEST(ArgumentList, DefaultsGiveTheSevenFlagsInOrder)
{
    EXPECT_EQ(PairsOf(BuildArgumentList(ArgumentSource{}, TaggedConversion)), kDefaultFlags);
}

TEST(ArgumentList, TextsFollowInTableOrderWithTheirEncodings)
{
    ArgumentSource source;
    source.cache = true;
    source.scrollBars = false;
    source.password = L"pw";
    source.zoom = L"200";
    source.page = L"3";
    source.mode = L"bw";
    source.magSize = 12;
    source.magZoom = 0;
    source.logoImage = L"logo";
    source.flags = L"f";
    source.userId = L"me";
    Pairs expected = kDefaultFlags;
    expected[0].second = "FALSE";
    expected[1].second = "TRUE";
    expected.insert(expected.end(), {{"MODE", "ansi:bw"},
                                     {"PAGE", "u8:3"},
                                     {"ZOOM", "ansi:200"},
                                     {"FLAGS", "u8:f"},
                                     {"MAGSIZE", "12"},
                                     {"LOGOIMAGE", "u8:logo"},
                                     {"USERID", "ansi:me"},
                                     {"PASSWORD", "ansi:pw"}});
    EXPECT_EQ(PairsOf(BuildArgumentList(source, TaggedConversion)), expected);
}

TEST(ArgumentList, EmptyTextsNonPositiveNumbersAndUnconvertibleTextsAreLeftOut)
{
    ArgumentSource source;
    source.zoom = L"";
    source.rotate = L"\x2603";
    source.magSize = -5;
    source.magZoom = 0;
    source.page = L"3";
    Pairs expected = kDefaultFlags;
    expected.emplace_back("PAGE", "u8:3");
    EXPECT_EQ(PairsOf(BuildArgumentList(source, TaggedConversion)), expected);
}

TEST(ArgumentList, EveryTextPairCanBeSentAtOnce)
{
    const wchar_t* x = L"x";
    ArgumentSource s;
    for (const wchar_t** field : {&s.mode, &s.page, &s.highlight, &s.zoom, &s.rotate,
                                  &s.thumbnails, &s.menu, &s.toolbar, &s.hAlign, &s.vAlign,
                                  &s.passive, &s.flags, &s.navPane, &s.mouseMode,
                                  &s.showPosition, &s.logoImage, &s.layout, &s.prefetch,
                                  &s.userId, &s.password})
        *field = x;
    s.magSize = 32767;
    s.magZoom = 1;
    Pairs pairs = PairsOf(BuildArgumentList(s, TaggedConversion));
    ASSERT_EQ(pairs.size(), 29u);
    std::vector<std::string> names;
    for (auto& pair : pairs) names.push_back(pair.first);
    EXPECT_EQ(names, (std::vector<std::string>{
                         "SCROLLBARS", "CACHE", "FRAME", "KEYBOARD", "LINKS", "LOGO",
                         "POSTERROR", "MODE", "PAGE", "HIGHLIGHT", "ZOOM", "ROTATE",
                         "THUMBNAILS", "MENU", "TOOLBAR", "HALIGN", "VALIGN", "PASSIVE", "FLAGS",
                         "NAVPANE", "MOUSEMODE", "MAGSIZE", "MAGZOOM", "SHOWPOSITION",
                         "LOGOIMAGE", "LAYOUT", "PREFETCH", "USERID", "PASSWORD"}));
    EXPECT_EQ(pairs[21].second, "32767");
}
