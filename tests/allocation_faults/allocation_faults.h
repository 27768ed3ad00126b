// The test build of the control, FexoCntlFaults.DLL, counts every allocation
// the control's code makes (the C runtime's malloc family, which operator new
// and the standard containers use; automation strings; COM task and global
// memory) and fails the one a test names, through two extra exports:
//   FexoFaultsFailAt(n)      the nth allocation from now fails (1: the next),
//                            only that one; 0 fails none.  Counts restart.
//   FexoFaultsRead(&counts)  what was made since FexoFaultsFailAt.
#pragma once
#include <windows.h>

struct FexoFaultCounts {
    LONG made;        // allocation calls, failed ones included
    LONG failed;      // calls that were made to fail
    LONG liveBlocks;  // malloc-family blocks held now (a running balance)
};

// The exports of the test build loaded as `control`.
inline void FailAllocationAt(HMODULE control, LONG n)
{
    reinterpret_cast<void(WINAPI*)(LONG)>(
        reinterpret_cast<void*>(GetProcAddress(control, "FexoFaultsFailAt")))(n);
}
inline FexoFaultCounts AllocationCounts(HMODULE control)
{
    FexoFaultCounts counts{};
    reinterpret_cast<void(WINAPI*)(FexoFaultCounts*)>(
        reinterpret_cast<void*>(GetProcAddress(control, "FexoFaultsRead")))(&counts);
    return counts;
}
