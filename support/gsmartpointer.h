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

class GMonitor;

// The monitor guarding every reference count of this module.
GMonitor& GSmartPointerMonitor();

// Base of every reference-counted library object: the virtual table (the
// destructor first), then the count.
class GPEnabled {
public:
    GPEnabled() = default;
    GPEnabled(const GPEnabled&) = delete;
    GPEnabled& operator=(const GPEnabled&) = delete;
    // Raises "GSmartPointer.suspicious" when references remain.
    virtual ~GPEnabled() noexcept(false);

    void Reference();
    // The last reference turns the count to -1 and destroys the object.
    void Release();
    // Deletes an object whose last reference has gone; raises
    // "GSmartPointer.suspicious" for one that is still referenced.
    void Destroy();

    // References held; -1 once the last one has gone and the object is being
    // destroyed, so that it is never revived.
    int32_t count = 0;
};

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
