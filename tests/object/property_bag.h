// A page's parameters as the control reads them: a property bag answering
// from name=value texts, converted to the type asked for (a name it lacks:
// E_INVALIDARG).  It keeps what is written, and notes "Read NAME VT; " and
// "Write NAME VALUE; " in a journal the test may share with other parties.
#pragma once
#include <ocidl.h>
#include <map>
#include <string>

namespace fexo::test {

// A value as journals show it: "VT_BSTR null", "VT_BSTR \"Zo\\u00eb\"", "VT_I2 -7".
std::string Shown(const VARIANT& value);

class PropertyBag : public IPropertyBag {
public:
    explicit PropertyBag(std::map<std::wstring, std::wstring> parameters = {},
                         std::string* journal = nullptr)
        : m_parameters(std::move(parameters)), m_journal(journal)
    {
    }
    static IErrorLog* const kErrorLog;  // reads given another log are marked "(other log)"
    const std::map<std::wstring, std::wstring>& Written() const { return m_written; }
    ULONG References() const { return m_refs; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

private:
    std::map<std::wstring, std::wstring> m_parameters, m_written;
    std::string* m_journal;
    ULONG m_refs = 1;
};

}  // namespace fexo::test
