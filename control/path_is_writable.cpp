#include "control/path_is_writable.h"
#include <windows.h>
#include <oleauto.h>
#include <cwchar>
#include "control/file_name_rules.h"
#include "control/text_conversion.h"

namespace fexo::control {

namespace {

DWORD ReadAttributes(const wchar_t* path)
{
    if (IsNtFamily()) return GetFileAttributesW(path);
    // Untested: Wine always reports the NT family.
    const auto ansi = WideToAnsi(path);
    return GetFileAttributesA(TextOrNull(ansi));
}

}  // namespace

bool PathIsWritable(BSTR path)
{
    if (!path || wcslen(path) != SysStringLen(path)) return false;
    const DWORD attributes = ReadAttributes(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return IsNoSuchFileError(GetLastError());
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) || !(attributes & FILE_ATTRIBUTE_READONLY);
}

}  // namespace fexo::control
