// Allocation fault injection for the test build of the control.  At load the
// module's own import table is redirected: every allocator the control's code
// calls goes through a counter that can fail one chosen call.  Allocations of
// the host process and of the system on its own account are not touched.
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
    g_counts.liveBlocks += block != nullptr;
    return block;
}

decltype(&malloc) g_malloc;
decltype(&calloc) g_calloc;
decltype(&realloc) g_realloc;
decltype(&free) g_free;
decltype(&_strdup) g_strdup;

void* __cdecl Malloc(size_t size) { return Fails() ? nullptr : Kept(g_malloc(size)); }
void* __cdecl Calloc(size_t count, size_t size)
{
    return Fails() ? nullptr : Kept(g_calloc(count, size));
}
void* __cdecl Realloc(void* block, size_t size)
{
    if (!block) return Malloc(size);
    if (size == 0) --g_counts.liveBlocks;
    return size && Fails() ? nullptr : g_realloc(block, size);
}
void __cdecl Free(void* block)
{
    g_counts.liveBlocks -= block != nullptr;
    g_free(block);
}
char* __cdecl Strdup(const char* text)
{
    return Fails() ? nullptr : static_cast<char*>(Kept(g_strdup(text)));
}

// The system allocators: the call fails as the allocator does when out of memory.
#define FAILING(result, name, parameters, arguments, failure)        \
    decltype(&name) g_##name;                                       \
    result WINAPI Failing##name parameters { return Fails() ? failure : g_##name arguments; }
FAILING(BSTR, SysAllocString, (const OLECHAR* a), (a), nullptr)
FAILING(BSTR, SysAllocStringLen, (const OLECHAR* a, UINT b), (a, b), nullptr)
FAILING(BSTR, SysAllocStringByteLen, (LPCSTR a, UINT b), (a, b), nullptr)
FAILING(INT, SysReAllocString, (BSTR* a, const OLECHAR* b), (a, b), FALSE)
FAILING(INT, SysReAllocStringLen, (BSTR* a, const OLECHAR* b, UINT c), (a, b, c), FALSE)
FAILING(LPVOID, CoTaskMemAlloc, (SIZE_T a), (a), nullptr)
FAILING(LPVOID, CoTaskMemRealloc, (LPVOID a, SIZE_T b), (a, b), nullptr)
FAILING(HGLOBAL, GlobalAlloc, (UINT a, SIZE_T b), (a, b), nullptr)
decltype(&VariantChangeType) g_VariantChangeType;
// Only a conversion to a string allocates.
HRESULT WINAPI FailingVariantChangeType(VARIANTARG* to, VARIANTARG* from, USHORT flags,
                                        VARTYPE type)
{
    return type == VT_BSTR && Fails() ? E_OUTOFMEMORY : g_VariantChangeType(to, from, flags, type);
}

struct Hook {
    const char* name;
    void* replacement;
    void** original;
};
#define HOOK(name, replacement, original) \
    {name, reinterpret_cast<void*>(replacement), reinterpret_cast<void**>(&original)}
#define SYSTEM_HOOK(name) HOOK(#name, Failing##name, g_##name)
const Hook kHooks[] = {
    HOOK("malloc", Malloc, g_malloc), HOOK("calloc", Calloc, g_calloc),
    HOOK("realloc", Realloc, g_realloc), HOOK("free", Free, g_free),
    HOOK("_strdup", Strdup, g_strdup), SYSTEM_HOOK(SysAllocString),
    SYSTEM_HOOK(SysAllocStringLen), SYSTEM_HOOK(SysAllocStringByteLen),
    SYSTEM_HOOK(SysReAllocString), SYSTEM_HOOK(SysReAllocStringLen),
    SYSTEM_HOOK(VariantChangeType), SYSTEM_HOOK(CoTaskMemAlloc),
    SYSTEM_HOOK(CoTaskMemRealloc), SYSTEM_HOOK(GlobalAlloc)};

void RedirectImports()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&RedirectImports), &module);
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(
        base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports);
         library->Name; ++library) {
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const char* name =
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name;
            for (const Hook& hook : kHooks) {
                if (std::strcmp(name, hook.name) != 0) continue;
                *hook.original = reinterpret_cast<void*>(slot->u1.Function);
                DWORD protection = 0;
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE,
                               &protection);
                slot->u1.Function = reinterpret_cast<ULONG_PTR>(hook.replacement);
                VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection,
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
    g_counts.made = g_counts.failed = 0;
}

extern "C" __declspec(dllexport) void WINAPI FexoFaultsRead(FexoFaultCounts* counts)
{
    *counts = g_counts;
}
