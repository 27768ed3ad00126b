#include "com/module.h"

namespace fexo::com {
namespace {
HINSTANCE g_hInstance;
volatile LONG g_lockCount;
// Few steps exist (one per cache or window class); a fixed table needs no
// allocation during DllMain.
void (*g_detachSteps[8])();
volatile LONG g_detachCount;
}  // namespace

void Module::Attach(HINSTANCE instance) { g_hInstance = instance; }

void Module::Detach()
{
    LONG count = g_detachCount;
    if (count > LONG(sizeof g_detachSteps / sizeof g_detachSteps[0]))
        count = sizeof g_detachSteps / sizeof g_detachSteps[0];
    for (LONG i = count; i > 0; --i) g_detachSteps[i - 1]();
    g_detachCount = 0;
    g_hInstance = nullptr;
}

HINSTANCE Module::Instance() { return g_hInstance; }
void Module::Lock() { InterlockedIncrement(&g_lockCount); }
void Module::Unlock() { InterlockedDecrement(&g_lockCount); }
LONG Module::LockCount() { return InterlockedCompareExchange(&g_lockCount, 0, 0); }
void Module::AtDetach(void (*step)())
{
    LONG slot = InterlockedIncrement(&g_detachCount) - 1;
    if (slot < LONG(sizeof g_detachSteps / sizeof g_detachSteps[0])) g_detachSteps[slot] = step;
}

}  // namespace fexo::com
