// The library's string object and its representation.  The plugin answers
// property reads by assigning a representation of its own to a string object
// of the caller's, so both sides share these layouts exactly.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include "support/gsmartpointer.h"

// The shared empty text of this module: what an empty string points at.
inline constexpr char GEmptyText[1] = "";

// A string representation: table pointer, count, length in bytes, text.
class GStringRep : public GPEnabled {
public:
    // Holds a zero-terminated copy of length bytes.
    GStringRep(const char* bytes, size_t length)
        : size(static_cast<int32_t>(length)), data(new char[length + 1])
    {
        std::copy_n(bytes, length, data);
        data[length] = '\0';
    }
    ~GStringRep() { delete[] data; }
    void* G_THISCALL DeletingDestructor(unsigned flags) noexcept(false) override
    {
        return GDestroyEntry(this, flags);
    }

    int32_t size;
    char* data;
};

// Two words: the smart pointer to the representation and the current text.
class GUTF8String {
public:
    GUTF8String() = default;

    // Holds rep (null empties the string).
    GUTF8String& operator=(GStringRep* rep)
    {
        rep_ = rep;
        text_ = rep_.get() ? rep_.get()->data : GEmptyText;
        return *this;
    }

    GStringRep* Rep() const { return rep_.get(); }
    // The representation's text, or the empty text without one.
    const char* Text() const { return rep_.get() ? rep_.get()->data : GEmptyText; }

private:
    GP<GStringRep> rep_;
    const char* text_ = GEmptyText;
};

static_assert(sizeof(GStringRep) == (sizeof(void*) == 4 ? 16 : 24),
              "table pointer, count, length, text");
static_assert(!std::has_virtual_destructor_v<GStringRep>, "entry 0 is the destructor");
static_assert(sizeof(GUTF8String) == 2 * sizeof(void*), "representation and text");
