// The class object of T: creates ComObject<T> or, for an aggregating caller,
// AggObject<T>.  One static instance per class; every reference handed out and
// every LockServer(TRUE) holds the module.
#pragma once
#include "com/com_object.h"

namespace fexo::com {

template <class T>
class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override
    {
        Module::Lock();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override
    {
        Module::Unlock();
        return 1;
    }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return AggObject<T>::Create(outer, iid, out);
        return ComObject<T>::Create(iid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override
    {
        if (lock)
            Module::Lock();
        else
            Module::Unlock();
        return S_OK;
    }
};

}  // namespace fexo::com
