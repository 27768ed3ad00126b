// The entries through which Windows, Internet Explorer and the shell find the
// control for Fexo documents: the extensions .fexo and .fxo, the content type
// image/vnd.fexo and its aliases, and the file type FexoFile with its icon.
#pragma once
#include <windows.h>

namespace fexo::com {

// Writes every entry, each one on its own: a failed write does not stop the
// rest, and none is reported.  The entries stay at unregistration, since
// other programs may rely on the same associations.
void WriteFileAssociations(HMODULE module);

}  // namespace fexo::com
