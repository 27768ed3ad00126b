#include "event_sink.h"
#include <gtest/gtest.h>
#include "FexoCtl.h"

namespace fexo::test {

namespace {

const char* EventName(DISPID id)
{
    switch (id) {
        case 2:
            return "PageChange";
        case 3:
            return "ZoomChange";
        case 4:
            return "DisplayModeChange";
        case 5:
            return "BackForwardChange";
        case 6:
            return "ScrollEvent";
        case 8:
            return "HyperlinkClick";
        case 9:
            return "PlugInError";
        case 10:
            return "LayoutChange";
        case 11:
            return "RequestPassword";
        default:
            return "?";
    }
}

std::string Quoted(BSTR text)
{
    if (!text) return "null";
    std::string quoted = "\"";
    for (const wchar_t* c = text; *c; ++c) {
        if (*c >= 0x20 && *c < 0x7F) {
            quoted += static_cast<char>(*c);
        } else {
            char escaped[12];
            snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(*c));
            quoted += escaped;
        }
    }
    return quoted + "\"";
}

}  // namespace

std::string DescribeArgument(const VARIANT& value)
{
    switch (V_VT(&value)) {
        case VT_I4:
            return std::to_string(V_I4(&value));
        case VT_BSTR:
            return Quoted(V_BSTR(&value));
        case VT_BOOL | VT_BYREF:
            return "&" + std::to_string(*V_BOOLREF(&value));
        case VT_BSTR | VT_BYREF:
            return "&" + Quoted(*V_BSTRREF(&value));
        default:
            return "vt" + std::to_string(V_VT(&value));
    }
}

DWORD EventSink::Advise(IUnknown* control)
{
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    DWORD cookie = 0;
    if (SUCCEEDED(control->QueryInterface(IID_IConnectionPointContainer,
                                          reinterpret_cast<void**>(&container)))) {
        if (SUCCEEDED(container->FindConnectionPoint(DIID__IFexoCtlEvents, &point))) {
            point->Advise(static_cast<IDispatch*>(this), &cookie);
            point->Release();
        }
        container->Release();
    }
    return cookie;
}

HRESULT EventSink::Unadvise(IUnknown* control, DWORD cookie)
{
    IConnectionPointContainer* container = nullptr;
    IConnectionPoint* point = nullptr;
    HRESULT hr = control->QueryInterface(IID_IConnectionPointContainer,
                                         reinterpret_cast<void**>(&container));
    if (FAILED(hr)) return hr;
    hr = container->FindConnectionPoint(DIID__IFexoCtlEvents, &point);
    container->Release();
    if (FAILED(hr)) return hr;
    hr = point->Unadvise(cookie);
    point->Release();
    return hr;
}

STDMETHODIMP EventSink::QueryInterface(REFIID iid, void** out)
{
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, DIID__IFexoCtlEvents)) {
        *out = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP EventSink::GetTypeInfoCount(UINT* count)
{
    *count = 0;
    return S_OK;
}
STDMETHODIMP EventSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP EventSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP EventSink::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* exception, UINT* argError)
{
    EXPECT_TRUE(IsEqualIID(iid, IID_NULL));
    EXPECT_EQ(locale, 0x400u) << "LOCALE_USER_DEFAULT";
    EXPECT_EQ(flags, DISPATCH_METHOD);
    EXPECT_EQ(params->cNamedArgs, 0u);
    EXPECT_EQ(params->rgdispidNamedArgs, nullptr);
    EXPECT_NE(result, nullptr);
    if (result) {
        EXPECT_EQ(V_VT(result), VT_EMPTY) << "cleared for each sink";
    }
    EXPECT_EQ(exception, nullptr);
    EXPECT_EQ(argError, nullptr);
    // Dispatch lists the arguments last first.
    std::string event = EventName(id);
    event += "(";
    for (UINT i = params->cArgs; i > 0; --i) {
        event += DescribeArgument(params->rgvarg[i - 1]);
        if (i > 1) event += ", ";
    }
    events.push_back(event + ")");
    if (action) action(id, *params);
    return invokeResult;
}

}  // namespace fexo::test
