// Small registry routines shared by the plugin directory search and the
// server's registration.  Paths under HKEY_LOCAL_MACHINE are given without
// their "SOFTWARE\" prefix (e.g. "Classes\.fexo"); the routines put it in
// front.  Other roots take the path unchanged.
#pragma once
#include <windows.h>

namespace fexo::plugin {

// Composed key paths are held in buffers of this size; a longer path fails.
constexpr DWORD kRegistryPathSize = 4096;

// Opens the key for query and reads the named value (the default value when
// the name is null) into `buffer`, at most kRegistryPathSize bytes; `size`
// receives the byte count read.
bool RegistryReadValue(const char* path, const char* valueName, char* buffer, DWORD* size,
                       HKEY root);

// Creates or opens the key and sets a REG_SZ value of exactly `byteCount`
// bytes of `text` (the caller counts the terminating zero when it wants it
// stored).  A null or empty value name means the key's default value.
bool RegistryWriteString(const char* path, const char* valueName, const char* text,
                         DWORD byteCount, HKEY root);

// Opens the key and deletes its subkey `subkeyName`; the empty name deletes
// the opened key itself.  Fails for a key that has subkeys.
bool RegistryDeleteKey(const char* path, const char* subkeyName, HKEY root);

}  // namespace fexo::plugin
