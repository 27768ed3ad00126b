// The four functions the control registers with the plugin; the plugin calls
// them with the instance the notification is about.
#pragma once
#include "plugin/fexop_exports.h"

namespace fexo::control {

void NP_CALL PluginErrorCallback(NPP instance, const char* message);
void NP_CALL PluginEventCallback(NPP instance, const char* eventName, const char* text,
                                 int32_t unused1, int32_t unused2, int32_t value1,
                                 int32_t value2);
void NP_CALL PluginComplexEventCallback(NPP instance, const char* eventName, const char* text1,
                                        const char* text2, const char* text3, int32_t unused1,
                                        int32_t unused2, int32_t unused3, int32_t unused4,
                                        int32_t unused5, int32_t flag);
void NP_CALL PluginPasswordCallback(NPP instance, PasswordRequest* request, int32_t* result);

}  // namespace fexo::control
