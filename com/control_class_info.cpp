// What the control tells about its class: the coclass description from the
// registered type library, its default source interface, and its property
// pages (it has none).
#include "com/control_base.h"

namespace fexo::com {

namespace {
// The locale the library is registered under (as for DispatchImpl): the lookup
// never falls back from the user's default locale to another language's key.
constexpr LCID kLibraryLocale = 0x409;
}  // namespace

STDMETHODIMP ControlBase::GetClassInfo(ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegTypeLib(*m_class.libraryId, 1, 0, kLibraryLocale, library.Put());
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(*m_class.classId, info);
}

STDMETHODIMP ControlBase::GetGUID(DWORD kind, GUID* guid)
{
    if (!guid) return E_POINTER;
    if (kind != GUIDKIND_DEFAULT_SOURCE_DISP_IID) {
        *guid = GUID_NULL;
        return E_FAIL;
    }
    *guid = *m_class.eventsId;
    return S_OK;
}

STDMETHODIMP ControlBase::GetPages(CAUUID* pages)
{
    if (!pages) return E_POINTER;
    pages->cElems = 0;
    pages->pElems = nullptr;
    return S_OK;
}

}  // namespace fexo::com
