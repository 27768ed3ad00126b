// Process-wide state of the in-process server: the module handle and the lock
// count that DllCanUnloadNow answers from.
#pragma once
#include <windows.h>

namespace fexo::com {

class Module {
public:
    static void Attach(HINSTANCE instance);
    static void Detach();
    // Null before DLL_PROCESS_ATTACH and after DLL_PROCESS_DETACH.
    static HINSTANCE Instance();

    // One lock per live object and per outstanding class-factory reference.
    static void Lock();
    static void Unlock();
    static LONG LockCount();

    // Registers a clean-up step for DLL_PROCESS_DETACH (caches, window
    // classes); steps run in reverse order of registration.
    static void AtDetach(void (*step)());
};

}  // namespace fexo::com
