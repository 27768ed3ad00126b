// The browser functions the plugin calls, with the control's calls on the hosting browser as one log.
// Addresses and targets come in the ANSI code page (the log shows UTF-8), status texts in UTF-8.
#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>
#include "browser_objects.h"
#include "hosted_control.h"
#include "test_protocol.h"

using namespace fexo::test;

namespace {

using PagePtr = std::unique_ptr<BrowserPage, decltype(&free)>;

std::string TakeLog(BrowserPage* page)
{
    const std::string log = page->log;
    page->log[0] = '\0';
    return log;
}

const std::string kWalk = "QueryService(IHTMLWindow2)\nget_document\nget_location\n";

std::string Open(const std::string& url, const std::string& name)
{
    return "open(\"" + url + "\", " + name + ", features=null, replace=0)\n";
}
std::string Navigate(const std::string& url, int flags, const std::string& target, const char* rest = "null")
{
    return "Navigate(\"" + url + "\", flags=VT_I4 " + std::to_string(flags) + ", target=VT_BSTR " + target +
           ", post=" + rest + ", headers=" + rest + ")\n";
}

class Services : public testing::Test {
protected:
    explicit Services(BrowserPage* browser = nullptr)
        : page(browser, &free), hosted(browser ? browser->services : nullptr), funcs(hosted.Standin()->BrowserFuncs())
    {
    }
    ~Services() override
    {
        hosted.Destroy();
        EXPECT_EQ(page ? page->references : 0, 0) << "every host object released";
    }
    NPError GetUrl(const char* url, const char* target) { return funcs->geturl(hosted.Instance(), url, target); }

