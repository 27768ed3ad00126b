// URL protocol handlers that tests register for schemes of their own, so that
// a download runs through the real URL machinery without a network.  A test
// protocol supplies Start and Read; the rest stays quiet.
#pragma once
#include <windows.h>
#include <urlmon.h>
#include <functional>
#include <utility>

namespace fexo::test {

class TestProtocol : public IInternetProtocol {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IInternetProtocolRoot) ||
            IsEqualIID(iid, IID_IInternetProtocol)) {
            *out = static_cast<IInternetProtocol*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
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
// by the test's function.  It lives on the test's stack.
class TestProtocolFactory : public IClassFactory {
public:
    explicit TestProtocolFactory(std::function<TestProtocol*()> make) : m_make(std::move(make)) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        TestProtocol* protocol = m_make();
        const HRESULT hr = protocol->QueryInterface(iid, out);
        protocol->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    std::function<TestProtocol*()> m_make;
};

}  // namespace fexo::test
