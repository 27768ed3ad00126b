// The exported entry points of FexoCntl.DLL.
#include "com/class_factory.h"
#include "com/registration.h"
#include "control/fexo_ctl.h"
#include "plugin/plugin_module.h"

using namespace fexo::com;

namespace {
ClassFactory<CFexoCtl> g_fexoCtlFactory;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module::Attach(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH) {
        Module::Detach();
    }
    return TRUE;
}

// The plugin is shut down only here: when no control is left and nothing
// holds the server.
extern "C" HRESULT WINAPI DllCanUnloadNow()
{
    const bool unlocked = Module::LockCount() == 0;
    fexo::plugin::CPluginModule::Unload(unlocked, true);
    return unlocked ? S_OK : S_FALSE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, CLSID_FexoCtl)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_fexoCtlFactory.QueryInterface(iid, out);
}

extern "C" HRESULT WINAPI DllRegisterServer() { return RegisterServer(); }
extern "C" HRESULT WINAPI DllUnregisterServer() { return UnregisterServer(); }
