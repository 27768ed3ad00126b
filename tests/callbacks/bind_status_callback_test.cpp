// The bind-status callback and its download record, fed by a protocol handler
// for a test scheme that the test drives notification by notification: what
// each notification makes the record write, how the end is told, and that
// nothing reaches the plugin once the record is gone, whatever the URL
// machinery still reports.
#include <gtest/gtest.h>
#include <windows.h>
#include <urlmon.h>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <string>
#include "com/module.h"
#include "download/bind_status_callback.h"
#include "download/download_list.h"
#include "plugin_table_double.h"
#include "test_container.h"
#include "test_protocol.h"

using fexo::download::dataDownLoad;
using fexo::download::DownloadList;
using fexo::download::xCBindStatusCallback;
using fexo::test::PumpMessages;
using fexo::test::TestProtocol;
using fexo::test::TestProtocolFactory;
using fexo::test::ThePluginTable;

namespace {
// Makes the next block buffer of OnDataAvailable (the nothrow array form) fail.
bool g_failBlockBuffer = false;
}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::exchange(g_failBlockBuffer, false) ? nullptr : std::malloc(size ? size : 1);
}

namespace {

// {8D2C61B4-3E5A-4F07-B1C9-6A7E0D2F4B58}
const CLSID kDrivenProtocol = {0x8d2c61b4, 0x3e5a, 0x4f07, {0xb1, 0xc9, 0x6a, 0x7e, 0x0d, 0x2f, 0x4b, 0x58}};

// Holds the sink the URL machinery gives it; the test reports through it.
class DrivenProtocol final : public TestProtocol {
public:
    STDMETHODIMP Start(LPCWSTR, IInternetProtocolSink* sink, IInternetBindInfo*, DWORD,
                       HANDLE_PTR) override
    {
        m_sink = sink;
        m_sink->AddRef();
        sink->ReportProgress(BINDSTATUS_MIMETYPEAVAILABLE, L"application/octet-stream");
        return S_OK;
    }
    STDMETHODIMP Abort(HRESULT, DWORD) override
    {
        ++aborts;
        return S_OK;
    }
    STDMETHODIMP Terminate(DWORD) override
    {
        if (m_sink) m_sink->Release();
        m_sink = nullptr;
        return S_OK;
    }
    STDMETHODIMP Read(void* buffer, ULONG size, ULONG* read) override
    {
        const size_t count = std::min<size_t>(size, m_data.size() - m_position);
        memcpy(buffer, m_data.data() + m_position, count);
        m_position += count;
        if (read) *read = static_cast<ULONG>(count);
        if (count == 0) return m_complete ? S_FALSE : E_PENDING;
        return S_OK;
    }

    // More bytes are there; the notification tells the cumulative size.
    void Feed(const std::string& bytes, DWORD flags)
    {
        m_data += bytes;
        if (flags & BSCF_LASTDATANOTIFICATION) m_complete = true;
        const ULONG size = static_cast<ULONG>(m_data.size());
        if (m_sink) m_sink->ReportData(flags, size, size);
        PumpMessages();
    }
    void Finish(HRESULT result)
    {
        if (m_sink) m_sink->ReportResult(result, 0, nullptr);
        PumpMessages();
    }
    bool Started() const { return m_sink != nullptr; }

    int aborts = 0;

private:
    IInternetProtocolSink* m_sink = nullptr;
    std::string m_data;
    size_t m_position = 0;
    bool m_complete = false;
};

class Callback : public testing::Test {
protected:
    void SetUp() override
    {
        ThePluginTable().Install();
        plugin.New(0, nullptr, nullptr);  // streams reach a live instance only
        locksBefore = fexo::com::Module::LockCount();
        ASSERT_EQ(CoInternetGetSession(0, &session, 0), S_OK);
        ASSERT_EQ(session->RegisterNameSpace(&factory, kDrivenProtocol, L"driven", 0, nullptr, 0), S_OK);
    }
    void TearDown() override
    {
        downloads.AbortAndClear();
        for (int i = 0; i < 50 && fexo::com::Module::LockCount() != locksBefore; ++i) {
            Sleep(10);
            PumpMessages();
        }
        EXPECT_EQ(fexo::com::Module::LockCount(), locksBefore) << "every callback object has gone";
        session->UnregisterNameSpace(&factory, L"driven");
        session->Release();
        if (last) last->Release();
    }

