// The browser functions the plugin calls, driven through the table the
// stand-in plugin received: geturl inside a web browser (a stream, the page
// window's open, Navigate with its one "_blank" retry) and outside one (a
// stream, the control's own SRC, a new Internet Explorer), status with the
// page-change refresh, uagent and the memory functions; and the page's
// location behind put_SRC's page-relative addresses.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <memory>
#include <string>
#include <vector>
#include "browser_objects.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "stream_journal.h"

using namespace fexo::test;

namespace {

struct ObjectsDeleter {
    void operator()(BrowserObjects* objects) const { BrowserObjects_Destroy(objects); }
};
using ObjectsPtr = std::unique_ptr<BrowserObjects, ObjectsDeleter>;

constexpr char kWalk[] = "QueryService(IHTMLWindow2)\nget_document\nget_location\n";

// The plugin's side: the table and instance it was given.
class PluginView {
public:
    explicit PluginView(const HostedControl& hosted)
        : m_funcs(hosted.Standin()->BrowserFuncs()), m_instance(hosted.Instance())
    {
    }
    NPError GetUrl(const char* url, const char* target) { return m_funcs->geturl(m_instance, url, target); }
    void Status(const char* text) { m_funcs->status(m_instance, text); }
    const NPNetscapeFuncs* Funcs() const { return m_funcs; }

private:
    const NPNetscapeFuncs* m_funcs;
    NPP m_instance;
};

class InBrowser : public testing::Test {
protected:
    explicit InBrowser(bool withPage = true)
        : objects(BrowserObjects_Create(TRUE, withPage)),
          hosted(BrowserObjects_Services(objects.get())),
          plugin(hosted)
    {
        BrowserObjects_SetHref(objects.get(), server.WideUrl("/dir/page.html").c_str());
    }

    ~InBrowser() override
    {
        hosted.Destroy();
        EXPECT_EQ(BrowserObjects_References(objects.get()), 0) << "every host object released";
    }

    std::string Log() { return BrowserObjects_TakeLog(objects.get()); }

    std::string Navigate(const std::string& url, int flags, const std::string& target)
    {
        return "Navigate(\"" + url + "\", flags=VT_I4 " + std::to_string(flags) +
               ", target=VT_BSTR " + target + ", post=null, headers=null)\n";
    }

    std::string Open(const std::string& url, const std::string& name)
    {
        return "open(\"" + url + "\", " + name + ", features=null, replace=0)\n";
    }

