// Class objects of the test process, and network documents without a network:
// the scheme "fexotest:" handled in this
// process while a TestScheme lives.  A binding whose address has a body served
// gets it from the message loop, a timer tick per piece of 4096 bytes; any
// other binding waits for the test to feed it notification by notification.
#pragma once
#include <windows.h>
#include <urlmon.h>
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>
#include "hosted_control.h"

namespace fexo::test {

// Reproducible pseudo-random document bytes.
inline std::string Bytes(std::size_t count, unsigned seed)
{
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

// A class object that lives as long as the test; it makes nothing unless a
// subclass's CreateInstance does.
class StaticClassFactory : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory);
        *out = known ? static_cast<IClassFactory*>(this) : nullptr;
        return known ? S_OK : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP CreateInstance(IUnknown*, REFIID, void** out) override { return *out = nullptr, E_NOINTERFACE; }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }
};

class TestProtocol final : public IInternetProtocol {
public:
    explicit TestProtocol(const std::map<std::string, std::string>& served) : m_served(served) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override
    {
        const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IInternetProtocolRoot) ||
                           IsEqualIID(iid, IID_IInternetProtocol);
        *out = known ? this : nullptr;
        return known ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++m_refs; }
    STDMETHODIMP_(ULONG) Release() override
    {
        if (--m_refs) return m_refs;
        if (m_timer) KillTimer(nullptr, m_timer), s_delivering.erase(m_timer);
        delete this;
        return 0;
    }
    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD,
                       HANDLE_PTR) override
    {
        BINDINFO info{};
        info.cbSize = sizeof info;
        bindInfo->GetBindInfo(&flags, &info);
        const std::string address(url, url + wcslen(url));  // the tests' addresses are ASCII
        seen = address + " verb=" + std::to_string(info.dwBindVerb);
        ReleaseBindInfo(&info);
        (m_sink = sink)->AddRef();
        sink->ReportProgress(BINDSTATUS_MIMETYPEAVAILABLE, L"application/octet-stream");
        if (const auto served = m_served.find(address); served != m_served.end()) {
            m_body = served->second;
            s_delivering[m_timer = SetTimer(nullptr, 0, 1, DeliverPiece)] = this;
        }
        return S_OK;
    }
    STDMETHODIMP Continue(PROTOCOLDATA*) override { return S_OK; }
    STDMETHODIMP Abort(HRESULT, DWORD) override { return ++aborts, S_OK; }
    STDMETHODIMP Terminate(DWORD) override
    {
        if (m_sink) std::exchange(m_sink, nullptr)->Release();
        return S_OK;
    }
    STDMETHODIMP Suspend() override { return E_NOTIMPL; }
    STDMETHODIMP Resume() override { return E_NOTIMPL; }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override
    {
        const size_t count = m_data.copy(static_cast<char*>(buffer), size, m_position);
        m_position += count;
        *read = static_cast<ULONG>(count);
        return count ? S_OK : m_complete ? S_FALSE : E_PENDING;
    }
    STDMETHODIMP Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    STDMETHODIMP LockRequest(DWORD) override { return S_OK; }
    STDMETHODIMP UnlockRequest() override { return S_OK; }

    // More bytes are there (the notification tells the cumulative size), or
    // the end; both then pump the thread's messages.
    void Feed(const std::string& bytes, DWORD bscf)
    {
        Report(bytes, bscf);
        PumpMessages();
    }
    void End(HRESULT result)
    {
        if (m_sink) m_sink->ReportResult(result, 0, nullptr);
        PumpMessages();
    }

    std::string seen;  // the address and the verb asked for
    DWORD flags = 0;   // the binding's
    int aborts = 0;

private:
    static void CALLBACK DeliverPiece(HWND, UINT, UINT_PTR timer, DWORD)
    {
        const auto found = s_delivering.find(timer);
        if (found == s_delivering.end()) return;
        TestProtocol* protocol = found->second;
        // Taken off first: script inside the report may pump the next tick.
        const std::string piece = protocol->m_body.substr(0, 4096);
        protocol->m_body.erase(0, piece.size());
        const bool first = protocol->m_data.empty(), last = protocol->m_body.empty();
        if (last || !protocol->m_sink) KillTimer(nullptr, timer), s_delivering.erase(timer), protocol->m_timer = 0;
        protocol->Report(piece, (first ? BSCF_FIRSTDATANOTIFICATION : 0) |
                                    (last ? BSCF_LASTDATANOTIFICATION : BSCF_INTERMEDIATEDATANOTIFICATION));
        if (last && protocol->m_sink) protocol->m_sink->ReportResult(S_OK, 0, nullptr);
    }
    void Report(const std::string& bytes, DWORD bscf)
    {
        m_data += bytes;
        m_complete = (bscf & BSCF_LASTDATANOTIFICATION) != 0;
        if (m_sink) m_sink->ReportData(bscf, static_cast<ULONG>(m_data.size()), 0);
    }

    const std::map<std::string, std::string>& m_served;
    ULONG m_refs = 1;
    IInternetProtocolSink* m_sink = nullptr;
    std::string m_data, m_body;  // what Read hands out; what the timer still delivers
    size_t m_position = 0;
    bool m_complete = false;
    UINT_PTR m_timer = 0;
    static inline std::map<UINT_PTR, TestProtocol*> s_delivering;  // by timer
};

// The scheme's class object: a new protocol per binding, kept for the test.
class TestScheme : public StaticClassFactory {
public:
    TestScheme()
    {
        const CLSID handler = {0x8d2c61b4, 0x3e5a, 0x4f07, {0xb1, 0xc9, 0x6a, 0x7e, 0x0d, 0x2f, 0x4b, 0x58}};
        if (CoInternetGetSession(0, &m_session, 0) != S_OK ||
            m_session->RegisterNameSpace(this, handler, L"fexotest", 0, nullptr, 0) != S_OK)
            throw std::runtime_error("the scheme fexotest: cannot be registered");
    }
    ~TestScheme()
    {
        for (TestProtocol* protocol : m_protocols) protocol->Release();
        m_session->UnregisterNameSpace(this, L"fexotest");
        m_session->Release();
    }
    void Serve(const std::string& address, std::string body) { m_served[address] = std::move(body); }
    TestProtocol& Binding(size_t n)  // the n-th, once it has started
    {
        PumpUntil([&] { return m_protocols.size() > n && !m_protocols[n]->seen.empty(); }, 5000);
        return *m_protocols.at(n);
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
        m_protocols.push_back(new TestProtocol(m_served));  // the scheme's reference
        return m_protocols.back()->QueryInterface(iid, out);
    }

private:
    IInternetSession* m_session = nullptr;
    std::map<std::string, std::string> m_served;
    std::vector<TestProtocol*> m_protocols;
};

}  // namespace fexo::test
