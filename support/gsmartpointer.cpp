#include "support/gsmartpointer.h"
#include "support/gexception.h"
#include "support/gmonitor.h"

GMonitor& GSmartPointerMonitor()
{
    static GMonitor monitor;
    return monitor;
}

GPEnabled::~GPEnabled() noexcept(false)
{
    if (count > 0) G_THROW("GSmartPointer.suspicious");
}

void* GPEnabled::DeletingDestructor(unsigned flags) noexcept(false)
{
    return GDestroyEntry(this, flags);
}

void GPEnabled::Reference()
{
    GMonitorLock lock(GSmartPointerMonitor());
    ++count;
}

void GPEnabled::Release()
{
    bool last;
    {
        GMonitorLock lock(GSmartPointerMonitor());
        if (--count == 0) count = -1;
        // Decided here: another thread's release may follow before this one
        // destroys, and must not destroy a second time.
        last = count < 0;
    }
    if (last) Destroy();
}

void GPEnabled::Destroy()
{
    if (count >= 0) G_THROW("GSmartPointer.suspicious");
    DeletingDestructor(kGDeleteMemory);
}

void GPBase::Assign(GPEnabled* object)
{
    GPEnabled* old;
    {
        GMonitorLock lock(GSmartPointerMonitor());
        if (object && object->count < 0) object = nullptr;
        if (object) ++object->count;
        old = object_;
        object_ = object;
    }
    if (old) old->Release();
}

void GPBase::Assign(const GPBase& other)
{
    GPEnabled* old;
    {
        GMonitorLock lock(GSmartPointerMonitor());
        GPEnabled* object = other.object_;
        if (object) ++object->count;
        old = object_;
        object_ = object;
    }
    if (old) old->Release();
}

void GPBase::Release()
{
    GPEnabled* old = object_;
    object_ = nullptr;
    if (old) old->Release();
}

GPEnabled* GPBase::Checked() const
{
    if (!object_) G_THROW("GSmartPointer.suspicious");
    return object_;
}