    // A record for the decoded address `url`, downloading it.
    DrivenProtocol& Start(const char* url, const wchar_t* wideUrl)
    {
        dataDownLoad& record =
            downloads.Append(std::make_unique<dataDownLoad>(plugin, &plugin, url));
        record.StartNetworkDownload(wideUrl);
        for (int i = 0; i < 100 && !(last && last->Started()); ++i) {
            Sleep(5);
            PumpMessages();
        }
        EXPECT_TRUE(last && last->Started());
        return *last;
    }

    LONG locksBefore = 0;
    IInternetSession* session = nullptr;
    // Keeps the protocol of the latest binding for the test to drive.
    DrivenProtocol* last = nullptr;
    TestProtocolFactory factory{[this] {
        if (last) last->Release();
        last = new DrivenProtocol();
        last->AddRef();
        return last;
    }};
    fexo::plugin::PluginInstance plugin;
    DownloadList downloads;
};

// The URL machinery holds the first bytes back until it has seen enough of
// them to tell their type: the first piece is larger than that.
const std::string kFirstPiece(4096, 'f');

TEST_F(Callback, EachNotificationWritesTheBytesBeyondThoseReadBefore)
{
    DrivenProtocol& protocol = Start("driven:doc", L"driven:doc");
    protocol.Feed(kFirstPiece, BSCF_FIRSTDATANOTIFICATION);
    protocol.Feed("hello", BSCF_INTERMEDIATEDATANOTIFICATION);
    protocol.Feed(" world", BSCF_INTERMEDIATEDATANOTIFICATION);
    protocol.Feed("!", BSCF_LASTDATANOTIFICATION);
    protocol.Finish(S_OK);
    EXPECT_EQ(ThePluginTable().TakeLog(),
              "WriteReady\nWrite(0, 4096)\n"
              "WriteReady\nWrite(4096, 5)\n"
              "WriteReady\nWrite(4101, 6)\n"
              "WriteReady\nWrite(4107, 1)\n"
              "DestroyStream(driven:doc, 0)\n");
    EXPECT_EQ(ThePluginTable().received, kFirstPiece + "hello world!");
}

TEST_F(Callback, PluginWithoutWriteReadyIsNeverCalled)
{
    ThePluginTable().Install(false);
    DrivenProtocol& protocol = Start("driven:silent", L"driven:silent");
    protocol.Feed("abc", BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION);
    protocol.Finish(S_OK);
    EXPECT_EQ(ThePluginTable().TakeLog(), "");
}

TEST_F(Callback, NotificationsAfterTheRecordIsGoneReachNothing)
{
    DrivenProtocol& protocol = Start("driven:gone", L"driven:gone");
    protocol.Feed(kFirstPiece, BSCF_FIRSTDATANOTIFICATION);
    EXPECT_EQ(ThePluginTable().TakeLog(), "WriteReady\nWrite(0, 4096)\n");

    downloads.AbortAndClear();
    EXPECT_EQ(protocol.aborts, 1) << "the running download was aborted";
    protocol.Feed("def", BSCF_INTERMEDIATEDATANOTIFICATION);
    protocol.Feed("ghi", BSCF_LASTDATANOTIFICATION);
    protocol.Finish(S_OK);
    EXPECT_EQ(ThePluginTable().TakeLog(), "");
}

TEST_F(Callback, EndedDownloadIsNotAbortedAtTeardown)
{
    DrivenProtocol& protocol = Start("driven:ended", L"driven:ended");
    protocol.Feed("abc", BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION);
    protocol.Finish(S_OK);
    ThePluginTable().TakeLog();
    downloads.AbortAndClear();
    EXPECT_EQ(protocol.aborts, 0);
    EXPECT_EQ(ThePluginTable().TakeLog(), "");
}

TEST(CallbackMethods, BindInfoIsAnAsynchronousGetAndOnlyCbSizeSurvives)
{
    auto callback = xCBindStatusCallback::Create();
    ASSERT_TRUE(callback);
    DWORD flags = 0xFFFFFFFF;
    BINDINFO info;
    memset(&info, 0xA5, sizeof info);
    info.cbSize = sizeof info;
    EXPECT_EQ(callback->GetBindInfo(&flags, &info), S_OK);
    EXPECT_EQ(flags, 3u);
    EXPECT_EQ(info.cbSize, sizeof info);
    EXPECT_EQ(info.dwBindVerb, static_cast<DWORD>(BINDVERB_GET));
    BINDINFO zeroed{};
    zeroed.cbSize = sizeof zeroed;
    EXPECT_EQ(memcmp(&info, &zeroed, sizeof info), 0) << "every other field zeroed";

    EXPECT_EQ(callback->GetBindInfo(nullptr, &info), E_INVALIDARG);
    EXPECT_EQ(callback->GetBindInfo(&flags, nullptr), E_INVALIDARG);
    info.cbSize = 0;
    flags = 7;
    EXPECT_EQ(callback->GetBindInfo(&flags, &info), E_INVALIDARG);
    EXPECT_EQ(flags, 7u);
}

TEST(CallbackMethods, QuietMethodsSucceed)
{
    auto callback = xCBindStatusCallback::Create();
    LONG priority = 99;
    EXPECT_EQ(callback->GetPriority(&priority), S_OK);
    EXPECT_EQ(priority, THREAD_PRIORITY_NORMAL);
    EXPECT_EQ(callback->GetPriority(nullptr), S_OK);
    EXPECT_EQ(callback->OnLowResource(0), S_OK);
    EXPECT_EQ(callback->OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, L"x"), S_OK);
    EXPECT_EQ(callback->OnObjectAvailable(IID_IUnknown, nullptr), S_OK);
    EXPECT_EQ(callback->OnStopBinding(E_FAIL, nullptr), S_OK) << "without a download or record";

