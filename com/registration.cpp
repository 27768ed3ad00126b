#include "com/registration.h"
#include <cstring>
#include <new>
#include <string_view>
#include "FexoCtl.h"
#include "com/file_associations.h"
#include "com/module.h"
#include "com/registry_operations.h"
#include "res/resource_ids.h"

namespace fexo::com {

namespace {

enum class ScriptMode { Register, Unregister };

HRESULT LastErrorResult()
{
    const DWORD error = GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

DWORD ModuleFileName(HMODULE module, char* path, DWORD size)
{
    return GetModuleFileNameA(module, path, size);
}

DWORD ModuleFileName(HMODULE module, wchar_t* path, DWORD size)
{
    return GetModuleFileNameW(module, path, size);
}

// A path that fills the buffer may have been cut short, and a registration
// naming a cut path would point nowhere.
template <class Char>
HRESULT GetModulePath(HMODULE module, Char (&path)[MAX_PATH])
{
    const DWORD length = ModuleFileName(module, path, MAX_PATH);
    if (length == 0) return LastErrorResult();
    if (length >= MAX_PATH) return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    return S_OK;
}

HRESULT LoadScript(HMODULE module, std::string_view& script)
{
    const HRSRC resource = FindResourceExA(module, "REGISTRY", MAKEINTRESOURCEA(IDR_FEXOCTL),
                                           MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
    const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const char* text = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
    if (!text) return LastErrorResult();
    const DWORD size = SizeofResource(module, resource);
    // The text ends at its size or at a terminating zero, whichever comes first.
    script = std::string_view(text, strnlen(text, size));
    return S_OK;
}

HRESULT RunScript(HMODULE module, ScriptMode mode)
{
    char modulePath[MAX_PATH];
    HRESULT hr = GetModulePath(module, modulePath);
    if (FAILED(hr)) return hr;
    std::string_view text;
    hr = LoadScript(module, text);
    if (FAILED(hr)) return hr;
    try {
        const ScriptParseResult parsed = ParseRegistryScript(text, {{"MODULE", modulePath}});
        // The script is the module's own resource: an error means a broken build.
        if (!parsed.ok()) return E_UNEXPECTED;
        return ApplyRegistryOperations(mode == ScriptMode::Register
                                           ? PlanRegistration(parsed.script)
                                           : PlanUnregistration(parsed.script));
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}

HRESULT RegisterTypeLibrary(HMODULE module)
{
    wchar_t modulePath[MAX_PATH];
    HRESULT hr = GetModulePath(module, modulePath);
    if (FAILED(hr)) return hr;
    ITypeLib* library = nullptr;
    hr = LoadTypeLib(modulePath, &library);
    if (FAILED(hr)) return hr;
    hr = RegisterTypeLib(library, modulePath, nullptr);
    library->Release();
    return hr;
}

HRESULT UnregisterTypeLibrary()
{
#ifdef _WIN64
    const SYSKIND kind = SYS_WIN64;
#else
    const SYSKIND kind = SYS_WIN32;
#endif
    return UnRegisterTypeLib(LIBID_FEXOCONTROLLib, 1, 0,
                             MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), kind);
}

}  // namespace

HRESULT RegisterServer()
{
    const HMODULE module = Module::Instance();
    WriteFileAssociations(module);
    const HRESULT hr = RunScript(module, ScriptMode::Register);
    if (FAILED(hr)) return hr;
    return RegisterTypeLibrary(module);
}

HRESULT UnregisterServer()
{
    // The file associations stay (see WriteFileAssociations).
    const HRESULT hr = RunScript(Module::Instance(), ScriptMode::Unregister);
    if (FAILED(hr)) return hr;
    return UnregisterTypeLibrary();
}

}  // namespace fexo::com
