// The test build of the control, FexoCntlFaults.DLL, counts every allocation
// the control's code makes (the C runtime's malloc family, which operator new
// and the standard containers use; automation strings; COM task memory) and
// fails the one a test names.  Two extra exports, absent from FexoCntl.DLL:
//
//   FexoFaultsFailAt(n)    the nth allocation from now fails (1: the next),
//                          and only that one; 0 fails none.  Counts restart.
//   FexoFaultsRead(&counts) what was made since FexoFaultsFailAt.
#pragma once
#include <windows.h>

struct FexoFaultCounts {
    LONG made;        // allocation calls, failed ones included
    LONG failed;      // calls that were made to fail
    LONG liveBlocks;  // malloc-family blocks held now (a running balance)
};

typedef void(WINAPI* FexoFaultsFailAtProc)(LONG n);
typedef void(WINAPI* FexoFaultsReadProc)(FexoFaultCounts* counts);
