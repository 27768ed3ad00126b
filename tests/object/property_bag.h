// A page's parameters: a property bag answering from name=value texts in the type asked for (a name it lacks:
// E_INVALIDARG), keeping what is written and noting "Read NAME VT; " and "Write NAME VALUE; " in an optional journal.
#pragma once
#include <ocidl.h>
#include <cstdio>
#include <map>
#include <string>

namespace fexo::test {

// A value as journals show it: "VT_BSTR null", "VT_BSTR \"Zo\\u00eb\"", "VT_I2 -7".
inline std::string Shown(const VARIANT& value)
{
    const VARTYPE type = V_VT(&value);
    const char* const name = type == VT_I2 ? "VT_I2 " : type == VT_I4 ? "VT_I4 " : "VT_UI4 ";
    if (type != VT_BSTR) return name + std::to_string(type == VT_I2 ? V_I2(&value) : V_I4(&value));
    std::string text = V_BSTR(&value) ? "VT_BSTR \"" : "VT_BSTR null";
    char escaped[8];
    for (const OLECHAR* c = V_BSTR(&value); c && *c; ++c)
        text += *c < 0x80 ? std::string(1, char(*c)) : (std::snprintf(escaped, sizeof escaped, "\\u%04x", *c), escaped);
    return V_BSTR(&value) ? text + "\"" : text;
}

class PropertyBag : public IPropertyBag {
public:
    explicit PropertyBag(std::map<std::wstring, std::wstring> parameters = {}, std::string* journal = nullptr)
        : m_parameters(std::move(parameters)), m_journal(journal) {}
    // Passed through to the bag, never called; reads given another log are marked "(other log)".
    static inline IErrorLog* const kErrorLog = reinterpret_cast<IErrorLog*>(0x1234);
    const std::map<std::wstring, std::wstring>& Written() const { return m_written; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPropertyBag);
        *out = known ? static_cast<IPropertyBag*>(this) : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog) override
    {
        if (m_journal)
            *m_journal += "Read " + Narrow(name) + " " + std::to_string(V_VT(value)) +
                          (errorLog == kErrorLog ? "; " : " (other log); ");
        const auto found = m_parameters.find(name);
        if (found == m_parameters.end()) return E_INVALIDARG;
        VARIANT text;
        V_VT(&text) = VT_BSTR;
        V_BSTR(&text) = SysAllocString(found->second.c_str());
        const HRESULT hr = VariantChangeType(value, &text, 0, V_VT(value) ? V_VT(value) : VARTYPE(VT_BSTR));
        VariantClear(&text);
        return hr;
    }
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override
    {
        if (m_journal) *m_journal += "Write " + Narrow(name) + " " + Shown(*value) + "; ";
        VARIANT text{};  // VT_EMPTY
        VariantChangeType(&text, value, 0, VT_BSTR);
        m_written[name] = V_VT(&text) == VT_BSTR && V_BSTR(&text) ? V_BSTR(&text) : L"";
        VariantClear(&text);
        return S_OK;
    }

private:
    static std::string Narrow(const std::wstring& text) { return {text.begin(), text.end()}; }
    std::map<std::wstring, std::wstring> m_parameters, m_written;
    std::string* m_journal;
    ULONG m_refs = 1;
};

}  // namespace fexo::test
