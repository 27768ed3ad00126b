#include "control/page_url.h"

namespace fexo::control {

bool IsAbsoluteUrl(std::wstring_view url)
{
    for (wchar_t c : url) {
        if (c == L'/') return false;
        if (c == L':') return true;
    }
    return false;
}

namespace {

std::wstring_view PageUrlBase(std::wstring_view href, bool fromServerRoot)
{
    if (!fromServerRoot) {
        const std::size_t last = href.rfind(L'/');
        return last == std::wstring_view::npos ? std::wstring_view() : href.substr(0, last + 1);
    }
    std::size_t slash = std::wstring_view::npos;
    for (int seen = 0; seen < 3; ++seen) {
        slash = href.find(L'/', slash + 1);
        if (slash == std::wstring_view::npos) return href;
    }
    return href.substr(0, slash);
}

}  // namespace

std::wstring JoinPageUrl(std::wstring_view href, std::wstring_view url)
{
    const std::wstring_view base = PageUrlBase(href, !url.empty() && url.front() == L'/');
    std::wstring joined;
    joined.reserve(base.size() + url.size() + 1);
    joined.append(base).append(url);
    return joined;
}

}  // namespace fexo::control
