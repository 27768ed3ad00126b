// HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE redirected, for the whole test
// process, to empty keys of their own: Wine shows HKLM\Software\Classes as
// HKEY_CLASSES_ROOT, so only separate keys tell a row of one from the other.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

namespace fexo::test {

// Empties both redirected roots.
void ClearRedirectedRoots();

// The tree below `root` as sorted lines: "path|name=data" for every value,
// "path" for every key with neither values nor subkeys.  REG_SZ data is its
// text when it ends in one terminating zero ("text (no zero)" otherwise),
// REG_DWORD "dword:N"; HKEY_LOCAL_MACHINE's lines begin with "HKLM\".  Each
// text of `names` reads as its name, in that order.
using Names = std::vector<std::pair<std::string, std::string>>;
std::string RegistryText(HKEY root, const Names& names = {});

}  // namespace fexo::test
