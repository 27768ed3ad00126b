#include "crc32.h"
#include <array>

namespace standin {

namespace {

// One table lookup per byte: the stand-in checksums every block it is given,
// so its own cost must stay small beside the delivery it records.
std::array<uint32_t, 256> MakeTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t value = 0; value < 256; ++value) {
        uint32_t crc = value;
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        table[value] = crc;
    }
    return table;
}

}  // namespace

uint32_t Crc32(const void* bytes, size_t length)
{
    static const std::array<uint32_t, 256> table = MakeTable();
    const auto* byte = static_cast<const unsigned char*>(bytes);
    if (!byte) length = 0;
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < length; ++i) crc = (crc >> 8) ^ table[(crc ^ byte[i]) & 0xFFu];
    return ~crc;
}

}  // namespace standin
