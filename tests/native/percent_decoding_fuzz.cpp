// Arbitrary addresses through the decoding and path rules: no read past the
// input, the length cap holds, and the paths are parts of the address.
#include <cstdint>
#include <cstdlib>
#include <string>
#include "control/page_url.h"
#include "download/file_url.h"
#include "download/percent_decoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::wstring url;
    for (size_t i = 0; i + 1 < size; i += 2)
        url.push_back(static_cast<wchar_t>(data[i] | (data[i + 1] << 8)));
    const std::wstring terminated = url.substr(0, url.find(L'\0'));

    const std::wstring decoded = fexo::download::PercentDecode(terminated.c_str());
    if (decoded.size() > fexo::download::kMaxDecodedUrlLength) std::abort();
    if (decoded.size() > terminated.size()) std::abort();

    const std::string narrow(reinterpret_cast<const char*>(data), size);
    if (fexo::download::IsFileUrl(narrow)) {
        const auto paths = fexo::download::LocalFilePathsOf(narrow);
        if (narrow.find(paths.second) == std::string::npos) std::abort();
        if (paths.second.substr(2) != paths.first) std::abort();
    }

    const size_t half = url.size() / 2;
    const std::wstring joined =
        fexo::control::JoinPageUrl(std::wstring_view(url).substr(0, half),
                                   std::wstring_view(url).substr(half));
    if (joined.size() > url.size()) std::abort();
    return 0;
}
