#include "property_bag.h"
#include <cstdio>

namespace fexo::test {

namespace {
std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }
}  // namespace

// Passed through to the bag, never called.
IErrorLog* const PropertyBag::kErrorLog = reinterpret_cast<IErrorLog*>(0x1234);

std::string Shown(const VARIANT& value)
{
    switch (V_VT(&value)) {
    case VT_I2: return "VT_I2 " + std::to_string(V_I2(&value));
    case VT_I4: return "VT_I4 " + std::to_string(V_I4(&value));
    case VT_UI4: return "VT_UI4 " + std::to_string(V_UI4(&value));
    case VT_BSTR: break;
    default: return "vt " + std::to_string(V_VT(&value));
    }
    if (!V_BSTR(&value)) return "VT_BSTR null";
    std::string text = "VT_BSTR \"";
    for (const OLECHAR* c = V_BSTR(&value); *c; ++c) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(*c));
        text += *c < 0x80 ? std::string(1, char(*c)) : escaped;
    }
    return text + "\"";
}

void PropertyBag::Note(const std::string& line)
{
    if (m_journal) *m_journal += line + "\n";
}

STDMETHODIMP PropertyBag::QueryInterface(REFIID iid, void** out)
{
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag);
    *out = known ? static_cast<IPropertyBag*>(this) : nullptr;
    if (known) AddRef();
    return known ? S_OK : E_NOINTERFACE;
}

STDMETHODIMP PropertyBag::Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog)
{
    Note("Read " + Narrow(name) + " " + std::to_string(V_VT(value)) +
         (errorLog == kErrorLog ? "" : " (other log)"));
    auto found = m_parameters.find(name);
    if (found == m_parameters.end()) return E_INVALIDARG;
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(found->second.c_str());
    const HRESULT hr =
        VariantChangeType(value, &text, 0, V_VT(value) == VT_EMPTY ? VT_BSTR : V_VT(value));
    VariantClear(&text);
    return hr;
}

STDMETHODIMP PropertyBag::Write(LPCOLESTR name, VARIANT* value)
{
    Note("Write " + Narrow(name) + " " + Shown(*value));
    VARIANT text;
    VariantInit(&text);
    if (SUCCEEDED(VariantChangeType(&text, value, 0, VT_BSTR)) && V_BSTR(&text))
        m_written[name] = V_BSTR(&text);
    else
        m_written[name].clear();
    VariantClear(&text);
    return S_OK;
}

}  // namespace fexo::test
