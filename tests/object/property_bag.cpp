#include "property_bag.h"

namespace fexo::test {

// Passed through to the bag, never called.
IErrorLog* const PropertyBag::kErrorLog = reinterpret_cast<IErrorLog*>(0x1234);

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

std::vector<std::string> PropertyBag::TakeCalls()
{
    std::vector<std::string> calls;
    calls.swap(m_calls);
    return calls;
}

STDMETHODIMP PropertyBag::QueryInterface(REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
    *out = static_cast<IPropertyBag*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog)
{
    m_calls.push_back("Read(" + Narrow(name) + ", vt=" + std::to_string(V_VT(value)) +
                      (errorLog == kErrorLog ? ", log=given)" : ", log=other)"));
    auto found = m_parameters.find(name);
    if (found == m_parameters.end()) return E_INVALIDARG;
    const VARTYPE wanted = V_VT(value);
    VARIANT text;
    VariantInit(&text);
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(found->second.c_str());
    HRESULT hr = VariantChangeType(value, &text, 0, wanted == VT_EMPTY ? VARTYPE(VT_BSTR) : wanted);
    VariantClear(&text);
    return hr;
}

STDMETHODIMP PropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    VARIANT text;
    VariantInit(&text);
    std::wstring shown = L"?";
    if (V_VT(value) == VT_BSTR && !V_BSTR(value))
        shown = L"null";
    else if (SUCCEEDED(VariantChangeType(&text, value, 0, VT_BSTR)))
        shown = L"\"" + std::wstring(V_BSTR(&text)) + L"\"";
    VariantClear(&text);
    m_calls.push_back("Write(" + Narrow(name) + ", vt=" + std::to_string(V_VT(value)) + ", " +
                      Narrow(shown) + ")");
    if (!m_failWrite.empty() && m_failWrite == name) return E_ACCESSDENIED;
    m_written[name] = shown;
    return S_OK;
}

}  // namespace fexo::test
