// Allocation fault injection for the control's test build.  At load the
// module's own import table is redirected: every allocator the control's code
// imports goes through a counter that can fail one chosen call.  Allocations
// of the host process and of the system on its own account are not touched.
#include "allocation_faults.h"
#include <oleauto.h>
#include <cstdlib>
#include "tests/support/import_redirection.h"

extern "C" BYTE __ImageBase[];  // this module's image, as the linker lays it out

namespace {

LONG g_countdown;  // calls left until the failing one; 0: none fails
FexoFaultCounts g_counts;

// Counts one allocation call; true when this one is to fail.
bool Fails() { return g_countdown != 0 && --g_countdown == 0 && ++g_counts.failed; }
template <class Block>
Block Kept(Block block) { return g_counts.liveBlocks += block != nullptr, block; }

// A failing call answers as the allocator does when out of memory; the C
// runtime's blocks are counted.
#define ALLOCATORS(X)                                                        \
    X(void*, __cdecl, malloc, (size_t a), (a), Kept)                         \
    X(void*, __cdecl, calloc, (size_t a, size_t b), (a, b), Kept)            \
    X(char*, __cdecl, _strdup, (const char* a), (a), Kept)                   \
    X(BSTR, WINAPI, SysAllocString, (const OLECHAR* a), (a), )               \
    X(BSTR, WINAPI, SysAllocStringLen, (const OLECHAR* a, UINT b), (a, b), ) \
    X(HGLOBAL, WINAPI, GlobalAlloc, (UINT a, SIZE_T b), (a, b), )
#define FAILING(result, convention, name, parameters, arguments, keep) \
    decltype(&name) g_##name;                                          \
    result convention Failing_##name parameters                        \
    {                                                                  \
        return Fails() ? static_cast<result>(0) : keep(g_##name arguments); \
    }
ALLOCATORS(FAILING)
decltype(&realloc) g_realloc;
decltype(&free) g_free;
decltype(&VariantChangeType) g_VariantChangeType;
void* __cdecl Failing_realloc(void* block, size_t size)
{
    if (!block) return Failing_malloc(size);
    g_counts.liveBlocks -= size == 0;
    return size && Fails() ? nullptr : g_realloc(block, size);
}
void __cdecl Failing_free(void* block)
{
    g_counts.liveBlocks -= block != nullptr;
    g_free(block);
}
// Only a conversion to a string allocates.
HRESULT WINAPI Failing_VariantChangeType(VARIANTARG* to, VARIANTARG* from, USHORT flags,
                                         VARTYPE type)
{
    return type == VT_BSTR && Fails() ? E_OUTOFMEMORY : g_VariantChangeType(to, from, flags, type);
}

#define HOOK(result, convention, name, ...) \
    {#name, reinterpret_cast<void*>(Failing_##name), reinterpret_cast<void**>(&g_##name)},
const struct Hook { const char* name; void* replacement; void** original; } kHooks[] = {
    ALLOCATORS(HOOK) HOOK(, , realloc) HOOK(, , free) HOOK(, , VariantChangeType)};

struct Redirection {
    Redirection()
    {
        const auto module = reinterpret_cast<HMODULE>(__ImageBase);
        for (const Hook& hook : kHooks) *hook.original = fexo::test::RedirectImport(module, hook.name, hook.replacement);
    }
} g_redirection;

}  // namespace

extern "C" __declspec(dllexport) void WINAPI FexoFaultsFailAt(LONG n)
{
    g_countdown = n;
    g_counts.failed = 0;
}

extern "C" __declspec(dllexport) void WINAPI FexoFaultsRead(FexoFaultCounts* counts)
{
    *counts = g_counts;
}
