// Whether the control may write the named file: SaveAs and ExportImageAs
// refuse read-only files and names the system rejects.
#pragma once
#include <wtypes.h>

namespace fexo::control {

// An existing directory or writable file, or a name that does not exist
// yet; false for a null name and for one that holds a zero, of which the
// system would see only the part before it.  Throws std::bad_alloc.
bool PathIsWritable(BSTR path);

}  // namespace fexo::control