    PagePtr page;
    HostedControl hosted;
    const NPNetscapeFuncs* funcs;
};

class InBrowser : public Services {
protected:
    InBrowser() : Services(BrowserPage_Create(TRUE, TRUE)) { page->href = L"x://h/dir/page.html"; }
};

// Five services; without a control behind the instance they touch nothing.
TEST_F(InBrowser, TheTableOffersFiveServices)
{
    for (NPP instance : {hosted.Instance(), static_cast<NPP>(nullptr)})
        EXPECT_STREQ(funcs->uagent(instance), "Mozilla/3.0 (compatible; MSIE 3.0; Windows NT)");
    funcs->memfree(memset(funcs->memalloc(1000), 0xAB, 1000));
    NPP_t orphan{nullptr, nullptr};
    for (NPP instance : {static_cast<NPP>(nullptr), &orphan}) {
        EXPECT_EQ(funcs->geturl(instance, "doc.fexo", "_blank"), NPERR_GENERIC_ERROR);
        funcs->status(instance, "text");
    }
    EXPECT_EQ(TakeLog(page.get()) + hosted.Journal(), "");
}

// Relative addresses are completed from the page's address, read again each
// time (a failed read once more); a target goes to the page window's open,
// then to Navigate, then once more into a new window unless the target was
// one ("_blank", "_new", exact).  Only S_OK counts.
TEST_F(InBrowser, GetUrlOpensNavigatesOrRetries)
{
    const std::string a = "x://h/dir/a.fexo";
    const struct {
        HRESULT open;
        std::vector<HRESULT> navigations;
        int failedHrefReads;
        const char *url, *target;
        NPError result;
        std::string log;
    } kSteps[] = {
        {S_OK, {}, 0, "a.fexo", "fr\xE9me", 0,
         kWalk + kWalk + "get_href\nQueryService(IWebBrowserApp)\n" + Open(a, "\"fr\xC3\xA9me\"")},
        {S_FALSE, {}, 1, "\xE9.fexo", "_new", 0,
         kWalk + "get_href\nget_href\n" + Open("x://h/dir/\xC3\xA9.fexo", "\"_new\"") +
             Navigate("x://h/dir/\xC3\xA9.fexo", 1, "\"_new\"")},
        {E_FAIL, {E_FAIL, S_OK}, 2, "a.fexo", "frame1", 0,
         kWalk + "get_href\nget_href\nopen(null, \"frame1\", features=null, replace=0)\n"
                 "Navigate(null, flags=VT_I4 0, target=VT_BSTR \"frame1\", post=null, headers=null)\n"
                 "Navigate(null, flags=VT_I4 1, target=VT_BSTR \"_blank\", post=null, headers=null)\n"},
        {E_FAIL, {E_FAIL, S_FALSE, S_OK}, 0, "/a.fexo", "_BLANK", 1,
         kWalk + "get_href\n" + Open("x://h/a.fexo", "\"_BLANK\"") + Navigate("x://h/a.fexo", 0, "\"_BLANK\"") +
             Navigate("x://h/a.fexo", 1, "\"_blank\"")},
        {S_FALSE, {E_FAIL, S_OK}, 0, "x:y", "_blank", 1, Open("x:y", "\"_blank\"") + Navigate("x:y", 1, "\"_blank\"")},
        {S_OK, {}, 0, "", nullptr, 0, kWalk + "get_href\n" + Open("x://h/dir/", "null")},
    };
    for (const auto& step : kSteps) {
        page->openResult = step.open;
        page->navigateResults = step.navigations.data();
        page->failingHrefReads = step.failedHrefReads;
        EXPECT_EQ(GetUrl(step.url, step.target), step.result) << step.url;
        EXPECT_EQ(TakeLog(page.get()), step.log) << step.url;
    }
    EXPECT_EQ(hosted.Journal(), "");
}

// Without a target the plugin's document streams into its own instance and
// nothing navigates; status text refreshes the page first when its address
// has changed since a relative address last read it.
TEST_F(InBrowser, NoTargetStreamsAndStatusFollowsThePage)
{
    funcs->status(hosted.Instance(), "caf\xC3\xA9");
    EXPECT_EQ(GetUrl("doc.fexo", nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(hosted.Journal().find("NPP_NewStream(stream=1 type=\"image/vnd.fexo\" url=\"x://h/dir/doc.fexo\""), 0u);
    page->href = L"x://h/other.html";
    EXPECT_EQ(GetUrl("x://h/abs.fexo", "_self"), NPERR_NO_ERROR) << "an absolute address reads nothing";
    funcs->status(hosted.Instance(), "moved");
    funcs->status(hosted.Instance(), nullptr);
    EXPECT_EQ(TakeLog(page.get()), "QueryService(IWebBrowserApp)\nput_StatusText(\"caf\xC3\xA9\")\n" + kWalk +
                                       kWalk + "get_href\n" + Open("x://h/abs.fexo", "\"_self\"") + kWalk +
                                       "get_href\nRefresh2(level=VT_I4 0)\nput_StatusText(\"moved\")\n" + kWalk +
                                       "get_href\nput_StatusText(null)\n");
}

// The Internet Explorer application that CoCreateInstance finds: this
// process's own class object, registered for the test.
class ExplorerFactory : public StaticClassFactory {
public:
    explicit ExplorerFactory(HRESULT creation) : m_creation(creation)
    {
        CoRegisterClassObject(CLSID_InternetExplorer, this, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &m_cookie);
    }
    ~ExplorerFactory() { CoRevokeClassObject(m_cookie); }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID iid, void** out) override
    {
        log += "CoCreateInstance\n";
        *out = nullptr;
        return FAILED(m_creation) ? m_creation : page->browser->QueryInterface(iid, out);
    }

    PagePtr page{BrowserPage_Create(TRUE, FALSE), &free};
    std::string log;

private:
    HRESULT m_creation;
    DWORD m_cookie = 0;
};

// Outside a web browser: no target streams into the same instance, a Fexo
// document for "_self" or "_top" (any case) replaces the control's own, and
// anything else opens a new, visible Internet Explorer; always 0.
TEST_F(Services, OutsideABrowserTheControlOrANewExplorerOpensIt)
{
    const std::string none = "\"\"", created = "CoCreateInstance\nput_Visible(1)\n";
    const struct {
        HRESULT creation;
        const char *url, *target;
        const wchar_t* source;
        std::string journal, explorer;
    } kSteps[] = {
        {S_OK, "x:a.pdf", "_top", L"", "", created + Navigate("x:a.pdf", 0, none, "VT_BSTR \"\"")},
        {S_OK, "x:\xE9.fexo", "_blank", L"", "", created + Navigate("x:\xC3\xA9.fexo", 0, none, "VT_BSTR \"\"")},
        {E_OUTOFMEMORY, "x:a.pdf", "_top", L"", "", "CoCreateInstance\n"},
        {S_OK, "x:b.fexo", nullptr, L"", "NPP_NewStream", ""},
        {S_OK, "x:\xE9.FXO", "_Self", L"x:\u00e9.FXO", "NPP_NewStream", ""},
    };
    for (const auto& step : kSteps) {
        ExplorerFactory explorer(step.creation);
        EXPECT_EQ(GetUrl(step.url, step.target), NPERR_NO_ERROR);
        BSTR source = nullptr;
        hosted.Control()->get_SRC(&source);
        EXPECT_STREQ(source ? source : L"", step.source) << step.url;
        SysFreeString(source);
        EXPECT_EQ(hosted.Journal().substr(0, 13), step.journal) << step.url;
        EXPECT_EQ(explorer.log + TakeLog(explorer.page.get()), step.explorer) << step.url;
        hosted.Standin()->Reset();
    }
}

}  // namespace
