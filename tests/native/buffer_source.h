// A byte source over memory that the caller keeps alive, for the property
// stream's test and fuzz target.
#pragma once
#include <cstring>
#include <vector>
#include "com/property_stream.h"

class BufferSource : public fexo::com::ByteSource {
public:
    BufferSource(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
    explicit BufferSource(const std::vector<uint8_t>& bytes) : BufferSource(bytes.data(), bytes.size()) {}
    explicit BufferSource(std::vector<uint8_t>&&) = delete;  // it would dangle
    bool Read(void* buffer, size_t size) override
    {
        if (size > m_size - m_offset) return false;
        std::memcpy(buffer, m_data + m_offset, size);
        m_offset += size;
        return true;
    }
    size_t Offset() const { return m_offset; }

private:
    const uint8_t* m_data;
    size_t m_size;
    size_t m_offset = 0;
};
