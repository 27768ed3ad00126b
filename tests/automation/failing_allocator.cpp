#include "failing_allocator.h"
#include <objbase.h>
#include <objidl.h>

namespace fexo::test {

namespace {

bool g_failing = false;
LONG g_liveBlocks = 0;

// Lets every call through unchanged but the allocation size, which is 0
// (a failure) while failing; counts the blocks allocated since it came.
class Spy : public IMallocSpy {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        *out = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IMallocSpy) ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP_(SIZE_T) PreAlloc(SIZE_T size) override { return g_failing ? 0 : size; }
    STDMETHODIMP_(void*) PostAlloc(void* block) override
    {
        if (block) ++g_liveBlocks;
        return block;
    }
    STDMETHODIMP_(void*) PreFree(void* block, BOOL spied) override
    {
        if (block && spied) --g_liveBlocks;
        return block;
    }
    STDMETHODIMP_(void) PostFree(BOOL) override {}
    STDMETHODIMP_(SIZE_T) PreRealloc(void* block, SIZE_T size, void** out, BOOL spied) override
    {
        m_reallocAllocates = !block;
        if (block && spied && size == 0) --g_liveBlocks;
        *out = block;
        return g_failing ? 0 : size;
    }
    STDMETHODIMP_(void*) PostRealloc(void* block, BOOL) override
    {
        if (m_reallocAllocates && block) ++g_liveBlocks;
        return block;
    }
    STDMETHODIMP_(void*) PreGetSize(void* block, BOOL) override { return block; }
    STDMETHODIMP_(SIZE_T) PostGetSize(SIZE_T size, BOOL) override { return size; }
    STDMETHODIMP_(void*) PreDidAlloc(void* block, BOOL) override { return block; }
    STDMETHODIMP_(int) PostDidAlloc(void*, BOOL, int actual) override { return actual; }
    STDMETHODIMP_(void) PreHeapMinimize() override {}
    STDMETHODIMP_(void) PostHeapMinimize() override {}

private:
    bool m_reallocAllocates = false;
};

bool Install()
{
    static Spy spy;
    return GetEnvironmentVariableA("OANOCACHE", nullptr, 0) > 0 &&
           SUCCEEDED(CoRegisterMallocSpy(&spy));
}

}  // namespace

bool FailingAllocations::Available()
{
    static const bool installed = Install();
    return installed;
}

LONG FailingAllocations::LiveBlocks() { return g_liveBlocks; }

FailingAllocations::FailingAllocations() { g_failing = Available(); }
FailingAllocations::~FailingAllocations() { g_failing = false; }

}  // namespace fexo::test
