// The wrappers that turn a class with an interface map into a live COM object:
// ComObject<T> stands alone, AggObject<T> is aggregated by an outer object.
//
// T provides `static const InterfaceMap<T>& Interfaces()` and leaves the three
// IUnknown methods to these wrappers.  T's reference count is a plain counter:
// every object of this server lives in one apartment.
#pragma once
#include <new>
#include <utility>
#include "com/interface_map.h"
#include "com/module.h"

namespace fexo::com {

// Base of every object class: the controlling unknown that T hands out when
// it passes itself to others (a site, a sink).  It is the aggregate's outer
// unknown when aggregated, the object itself otherwise.
class ObjectRoot {
public:
    IUnknown* ControllingUnknown() const { return m_controllingUnknown; }

protected:
    ObjectRoot() = default;
    virtual ~ObjectRoot() = default;

    // Runs once the last reference has gone, while the object is still whole:
    // whatever it calls may call back and take references meanwhile (in the
    // destructor its IUnknown would no longer answer).
    virtual void FinalRelease() {}
    ObjectRoot(const ObjectRoot&) = delete;
    ObjectRoot& operator=(const ObjectRoot&) = delete;

private:
    template <class> friend class ComObject;
    template <class> friend class ContainedObject;
    IUnknown* m_controllingUnknown = nullptr;
};

// Drops one reference and deletes the object with the last one.  Calls made
// on the object during its own destruction must not free it a second time,
// so the count stays at 1 meanwhile.
template <class Object>
ULONG ReleaseCounted(Object* object, ULONG& count)
{
    ULONG left = --count;
    if (left == 0) {
        count = 1;
        delete object;
    }
    return left;
}

// A new object, or null when memory runs out: while the object itself is
// allocated or while its constructor makes its own allocations.
template <class Object, class... Arguments>
Object* Construct(Arguments&&... arguments) noexcept
{
    try {
        return new Object(std::forward<Arguments>(arguments)...);
    } catch (...) {
        return nullptr;
    }
}

template <class T>
class ComObject final : public T {
public:
    // Every live object holds a module lock, taken last: the interface table
    // is built on first use and may run out of memory, and a constructor that
    // throws never reaches the destructor that would give the lock back.
    ComObject()
    {
        this->m_controllingUnknown = Interfaces().front().get(this);
        Module::Lock();
    }
    ~ComObject() override
    {
        this->FinalRelease();
        Module::Unlock();
    }

    static HRESULT Create(REFIID iid, void** out)
    {
        ComObject* object = Construct<ComObject>();
        if (!object) return E_OUTOFMEMORY;
        object->m_refCount = 1;
        HRESULT hr = object->QueryInterface(iid, out);
        object->Release();
        return hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return QueryInterfaceFromMap<T>(this, Interfaces(), iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseCounted(this, m_refCount); }

private:
    static const InterfaceMap<T>& Interfaces() { return T::Interfaces(); }
    ULONG m_refCount = 0;
};

// T inside an aggregate: every IUnknown call goes to the outer object.
template <class T>
class ContainedObject final : public T {
public:
    explicit ContainedObject(IUnknown* outer) { this->m_controllingUnknown = outer; }
    ~ContainedObject() override { this->FinalRelease(); }

    HRESULT InnerQueryInterface(REFIID iid, void** out)
    {
        return QueryInterfaceFromMap<T>(this, T::Interfaces(), iid, out);
    }
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        return this->m_controllingUnknown->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return this->m_controllingUnknown->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return this->m_controllingUnknown->Release(); }
};

// The inner, non-delegating unknown that an aggregating object holds.
template <class T>
class AggObject final : public IUnknown {
public:
    explicit AggObject(IUnknown* outer) : m_contained(outer) { Module::Lock(); }
    virtual ~AggObject() { Module::Unlock(); }

    static HRESULT Create(IUnknown* outer, REFIID iid, void** out)
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        AggObject* object = Construct<AggObject>(outer);
        if (!object) return E_OUTOFMEMORY;
        object->m_refCount = 1;
        *out = static_cast<IUnknown*>(object);
        return S_OK;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown)) {
            *out = static_cast<IUnknown*>(this);
            AddRef();
            return S_OK;
        }
        return m_contained.InnerQueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refCount; }
    STDMETHODIMP_(ULONG) Release() override { return ReleaseCounted(this, m_refCount); }

private:
    ULONG m_refCount = 0;
    ContainedObject<T> m_contained;
};

}  // namespace fexo::com
