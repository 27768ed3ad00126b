// FexoCntl.DLL loaded by the test process itself, the way COM loads an
// in-process server: through its exports, without registration.
#pragma once
#include <windows.h>
#include <unknwn.h>

namespace fexo::test {

class ServerDll {
public:
    // Loads FexoCntl.DLL from the test's directory; the DLL stays loaded for
    // the process, as COM keeps it.
    static HMODULE Handle();

    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    static HRESULT CanUnloadNow();
    static HRESULT Register();
    static HRESULT Unregister();

    // Creates a control through the class factory (outer may be null).
    static HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out);
};

}  // namespace fexo::test