    LoopbackHttpServer server;
    ObjectsPtr objects;
    HostedControl hosted;
    PluginView plugin;
};

// The table the plugin was given: five services in their slots, none of which
// touches anything for an instance without a control behind it.
TEST_F(InBrowser, TheTableOffersFiveServices)
{
    const NPNetscapeFuncs* t = plugin.Funcs();
    EXPECT_EQ(t->size, sizeof(NPNetscapeFuncs));
    EXPECT_EQ(t->version, 9);
    EXPECT_EQ((std::vector<bool>{!!t->geturl, !!t->posturl, !!t->requestread, !!t->newstream,
                                 !!t->write, !!t->destroystream, !!t->status, !!t->uagent,
                                 !!t->memalloc, !!t->memfree, !!t->memflush, !!t->reloadplugins,
                                 !!t->getJavaEnv, !!t->getJavaPeer, !!t->geturlnotify,
                                 !!t->posturlnotify}),
              (std::vector<bool>{1, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0}));
    const char kAgent[] = "Mozilla/3.0 (compatible; MSIE 3.0; Windows NT)";
    EXPECT_STREQ(t->uagent(hosted.Instance()), kAgent);
    EXPECT_STREQ(t->uagent(nullptr), kAgent);
    void* block = t->memalloc(1000);
    ASSERT_NE(block, nullptr);
    memset(block, 0xAB, 1000);
    t->memfree(block);
    t->memfree(nullptr);

    NPP_t orphan{nullptr, nullptr};
    for (NPP instance : {static_cast<NPP>(nullptr), &orphan}) {
        EXPECT_EQ(t->geturl(instance, "doc.fexo", nullptr), NPERR_GENERIC_ERROR);
        EXPECT_EQ(t->geturl(instance, "doc.fexo", "_blank"), NPERR_GENERIC_ERROR);
        t->status(instance, "text");
    }
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(hosted.Journal(), "");
}

TEST_F(InBrowser, NoTargetStreamsTheResolvedAddressIntoTheSameInstance)
{
    const std::string body(5000, 'd');
    server.Serve("/dir/doc.fexo", {200, body});
    EXPECT_EQ(plugin.GetUrl("doc.fexo", nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), std::string(kWalk) + kWalk + "get_href\nQueryService(IWebBrowserApp)\n")
        << "never a navigation";
    ASSERT_TRUE(PumpUntil([&] { return !CallsNamed(hosted.Standin(), "NPP_DestroyStream").empty(); }));
    auto streams = JournaledStreams(hosted.Standin());
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_EQ(streams[1].announcement, "stream=1 type=\"image/vnd.fexo\" url=\"" +
                                           server.Url("/dir/doc.fexo") +
                                           "\" end=0 lastmodified=0 notifyData=null seekable=0");
    EXPECT_TRUE(CarriesBody(hosted.Standin(), streams[1], body));
    EXPECT_EQ(hosted.Standin()->Entry(0)->instance, hosted.Instance());
}

TEST_F(InBrowser, NoTargetAndEmptyAddressGoesToThePageWindow)
{
    EXPECT_EQ(plugin.GetUrl("", nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), std::string(kWalk) + kWalk + "get_href\nQueryService(IWebBrowserApp)\n" +
                         Open(server.Url("/dir/"), "null"));
    EXPECT_EQ(hosted.Journal(), "");
}

// A target goes to the page window's open; when that fails (S_FALSE too) the
// named frame is navigated, and a failed navigation retried once into a new
// window; a new-window target ("_blank", "_new", exact) navigates without
// retry.  Only S_OK counts.  Address and target come in the ANSI code page
// (the log shows UTF-8).
TEST_F(InBrowser, TargetIsOpenedByThePageWindowElseNavigated)
{
    const std::string a = "http://h/a.fexo";
    const struct {
        HRESULT open;
        std::vector<HRESULT> navigations;
        const char* url;
        const char* target;
        NPError result;
        std::string log;
    } kSteps[] = {
        {S_OK, {}, "http://h/\xE9.fexo", "fr\xE9me", NPERR_NO_ERROR,
         std::string(kWalk) + "QueryService(IWebBrowserApp)\n" +
             Open("http://h/\xC3\xA9.fexo", "\"fr\xC3\xA9me\"")},
        {S_OK, {}, a.c_str(), "_self", NPERR_NO_ERROR, Open(a, "\"_self\"")},
        {E_FAIL, {}, a.c_str(), "frame1", NPERR_NO_ERROR,
         Open(a, "\"frame1\"") + Navigate(a, 0, "\"frame1\"")},
        {E_FAIL, {E_FAIL}, a.c_str(), "frame1", NPERR_NO_ERROR,
         Open(a, "\"frame1\"") + Navigate(a, 0, "\"frame1\"") + Navigate(a, 1, "\"_blank\"")},
        {E_FAIL, {E_FAIL, S_FALSE}, a.c_str(), "_BLANK", NPERR_GENERIC_ERROR,
         Open(a, "\"_BLANK\"") + Navigate(a, 0, "\"_BLANK\"") + Navigate(a, 1, "\"_blank\"")},
        {S_FALSE, {}, a.c_str(), "_new", NPERR_NO_ERROR,
         Open(a, "\"_new\"") + Navigate(a, 1, "\"_new\"")},
        {S_FALSE, {E_FAIL}, a.c_str(), "_blank", NPERR_GENERIC_ERROR,
         Open(a, "\"_blank\"") + Navigate(a, 1, "\"_blank\"")},
    };
    for (const auto& step : kSteps) {
        BrowserObjects_SetOpenResult(objects.get(), step.open);
        for (HRESULT navigation : step.navigations)
            BrowserObjects_QueueNavigateResult(objects.get(), navigation);
        EXPECT_EQ(plugin.GetUrl(step.url, step.target), step.result) << step.target;
        EXPECT_EQ(Log(), step.log) << step.target;
    }
}

TEST_F(InBrowser, StatusTextRefreshesThePageOnlyWhenItsAddressChanged)
{
    plugin.Status("caf\xC3\xA9");
    EXPECT_EQ(Log(), "QueryService(IWebBrowserApp)\nput_StatusText(\"caf\xC3\xA9\")\n")
        << "nothing remembered yet: no page check";

    // A relative address makes the control remember the page's address.
    EXPECT_EQ(plugin.GetUrl("doc.fexo", "_self"), NPERR_NO_ERROR);
    Log();
    plugin.Status("same page");
    EXPECT_EQ(Log(), std::string(kWalk) + "get_href\nput_StatusText(\"same page\")\n");

    BrowserObjects_SetHref(objects.get(), server.WideUrl("/other/page.html").c_str());
    plugin.Status("moved");
    EXPECT_EQ(Log(), std::string(kWalk) +
                         "get_href\nRefresh2(level=VT_I4 0)\nput_StatusText(\"moved\")\n");
    plugin.Status(nullptr);
    EXPECT_EQ(Log(), std::string(kWalk) + "get_href\nput_StatusText(null)\n")
        << "the new address is remembered";
}

TEST_F(InBrowser, AbsoluteAddressLeavesTheRememberedPageAlone)
{
    EXPECT_EQ(plugin.GetUrl("doc.fexo", "_self"), NPERR_NO_ERROR);
    BrowserObjects_SetHref(objects.get(), server.WideUrl("/other/page.html").c_str());
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_self"), NPERR_NO_ERROR);
    Log();
    plugin.Status("x");
    EXPECT_EQ(Log(), std::string(kWalk) +
                         "get_href\nRefresh2(level=VT_I4 0)\nput_StatusText(\"x\")\n");
}

class InBrowserWithoutPage : public InBrowser {
protected:
    InBrowserWithoutPage() : InBrowser(false) {}
};

TEST_F(InBrowserWithoutPage, TargetGoesStraightToNavigate)
{
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "frame1"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), "QueryService(IHTMLWindow2)\nQueryService(IWebBrowserApp)\n" +
                         Navigate("http://h/a.fexo", 0, "\"frame1\""));
    EXPECT_EQ(plugin.GetUrl(server.Url("/a.fexo").c_str(), nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), "QueryService(IHTMLWindow2)\n");
    EXPECT_EQ(CallsNamed(hosted.Standin(), "NPP_NewStream").size(), 1u);
}

