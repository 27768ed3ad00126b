#include "control/file_name_rules.h"
#include <algorithm>

namespace fexo::control {

std::optional<std::wstring> GetFileExtension(std::wstring_view fileName)
{
    const std::size_t dot = fileName.rfind(L'.');
    if (dot == fileName.npos) return std::nullopt;
    return std::wstring(fileName.substr(dot + 1));
}

bool IsDocumentExtension(const std::wstring& extension)
{
    std::wstring lowered = extension;
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; });
    return lowered == L"fexo" || lowered == L"fxo";
}

bool IsNoSuchFileError(uint32_t error)
{
    switch (error) {
        case 2:    // ERROR_FILE_NOT_FOUND
        case 3:    // ERROR_PATH_NOT_FOUND
        case 15:   // ERROR_INVALID_DRIVE
        case 18:   // ERROR_NO_MORE_FILES
        case 53:   // ERROR_BAD_NETPATH
        case 67:   // ERROR_BAD_NET_NAME
        case 161:  // ERROR_BAD_PATHNAME
        case 206:  // ERROR_FILENAME_EXCED_RANGE
            return true;
        default:
            return false;
    }
}

}  // namespace fexo::control
