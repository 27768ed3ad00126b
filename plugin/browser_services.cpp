#include "plugin/browser_services.h"
#include <cstdlib>
#include "plugin/plugin_instance.h"

namespace fexo::plugin {

namespace {

// No exception may unwind through the plugin's frames: a service that fails
// inside the control reports failure instead.
NPError NP_CALL GetUrl(NPP instance, const char* url, const char* target)
{
    PluginHost* host = PluginInstance::HostOf(instance);
    if (!host) return NPERR_GENERIC_ERROR;
    try {
        return host->OpenUrl(url, target) ? NPERR_NO_ERROR : NPERR_GENERIC_ERROR;
    } catch (...) {
        return NPERR_GENERIC_ERROR;
    }
}

void NP_CALL Status(NPP instance, const char* message)
{
    PluginHost* host = PluginInstance::HostOf(instance);
    if (!host) return;
    try {
        host->ShowStatus(message);
    } catch (...) {
    }
}

const char* NP_CALL UserAgent(NPP)
{
    return "Mozilla/3.0 (compatible; MSIE 3.0; Windows NT)";
}

void* NP_CALL MemAlloc(uint32_t size) { return std::malloc(size); }
void NP_CALL MemFree(void* block) { std::free(block); }

}  // namespace

NPNetscapeFuncs BrowserFuncsTemplate()
{
    NPNetscapeFuncs table{};
    table.size = sizeof table;
    table.version = 9;
    table.geturl = GetUrl;
    table.status = Status;
    table.uagent = UserAgent;
    table.memalloc = MemAlloc;
    table.memfree = MemFree;
    return table;
}

}  // namespace fexo::plugin
