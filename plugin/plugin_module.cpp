#include "plugin/plugin_module.h"
#include <cstring>
#include "plugin/browser_services.h"
#include "plugin/directory_search.h"
#include "control/plugin_callbacks.h"

namespace fexo::plugin {

char g_loadErrorText[4096];
NPSavedData* g_savedData;
void* CPluginModule::s_exports[static_cast<int>(FexopExport::Count)];

namespace {

const char kPluginFileName[] = "npfexo.dll";

HMODULE g_module;
LONG g_loadCount;
bool g_unloadPermitted;

// Load and Unload run under one lock for the whole process, the plugin's own
// start-up and shut-down calls included.
class ModuleLock {
public:
    ModuleLock() { InitializeCriticalSection(&m_section); }
    ~ModuleLock() { DeleteCriticalSection(&m_section); }
    void Enter() { EnterCriticalSection(&m_section); }
    void Leave() { LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};
ModuleLock g_lock;

class Locked {
public:
    Locked() { g_lock.Enter(); }
    ~Locked() { g_lock.Leave(); }
};

NPPluginFuncs g_pluginFuncs;
NPNetscapeFuncs g_browserFuncs;

void SetLoadError(LONG status, const char* format, DWORD error)
{
    wsprintfA(g_loadErrorText, format, error);
    g_loadCount = status;
}

FARPROC Lookup(const char* name) { return GetProcAddress(g_module, name); }

template <class Proc>
Proc LookupAs(const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(Lookup(name)));
}

HMODULE TryLoad(const std::string& directory)
{
    std::string path = directory;
    AppendBounded(path, kPluginFileName);
    return LoadLibraryA(path.c_str());
}

// Finds the DLL beside the control, then in the browsers' plugin directories;
// the module handle keeps the result of every attempt.
bool FindAndLoadModule()
{
    CandidateList candidates;
    std::string ownDirectory;
    if (FindModuleDirectory(ownDirectory)) {
        candidates.SetOwnDirectory(ownDirectory);
        g_module = TryLoad(ownDirectory);
        if (g_module) return true;
    } else if (g_module) {
        return true;
    }

    if (CollectBrowserDirectories(candidates) == 0) return g_module != nullptr;
    const auto& directories = candidates.Directories();
    for (std::size_t i = candidates.HasOwnDirectory() ? 1 : 0; i < directories.size(); ++i) {
        g_module = TryLoad(directories[i]);
        if (g_module) return true;
    }
    return false;
}

void Handshake()
{
    if (auto getEntryPoints = LookupAs<NP_GetEntryPointsFunc>("NP_GetEntryPoints")) {
        if (getEntryPoints(GetPluginFuncs()) != NPERR_NO_ERROR)
            SetLoadError(-3, "InternalError:  NP_GetEntryPoints function call was failed", 0);
    } else {
        SetLoadError(-2, "InternalError: ErrorCode %d : NP_GetEntryPoints function can not be obtained",
                     GetLastError());
    }
    if (auto initialize = LookupAs<NP_InitializeFunc>("NP_Initialize")) {
        if (initialize(GetBrowserFuncs()) != NPERR_NO_ERROR)
            SetLoadError(-6, "InternalError:  NP_Initialize function call was failed", 0);
    } else {
        SetLoadError(-5, "InternalError: ErrorCode %d : NP_Initialize function can not be obtained",
                     GetLastError());
    }
    if (!Lookup("NP_Shutdown"))
        SetLoadError(-7, "InternalError: ErrorCode %d : NP_Shutdown function can not be obtained",
                     GetLastError());
}

// The status a missing export leaves; the callback setters have their own.
LONG MissingExportStatus(FexopExport which)
{
    switch (which) {
    case FexopExport::WriteDebugInfoToFile: return 0;
    case FexopExport::ErrorFunc:
    case FexopExport::EventFunc: return -9;
    case FexopExport::ComplexEventFunc: return -10;
    case FexopExport::DoHyperlink: return -11;
    case FexopExport::SetPasswordFunc: return -12;
    default: return -8;
    }
}

}  // namespace

void CPluginModule::ResolveExports()
{
    if (!g_module) return;
    for (int i = 0; i < static_cast<int>(FexopExport::Count); ++i) {
        const auto which = static_cast<FexopExport>(i);
        s_exports[i] = reinterpret_cast<void*>(Lookup(FexopExportName(which)));
        if (!s_exports[i]) {
            if (LONG status = MissingExportStatus(which)) g_loadCount = status;
            continue;
        }
        switch (which) {
        case FexopExport::ErrorFunc:
            Export<fexop_ErrorFuncProc>(which)(control::PluginErrorCallback);
            break;
        case FexopExport::EventFunc:
            Export<fexop_EventFuncProc>(which)(control::PluginEventCallback);
            break;
        case FexopExport::ComplexEventFunc:
            Export<fexop_ComplexEventFuncProc>(which)(control::PluginComplexEventCallback);
            break;
        case FexopExport::SetPasswordFunc:
            Export<fexop_SetPasswordFuncProc>(which)(control::PluginPasswordCallback);
            break;
        default:
            break;
        }
    }
}

void CPluginModule::Load()
{
    Locked locked;
    const LONG oldCount = g_loadCount;
    const bool oldUnloadPermitted = g_unloadPermitted;
    const HMODULE oldModule = g_module;
    g_unloadPermitted = false;
    g_loadCount = oldCount + 1;
    if (oldCount > 0) return;

    GetPluginFuncs()->size = 0;
    GetBrowserFuncs()->size = 0;
    bool found = false;
    try {
        found = FindAndLoadModule();
    } catch (...) {
        // Out of memory during the search: the record stays as it was, so
        // that the next control runs the whole load again.
        g_loadCount = oldCount;
        g_unloadPermitted = oldUnloadPermitted;
        g_module = oldModule;
        throw;
    }
    if (!found) {
        SetLoadError(-1, "InternalError: ErrorCode %d : Plugin DLL(npfexo.dll) can not be loaded",
                     GetLastError());
        return;
    }
    Handshake();
    ResolveExports();
}

void CPluginModule::Unload(BYTE unloadPermitted, bool fromUnloadQuery)
{
    Locked locked;
    if (fromUnloadQuery)
        g_unloadPermitted = unloadPermitted != 0;
    else
        --g_loadCount;
    const LONG threshold = g_unloadPermitted ? 0 : -1;
    if (g_loadCount > threshold) return;

    g_pluginFuncs.size = 0;
    g_browserFuncs.size = 0;
    g_savedData = nullptr;
    if (g_module && g_loadCount == 0) {
        if (auto shutdown = LookupAs<NP_ShutdownFunc>("NP_Shutdown")) shutdown();
    }
}

LONG CPluginModule::LoadCount()
{
    Locked locked;
    return g_loadCount;
}

NPPluginFuncs* GetPluginFuncs()
{
    if (g_pluginFuncs.size == 0) {
        std::memset(&g_pluginFuncs, 0, sizeof g_pluginFuncs);
        g_pluginFuncs.size = sizeof g_pluginFuncs;
    }
    return &g_pluginFuncs;
}

NPNetscapeFuncs* GetBrowserFuncs()
{
    if (g_browserFuncs.size == 0) g_browserFuncs = BrowserFuncsTemplate();
    return &g_browserFuncs;
}

}  // namespace fexo::plugin
