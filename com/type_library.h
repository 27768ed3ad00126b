// The server's registered type library.  It is registered under its own
// locale (US English), and the registry lookup does not resolve the default
// user locale to it, so every load names that locale.
#pragma once
#include <oleauto.h>

namespace fexo::com {

constexpr LCID kTypeLibraryLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                             SORT_DEFAULT);

inline HRESULT LoadRegisteredTypeLibrary(const GUID& libraryId, WORD major, WORD minor,
                                         ITypeLib** library)
{
    return LoadRegTypeLib(libraryId, major, minor, kTypeLibraryLocale, library);
}

}  // namespace fexo::com
