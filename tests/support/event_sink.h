// A sink for _IFexoCtlEvents: it records each event as "Name(arguments)",
// checks the call's form and runs the test's action inside it.
#pragma once
#include <ocidl.h>
#include <functional>
#include <string>
#include <vector>

namespace fexo::test {

class EventSink : public IDispatch {
public:
    EventSink() = default;
    virtual ~EventSink() = default;

    // Texts quoted (null for none, \uXXXX outside printable ASCII), by-reference arguments after &.
    std::vector<std::string> events;
    std::function<void(DISPID id, DISPPARAMS& params)> action;

    ULONG References() const { return m_refs; }

    DWORD Advise(IUnknown* control);
    HRESULT Unadvise(IUnknown* control, DWORD cookie);

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

private:
    ULONG m_refs = 1;  // the test's own
};

}  // namespace fexo::test
