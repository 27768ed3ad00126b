// What SaveAs and ExportImageAs decide from a file name alone.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fexo::control {

// Everything after the last '.' of the whole text, zeros inside it included
// (path separators do not stop the search); nullopt without a dot.
std::optional<std::wstring> GetFileExtension(std::wstring_view fileName);

// "fexo" or "fxo" in any ASCII letter case.
bool IsDocumentExtension(const std::wstring& extension);

// The system errors that mean "no such file or directory" (those the C
// runtime maps to ENOENT): a file that may still be created.
bool IsNoSuchFileError(uint32_t error);

}  // namespace fexo::control
