// IObjectSafety: the control declares itself safe for untrusted callers and
// untrusted data; a container's choice is recorded, nothing else reads it.
#include "com/control_base.h"

namespace fexo::com {

namespace {
constexpr DWORD kSupportedSafety =
    INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
}

STDMETHODIMP ControlBase::GetInterfaceSafetyOptions(REFIID iid, DWORD* supported, DWORD* enabled)
{
    if (!supported || !enabled) return E_POINTER;
    IUnknown* answer = nullptr;
    const HRESULT hr = Self()->QueryInterface(iid, reinterpret_cast<void**>(&answer));
    if (FAILED(hr)) {
        *supported = 0;
        *enabled = 0;
        return hr;
    }
    answer->Release();
    *supported = kSupportedSafety;
    *enabled = m_safetyOptions;
    return S_OK;
}

STDMETHODIMP ControlBase::SetInterfaceSafetyOptions(REFIID iid, DWORD mask, DWORD options)
{
    IUnknown* answer = nullptr;
    if (FAILED(Self()->QueryInterface(iid, reinterpret_cast<void**>(&answer))))
        return E_NOINTERFACE;
    answer->Release();
    if (mask & ~kSupportedSafety) return E_FAIL;
    m_safetyOptions = (m_safetyOptions & ~mask) | (mask & options);
    return S_OK;
}

}  // namespace fexo::com
