// FexoCntl.DLL loaded and called through its exports, as COM does, unregistered.
#pragma once
#include <windows.h>
#include <unknwn.h>

namespace fexo::test {

class ServerDll {
public:
    // From the path FEXO_SERVER_DLL names, else the test's directory; loaded for good.
    static HMODULE Handle();

    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out);
    static HRESULT CanUnloadNow();
    static HRESULT Register();
    static HRESULT Unregister();
    static HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out);
};

}  // namespace fexo::test
