#include "download/file_url.h"

namespace fexo::download {

namespace {
constexpr std::string_view kFileScheme = "file://";

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }
}  // namespace

bool IsFileUrl(std::string_view url)
{
    if (url.size() < kFileScheme.size()) return false;
    for (std::size_t i = 0; i < kFileScheme.size(); ++i) {
        if (LowerAscii(url[i]) != kFileScheme[i]) return false;
    }
    return true;
}

LocalFilePaths LocalFilePathsOf(std::string_view fileUrl)
{
    std::size_t start = kFileScheme.size();
    if (fileUrl.size() < start) return {};
    while (start < fileUrl.size() && fileUrl[start] == '/') ++start;
    std::string_view withPrefix = fileUrl.substr(start - 2);
    withPrefix = withPrefix.substr(0, withPrefix.find('?'));
    return {std::string(withPrefix.substr(2)), std::string(withPrefix)};
}

}  // namespace fexo::download
