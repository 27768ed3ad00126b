// The browser functions the plugin calls, driven through the table the
// stand-in plugin received: geturl inside a web browser (a stream, the page
// window's open, Navigate with its one "_blank" retry) and outside one (a
// stream, the control's own SRC, a new Internet Explorer), status with the
// page-change refresh, uagent and the memory functions.
#include <gtest/gtest.h>
#include <windows.h>
#include <exdisp.h>
#include <memory>
#include <string>
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

TEST_F(InBrowser, NullInstanceIsRefusedAndTouchesNothing)
{
    const NPNetscapeFuncs* funcs = plugin.Funcs();
    EXPECT_EQ(funcs->geturl(nullptr, "doc.fexo", nullptr), NPERR_GENERIC_ERROR);
    EXPECT_EQ(funcs->geturl(nullptr, "doc.fexo", "_blank"), NPERR_GENERIC_ERROR);
    funcs->status(nullptr, "text");
    EXPECT_STREQ(funcs->uagent(nullptr), "Mozilla/3.0 (compatible; MSIE 3.0; Windows NT)");
    EXPECT_EQ(Log(), "");
    EXPECT_EQ(hosted.Journal(), "");
}

TEST_F(InBrowser, UserAgentAndMemoryServices)
{
    const NPNetscapeFuncs* funcs = plugin.Funcs();
    EXPECT_STREQ(funcs->uagent(hosted.Instance()), "Mozilla/3.0 (compatible; MSIE 3.0; Windows NT)");
    void* block = funcs->memalloc(1000);
    ASSERT_NE(block, nullptr);
    memset(block, 0xAB, 1000);
    funcs->memfree(block);
    funcs->memfree(nullptr);
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

TEST_F(InBrowser, TargetIsOpenedByThePageWindow)
{
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_self"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), std::string(kWalk) + "QueryService(IWebBrowserApp)\n" +
                         Open("http://h/a.fexo", "\"_self\""));
    EXPECT_EQ(plugin.GetUrl("http://h/b.fexo", "frame1"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), Open("http://h/b.fexo", "\"frame1\"")) << "the browser is held once found";
}

TEST_F(InBrowser, FailedOpenNavigatesTheNamedFrameThenRetriesOnceIntoANewWindow)
{
    BrowserObjects_SetOpenResult(objects.get(), E_FAIL);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "frame1"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), std::string(kWalk) + "QueryService(IWebBrowserApp)\n" +
                         Open("http://h/a.fexo", "\"frame1\"") +
                         Navigate("http://h/a.fexo", 0, "\"frame1\""));

    BrowserObjects_QueueNavigateResult(objects.get(), E_FAIL);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "frame1"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), Open("http://h/a.fexo", "\"frame1\"") +
                         Navigate("http://h/a.fexo", 0, "\"frame1\"") +
                         Navigate("http://h/a.fexo", 1, "\"_blank\""));

    BrowserObjects_QueueNavigateResult(objects.get(), E_FAIL);
    BrowserObjects_QueueNavigateResult(objects.get(), S_FALSE);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_BLANK"), NPERR_GENERIC_ERROR)
        << "only S_OK counts; _BLANK in capitals is a frame name";
    EXPECT_EQ(Log(), Open("http://h/a.fexo", "\"_BLANK\"") +
                         Navigate("http://h/a.fexo", 0, "\"_BLANK\"") +
                         Navigate("http://h/a.fexo", 1, "\"_blank\""));
}

TEST_F(InBrowser, NewWindowTargetsNavigateInANewWindowWithoutRetry)
{
    BrowserObjects_SetOpenResult(objects.get(), S_FALSE);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_new"), NPERR_NO_ERROR);
    EXPECT_EQ(Log(), std::string(kWalk) + "QueryService(IWebBrowserApp)\n" +
                         Open("http://h/a.fexo", "\"_new\"") +
                         Navigate("http://h/a.fexo", 1, "\"_new\""));

    BrowserObjects_QueueNavigateResult(objects.get(), E_FAIL);
    EXPECT_EQ(plugin.GetUrl("http://h/a.fexo", "_blank"), NPERR_GENERIC_ERROR);
    EXPECT_EQ(Log(), Open("http://h/a.fexo", "\"_blank\"") +
                         Navigate("http://h/a.fexo", 1, "\"_blank\""));
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
