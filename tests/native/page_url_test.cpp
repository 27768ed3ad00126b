#include <gtest/gtest.h>
#include "control/navigation_rules.h"
#include "control/page_url.h"

using namespace fexo::control;

TEST(PageUrl, ColonBeforeTheFirstSlashMakesAnAddressAbsolute)
{
    for (const wchar_t* absolute : {L"scheme://server/a", L"other://x/y", L"mailto:a@b",
                                    L"C:\\dir\\a.fxo", L"C:/dir/a.fxo", L":x", L"a:"})
        EXPECT_TRUE(IsAbsoluteUrl(absolute)) << absolute;
    for (const wchar_t* relative : {L"dir/a:b", L"doc.fexo", L"/doc.fexo", L"../doc.fexo",
                                    L"/x:y", L"", L"\\\\server\\share"})
        EXPECT_FALSE(IsAbsoluteUrl(relative)) << relative;
}

TEST(PageUrl, RelativeAddressesJoinTheDirectoryOfThePage)
{
    const wchar_t* page = L"scheme://server/dir/page.html";
    EXPECT_EQ(JoinPageUrl(page, L"doc.fexo"), L"scheme://server/dir/doc.fexo");
    EXPECT_EQ(JoinPageUrl(page, L"sub/doc.fexo"), L"scheme://server/dir/sub/doc.fexo");
    EXPECT_EQ(JoinPageUrl(page, L"../doc.fexo"), L"scheme://server/dir/../doc.fexo")
        << "no segment is removed";
    EXPECT_EQ(JoinPageUrl(page, L""), L"scheme://server/dir/");
    EXPECT_EQ(JoinPageUrl(L"scheme://server/dir/page.html?a=b/c", L"doc.fexo"),
              L"scheme://server/dir/page.html?a=b/doc.fexo")
        << "a slash in the query counts";
    EXPECT_EQ(JoinPageUrl(L"page.html", L"doc.fexo"), L"doc.fexo") << "no slash: empty base";
    EXPECT_EQ(JoinPageUrl(L"", L"doc.fexo"), L"doc.fexo");
}

TEST(PageUrl, RootRelativeAddressesJoinTheServerOfThePage)
{
    EXPECT_EQ(JoinPageUrl(L"scheme://server/dir/page.html", L"/doc.fexo"),
              L"scheme://server/doc.fexo");
    EXPECT_EQ(JoinPageUrl(L"scheme://server/", L"/doc.fexo"), L"scheme://server/doc.fexo");
    EXPECT_EQ(JoinPageUrl(L"scheme://server", L"/doc.fexo"), L"scheme://server/doc.fexo")
        << "fewer than three slashes: the whole address";
    EXPECT_EQ(JoinPageUrl(L"a/b", L"/c"), L"a/b/c");
    EXPECT_EQ(JoinPageUrl(L"file:///C:/dir/p.html", L"/d.fexo"), L"file:///d.fexo");
}

TEST(NavigationRules, NewWindowTargetsAreExact)
{
    EXPECT_TRUE(IsNewWindowTarget(L"_blank"));
    EXPECT_TRUE(IsNewWindowTarget(L"_new"));
    for (const wchar_t* other : {L"_BLANK", L"_Blank", L"_NEW", L"_blank ", L"", L"_self", L"frame"})
        EXPECT_FALSE(IsNewWindowTarget(other)) << other;
}

TEST(NavigationRules, ExtensionIsTheTextAfterTheLastDot)
{
    EXPECT_EQ(UrlExtension(L"http://h/a.b/doc.FXO"), L"FXO");
    EXPECT_EQ(UrlExtension(L"http://h/doc.fexo?x=1"), L"fexo?x=1");
    EXPECT_EQ(UrlExtension(L"http://h.com/doc"), L"com/doc");
    EXPECT_EQ(UrlExtension(L"nodot"), L"");
    EXPECT_EQ(UrlExtension(L"end."), L"");
}

TEST(NavigationRules, ControlLoadsFexoDocumentsForSelfAndTopInAnyCase)
{
    EXPECT_TRUE(LoadsIntoControl(L"http://h/a.FXO", L"_top"));
    EXPECT_TRUE(LoadsIntoControl(L"http://h/a.fexo", L"_SELF"));
    EXPECT_TRUE(LoadsIntoControl(L"a.Fexo", L"_Top"));
    EXPECT_FALSE(LoadsIntoControl(L"http://h/a.pdf", L"_top"));
    EXPECT_FALSE(LoadsIntoControl(L"http://h/a.fxo", L"_blank"));
    EXPECT_FALSE(LoadsIntoControl(L"http://h/a.fxo", L"_parent"));
    EXPECT_FALSE(LoadsIntoControl(L"http://h/a.fxo", L""));
    EXPECT_FALSE(LoadsIntoControl(L"http://h/a.fexo?page=2", L"_top"));
}
