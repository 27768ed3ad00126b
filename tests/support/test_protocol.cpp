#include "test_protocol.h"
#include <algorithm>
#include <stdexcept>
#include "hosted_control.h"

namespace fexo::test {

namespace {
// {8D2C61B4-3E5A-4F07-B1C9-6A7E0D2F4B58}
const CLSID kTestProtocol = {0x8d2c61b4, 0x3e5a, 0x4f07, {0xb1, 0xc9, 0x6a, 0x7e, 0x0d, 0x2f, 0x4b, 0x58}};
const size_t kPiece = 4096;
std::map<UINT_PTR, TestProtocol*> g_delivering;  // by timer
}  // namespace

STDMETHODIMP TestProtocol::QueryInterface(REFIID iid, void** out)
{
    const bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IInternetProtocolRoot) ||
                       IsEqualIID(iid, IID_IInternetProtocol);
    *out = known ? this : nullptr;
    return known ? (AddRef(), S_OK) : E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestProtocol::Release()
{
    const ULONG refs = --m_refs;
    if (refs) return refs;
    if (m_timer) KillTimer(nullptr, m_timer), g_delivering.erase(m_timer);
    delete this;
    return 0;
}

STDMETHODIMP TestProtocol::Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo, DWORD,
                                 HANDLE_PTR)
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
        g_delivering[m_timer = SetTimer(nullptr, 0, 1, DeliverPiece)] = this;
    }
    return S_OK;
}

void CALLBACK TestProtocol::DeliverPiece(HWND, UINT, UINT_PTR timer, DWORD)
{
    const auto found = g_delivering.find(timer);
    if (found == g_delivering.end()) return;
    TestProtocol* protocol = found->second;
    // Taken off first: script inside the report may pump the next tick.
    const std::string piece = protocol->m_body.substr(0, kPiece);
    protocol->m_body.erase(0, piece.size());
    const bool first = protocol->m_data.empty(), last = protocol->m_body.empty();
    if (last || !protocol->m_sink) KillTimer(nullptr, timer), g_delivering.erase(timer), protocol->m_timer = 0;
    protocol->Report(piece, (first ? BSCF_FIRSTDATANOTIFICATION : 0) |
                                (last ? BSCF_LASTDATANOTIFICATION : BSCF_INTERMEDIATEDATANOTIFICATION));
    if (last && protocol->m_sink) protocol->m_sink->ReportResult(S_OK, 0, nullptr);
}

STDMETHODIMP TestProtocol::Terminate(DWORD)
{
    if (m_sink) m_sink->Release();
    m_sink = nullptr;
    return S_OK;
}

STDMETHODIMP TestProtocol::Read(void* buffer, ULONG size, ULONG* read)
{
    const size_t count = std::min<size_t>(size, m_data.size() - m_position);
    memcpy(buffer, m_data.data() + m_position, count);
    m_position += count;
    *read = static_cast<ULONG>(count);
    return count ? S_OK : m_complete ? S_FALSE : E_PENDING;
}

void TestProtocol::Report(const std::string& bytes, DWORD bscf)
{
    m_data += bytes;
    m_complete = (bscf & BSCF_LASTDATANOTIFICATION) != 0;
    if (m_sink) m_sink->ReportData(bscf, static_cast<ULONG>(m_data.size()), 0);
}

void TestProtocol::Feed(const std::string& bytes, DWORD bscf)
{
    Report(bytes, bscf);
    PumpMessages();
}

void TestProtocol::End(HRESULT result)
{
    if (m_sink) m_sink->ReportResult(result, 0, nullptr);
    PumpMessages();
}

TestScheme::TestScheme()
{
    if (CoInternetGetSession(0, &m_session, 0) != S_OK ||
        m_session->RegisterNameSpace(this, kTestProtocol, L"fexotest", 0, nullptr, 0) != S_OK)
        throw std::runtime_error("the scheme fexotest: cannot be registered");
}

TestScheme::~TestScheme()
{
    for (TestProtocol* protocol : m_protocols) protocol->Release();
    m_session->UnregisterNameSpace(this, L"fexotest");
    m_session->Release();
}

TestProtocol& TestScheme::Binding(size_t n)
{
    PumpUntil([&] { return m_protocols.size() > n && !m_protocols[n]->seen.empty(); }, 5000);
    return *m_protocols.at(n);
}

STDMETHODIMP TestScheme::CreateInstance(IUnknown* outer, REFIID iid, void** out)
{
    *out = nullptr;
    if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
    m_protocols.push_back(new TestProtocol(m_served));  // the scheme's reference
    return m_protocols.back()->QueryInterface(iid, out);
}

}  // namespace fexo::test
