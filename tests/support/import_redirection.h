// Import-table patching, so that a test can stand between a module and a system function without touching
// any other module in the process.
#pragma once
#include <windows.h>
#include <cstring>

namespace fexo::test {

// Points each of the module's imports of `name` at `replacement`; the address the last of them had, or null
// when the module does not import it by name.
inline void* RedirectImport(HMODULE module, const char* name, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    void* original = nullptr;
    for (auto* library = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports); library->Name; ++library) {
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* imported = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(imported->Name, name)) continue;
            original = reinterpret_cast<void*>(slot->u1.Function);
            DWORD access = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &access);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(slot, sizeof *slot, access, &access);
        }
    }
    return original;
}

}  // namespace fexo::test
