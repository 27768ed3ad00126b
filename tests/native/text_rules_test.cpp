#include <gtest/gtest.h>
#include "control/text_rules.h"

using fexo::control::BoolToText;
using fexo::control::TextToBool;

TEST(TextRules, OnlyFalseAndNoInAnyCaseReadAsFalse)
{
    for (const wchar_t* no : {L"false", L"FALSE", L"False", L"no", L"NO", L"nO"})
        EXPECT_FALSE(TextToBool(no)) << no;
    for (const wchar_t* yes : {L"", L"0", L"off", L"true", L"yes", L"falsey", L"n", L"no ",
                               L" no", L"fals"})
        EXPECT_TRUE(TextToBool(yes)) << yes;
    EXPECT_TRUE(TextToBool(nullptr)) << "an absent text";
    EXPECT_TRUE(TextToBool(L"N\x00D8")) << "only ASCII letters fold";
}

TEST(TextRules, FlagsAreWrittenInCapitals)
{
    EXPECT_STREQ(BoolToText(true), "TRUE");
    EXPECT_STREQ(BoolToText(false), "FALSE");
}
