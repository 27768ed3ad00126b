#include "property_bag.h"
#include <cstdio>

namespace fexo::test {

IErrorLog* const PropertyBag::kErrorLog = reinterpret_cast<IErrorLog*>(0x1234);  // never called

std::string Shown(const VARIANT& value)
{
    const VARTYPE type = V_VT(&value);
    if (type == VT_I2) return "VT_I2 " + std::to_string(V_I2(&value));
    if (type == VT_I4) return "VT_I4 " + std::to_string(V_I4(&value));
    if (type == VT_UI4) return "VT_UI4 " + std::to_string(V_UI4(&value));
    if (type != VT_BSTR) return "vt " + std::to_string(type);
    if (!V_BSTR(&value)) return "VT_BSTR null";
    std::string text = "VT_BSTR \"";
    char escaped[8];
    for (const OLECHAR* c = V_BSTR(&value); *c; ++c)
        text += *c < 0x80 ? std::string(1, char(*c))
                          : (std::snprintf(escaped, sizeof escaped, "\\u%04x", *c), escaped);
    return text + "\"";
}

STDMETHODIMP PropertyBag::QueryInterface(REFIID iid, void** out)
{
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag);
    *out = known ? static_cast<IPropertyBag*>(this) : nullptr;
    return known ? (AddRef(), S_OK) : E_NOINTERFACE;
}

STDMETHODIMP PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog)
{
    const std::wstring key = name;
    if (m_journal)
        *m_journal += "Read " + std::string(key.begin(), key.end()) + " " +
                      std::to_string(V_VT(value)) +
                      (errorLog == kErrorLog ? "; " : " (other log); ");
    auto found = m_parameters.find(key);
    if (found == m_parameters.end()) return E_INVALIDARG;
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(found->second.c_str());
    const HRESULT hr = VariantChangeType(value, &text, 0, V_VT(value) ? V_VT(value) : VT_BSTR);
    VariantClear(&text);
    return hr;
}

STDMETHODIMP PropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    const std::wstring key = name;
    if (m_journal)
        *m_journal += "Write " + std::string(key.begin(), key.end()) + " " + Shown(*value) + "; ";
    VARIANT text;
    VariantInit(&text);
    VariantChangeType(&text, value, 0, VT_BSTR);
    m_written[key] = V_VT(&text) == VT_BSTR && V_BSTR(&text) ? V_BSTR(&text) : L"";
    VariantClear(&text);
    return S_OK;
}

}  // namespace fexo::test
