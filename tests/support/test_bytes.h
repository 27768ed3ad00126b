// Reproducible pseudo-random document bytes for delivery tests.
#pragma once
#include <cstddef>
#include <string>

namespace fexo::test {

inline std::string Bytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i < count; ++i) {
        seed = seed * 1103515245u + 12345u;
        bytes[i] = static_cast<char>(seed >> 16);
    }
    return bytes;
}

}  // namespace fexo::test
