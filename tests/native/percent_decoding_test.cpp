#include <gtest/gtest.h>
#include "download/file_url.h"
#include "download/percent_decoding.h"

using fexo::download::IsFileUrl;
using fexo::download::kMaxDecodedUrlLength;
using fexo::download::LocalFilePathsOf;
using fexo::download::PercentDecode;

TEST(PercentDecoding, TwoHexDigitsBecomeOneCharacterOfThatCode)
{
    EXPECT_EQ(PercentDecode(L"file:///C:/docs/a%20b.fexo"), L"file:///C:/docs/a b.fexo");
    EXPECT_EQ(PercentDecode(L"%41%62%7e%7E"), L"Ab~~");
    EXPECT_EQ(PercentDecode(L"%C3%A9"), std::wstring(L"\x00C3\x00A9"))
        << "each escape is one character; UTF-8 sequences are not joined";
    EXPECT_EQ(PercentDecode(L"%ff%FF"), std::wstring(L"\x00FF\x00FF"));
    EXPECT_EQ(PercentDecode(L"%2541"), L"%41") << "decoded once";
}

TEST(PercentDecoding, EveryOtherCharacterIsCopied)
{
    EXPECT_EQ(PercentDecode(L"100%"), L"100%");
    EXPECT_EQ(PercentDecode(L"a%4"), L"a%4") << "a % among the last two characters";
    EXPECT_EQ(PercentDecode(L"%g1%1g%%41"), L"%g1%1g%A");
    EXPECT_EQ(PercentDecode(L"%\x0661\x0662"), std::wstring(L"%\x0661\x0662"))
        << "only ASCII digits are hexadecimal";
    EXPECT_EQ(PercentDecode(L"\x00E9/\x4E2D"), std::wstring(L"\x00E9/\x4E2D"));
    EXPECT_EQ(PercentDecode(L""), L"");
    EXPECT_EQ(PercentDecode(nullptr), L"");
}

TEST(PercentDecoding, ResultIsCutAt2083Characters)
{
    ASSERT_EQ(kMaxDecodedUrlLength, 2083u);
    std::wstring longUrl = L"http://h/" + std::wstring(3000, L'x');
    EXPECT_EQ(PercentDecode(longUrl.c_str()), longUrl.substr(0, 2083));

    // Escapes count once decoded: 2083 escapes fit exactly, the next is cut.
    std::wstring escapes;
    for (int i = 0; i < 2084; ++i) escapes += L"%41";
    EXPECT_EQ(PercentDecode(escapes.c_str()), std::wstring(2083, L'A'));

    std::wstring exact(2083, L'y');
    EXPECT_EQ(PercentDecode(exact.c_str()), exact);
}

TEST(FileUrl, SchemeIsMatchedWithoutRegardToAsciiCase)
{
    for (const char* local : {"file://", "file:///C:/a.fexo", "FILE:///C:/a.fexo", "File://server/x"})
        EXPECT_TRUE(IsFileUrl(local)) << local;
    for (const char* remote : {"", "file:/", "file:", "http://h/file://", "fil://x", " file://x",
                               "file:\\\\x", "\xC4\xB1" "file://"})
        EXPECT_FALSE(IsFileUrl(remote)) << remote;
}

TEST(FileUrl, PathSkipsLeadingSlashesAndEndsBeforeTheQuery)
{
    auto paths = LocalFilePathsOf("file:///C:/docs/a b.fexo");
    EXPECT_EQ(paths.first, "C:/docs/a b.fexo");
    EXPECT_EQ(paths.second, "//C:/docs/a b.fexo");

    paths = LocalFilePathsOf("file:///C:/a.fexo?page=2?x");
    EXPECT_EQ(paths.first, "C:/a.fexo");
    EXPECT_EQ(paths.second, "//C:/a.fexo");

    paths = LocalFilePathsOf("file://server/share/a.fexo");
    EXPECT_EQ(paths.first, "server/share/a.fexo");
    EXPECT_EQ(paths.second, "//server/share/a.fexo") << "the UNC form is the second try";

    paths = LocalFilePathsOf("FILE://///Z:/tmp/x.fexo");
    EXPECT_EQ(paths.first, "Z:/tmp/x.fexo");
    EXPECT_EQ(paths.second, "//Z:/tmp/x.fexo");
}

TEST(FileUrl, DegenerateAddressesGiveEmptyOrShortPaths)
{
    auto paths = LocalFilePathsOf("file://");
    EXPECT_EQ(paths.first, "");
    EXPECT_EQ(paths.second, "//");
    paths = LocalFilePathsOf("file://///");
    EXPECT_EQ(paths.first, "");
    EXPECT_EQ(paths.second, "//");
    paths = LocalFilePathsOf("file://?q");
    EXPECT_EQ(paths.first, "");
    EXPECT_EQ(paths.second, "//");
}
