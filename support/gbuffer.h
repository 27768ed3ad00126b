// A typed buffer bound to its owner's pointer variable: the block lives as
// long as the buffer and the owner reaches it through its own pointer.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include "support/gexception.h"

template <class T>
class GPBuffer {
public:
    // count elements from operator new (whose failure raises through the
    // new-handler) or, with useMalloc, from malloc, whose failure leaves the
    // owner's pointer null and the count 0.  No elements: a null pointer.
    GPBuffer(T*& owner, int32_t count, bool useMalloc = false)
        : m_owner(&owner), m_count(count > 0 ? count : 0), m_useMalloc(useMalloc)
    {
        owner = nullptr;
        if (m_count == 0) return;
        const std::size_t limit = std::numeric_limits<std::size_t>::max() / sizeof(T);
        const bool fits = static_cast<std::size_t>(m_count) <= limit;
        const std::size_t bytes = static_cast<std::size_t>(m_count) * sizeof(T);
        if (m_useMalloc) {
            owner = fits ? static_cast<T*>(std::malloc(bytes)) : nullptr;
            if (!owner) m_count = 0;
        } else {
            if (!fits) G_THROW_OUT_OF_MEMORY();
            owner = static_cast<T*>(::operator new(bytes));
        }
    }
    ~GPBuffer()
    {
        if (!*m_owner) return;
        if (m_useMalloc)
            std::free(*m_owner);
        else
            ::operator delete(*m_owner);
        *m_owner = nullptr;
    }
    GPBuffer(const GPBuffer&) = delete;
    GPBuffer& operator=(const GPBuffer&) = delete;

    int32_t Count() const { return m_count; }
    // Sets every byte of the block to value.
    void Fill(unsigned char value)
    {
        if (*m_owner) std::memset(*m_owner, value, static_cast<std::size_t>(m_count) * sizeof(T));
    }

private:
    T** m_owner;
    int32_t m_count;
    uint8_t m_useMalloc;
};
