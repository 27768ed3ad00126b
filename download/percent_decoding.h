// Percent escapes in a document address, decoded the way the plugin and the
// file system are given the address.
#pragma once
#include <cstddef>
#include <string>

namespace fexo::download {

// The longest decoded address; a longer one is cut to this many characters.
constexpr std::size_t kMaxDecodedUrlLength = 2083;

// "%" and two hexadecimal digits become the one character of that code
// (0 to 255, so %C3%A9 gives two characters); every other character, a "%"
// without two digits after it included, is copied.  A null address decodes
// to the empty text.
std::wstring PercentDecode(const wchar_t* url);

}  // namespace fexo::download
