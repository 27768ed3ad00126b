// Reproducible pseudo-random document bytes for delivery tests.
#pragma once
#include <cstddef>
#include <string>

namespace fexo::test {

inline std::string Bytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

}  // namespace fexo::test
