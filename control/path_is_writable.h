// Whether the control may write the named file: SaveAs and ExportImageAs
// refuse read-only files and names the system rejects.
#pragma once

namespace fexo::control {

// An existing directory or writable file, or a name that does not exist
// yet; false for a null name.  Throws std::bad_alloc.
bool PathIsWritable(const wchar_t* path);

}  // namespace fexo::control
