#include "control/navigation_rules.h"

namespace fexo::control {

namespace {

bool EqualsIgnoringAsciiCase(std::wstring_view text, std::wstring_view lowerCase)
{
    if (text.size() != lowerCase.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowerCase[i]) return false;
    }
    return true;
}

}  // namespace

bool IsNewWindowTarget(std::wstring_view target)
{
    return target == L"_blank" || target == L"_new";
}

std::wstring_view UrlExtension(std::wstring_view url)
{
    const std::size_t dot = url.rfind(L'.');
    return dot == std::wstring_view::npos ? std::wstring_view() : url.substr(dot + 1);
}

bool LoadsIntoControl(std::wstring_view url, std::wstring_view target)
{
    const std::wstring_view extension = UrlExtension(url);
    return (EqualsIgnoringAsciiCase(extension, L"fexo") ||
            EqualsIgnoringAsciiCase(extension, L"fxo")) &&
           (EqualsIgnoringAsciiCase(target, L"_self") || EqualsIgnoringAsciiCase(target, L"_top"));
}

}  // namespace fexo::control
