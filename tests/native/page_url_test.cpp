#include <gtest/gtest.h>
#include "control/navigation_rules.h"
#include "control/page_url.h"

using namespace fexo::control;

TEST(PageUrl, ColonBeforeTheFirstSlashMakesAnAddressAbsolute)
{
    for (const wchar_t* absolute : {L"other://x/y", L"mailto:a@b", L"C:\\dir\\a.fxo", L":x", L"a:"})
        EXPECT_TRUE(IsAbsoluteUrl(absolute)) << absolute;
    for (const wchar_t* relative : {L"dir/a:b", L"doc.fexo", L"/x:y", L"", L"\\\\server\\share"})
        EXPECT_FALSE(IsAbsoluteUrl(relative)) << relative;
}

// Relative addresses join the page address up to its last '/', root-relative
// ones up to its third; the text is joined as it is, nothing is normalised.
TEST(PageUrl, JoinsThePageAddressAsPlainText)
{
    const struct {
        const wchar_t* page;
        const wchar_t* address;
        const wchar_t* joined;
    } kCases[] = {
        {L"scheme://server/dir/page.html", L"sub/doc.fexo", L"scheme://server/dir/sub/doc.fexo"},
        {L"scheme://server/dir/page.html", L"../doc.fexo", L"scheme://server/dir/../doc.fexo"},
        {L"scheme://server/dir/page.html", L"", L"scheme://server/dir/"},
        {L"scheme://server/dir/p.html?a=b/c", L"doc.fexo", L"scheme://server/dir/p.html?a=b/doc.fexo"},
        {L"page.html", L"doc.fexo", L"doc.fexo"},
        {L"", L"doc.fexo", L"doc.fexo"},
        {L"scheme://server/dir/page.html", L"/doc.fexo", L"scheme://server/doc.fexo"},
        {L"scheme://server/", L"/doc.fexo", L"scheme://server/doc.fexo"},
        {L"scheme://server", L"/doc.fexo", L"scheme://server/doc.fexo"},
        {L"a/b", L"/c", L"a/b/c"},
        {L"file:///C:/dir/p.html", L"/d.fexo", L"file:///d.fexo"},
    };
    for (const auto& c : kCases) EXPECT_EQ(JoinPageUrl(c.page, c.address), c.joined) << c.page;
}

TEST(NavigationRules, NewWindowTargetsAreExact)
{
    EXPECT_TRUE(IsNewWindowTarget(L"_blank"));
    EXPECT_TRUE(IsNewWindowTarget(L"_new"));
    for (const wchar_t* other : {L"_BLANK", L"_NEW", L"_blank ", L"", L"_self"})
        EXPECT_FALSE(IsNewWindowTarget(other)) << other;
}

// Fexo documents (the text after the last dot) for _self and _top, in any case.
TEST(NavigationRules, ControlLoadsFexoDocumentsForSelfAndTopInAnyCase)
{
    EXPECT_EQ(UrlExtension(L"http://h/doc.fexo?x=1"), L"fexo?x=1");
    EXPECT_EQ(UrlExtension(L"http://h.com/doc"), L"com/doc");
    EXPECT_EQ(UrlExtension(L"end."), L"");
    EXPECT_TRUE(LoadsIntoControl(L"http://h/a.b/a.FXO", L"_top"));
    EXPECT_TRUE(LoadsIntoControl(L"a.Fexo", L"_SELF"));
    for (const wchar_t* other : {L"http://h/a.pdf", L"http://h/a.fexo?page=2", L"nodot"})
        EXPECT_FALSE(LoadsIntoControl(other, L"_top")) << other;
    for (const wchar_t* target : {L"_blank", L"_parent", L""})
        EXPECT_FALSE(LoadsIntoControl(L"http://h/a.fxo", target)) << target;
}
