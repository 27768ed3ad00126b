// Allocation fault injection for the test build of the control.  At load the
// module's own import table is redirected: every allocator the control's code
// calls (the C runtime's, which operator new in all its forms and the standard
// containers reach; the automation strings; COM task memory; global memory)
// goes through a counter that can fail one chosen call.  Allocations of the
// host process and of the system on its own account are not touched.
#include "allocation_faults.h"
#include <oleauto.h>
#include <cstdlib>
#include <cstring>

namespace {

LONG g_countdown;  // calls left until the failing one; 0: none fails
FexoFaultCounts g_counts;

// Counts one allocation call; true when this one is to fail.
bool Fails()
{
    ++g_counts.made;
    if (g_countdown == 0 || --g_countdown > 0) return false;
    ++g_counts.failed;
    return true;
}

void* Kept(void* block)
{
    if (block) ++g_counts.liveBlocks;
    return block;
}

decltype(&malloc) g_malloc;
decltype(&calloc) g_calloc;
decltype(&realloc) g_realloc;
decltype(&free) g_free;
decltype(&_strdup) g_strdup;
decltype(&SysAllocString) g_sysAllocString;
decltype(&SysAllocStringLen) g_sysAllocStringLen;
decltype(&SysAllocStringByteLen) g_sysAllocStringByteLen;
decltype(&SysReAllocString) g_sysReAllocString;
decltype(&SysReAllocStringLen) g_sysReAllocStringLen;
decltype(&VariantChangeType) g_variantChangeType;
decltype(&CoTaskMemAlloc) g_coTaskMemAlloc;
decltype(&CoTaskMemRealloc) g_coTaskMemRealloc;
decltype(&GlobalAlloc) g_globalAlloc;

void* __cdecl Malloc(size_t size) { return Fails() ? nullptr : Kept(g_malloc(size)); }
void* __cdecl Calloc(size_t count, size_t size)
{
    return Fails() ? nullptr : Kept(g_calloc(count, size));
}
void* __cdecl Realloc(void* block, size_t size)
{
    if (!block) return Malloc(size);
    if (size == 0) {
        --g_counts.liveBlocks;
        return g_realloc(block, 0);
    }
    return Fails() ? nullptr : g_realloc(block, size);
}
void __cdecl Free(void* block)
{
    if (block) --g_counts.liveBlocks;
    g_free(block);
}
char* __cdecl Strdup(const char* text)
{
    return Fails() ? nullptr : static_cast<char*>(Kept(g_strdup(text)));
}

BSTR WINAPI AllocString(const OLECHAR* text) { return Fails() ? nullptr : g_sysAllocString(text); }
BSTR WINAPI AllocStringLen(const OLECHAR* text, UINT length)
{
    return Fails() ? nullptr : g_sysAllocStringLen(text, length);
}
BSTR WINAPI AllocStringByteLen(LPCSTR text, UINT length)
{
    return Fails() ? nullptr : g_sysAllocStringByteLen(text, length);
}
INT WINAPI ReAllocString(BSTR* text, const OLECHAR* source)
{
    return Fails() ? FALSE : g_sysReAllocString(text, source);
}
INT WINAPI ReAllocStringLen(BSTR* text, const OLECHAR* source, UINT length)
{
    return Fails() ? FALSE : g_sysReAllocStringLen(text, source, length);
}
// Only a conversion to a string allocates.
HRESULT WINAPI ChangeType(VARIANTARG* to, VARIANTARG* from, USHORT flags, VARTYPE type)
{
    if (type == VT_BSTR && Fails()) return E_OUTOFMEMORY;
    return g_variantChangeType(to, from, flags, type);
}
LPVOID WINAPI TaskMemAlloc(SIZE_T size) { return Fails() ? nullptr : g_coTaskMemAlloc(size); }
LPVOID WINAPI TaskMemRealloc(LPVOID block, SIZE_T size)
{
    return Fails() ? nullptr : g_coTaskMemRealloc(block, size);
}
HGLOBAL WINAPI GlobalMemAlloc(UINT flags, SIZE_T size)
{
    return Fails() ? nullptr : g_globalAlloc(flags, size);
}

struct Hook {
    const char* name;
    void* replacement;
    void** original;
};

template <class Function>
Hook MakeHook(const char* name, Function replacement, Function* original)
{
    return {name, reinterpret_cast<void*>(replacement), reinterpret_cast<void**>(original)};
}

void RedirectImports()
{
    const Hook hooks[] = {
        MakeHook("malloc", &Malloc, &g_malloc),
        MakeHook("calloc", &Calloc, &g_calloc),
        MakeHook("realloc", &Realloc, &g_realloc),
        MakeHook("free", &Free, &g_free),
        MakeHook("_strdup", &Strdup, &g_strdup),
        MakeHook("SysAllocString", &AllocString, &g_sysAllocString),
        MakeHook("SysAllocStringLen", &AllocStringLen, &g_sysAllocStringLen),
        MakeHook("SysAllocStringByteLen", &AllocStringByteLen, &g_sysAllocStringByteLen),
        MakeHook("SysReAllocString", &ReAllocString, &g_sysReAllocString),
        MakeHook("SysReAllocStringLen", &ReAllocStringLen, &g_sysReAllocStringLen),
        MakeHook("VariantChangeType", &ChangeType, &g_variantChangeType),
        MakeHook("CoTaskMemAlloc", &TaskMemAlloc, &g_coTaskMemAlloc),
        MakeHook("CoTaskMemRealloc", &TaskMemRealloc, &g_coTaskMemRealloc),
        MakeHook("GlobalAlloc", &GlobalMemAlloc, &g_globalAlloc),
    };
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&RedirectImports), &module);
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
             base + imports.VirtualAddress);
         library->Name; ++library) {
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            for (const Hook& hook : hooks) {
                if (std::strcmp(name, hook.name) != 0) continue;
                *hook.original = reinterpret_cast<void*>(slots->u1.Function);
                DWORD protection = 0;
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, PAGE_READWRITE,
                               &protection);
                slots->u1.Function = reinterpret_cast<ULONG_PTR>(hook.replacement);
                VirtualProtect(&slots->u1.Function, sizeof slots->u1.Function, protection,
                               &protection);
            }
        }
    }
}

struct Redirection {
    Redirection() { RedirectImports(); }
} g_redirection;

}  // namespace

extern "C" __declspec(dllexport) void WINAPI FexoFaultsFailAt(LONG n)
{
    g_countdown = n;
    g_counts.made = 0;
    g_counts.failed = 0;
}

extern "C" __declspec(dllexport) void WINAPI FexoFaultsRead(FexoFaultCounts* counts)
{
    *counts = g_counts;
}
