// What the control tells about its class: the coclass description from the
// registered type library, its default source interface, and its property
// pages (it has none).
#include "com/control_base.h"
#include "com/type_library.h"

namespace fexo::com {

STDMETHODIMP ControlBase::GetClassInfo(ITypeInfo** info)
{
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> library;
    HRESULT hr = LoadRegisteredTypeLibrary(*m_class.libraryId, 1, 0, library.Put());
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
