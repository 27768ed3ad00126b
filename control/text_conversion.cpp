#include "control/text_conversion.h"
#include <windows.h>
#include <cstdlib>
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
    char digits[8] = {};
    GetLocaleInfoA(GetThreadLocale(), LOCALE_IDEFAULTANSICODEPAGE, digits, sizeof digits);
    UINT codePage = static_cast<UINT>(std::strtoul(digits, nullptr, 10));
    return codePage ? codePage : GetACP();
}

std::optional<std::string> FromWide(UINT codePage, const wchar_t* text)
{
    if (!text || wcslen(text) + 1 > kMaxConvertible) return std::nullopt;
    int size = WideCharToMultiByte(codePage, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::nullopt;
    std::string result(static_cast<std::size_t>(size), '\0');
    if (WideCharToMultiByte(codePage, 0, text, -1, result.data(), size, nullptr, nullptr) <= 0)
        return std::nullopt;
    result.resize(static_cast<std::size_t>(size) - 1);
    return result;
}

com::Bstr ToBstr(UINT codePage, const char* text)
{
    if (!text) return {};
    int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (length <= 0) return {};
    BSTR result = SysAllocStringLen(nullptr, static_cast<UINT>(length - 1));
    if (!result) throw com::OutOfMemory{};
    MultiByteToWideChar(codePage, 0, text, -1, result, length);
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

std::optional<std::string> WideToAnsi(const wchar_t* text) { return FromWide(AnsiCodePage(), text); }
std::optional<std::string> WideToUtf8(const wchar_t* text) { return FromWide(CP_UTF8, text); }

std::optional<std::string> ConvertText(const wchar_t* text, TextEncoding encoding)
{
    return encoding == TextEncoding::Utf8 ? WideToUtf8(text) : WideToAnsi(text);
}

com::Bstr AnsiToBstr(const char* text) { return ToBstr(AnsiCodePage(), text); }
com::Bstr Utf8ToBstr(const char* text) { return ToBstr(CP_UTF8, text); }

}  // namespace fexo::control
