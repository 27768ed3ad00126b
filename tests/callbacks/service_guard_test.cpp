// The browser services as the plugin calls them, against a host whose
// workers fail: no exception, out-of-memory or other, unwinds into the
// plugin's frames; the plugin gets NPERR_GENERIC_ERROR or nothing instead.
#include <gtest/gtest.h>
#include <new>
#include "com/bstr.h"
#include "plugin/browser_services.h"
#include "plugin/plugin_instance.h"

namespace {

class FailingHost : public fexo::plugin::PluginHost {
public:
    bool OpenUrl(const char*, const char*) override
    {
        ++calls;
        throw fexo::com::OutOfMemory{};
    }
    void ShowStatus(const char*) override
    {
        ++calls;
        throw std::bad_alloc{};
    }
    int calls = 0;
};

class AnsweringHost : public fexo::plugin::PluginHost {
public:
    bool OpenUrl(const char* url, const char*) override { return url && url[0] == 'y'; }
    void ShowStatus(const char*) override {}
};

TEST(ServiceGuard, OutOfMemoryInAServiceBecomesAnErrorForThePlugin)
{
    const NPNetscapeFuncs table = fexo::plugin::BrowserFuncsTemplate();
    FailingHost host;
    fexo::plugin::PluginInstance plugin;
    plugin.AttachWindow(nullptr, &host, &host);
    EXPECT_EQ(table.geturl(plugin.Npp(), "doc.fexo", nullptr), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.geturl(plugin.Npp(), "doc.fexo", "_blank"), NPERR_GENERIC_ERROR);
    table.status(plugin.Npp(), "text");
    EXPECT_EQ(host.calls, 3);
}

TEST(ServiceGuard, WorkerResultBecomesTheNpapiResult)
{
    const NPNetscapeFuncs table = fexo::plugin::BrowserFuncsTemplate();
    AnsweringHost host;
    fexo::plugin::PluginInstance plugin, orphan;
    plugin.AttachWindow(nullptr, &host, &host);
    EXPECT_EQ(table.geturl(plugin.Npp(), "yes", nullptr), NPERR_NO_ERROR);
    EXPECT_EQ(table.geturl(plugin.Npp(), "no", nullptr), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.geturl(orphan.Npp(), "yes", nullptr), NPERR_GENERIC_ERROR)
        << "no host behind it";
    EXPECT_EQ(table.geturl(nullptr, "yes", nullptr), NPERR_GENERIC_ERROR);
    EXPECT_EQ(table.size, sizeof table);
    EXPECT_EQ(table.version, 9);
    EXPECT_EQ(table.posturl, nullptr);
    EXPECT_EQ(table.newstream, nullptr);
    EXPECT_EQ(table.geturlnotify, nullptr);
}

}  // namespace
