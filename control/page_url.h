// Document addresses relative to the hosting page: when an address needs the
// page's address, and how the two are joined.
#pragma once
#include <string>
#include <string_view>

namespace fexo::control {

// A ":" before the first "/" (or the end) makes an address absolute:
// scheme://server/a, scheme:rest and C:\dir\a.fxo are, dir/a:b is not.
bool IsAbsoluteUrl(std::wstring_view url);

// The page's address `href` cut to a base, followed by `url`, by plain
// concatenation ("." and ".." stay).  For a url beginning with "/" the base
// is `href` before its third "/" (scheme://server), all of it when it has
// fewer; otherwise `href` up to and including its last "/", nothing when it
// has none.  A "/" in the query or fragment of `href` counts like any other.
std::wstring JoinPageUrl(std::wstring_view href, std::wstring_view url);

}  // namespace fexo::control
