// The CRC-32 (the polynomial of zip and PNG) by which the journal shows
// written blocks.
#pragma once
#include <cstddef>
#include <cstdint>

namespace standin {

uint32_t Crc32(const void* bytes, size_t length);

}  // namespace standin
