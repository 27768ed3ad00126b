// A byte source over memory that the caller keeps alive.
#pragma once
#include <cstring>
#include "com/property_stream.h"

struct BufferSource : fexo::com::ByteSource {
    BufferSource(const uint8_t* data, size_t size) : data(data), size(size) {}
    bool Read(void* buffer, size_t count) override
    {
        return count <= size - offset && (std::memcpy(buffer, data + offset, count), offset += count, true);
    }
    const uint8_t* data;
    size_t size, offset = 0;
};
