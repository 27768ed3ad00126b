// IDispatch for a dual interface, served from the registered type library:
// while the library is not registered, the dispatch calls fail with the
// loader's error and the vtable calls still work.
#pragma once
#include <oleauto.h>
#include "com/module.h"

namespace fexo::com {

// LibraryLocale is the locale the library is registered under: the lookup
// falls back from a locale to its language and to neutral, never to another
// language's key, so the user's default locale would miss it.
template <class Interface, const GUID* LibraryId, WORD Major = 1, WORD Minor = 0,
          LCID LibraryLocale = 0x409>
class DispatchImpl : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override
    {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        ITypeInfo* loaded = nullptr;
        HRESULT hr = LoadTypeInfo(&loaded);
        if (SUCCEEDED(hr)) *info = loaded;
        return hr;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        ITypeInfo* info = nullptr;
        HRESULT hr = LoadTypeInfo(&info);
        if (FAILED(hr)) return hr;
        hr = info->GetIDsOfNames(names, count, ids);
        info->Release();
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override
    {
        if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
        ITypeInfo* info = nullptr;
        HRESULT hr = LoadTypeInfo(&info);
        if (FAILED(hr)) return hr;
        hr = info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception,
                          argError);
        info->Release();
        return hr;
    }

private:
    // The first successful load is kept for the life of the module; until the
    // library is registered every call tries again.
    static HRESULT LoadTypeInfo(ITypeInfo** info)
    {
        static ITypeInfo* volatile cached;
        if (!cached) {
            ITypeLib* library = nullptr;
            HRESULT hr = LoadRegTypeLib(*LibraryId, Major, Minor, LibraryLocale, &library);
            if (FAILED(hr)) return hr;
            ITypeInfo* loaded = nullptr;
            hr = library->GetTypeInfoOfGuid(__uuidof(Interface), &loaded);
            library->Release();
            if (FAILED(hr)) return hr;
            if (InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&cached),
                                                  loaded, nullptr) == nullptr)
                Module::AtDetach([] { cached->Release(); cached = nullptr; });
            else
                loaded->Release();
        }
        *info = cached;
        cached->AddRef();
        return S_OK;
    }
};

}  // namespace fexo::com
