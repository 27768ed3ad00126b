// A registry subtree read into one flat, comparable map:
//   "Sub\Key"        -> "<key>"           for every key ("" is the top key)
//   "Sub\Key|Name"   -> "sz <bytes>"      for a REG_SZ value (name empty for
//                       "dword <number>"   the default value); <bytes> are the
//                                          bytes RegQueryValueExA reports, the
//                                          terminating zero included when stored
#pragma once
#include <windows.h>
#include <map>
#include <string>

namespace fexo::test {

using RegistryTree = std::map<std::string, std::string>;

// Empty when the key does not exist.
RegistryTree ReadRegistryTree(HKEY root, const std::string& path);

bool RegistryKeyExists(HKEY root, const std::string& path);

// The expected form of a REG_SZ value written with its terminating zero.
std::string StringEntry(const std::string& text);
extern const char kKeyEntry[];

// Removes a key with everything under it; a missing key is fine.
void DeleteRegistryTree(HKEY root, const std::string& path);

}  // namespace fexo::test
