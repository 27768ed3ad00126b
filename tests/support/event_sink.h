// A sink for _IFexoCtlEvents: it records each event as "Name(arguments)",
// checks the call's form and runs the test's action inside it.
#pragma once
#include <ocidl.h>
#include <gtest/gtest.h>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>
#include "FexoCtl.h"

namespace fexo::test {

class EventSink : public IDispatch {
public:
    // Texts quoted (null for none, \uXXXX outside printable ASCII), by-reference arguments after &.
    std::vector<std::string> events;
    std::function<void(DISPID id, DISPPARAMS& params)> action;

    ULONG References() const { return m_refs; }

    DWORD Advise(IUnknown* control)
    {
        DWORD cookie = 0;
        if (IConnectionPoint* point = EventPoint(control)) {
            point->Advise(static_cast<IDispatch*>(this), &cookie);
            point->Release();
        }
        return cookie;
    }
    HRESULT Unadvise(IUnknown* control, DWORD cookie)
    {
        IConnectionPoint* point = EventPoint(control);
        if (!point) return E_NOINTERFACE;
        const HRESULT hr = point->Unadvise(cookie);
        return point->Release(), hr;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                           IsEqualIID(iid, DIID__IFexoCtlEvents);
        *out = known ? static_cast<IDispatch*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override
    {
        static const char* const kNames[] = {"?", "?", "PageChange", "ZoomChange", "DisplayModeChange",
                                             "BackForwardChange", "ScrollEvent", "?", "HyperlinkClick",
                                             "PlugInError", "LayoutChange", "RequestPassword"};
        // A method call for LOCALE_USER_DEFAULT, no named arguments, a result cleared for each sink.
        EXPECT_TRUE(IsEqualIID(iid, IID_NULL) && locale == 0x400 && flags == DISPATCH_METHOD && !params->cNamedArgs &&
                    !params->rgdispidNamedArgs && result && V_VT(result) == VT_EMPTY && !exception && !argError);
        // Dispatch lists the arguments last first.
        std::string event = std::string(id >= 0 && id < 12 ? kNames[id] : "?") + "(";
        for (UINT i = params->cArgs; i > 0; --i) event += Describe(params->rgvarg[i - 1]) + (i > 1 ? ", " : "");
        events.push_back(event + ")");
        if (action) action(id, *params);
        return S_OK;
    }

private:
    static std::string Quoted(BSTR text)
    {
        if (!text) return "null";
        std::string quoted = "\"";
        for (const wchar_t* c = text; *c; ++c) {
            char escaped[12];
            snprintf(escaped, sizeof escaped, *c >= 0x20 && *c < 0x7F ? "%c" : "\\u%04x", static_cast<unsigned>(*c));
            quoted += escaped;
        }
        return quoted + "\"";
    }

    static std::string Describe(const VARIANT& value)
    {
        switch (V_VT(&value)) {
            case VT_I4: return std::to_string(V_I4(&value));
            case VT_BSTR: return Quoted(V_BSTR(&value));
            case VT_BOOL | VT_BYREF: return "&" + std::to_string(*V_BOOLREF(&value));
            case VT_BSTR | VT_BYREF: return "&" + Quoted(*V_BSTRREF(&value));
            default: return "vt" + std::to_string(V_VT(&value));
        }
    }

    // The control's connection point for _IFexoCtlEvents, or null.
    static IConnectionPoint* EventPoint(IUnknown* control)
    {
        IConnectionPointContainer* container = nullptr;
        IConnectionPoint* point = nullptr;
        if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)))) {
            container->FindConnectionPoint(DIID__IFexoCtlEvents, &point);
            container->Release();
        }
        return point;
    }

    ULONG m_refs = 1;  // the test's own
};

}  // namespace fexo::test
