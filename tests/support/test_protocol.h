// Network documents without a network: the scheme "fexotest:" handled in this
// process while a TestScheme lives.  A binding whose address has a body served
// gets it from the message loop, a timer tick per piece of 4096 bytes; any
// other binding waits for the test to feed it notification by notification.
#pragma once
#include <windows.h>
#include <urlmon.h>
#include <cstddef>
#include <map>
#include <string>
#include <vector>
#include "static_class_factory.h"

namespace fexo::test {

// Reproducible pseudo-random document bytes.
inline std::string Bytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

class TestProtocol final : public IInternetProtocol {
public:
    explicit TestProtocol(const std::map<std::string, std::string>& served) : m_served(served) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD,
                       HANDLE_PTR) override;
    STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP Abort(HRESULT, DWORD) override { return ++aborts, S_OK; }
    STDMETHODIMP Terminate(DWORD) override;
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override;
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
    STDMETHODIMP UnlockRequest() override { return S_OK; }

    // More bytes are there (the notification tells the cumulative size), or
    // the end; both then pump the thread's messages.
    void Feed(const std::string& bytes, DWORD bscf);
    void End(HRESULT result);

    std::string seen;  // the address and the verb asked for
    DWORD flags = 0;   // the binding's
    int aborts = 0;

private:
    static void CALLBACK DeliverPiece(HWND, UINT, UINT_PTR timer, DWORD);
    void Report(const std::string& bytes, DWORD bscf);

    const std::map<std::string, std::string>& m_served;
    ULONG m_refs = 1;
    IInternetProtocolSink* m_sink = nullptr;
    std::string m_data, m_body;  // what Read hands out; what the timer still delivers
    size_t m_position = 0;
    bool m_complete = false;
    UINT_PTR m_timer = 0;
};

// The scheme's class object: a new protocol per binding, kept for the test.
class TestScheme : public StaticClassFactory {
public:
    TestScheme();
    ~TestScheme();
    void Serve(const std::string& address, std::string body) { m_served[address] = std::move(body); }
    TestProtocol& Binding(size_t n);  // the n-th, once it has started
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override;

private:
    IInternetSession* m_session = nullptr;
    std::map<std::string, std::string> m_served;
    std::vector<TestProtocol*> m_protocols;
};

}  // namespace fexo::test
