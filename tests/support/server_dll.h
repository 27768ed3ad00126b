// FexoCntl.DLL loaded and called through its exports, as COM does, unregistered.
#pragma once
#include <windows.h>
#include <unknwn.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include "FexoCtl.h"

namespace fexo::test {

class ServerDll {
public:
    // From the path FEXO_SERVER_DLL names, else the test's directory; loaded for good.
    static HMODULE Handle()
    {
        static HMODULE module = [] {
            const char* path = std::getenv("FEXO_SERVER_DLL");
            return LoadLibraryA(path && path[0] ? path : "FexoCntl.DLL");
        }();
        return module;
    }

    static HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** out)
    {
        return Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
    }
    static HRESULT CanUnloadNow() { return Export<Entry>("DllCanUnloadNow")(); }
    static HRESULT Register() { return Export<Entry>("DllRegisterServer")(); }
    static HRESULT Unregister() { return Export<Entry>("DllUnregisterServer")(); }
    static HRESULT CreateControl(IUnknown* outer, REFIID iid, void** out)
    {
        IClassFactory* factory = nullptr;
        HRESULT hr = GetClassObject(CLSID_FexoCtl, IID_IClassFactory, reinterpret_cast<void**>(&factory));
        if (FAILED(hr)) return hr;
        hr = factory->CreateInstance(outer, iid, out);
        return factory->Release(), hr;
    }

private:
    using Entry = HRESULT(WINAPI*)();
    template <class Function>
    static Function Export(const char* name)
    {
        FARPROC address = GetProcAddress(Handle(), name);
        EXPECT_NE(address, nullptr) << name;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
    }
};

}  // namespace fexo::test