// put_SRC of a page-relative address: the control finds the page's location
// through its site once, holds it, and reads its address for every relative
// address (how the texts are joined is the pure rules' business).
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

    // put_SRC's result, the address it stored, and the calls on the page.
    std::string Resolve(const wchar_t* url)
    {
        BSTR text = url ? SysAllocString(url) : nullptr;
        const HRESULT hr = hosted.Control()->put_SRC(text);
        SysFreeString(text);
        BSTR stored = nullptr;
        hosted.Control()->get_SRC(&stored);
        std::string result = hr == S_OK ? "S_OK " : hr == S_FALSE ? "S_FALSE " : "other ";
        result += stored ? std::string(stored, stored + SysStringLen(stored)) : "(null)";
        SysFreeString(stored);
        return result + "\n" + BrowserObjects_TakeLog(objects.get());
    }

    ObjectsPtr objects;
    HostedControl hosted;
};

TEST_F(PageUrl, TheLocationIsFoundOnceAndItsAddressReadAgainEachTime)
{
    const std::string walk = kWalk;
    EXPECT_EQ(Resolve(L"doc.fexo"), "S_OK scheme://server/dir/doc.fexo\n" + walk + walk + "get_href\n")
        << "a walk to find the location, then a refreshing walk and the address";
    EXPECT_EQ(Resolve(L"/doc.fexo"), "S_OK scheme://server/doc.fexo\n" + walk + "get_href\n");
    EXPECT_EQ(Resolve(L"mailto:a@b"), "S_OK mailto:a@b\n") << "absolute: the page is not asked";

    // A failed address read is retried once; a second failure leaves no address.
    BrowserObjects_FailHrefReads(objects.get(), 1);
    EXPECT_EQ(Resolve(L"doc.fexo"),
              "S_OK scheme://server/dir/doc.fexo\n" + walk + "get_href\nget_href\n");
    BrowserObjects_FailHrefReads(objects.get(), 2);
    EXPECT_EQ(Resolve(L"doc.fexo"), "S_FALSE (null)\n" + walk + "get_href\nget_href\n");
}

TEST_F(PageUrl, AnAbsoluteAddressOnlyLooksForTheLocation)
{
    EXPECT_EQ(Resolve(L"other://x/y"), "S_OK other://x/y\n" + std::string(kWalk));
}

class PageUrlWithoutPage : public PageUrl {
protected:
    PageUrlWithoutPage() : PageUrl(false) {}
};

TEST_F(PageUrlWithoutPage, RelativeAddressesStayAsGiven)
{
    EXPECT_EQ(Resolve(L"/doc.fexo"), "S_OK /doc.fexo\nQueryService(IHTMLWindow2)\n");
    EXPECT_EQ(Resolve(L"doc.fexo"), "S_OK doc.fexo\nQueryService(IHTMLWindow2)\n")
        << "each resolution looks for the page window";
    EXPECT_EQ(Resolve(nullptr).substr(0, 15), "S_FALSE (null)\n");
}

