// The control's test build, FexoCntlFaults.DLL, counts the allocations its
// code makes and fails the one a test names, through two extra exports:
//   FexoFaultsFailAt(n)      the nth allocation from now fails (1: the next),
//                            only that one; 0 fails none.  Counts restart.
//   FexoFaultsRead(&counts)  what was made since FexoFaultsFailAt.
#pragma once
#include <windows.h>

struct FexoFaultCounts {
    LONG failed;      // calls that were made to fail
    LONG liveBlocks;  // C runtime blocks held now (a running balance)
};

template <class Argument>
void CallFaultsExport(HMODULE control, const char* name, Argument argument)
{
    reinterpret_cast<void(WINAPI*)(Argument)>(reinterpret_cast<void*>(GetProcAddress(control, name)))(argument);
}
inline void FailAllocationAt(HMODULE control, LONG n) { CallFaultsExport(control, "FexoFaultsFailAt", n); }
inline FexoFaultCounts AllocationCounts(HMODULE control)
{
    FexoFaultCounts counts{};
    return CallFaultsExport(control, "FexoFaultsRead", &counts), counts;
}
