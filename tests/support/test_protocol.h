// URL protocol handlers that tests register for schemes of their own, so that
// a download runs through the real URL machinery without a network.  A test
// protocol supplies Start and Read; the rest stays quiet.
#pragma once
#include <windows.h>
#include <urlmon.h>
#include <functional>
#include <utility>
#include "static_class_factory.h"

namespace fexo::test {

class TestProtocol : public IInternetProtocol {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IInternetProtocolRoot) ||
                           IsEqualIID(iid, IID_IInternetProtocol);
        *out = known ? static_cast<IInternetProtocol*>(this) : nullptr;
        if (known) AddRef();
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        const ULONG refs = --m_refs;
        if (!refs) delete this;
        return refs;
    }
    STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP Abort(HRESULT, DWORD) override { return S_OK; }
    STDMETHODIMP Terminate(DWORD) override { return S_OK; }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
    STDMETHODIMP UnlockRequest() override { return S_OK; }

protected:
    virtual ~TestProtocol() = default;

private:
    ULONG m_refs = 1;
};

// The class object behind a test scheme: one new protocol per binding, made
// by the test's function.
class TestProtocolFactory : public StaticClassFactory {
public:
    explicit TestProtocolFactory(std::function<TestProtocol*()> make) : m_make(std::move(make)) {}
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        TestProtocol* protocol = m_make();
        const HRESULT hr = protocol->QueryInterface(iid, out);
        protocol->Release();
        return hr;
    }

private:
    std::function<TestProtocol*()> m_make;
};

}  // namespace fexo::test
