// FexoCntl.DLL loaded by the test process itself, the way COM loads an
// in-process server: through its exports, without registration.
#pragma once
#include <windows.h>
#include <unknwn.h>

namespace fexo::test {

class ServerDll {
public:
    // Loads FexoCntl.DLL from the test's directory, or from the path that the
    // environment variable FEXO_SERVER_DLL names (a test whose control must
    // find another plugin, or none); the DLL stays loaded for the process, as
    // COM keeps it.
    static HMODULE Handle();

    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    static HRESULT CanUnloadNow();
    static HRESULT Register();
    static HRESULT Unregister();
    // Creates a control through the class factory (outer may be null).
    static HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out);
};

}  // namespace fexo::test
