// Reference-counted library objects and the smart pointer that holds them.
// The plugin shares this protocol: an object made on one side of the plugin
// boundary may lose its last reference on the other, and is then destroyed
// through its own virtual destructor, in the module that made it.
#pragma once
#include <cstdint>

// Base of every reference-counted library object: the virtual table (the
// destructor first), then the count.
class GPEnabled {
public:
    GPEnabled() = default;
    GPEnabled(const GPEnabled&) = delete;
    GPEnabled& operator=(const GPEnabled&) = delete;
    virtual ~GPEnabled() = default;

    // References held; -1 once the last one has gone and the object is being
    // destroyed, so that it is never revived.
    int32_t count = 0;
};

// The untyped smart pointer: one word, null or an object whose count includes
// this reference.  Counts change atomically, so pointers to one object may be
// copied and released on any thread.
class GPBase {
public:
    GPBase() = default;
    explicit GPBase(GPEnabled* object) { Assign(object); }
    GPBase(const GPBase& other) : object_(other.object_)
    {
        if (object_) __atomic_add_fetch(&object_->count, 1, __ATOMIC_ACQ_REL);
    }
    GPBase& operator=(const GPBase& other)
    {
        GPEnabled* old = object_;
        object_ = other.object_;
        if (object_) __atomic_add_fetch(&object_->count, 1, __ATOMIC_ACQ_REL);
        Drop(old);
        return *this;
    }
    ~GPBase() { Release(); }

    // Holds a plain object; one already being destroyed counts as null.
    void Assign(GPEnabled* object)
    {
        GPEnabled* old = object_;
        object_ = object && TryReference(object) ? object : nullptr;
        Drop(old);
    }

    // Empties the pointer first, then lets the object go.
    void Release()
    {
        GPEnabled* old = object_;
        object_ = nullptr;
        Drop(old);
    }

protected:
    GPEnabled* object_ = nullptr;

private:
    static bool TryReference(GPEnabled* object)
    {
        int32_t count = __atomic_load_n(&object->count, __ATOMIC_ACQUIRE);
        do {
            if (count < 0) return false;
        } while (!__atomic_compare_exchange_n(&object->count, &count, count + 1, false,
                                              __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE));
        return true;
    }

    // The last reference turns the count to -1 and destroys the object.
    static void Drop(GPEnabled* object)
    {
        if (!object) return;
        int32_t count = __atomic_load_n(&object->count, __ATOMIC_ACQUIRE);
        int32_t next;
        do {
            next = count - 1 == 0 ? -1 : count - 1;
        } while (!__atomic_compare_exchange_n(&object->count, &count, next, false,
                                              __ATOMIC_ACQ_REL, __ATOMIC_ACQUIRE));
        if (next < 0) delete object;
    }
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
};

static_assert(sizeof(GP<GPEnabled>) == sizeof(void*), "a smart pointer is one word");
