#include "server_dll.h"
#include <gtest/gtest.h>
#include <cstdlib>
#include "FexoCtl.h"

namespace fexo::test {

namespace {
template <class Function>
Function Export(const char* name)
{
    FARPROC address = GetProcAddress(ServerDll::Handle(), name);
    EXPECT_NE(address, nullptr) << name;
    return reinterpret_cast<Function>(reinterpret_cast<void*>(address));
}
using Entry = HRESULT(WINAPI*)();
}  // namespace

HMODULE ServerDll::Handle()
{
    static HMODULE module = [] {
        const char* path = std::getenv("FEXO_SERVER_DLL");
        return LoadLibraryA(path && path[0] ? path : "FexoCntl.DLL");
    }();
    return module;
}

HRESULT ServerDll::GetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    return Export<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>("DllGetClassObject")(clsid, iid, out);
}

HRESULT ServerDll::CanUnloadNow() { return Export<Entry>("DllCanUnloadNow")(); }
HRESULT ServerDll::Register() { return Export<Entry>("DllRegisterServer")(); }
HRESULT ServerDll::Unregister() { return Export<Entry>("DllUnregisterServer")(); }

HRESULT ServerDll::CreateControl(IUnknown* outer, REFIID iid, void** out)
{
    IClassFactory* factory = nullptr;
    HRESULT hr = GetClassObject(CLSID_FexoCtl, IID_IClassFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr)) return hr;
    hr = factory->CreateInstance(outer, iid, out);
    factory->Release();
    return hr;
}

}  // namespace fexo::test
