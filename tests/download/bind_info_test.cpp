// What the download asks the URL machinery for, seen from a protocol handler
// that the test registers for its own scheme in this process: the bind flags
// and verb of the callback's GetBindInfo, and the address exactly as given.
#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <algorithm>
#include <string>
#include "hosted_control.h"
#include "stream_journal.h"
#include "test_protocol.h"

using namespace fexo::test;

namespace {

// {5C3F8E2A-7B1D-4E8F-9A60-2D4B1C7E9F31}, the test's own handler class.
const CLSID kTestProtocol = {0x5c3f8e2a, 0x7b1d, 0x4e8f, {0x9a, 0x60, 0x2d, 0x4b, 0x1c, 0x7e, 0x9f, 0x31}};

struct SeenBind {
    int starts = 0;
    std::wstring url;
    DWORD flags = 0;
    DWORD verb = 0xFFFFFFFF;
    ULONG bindInfoSize = 0;
};

// Serves a fixed body for every address of its scheme, all at once.
class FixedBodyProtocol final : public TestProtocol {
public:
    FixedBodyProtocol(SeenBind& seen, const std::string& body) : m_seen(seen), m_body(body) {}

    STDMETHODIMP Start(LPCWSTR url, IInternetProtocolSink* sink, IInternetBindInfo* bindInfo,
                       DWORD, HANDLE_PTR) override
    {
        ++m_seen.starts;
        m_seen.url = url;
        BINDINFO info{};
        info.cbSize = sizeof info;
        if (SUCCEEDED(bindInfo->GetBindInfo(&m_seen.flags, &info))) {
            m_seen.verb = info.dwBindVerb;
            m_seen.bindInfoSize = info.cbSize;
            ReleaseBindInfo(&info);
        }
        sink->ReportProgress(BINDSTATUS_MIMETYPEAVAILABLE, L"application/octet-stream");
        const ULONG size = static_cast<ULONG>(m_body.size());
        sink->ReportData(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION |
                             BSCF_DATAFULLYAVAILABLE,
                         size, size);
        sink->ReportResult(S_OK, 0, nullptr);
        return S_OK;
    }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override
    {
        const size_t count = std::min<size_t>(size, m_body.size() - m_position);
        memcpy(buffer, m_body.data() + m_position, count);
        m_position += count;
        if (read) *read = static_cast<ULONG>(count);
        return m_position < m_body.size() ? S_OK : S_FALSE;
    }

private:
    SeenBind& m_seen;
    std::string m_body;
    size_t m_position = 0;
};

class BindInfo : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CoInternetGetSession(0, &session, 0), S_OK);
        ASSERT_EQ(session->RegisterNameSpace(&factory, kTestProtocol, L"fexotest", 0, nullptr, 0), S_OK);
    }
    void TearDown() override
    {
        hosted.Destroy();
        session->UnregisterNameSpace(&factory, L"fexotest");
        session->Release();
    }

    SeenBind seen;
    std::string body = std::string(3000, 'b') + "end";
    TestProtocolFactory factory{[this] { return new FixedBodyProtocol(seen, body); }};
    IInternetSession* session = nullptr;
    HostedControl hosted;
};

TEST_F(BindInfo, DownloadAsksForAnAsynchronousGetWithCacheAllowed)
{
    EXPECT_EQ(hosted.SetSource(L"fexotest:doc%20one.fexo"), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !CallsNamed(hosted.Standin(), "NPP_DestroyStream").empty(); }));

    EXPECT_EQ(seen.starts, 1);
    EXPECT_EQ(seen.url, L"fexotest:doc%20one.fexo") << "the address as given, undecoded";
    // The URL machinery adds its own two flags to the callback's 3; no
    // BINDF_GETNEWESTVERSION or BINDF_NOWRITECACHE: a cached copy may serve.
    EXPECT_EQ(seen.flags, static_cast<DWORD>(BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE |
                                             BINDF_NEEDFILE | BINDF_FROMURLMON))
        << std::hex << seen.flags;
    EXPECT_EQ(seen.verb, static_cast<DWORD>(BINDVERB_GET));

    auto streams = JournaledStreams(hosted.Standin());
    ASSERT_EQ(streams.size(), 1u);
    EXPECT_NE(streams[1].announcement.find("url=\"fexotest:doc one.fexo\""), std::string::npos)
        << streams[1].announcement;
    EXPECT_TRUE(CarriesBody(hosted.Standin(), streams[1], body));
    EXPECT_EQ(streams[1].lastReason, 0);
}

}  // namespace
