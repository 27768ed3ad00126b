#include "plugin/plugin_module.h"

namespace fexo::plugin {

char g_loadErrorText[4096];

}  // namespace fexo::plugin
