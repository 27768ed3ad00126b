#include "crc32.h"

namespace standin {

uint32_t Crc32(const void* bytes, size_t length)
{
    const auto* byte = static_cast<const unsigned char*>(bytes);
    if (!byte) length = 0;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) {
        crc ^= byte[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

}  // namespace standin
