#include "control/path_is_writable.h"
#include <windows.h>
#include <oleauto.h>
#include <cwchar>
#include "control/file_name_rules.h"
#include "control/text_conversion.h"

namespace fexo::control {

namespace {

bool IsWindowsNt()
{
    static const bool nt = [] {
        OSVERSIONINFOA version{};
        version.dwOSVersionInfoSize = sizeof version;
        return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    }();
    return nt;
}

DWORD ReadAttributes(const wchar_t* path)
{
    if (IsWindowsNt()) return GetFileAttributesW(path);
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
