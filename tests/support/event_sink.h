// A connectable event sink for _IFexoCtlEvents: it records every event it
// receives as "Name(arguments)" and checks the call's form.  A test may give
// it an action to run inside each event (to re-enter the control).
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

    // Events in arrival order: texts quoted (null for none, \uXXXX outside
    // printable ASCII), by-reference arguments prefixed with &.
    std::vector<std::string> events;
    // Runs inside each event, after recording it.
    std::function<void(DISPID id, DISPPARAMS& params)> action;
    HRESULT invokeResult = S_OK;

    ULONG References() const { return m_refs; }

    // Connects to the control's event point; the cookie, or 0 on failure.
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
