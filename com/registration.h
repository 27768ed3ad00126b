// Self-registration of the server: the registry script, the file types and
// the type library.
#pragma once
#include <windows.h>

namespace fexo::com {

HRESULT RegisterServer();
HRESULT UnregisterServer();

}  // namespace fexo::com
