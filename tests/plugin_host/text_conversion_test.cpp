// Texts towards the plugin: UTF-8 where named, else the thread's ANSI code
// page; and the plugin's texts back as automation strings.
#include <gtest/gtest.h>
#include <windows.h>
#include "control/text_conversion.h"

using namespace fexo::control;

namespace {

TEST(TextConversion, Utf8AndAnsiBytesOfTheSameText)
{
    EXPECT_EQ(WideToUtf8(nullptr), std::nullopt) << "absent stays absent";
    EXPECT_EQ(WideToAnsi(nullptr), std::nullopt);
    EXPECT_EQ(WideToUtf8(L""), std::optional<std::string>(""));
    EXPECT_EQ(WideToUtf8(L"\x00e9t\x00e9 \x20ac"),
              std::optional<std::string>("\xc3\xa9t\xc3\xa9 \xe2\x82\xac"));
    EXPECT_EQ(ConvertText(L"\x00e9", TextEncoding::Utf8), std::optional<std::string>("\xc3\xa9"));
    EXPECT_EQ(AnsiCodePage(), static_cast<UINT>(CP_THREAD_ACP)) << "Windows 2000 and later";

    if (GetACP() != 1252) GTEST_SKIP() << "the prefix's ANSI code page is " << GetACP();
    EXPECT_EQ(WideToAnsi(L"\x00e9t\x00e9 \x20ac"), std::optional<std::string>("\xe9t\xe9 \x80"));
    EXPECT_EQ(ConvertText(L"\x00e9", TextEncoding::Ansi), std::optional<std::string>("\xe9"));
    EXPECT_EQ(WideToAnsi(L"\x4e2d"), std::optional<std::string>("?")) << "the default character";

    EXPECT_STREQ(AnsiToBstr("\xe9t\xe9").Get(), L"\x00e9t\x00e9");
    EXPECT_STREQ(Utf8ToBstr("\xc3\xa9t\xc3\xa9").Get(), L"\x00e9t\x00e9");
    EXPECT_EQ(AnsiToBstr(nullptr).Get(), nullptr);
    EXPECT_EQ(AnsiToBstr("").Length(), 0u);
    EXPECT_NE(AnsiToBstr("").Get(), nullptr) << "an empty text is not absent";
}

}  // namespace
