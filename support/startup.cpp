// The library's start-up in this DLL: its allocations that fail raise
// GOutOfMemory.  The handler is the new-handler of the DLL's own C++ runtime
// (linked statically), so the host process's allocations and its own
// new-handler are untouched; GOutOfMemory is also a std::bad_alloc, so code
// written for the standard failure still catches it.
#include <new>
#include "support/gexception.h"

namespace {
struct OutOfMemoryHandlerInstaller {
    OutOfMemoryHandlerInstaller() { std::set_new_handler(GOutOfMemoryHandler); }
} g_outOfMemoryHandlerInstaller;
}  // namespace
