// Calls of the plugin's fexop_ exports.  An export the plugin lacks (its load
// recorded it) is skipped: the control goes on as if the plugin had ignored
// the call.
#pragma once
#include "plugin/plugin_module.h"

namespace fexo::control {

// True when the plugin has the export and was called.
template <class Proc, class... Args>
bool CallPlugin(plugin::FexopExport which, Args... args)
{
    Proc proc = plugin::CPluginModule::Export<Proc>(which);
    if (proc) proc(args...);
    return proc != nullptr;
}

// The export's answer, or `fallback` without the export.
template <class Proc, class Result, class... Args>
Result AskPlugin(plugin::FexopExport which, Result fallback, Args... args)
{
    Proc proc = plugin::CPluginModule::Export<Proc>(which);
    return proc ? static_cast<Result>(proc(args...)) : fallback;
}

}  // namespace fexo::control
