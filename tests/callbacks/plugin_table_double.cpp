#include "plugin_table_double.h"
#include "plugin/plugin_module.h"

namespace fexo::plugin {

NPSavedData* g_savedData;

NPPluginFuncs* GetPluginFuncs()
{
    static NPPluginFuncs table{};
    return &table;
}

}  // namespace fexo::plugin

namespace fexo::test {

namespace {

int32_t NP_CALL WriteReady(NPP, NPStream*)
{
    ThePluginTable().log += "WriteReady\n";
    return ThePluginTable().ready;
}

int32_t NP_CALL Write(NPP, NPStream*, int32_t offset, int32_t length, void* buffer)
{
    ThePluginTable().log += "Write(" + std::to_string(offset) + ", " + std::to_string(length) + ")\n";
    ThePluginTable().received.append(static_cast<const char*>(buffer), length);
    return length;
}

NPError NP_CALL DestroyStream(NPP, NPStream* stream, NPReason reason)
{
    ThePluginTable().log += std::string("DestroyStream(") + stream->url + ", " +
                            std::to_string(reason) + ")\n";
    return NPERR_NO_ERROR;
}

}  // namespace

PluginTableDouble& ThePluginTable()
{
    static PluginTableDouble table;
    return table;
}

void PluginTableDouble::Install(bool withWriteReady)
{
    NPPluginFuncs* table = plugin::GetPluginFuncs();
    *table = NPPluginFuncs{};
    table->size = sizeof *table;
    table->writeready = withWriteReady ? WriteReady : nullptr;
    table->write = Write;
    table->destroystream = DestroyStream;
    log.clear();
    received.clear();
    ready = NP_MAXREADY;
}

std::string PluginTableDouble::TakeLog()
{
    std::string taken;
    taken.swap(log);
    return taken;
}

}  // namespace fexo::test
