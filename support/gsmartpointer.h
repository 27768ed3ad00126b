// Reference-counted library objects and the smart pointer that holds them.
// The plugin shares this protocol: an object made on one side of the plugin
// boundary may lose its last reference on the other, and is then destroyed
// through its own virtual destructor, in the module that made it.
//
// Every count change runs under the one global smart-pointer monitor, so
// pointers to one object may be copied and released on any thread; objects
// are destroyed outside it.
#pragma once
#include <cstdint>
#include <type_traits>

class GMonitor;

// The monitor guarding every reference count of this module.
GMonitor& GSmartPointerMonitor();

// Why the table is laid out by hand: the plugin is built by Microsoft's
// compiler, and objects of these classes cross the boundary both ways (the
// plugin makes string representations that we release).  Microsoft's table
// has ONE destructor entry, first: the scalar deleting destructor, called
// with `this` and flags (bit 0: free the memory too) and returning `this`,
// __thiscall on 32-bit (this in ECX, the callee pops the flags).  GCC would
// give a virtual destructor two entries and free through the second, so no
// class here has a virtual destructor: entry 0 is this explicit virtual
// function, and the destructors are plain.  A derived class whose own
// destructor or operator delete must run overrides entry 0 with
// GDestroyEntry(this, flags).
#if defined(__i386__)
#define G_THISCALL __attribute__((thiscall))
#else
#define G_THISCALL
#endif

// Flag bit of entry 0: free the object's memory after destroying it.
constexpr unsigned kGDeleteMemory = 1;

// Base of every reference-counted library object: the virtual table (entry 0
// the destructor), then the count.
class GPEnabled {
public:
    GPEnabled() = default;
    GPEnabled(const GPEnabled&) = delete;
    GPEnabled& operator=(const GPEnabled&) = delete;
    // Raises "GSmartPointer.suspicious" when references remain.
    ~GPEnabled() noexcept(false);

    // Entry 0 of the table, Microsoft's scalar deleting destructor.
    virtual void* G_THISCALL DeletingDestructor(unsigned flags) noexcept(false);

    void Reference();
    // The last reference turns the count to -1 and destroys the object.
    void Release();
    // Deletes an object whose last reference has gone, through entry 0 (in
    // the module that made it); raises "GSmartPointer.suspicious" for one
    // that is still referenced.
    void Destroy();

    // References held; -1 once the last one has gone and the object is being
    // destroyed, so that it is never revived.
    int32_t count = 0;
};

// What entry 0 does for a class T of this module.  T is the object's own
// class here, so deleting through it needs no virtual destructor.
template <class T>
void* GDestroyEntry(T* object, unsigned flags)
{
    if (!(flags & kGDeleteMemory)) {
        object->~T();
        return object;
    }
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
    delete object;
#pragma GCC diagnostic pop
    return object;
}

// The untyped smart pointer: one word, null or an object whose count includes
// this reference.
class GPBase {
public:
    GPBase() = default;
    explicit GPBase(GPEnabled* object) { Assign(object); }
    GPBase(const GPBase& other) { Assign(other); }
    GPBase& operator=(const GPBase& other)
    {
        Assign(other);
        return *this;
    }
    ~GPBase() { Release(); }

    // Holds a plain object; one whose last reference has already gone counts
    // as null.
    void Assign(GPEnabled* object);
    // Shares the other pointer's object.
    void Assign(const GPBase& other);
    // Empties the pointer first, then lets the object go.
    void Release();

protected:
    // Raises "GSmartPointer.suspicious" for a null pointer.
    GPEnabled* Checked() const;

    GPEnabled* object_ = nullptr;
};

template <class T>
class GP : public GPBase {
public:
    GP() = default;
    GP(T* object) : GPBase(object) {}
    GP& operator=(T* object)
    {
        Assign(object);
        return *this;
    }
    T* get() const { return static_cast<T*>(object_); }
    T* operator->() const { return static_cast<T*>(Checked()); }
    T& operator*() const { return *static_cast<T*>(Checked()); }
};

static_assert(sizeof(GP<GPEnabled>) == sizeof(void*), "a smart pointer is one word");
static_assert(sizeof(GPEnabled) == 2 * sizeof(void*), "table pointer and count");
static_assert(std::is_same_v<decltype(&GPEnabled::DeletingDestructor),
                             void* (G_THISCALL GPEnabled::*)(unsigned)>,
              "entry 0 takes the flags and answers this");
static_assert(!std::has_virtual_destructor_v<GPEnabled>, "no destructor entries of GCC's own");
