#include "control/text_conversion.h"
#include <windows.h>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace fexo::control {

namespace {

// Longer texts are passed as no text at all.
constexpr std::size_t kMaxConvertible = 0x3FFFFFFF;

OSVERSIONINFOA PlatformVersion()
{
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExA(&version)) version.dwPlatformId = VER_PLATFORM_WIN32_NT;
    return version;
}

UINT ChooseAnsiCodePage()
{
    const OSVERSIONINFOA version = PlatformVersion();
    if (version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5)
        return CP_THREAD_ACP;
    // Before Windows 2000 the thread's code page has no name of its own.  Untested: Wine reports version
    // 5 or later.
    char digits[8] = {};
    GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits);
    UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
    return codePage ? codePage : GetACP();
}

// `length` characters and the zero after them.
std::optional<std::string> FromWide(UINT codePage, const wchar_t* text, std::size_t length)
{
    if (!text || length + 1 > kMaxConvertible) return std::nullopt;
    const int count = static_cast<int>(length + 1);
    int size = WideCharToMultiByte(codePage, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::nullopt;
    std::string result(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, 0, text, count, result.data(), size, nullptr, nullptr) <= 0)
        return std::nullopt;
    result.resize(static_cast<std::size_t>(size) - 1);
    return result;
}

// `length` bytes and the zero after them.  Bytes that are not UTF-8 make
// no text rather than replacement characters.
com::Bstr ToBstr(UINT codePage, const char* text, std::size_t length)
{
    if (!text || length >= INT_MAX) return {};
    const DWORD flags = codePage == CP_UTF8 ? MB_ERR_INVALID_CHARS : 0;
    const int count = static_cast<int>(length + 1);
    int wideLength = MultiByteToWideChar(codePage, flags, text, count, nullptr, 0);
    if (wideLength <= 0) return {};
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(wideLength - 1));
    if (!result) throw com::OutOfMemory{};
    MultiByteToWideChar(codePage, flags, text, count, result, wideLength);
    return com::Bstr::Attach(result);
}

}  // namespace

bool IsNtFamily()
{
    static const bool nt = PlatformVersion().dwPlatformId == VER_PLATFORM_WIN32_NT;
    return nt;
}

UINT AnsiCodePage()
{
    static const UINT codePage = ChooseAnsiCodePage();
    return codePage;
}

std::optional<std::string> WideToAnsi(const wchar_t* text)
{
    return FromWide(AnsiCodePage(), text, text ? wcslen(text) : 0);
}
std::optional<std::string> WideToUtf8(const wchar_t* text)
{
    return FromWide(CP_UTF8, text, text ? wcslen(text) : 0);
}
std::optional<std::string> WholeBstrToAnsi(BSTR text)
{
    return FromWide(AnsiCodePage(), text, SysStringLen(text));
}

std::optional<std::string> ConvertText(const wchar_t* text, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? WideToUtf8(text) : WideToAnsi(text);
}

com::Bstr AnsiToBstr(const char* text)
{
    return ToBstr(AnsiCodePage(), text, text ? strlen(text) : 0);
}
com::Bstr Utf8ToBstr(const char* text) { return ToBstr(CP_UTF8, text, text ? strlen(text) : 0); }
com::Bstr WholeAnsiToBstr(const std::string& text)
{
    return ToBstr(AnsiCodePage(), text.c_str(), text.size());
}

}  // namespace fexo::control
