#include <gtest/gtest.h>
#include "download/file_url.h"
#include "download/percent_decoding.h"

using fexo::download::IsFileUrl;
using fexo::download::kMaxDecodedUrlLength;
using fexo::download::LocalFilePathsOf;
using fexo::download::PercentDecode;

// Two hex digits become one character of that code, once; everything else,
// a broken escape included, is copied.
TEST(PercentDecoding, EachEscapeBecomesOneCharacter)
{
    const struct {
        const wchar_t* in;
        std::wstring out;
    } kCases[] = {
        {L"file:///C:/a%20b.fexo", L"file:///C:/a b.fexo"},
        {L"%41%62%7e%7E", L"Ab~~"},
        {L"%C3%A9", L"\x00C3\x00A9"},  // UTF-8 sequences are not joined
        {L"%2541", L"%41"},
        {L"100%", L"100%"},
        {L"a%4", L"a%4"},
        {L"%g1%1g%%41", L"%g1%1g%A"},
        {L"%\x0661\x0662", L"%\x0661\x0662"},  // only ASCII digits are hexadecimal
        {L"\x00E9/\x4E2D", L"\x00E9/\x4E2D"},
        {nullptr, L""},
    };
    for (const auto& c : kCases) EXPECT_EQ(PercentDecode(c.in), c.out) << (c.in ? c.in : L"null");
}

// Escapes count once decoded: 2083 escapes fit exactly, the next is cut.
TEST(PercentDecoding, ResultIsCutAt2083Characters)
{
    ASSERT_EQ(kMaxDecodedUrlLength, 2083u);
    std::wstring escapes;
    for (int i = 0; i < 2084; ++i) escapes += L"%41";
    EXPECT_EQ(PercentDecode(escapes.c_str()), std::wstring(2083, L'A'));
    const std::wstring exact(2083, L'y');
    EXPECT_EQ(PercentDecode((exact + L"z").c_str()), exact);
}

TEST(FileUrl, SchemeIsMatchedWithoutRegardToAsciiCase)
{
    for (const char* local : {"file://", "FILE:///C:/a.fexo", "File://server/x"})
        EXPECT_TRUE(IsFileUrl(local)) << local;
    for (const char* remote : {"", "file:/", "http://h/file://", " file://x", "file:\\\\x",
                               "\xC4\xB1" "file://"})
        EXPECT_FALSE(IsFileUrl(remote)) << remote;
}

// The path after the leading slashes up to the query, and its UNC form.
TEST(FileUrl, PathSkipsLeadingSlashesAndEndsBeforeTheQuery)
{
    const struct {
        const char* url;
        const char* path;
    } kCases[] = {
        {"file:///C:/docs/a b.fexo", "C:/docs/a b.fexo"},
        {"file:///C:/a.fexo?page=2?x", "C:/a.fexo"},
        {"file://server/share/a.fexo", "server/share/a.fexo"},
        {"FILE://///Z:/tmp/x.fexo", "Z:/tmp/x.fexo"},
        {"file://", ""},
        {"file://///", ""},
        {"file://?q", ""},
    };
    for (const auto& c : kCases) {
        const auto paths = LocalFilePathsOf(c.url);
        EXPECT_EQ(paths.first, c.path) << c.url;
        EXPECT_EQ(paths.second, "//" + paths.first) << c.url;
    }
}
