// Page-relative SRC addresses: completed from the hosting page's location,
// which the control finds through its site's service provider, and left as
// they are when absolute or when there is no page.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>
#include <string>
#include "browser_objects.h"
#include "hosted_control.h"

using namespace fexo::test;

namespace {

constexpr char kWalk[] = "QueryService(IHTMLWindow2)\nget_document\nget_location\n";

struct ObjectsDeleter {
    void operator()(BrowserObjects* objects) const { BrowserObjects_Destroy(objects); }
};
using ObjectsPtr = std::unique_ptr<BrowserObjects, ObjectsDeleter>;

class PageUrl : public testing::Test {
protected:
    explicit PageUrl(bool withPage = true)
        : objects(BrowserObjects_Create(TRUE, withPage)),
          hosted(BrowserObjects_Services(objects.get()), false)
    {
        BrowserObjects_SetHref(objects.get(), L"scheme://server/dir/page.html");
    }

    ~PageUrl() override
    {
        hosted.Destroy();
        EXPECT_EQ(BrowserObjects_References(objects.get()), 0) << "every host object released";
    }

    // put_SRC's result and the address it stored.
    std::pair<HRESULT, std::wstring> Resolve(const wchar_t* url)
    {
        BSTR text = url ? SysAllocString(url) : nullptr;
        const HRESULT hr = hosted.Control()->put_SRC(text);
        SysFreeString(text);
        BSTR stored = nullptr;
        hosted.Control()->get_SRC(&stored);
        std::pair<HRESULT, std::wstring> result{hr, stored ? stored : L"(null)"};
        SysFreeString(stored);
        return result;
    }

    std::string Log() { return BrowserObjects_TakeLog(objects.get()); }

    ObjectsPtr objects;
    HostedControl hosted;
};

TEST_F(PageUrl, RelativeAddressesJoinThePageAddressAsPlainText)
{
    EXPECT_EQ(Resolve(L"doc.fexo"), std::make_pair(S_OK, std::wstring(L"scheme://server/dir/doc.fexo")));
    EXPECT_EQ(Log(), std::string(kWalk) + kWalk + "get_href\n")
        << "a walk to find the location, then a refreshing walk and the address";

    EXPECT_EQ(Resolve(L"/doc.fexo").second, L"scheme://server/doc.fexo");
    EXPECT_EQ(Log(), std::string(kWalk) + "get_href\n") << "the location is held now";
    EXPECT_EQ(Resolve(L"sub/doc.fexo").second, L"scheme://server/dir/sub/doc.fexo");
    EXPECT_EQ(Resolve(L"../doc.fexo").second, L"scheme://server/dir/../doc.fexo");
    EXPECT_EQ(Resolve(L"dir/a:b").second, L"scheme://server/dir/dir/a:b");
    Log();

    BrowserObjects_SetHref(objects.get(), L"scheme://server/dir/page.html?a=b/c");
    EXPECT_EQ(Resolve(L"doc.fexo").second, L"scheme://server/dir/page.html?a=b/doc.fexo");
    Log();
}

TEST_F(PageUrl, AbsoluteAddressesStayAndLeaveThePageAlone)
{
    EXPECT_EQ(Resolve(L"other://x/y").second, L"other://x/y");
    EXPECT_EQ(Log(), kWalk) << "only the walk that finds a location";
    EXPECT_EQ(Resolve(L"C:\\dir\\a.fxo").second, L"C:\\dir\\a.fxo");
    EXPECT_EQ(Resolve(L"mailto:a@b").second, L"mailto:a@b");
    EXPECT_EQ(Log(), "") << "no refresh, no address read";
}

TEST_F(PageUrl, FailedAddressReadIsRetriedOnceThenTheAddressIsEmpty)
{
    BrowserObjects_FailHrefReads(objects.get(), 1);
    EXPECT_EQ(Resolve(L"doc.fexo").second, L"scheme://server/dir/doc.fexo");
    EXPECT_EQ(Log(), std::string(kWalk) + kWalk + "get_href\nget_href\n");

    BrowserObjects_FailHrefReads(objects.get(), 2);
    EXPECT_EQ(Resolve(L"doc.fexo"), std::make_pair(S_FALSE, std::wstring(L"(null)")))
        << "an address that cannot be completed is empty";
    EXPECT_EQ(Log(), std::string(kWalk) + "get_href\nget_href\n");
}

class PageUrlWithoutPage : public PageUrl {
protected:
    PageUrlWithoutPage() : PageUrl(false) {}
};

TEST_F(PageUrlWithoutPage, RelativeAddressesStayAsGiven)
{
    EXPECT_EQ(Resolve(L"doc.fexo").second, L"doc.fexo");
    EXPECT_EQ(Resolve(L"/doc.fexo").second, L"/doc.fexo");
    EXPECT_EQ(Log(), "QueryService(IHTMLWindow2)\nQueryService(IHTMLWindow2)\n")
        << "each resolution looks for the page window";
    EXPECT_EQ(Resolve(nullptr), std::make_pair(S_FALSE, std::wstring(L"(null)")));
}

}  // namespace
