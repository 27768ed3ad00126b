// The one process-wide record of the plugin DLL: loaded when the first control
// is made, shut down only when the server may unload with no control left.
// A failed load leaves its negative status in the load count and a text that
// the control draws in its window.
#pragma once
#include <windows.h>
#include "plugin/fexop_exports.h"
#include "plugin/npapi.h"

namespace fexo::plugin {

class CPluginModule {
public:
    // One more control: loads, initialises and resolves the plugin when none
    // is loaded (the count was 0 or a failure status).  Out of memory: throws,
    // and the record is as it was before the call.
    static void Load();
    // One control less (unloadPermitted 0, fromUnloadQuery false), or the
    // server's unload query telling whether it may unload.
    static void Unload(BYTE unloadPermitted, bool fromUnloadQuery);

    // Live controls, or the status of the last failed load (negative).
    static LONG LoadCount();

    // The export's entry, null while it has not been found.
    template <class Proc>
    static Proc Export(FexopExport which)
    {
        return reinterpret_cast<Proc>(s_exports[static_cast<int>(which)]);
    }

private:
    static void ResolveExports();
    static void* s_exports[static_cast<int>(FexopExport::Count)];
};

// The process-wide NPAPI tables; a table whose size field is 0 is filled
// first (the plugin's zeroed, the browser's from its constant template).
NPPluginFuncs* GetPluginFuncs();
NPNetscapeFuncs* GetBrowserFuncs();

// Text of the last failed plugin load; the control draws it while not empty.
extern char g_loadErrorText[4096];

// What the last destroyed instance left for the next one created.
extern NPSavedData* g_savedData;

}  // namespace fexo::plugin
