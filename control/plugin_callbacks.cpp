// Notifications from the plugin.  Not handled yet: the plugin may call them
// from the first load on, and they return without acting.
#include "control/plugin_callbacks.h"

namespace fexo::control {

void NP_CALL PluginErrorCallback(NPP, const char*) {}
void NP_CALL PluginEventCallback(NPP, const char*, const char*, int32_t, int32_t, int32_t,
                                 int32_t)
{
}
void NP_CALL PluginComplexEventCallback(NPP, const char*, const char*, const char*, const char*,
                                        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
}
void NP_CALL PluginPasswordCallback(NPP, PasswordRequest*, int32_t*) {}

}  // namespace fexo::control
