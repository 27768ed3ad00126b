// Makes the process's COM task allocations fail on demand, through the
// system's malloc spy: automation strings come from that allocator.  The
// string cache of oleaut32 must be off (OANOCACHE set before the process
// starts), or freed strings would be handed out again without an allocation.
#pragma once
#include <windows.h>

namespace fexo::test {

class FailingAllocations {
public:
    // Every task allocation fails until the object goes.
    FailingAllocations();
    ~FailingAllocations();
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;

    // Whether the spy is installed and the string cache is off.
    static bool Available();
    // Task memory blocks (automation strings among them) allocated since the
    // spy came and not yet freed.
    static LONG LiveBlocks();
};

}  // namespace fexo::test
