#include "com/registration.h"

namespace fexo::com {

HRESULT RegisterServer() { return E_NOTIMPL; }
HRESULT UnregisterServer() { return E_NOTIMPL; }

}  // namespace fexo::com
