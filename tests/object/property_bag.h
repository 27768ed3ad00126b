// A page's parameters as the control reads them: a property bag that answers
// from name=value texts, converting to the type the control asks for, and
// records every read and write.
#pragma once
#include <ocidl.h>
#include <map>
#include <string>
#include <vector>

namespace fexo::test {

class PropertyBag : public IPropertyBag {
public:
    explicit PropertyBag(std::map<std::wstring, std::wstring> parameters = {})
        : m_parameters(std::move(parameters))
    {
    }

    // "Read(name, vt=8, log=given)" / "Write(name, vt=8, \"text\")", in order.
    std::vector<std::string> TakeCalls();
    // What Write received, by name, as text.
    const std::map<std::wstring, std::wstring>& Written() const { return m_written; }
    ULONG References() const { return m_refs; }
    // Fails every Write from this name on.
    void FailWriteOf(const std::wstring& name) { m_failWrite = name; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override { return --m_refs; }
    STDMETHODIMP Read(LPCOLESTR name, VARIANT* value, IErrorLog* errorLog) override;
    STDMETHODIMP Write(LPCOLESTR name, VARIANT* value) override;

    static IErrorLog* const kErrorLog;

private:
    std::map<std::wstring, std::wstring> m_parameters;
    std::map<std::wstring, std::wstring> m_written;
    std::vector<std::string> m_calls;
    std::wstring m_failWrite;
    ULONG m_refs = 1;
};

std::string Narrow(const std::wstring& text);

}  // namespace fexo::test