    // No stream held and none offered: nothing is read.
    STGMEDIUM medium{};
    medium.tymed = TYMED_HGLOBAL;
    EXPECT_EQ(callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION, 10, nullptr, &medium), S_OK);
    EXPECT_EQ(callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION, 10, nullptr, nullptr), S_OK);

    IUnknown* unknown = nullptr;
    EXPECT_EQ(callback->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)), S_OK);
    EXPECT_EQ(unknown, static_cast<IUnknown*>(callback.Get()));
    unknown->Release();
    IBindStatusCallbackEx* extended = nullptr;
    EXPECT_EQ(callback->QueryInterface(IID_IBindStatusCallbackEx, reinterpret_cast<void**>(&extended)),
              E_NOINTERFACE);
}

TEST(CallbackMethods, BlockWithoutMemoryIsDroppedAndTheLastNotificationLetsGoOfTheStream)
{
    auto callback = xCBindStatusCallback::Create();
    IStream* stream = nullptr;
    ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
    STGMEDIUM medium{};
    medium.tymed = TYMED_ISTREAM;
    medium.pstm = stream;
    g_failBlockBuffer = true;
    EXPECT_EQ(callback->OnDataAvailable(BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION, 10,
                                        nullptr, &medium),
              E_OUTOFMEMORY);
    EXPECT_FALSE(g_failBlockBuffer) << "the block buffer was asked for";
    EXPECT_EQ(stream->Release(), 0u) << "the callback holds the stream no more";
}

}  // namespace