// The Internet Explorer application that CoCreateInstance finds: this
// process's own class object, registered for the test.
class ExplorerFactory : public IClassFactory {
public:
    explicit ExplorerFactory(HRESULT creation) : m_creation(creation), m_objects(BrowserObjects_Create(TRUE, FALSE))
    {
        CoRegisterClassObject(CLSID_InternetExplorer, this, CLSCTX_INPROC_SERVER,
                              REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~ExplorerFactory()
    {
        CoRevokeClassObject(m_cookie);
        EXPECT_EQ(BrowserObjects_References(m_objects.get()), 0);
    }
    std::string Log() { return BrowserObjects_TakeLog(m_objects.get()); }
    int Creations() const { return m_creations; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        ++m_creations;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FAILED(m_creation)) return m_creation;
        return BrowserObjects_Browser(m_objects.get())->QueryInterface(iid, out);
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    HRESULT m_creation;
    ObjectsPtr m_objects;
    DWORD m_cookie = 0;
    int m_creations = 0;
};

class OutsideBrowser : public testing::Test {
protected:
    OutsideBrowser() : plugin(hosted) {}

    std::wstring Source()
    {
        BSTR stored = nullptr;
        hosted.Control()->get_SRC(&stored);
        std::wstring source = stored ? stored : L"(null)";
        SysFreeString(stored);
        return source;
    }

    LoopbackHttpServer server;
    HostedControl hosted;
    PluginView plugin;
};

TEST_F(OutsideBrowser, NoTargetStreamsIntoTheSameInstance)
{
    server.Serve("/doc.fexo", {200, "abc"});
    EXPECT_EQ(plugin.GetUrl(server.Url("/doc.fexo").c_str(), nullptr), NPERR_NO_ERROR);
    ASSERT_TRUE(PumpUntil([&] { return !CallsNamed(hosted.Standin(), "NPP_DestroyStream").empty(); }));
    auto streams = JournaledStreams(hosted.Standin());
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_TRUE(CarriesBody(hosted.Standin(), streams[1], "abc"));
    EXPECT_EQ(Source(), L"(null)") << "the control's own document is not replaced";
}

TEST_F(OutsideBrowser, FexoDocumentForSelfOrTopReplacesTheControlsDocument)
{
    ExplorerFactory explorer(S_OK);
    server.Serve("/doc.FXO", {200, "abc"});
    const std::string url = server.Url("/doc.FXO");
    EXPECT_EQ(plugin.GetUrl(url.c_str(), "_Top"), NPERR_NO_ERROR);
    EXPECT_EQ(Source(), std::wstring(url.begin(), url.end()));
    EXPECT_EQ(CallsNamed(hosted.Standin(), "NPP_NewStream").size(), 1u)
        << "the first document is streamed into the existing instance";
    EXPECT_EQ(explorer.Creations(), 0);
    PumpUntil([&] { return !CallsNamed(hosted.Standin(), "NPP_DestroyStream").empty(); });
}

TEST_F(OutsideBrowser, AnythingElseOpensANewVisibleInternetExplorer)
{
    ExplorerFactory explorer(S_OK);
    EXPECT_EQ(plugin.GetUrl("http://h/a.pdf", "_top"), NPERR_NO_ERROR);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_blank"), NPERR_NO_ERROR);
    EXPECT_EQ(explorer.Log(),
              "put_Visible(1)\n"
              "Navigate(\"http://h/a.pdf\", flags=VT_I4 0, target=VT_BSTR \"\", "
              "post=VT_BSTR \"\", headers=VT_BSTR \"\")\n"
              "put_Visible(1)\n"
              "Navigate(\"http://h/a.fexo\", flags=VT_I4 0, target=VT_BSTR \"\", "
              "post=VT_BSTR \"\", headers=VT_BSTR \"\")\n");
    EXPECT_EQ(explorer.Creations(), 2);
    EXPECT_EQ(Source(), L"(null)");
    EXPECT_EQ(hosted.Journal(), "");
}

TEST_F(OutsideBrowser, ExplorerThatCannotBeCreatedStillCountsAsSuccess)
{
    ExplorerFactory explorer(E_OUTOFMEMORY);
    EXPECT_EQ(plugin.GetUrl("http://h/a.pdf", "_top"), NPERR_NO_ERROR);
    EXPECT_EQ(explorer.Creations(), 1);
    EXPECT_EQ(explorer.Log(), "");
}

TEST_F(OutsideBrowser, StatusTextGoesNowhere)
{
    plugin.Status("text");
    EXPECT_EQ(hosted.Journal(), "");
}

}  // namespace
