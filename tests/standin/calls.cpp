#include "calls.h"
#include <cstring>

namespace standin {

namespace {
constexpr const char* kNpCallNames[] = {
    "NP_GetEntryPoints", "NP_Initialize",    "NP_Shutdown",    "NPP_New",
    "NPP_Destroy",       "NPP_SetWindow",    "NPP_NewStream",  "NPP_DestroyStream",
    "NPP_StreamAsFile",  "NPP_WriteReady",   "NPP_Write",      "NPP_Print",
    "NPP_HandleEvent",   "NPP_URLNotify",
};
static_assert(std::size(kNpCallNames) == static_cast<size_t>(NpCall::Count));
}  // namespace

const char* CallName(Call call)
{
    constexpr int npCount = static_cast<int>(NpCall::Count);
    return call < npCount ? kNpCallNames[call] : fexo::plugin::kFexopExportNames[call - npCount];
}

Call FindCall(const char* name)
{
    if (!name) return -1;
    for (Call call = 0; call < kCallCount; ++call) {
        if (std::strcmp(CallName(call), name) == 0) return call;
    }
    return -1;
}

}  // namespace standin
