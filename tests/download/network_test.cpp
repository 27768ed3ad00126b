// Network documents through URL monikers from a loopback HTTP server run by
// the test: every body arrives byte-exact and in order, however it is cut
// into notifications; every download, failed or aborted, ends with
// NPRES_DONE; the server is asked for the address as given; and a control
// destroyed mid-download makes no plugin call afterwards.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "test_bytes.h"
#include "hosted_control.h"
#include "loopback_http_server.h"
#include "server_dll.h"
#include "stream_journal.h"

using namespace fexo::test;

namespace {

using fexo::test::Bytes;

class Network : public testing::Test {
protected:
    void SetUp() override { standin = hosted.Standin(); }

    // Sets SRC to the server's `path` and waits for the stream's end.
    JournaledStream Download(const std::string& path, DWORD timeoutMs = 30000)
    {
        EXPECT_EQ(hosted.SetSource(server.WideUrl(path)), S_OK);
        EXPECT_TRUE(PumpUntil([&] { return !CallsNamed(standin, "NPP_DestroyStream").empty(); },
                              timeoutMs))
            << "the stream did not end";
        PumpFor(100);
        auto streams = JournaledStreams(standin);
        EXPECT_EQ(streams.size(), 1u);
        return streams.empty() ? JournaledStream{} : streams.begin()->second;
    }

    std::string Announcement(const std::string& url)
    {
        return "stream=1 type=\"image/vnd.fexo\" url=\"" + url +
               "\" end=0 lastmodified=0 notifyData=null seekable=0";
    }

    LoopbackHttpServer server;
    HostedControl hosted;
    const StandinControl* standin = nullptr;
};

TEST_F(Network, FixedBodyArrivesWholeAndTheStreamEndsDone)
{
    const std::string body = Bytes(10000, 1);
    server.Serve("/fixed.fexo", {200, body});
    const JournaledStream stream = Download("/fixed.fexo");
    EXPECT_EQ(stream.announcement, Announcement(server.Url("/fixed.fexo")));
    EXPECT_TRUE(CarriesBody(standin, stream, body));
    EXPECT_EQ(stream.destroyCount, 1);
    EXPECT_EQ(stream.lastReason, 0);
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/fixed.fexo"});

    const StandinEntry* first = standin->Entry(0);
    EXPECT_STREQ(first->call, "NPP_NewStream");
    EXPECT_EQ(first->instance, hosted.Instance());
    EXPECT_EQ(first->pointers[2], first->ndata);
}

TEST_F(Network, ServerGetsTheAddressUndecodedWhileTheStreamUrlIsDecoded)
{
    // Escapes the URL machinery keeps as they are (it canonicalises %41 to A
    // by itself): had the control decoded them, the server would see / and %.
    const std::string body = Bytes(50, 2);
    server.Serve("/a%20b.fexo?x=%2F%25", {200, body});
    const JournaledStream stream = Download("/a%20b.fexo?x=%2F%25");
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/a%20b.fexo?x=%2F%25"});
    EXPECT_EQ(stream.announcement, Announcement(server.Url("/a b.fexo?x=/%")));
    EXPECT_TRUE(CarriesBody(standin, stream, body));
}

TEST_F(Network, SlowBodyArrivesInManyNotificationsInOrder)
{
    HttpResponse slow{200, Bytes(60000, 3)};
    slow.chunkSize = 1500;
    slow.chunkPauseMs = 15;
    server.Serve("/slow.fexo", slow);
    const JournaledStream stream = Download("/slow.fexo");
    EXPECT_TRUE(CarriesBody(standin, stream, slow.body));
    EXPECT_GT(stream.writes.size(), 5u) << "the body came in pieces";
    EXPECT_EQ(stream.lastReason, 0);
}

TEST_F(Network, FiftyMegabytesArriveByteExact)
{
    const std::string body = Bytes(50u << 20, 4);
    server.Serve("/large.fexo", {200, body});
    const JournaledStream stream = Download("/large.fexo", 240000);
    EXPECT_TRUE(CarriesBody(standin, stream, body));
    EXPECT_EQ(stream.destroyCount, 1);
    EXPECT_EQ(stream.lastReason, 0);
}

TEST_F(Network, ConnectionClosedMidBodyEndsDoneWithThePrefixDelivered)
{
    HttpResponse cut{200, Bytes(20000, 5)};
    cut.closeAfter = 7000;
    server.Serve("/cut.fexo", cut);
    const JournaledStream stream = Download("/cut.fexo");
    EXPECT_TRUE(CarriesBody(standin, stream, cut.body.substr(0, 7000), false));
    EXPECT_EQ(stream.destroyCount, 1);
    EXPECT_EQ(stream.lastReason, 0);
}

TEST_F(Network, RedirectIsFollowedUnderTheOriginalStreamUrl)
{
    const std::string body = Bytes(3000, 6);
    server.Serve("/target.fexo", {200, body});
    HttpResponse moved{302, ""};
    moved.location = "/target.fexo";
    server.Serve("/moved.fexo", moved);
    const JournaledStream stream = Download("/moved.fexo");
    EXPECT_EQ(stream.announcement, Announcement(server.Url("/moved.fexo")));
    EXPECT_TRUE(CarriesBody(standin, stream, body));
    EXPECT_EQ(server.Requests(), (std::vector<std::string>{"/moved.fexo", "/target.fexo"}));
}

TEST_F(Network, ReloadedInstanceKeepsReceivingTheRunningDownload)
{
    HttpResponse held{200, Bytes(30000, 7)};
    held.pauseAfter = 10000;
    server.Serve("/held.fexo", held);
    ASSERT_EQ(hosted.SetSource(server.WideUrl("/held.fexo")), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !CallsNamed(standin, "NPP_Write").empty(); }));

    // A second document replaces the instance; the first download goes on.
    const std::string second = Bytes(100, 8);
    server.Serve("/second.fexo", {200, second});
    ASSERT_EQ(hosted.SetSource(server.WideUrl("/second.fexo")), S_OK);
    server.Resume();
    ASSERT_TRUE(PumpUntil([&] { return CallsNamed(standin, "NPP_DestroyStream").size() == 2; }));
    auto streams = JournaledStreams(standin);
    ASSERT_EQ(streams.size(), 2u);
    EXPECT_TRUE(CarriesBody(standin, streams[1], held.body));
    EXPECT_TRUE(CarriesBody(standin, streams[2], second));
    EXPECT_EQ(CallsNamed(standin, "NPP_Destroy").size(), 1u);
}

TEST_F(Network, BindingThatEndsInsideItsStartLeavesTheControlUsable)
{
    // URL monikers end these bindings before BindToStorage returns: an address
    // left relative (no page to resolve it against) and one they cannot parse.
    // The second comes as a reload, through the new instance's first stream.
    for (const char* address : {"doc.fexo", "foo:bar"}) {
        standin->Reset();
        EXPECT_EQ(hosted.SetSource(std::wstring(address, address + std::strlen(address))), S_OK);
        PumpFor(300);
        const auto streams = JournaledStreams(standin);
        ASSERT_EQ(streams.size(), 1u) << hosted.Journal();
        const JournaledStream& stream = streams.begin()->second;
        EXPECT_EQ(stream.announcement, Announcement(address));
        EXPECT_LE(stream.destroyCount, 1) << address;
        if (stream.destroyCount) EXPECT_EQ(stream.lastReason, 0) << "never NPRES_NETWORK_ERR";
        const std::string last = standin->Entry(standin->Count() - 1)->call;
        EXPECT_TRUE(last == "NPP_NewStream" || last == "NPP_DestroyStream") << hosted.Journal();
    }
    standin->Reset();
    const std::string body = Bytes(700, 10);
    server.Serve("/later.fexo", {200, body});
    EXPECT_TRUE(CarriesBody(standin, Download("/later.fexo"), body));
}

TEST_F(Network, DestroyedControlAbortsItsDownloadAndNeverCallsThePluginAgain)
{
    HttpResponse held{200, Bytes(100000, 9)};
    held.pauseAfter = 20000;
    server.Serve("/running.fexo", held);
    ASSERT_EQ(hosted.SetSource(server.WideUrl("/running.fexo")), S_OK);
    ASSERT_TRUE(PumpUntil([&] { return !CallsNamed(standin, "NPP_Write").empty(); }));
    PumpFor(200);
    standin->Reset();

    // An aborted download ends with NPRES_DONE like a failed one, but at
    // teardown its instance is gone first: a plugin handed a stream end for
    // an instance it has destroyed can only crash, so that end is dropped.
    EXPECT_EQ(hosted.Destroy(), 0u);
    EXPECT_EQ(hosted.Journal(), "NPP_Destroy(save=ptr)\n")
        << "the abort's end notification does not reach the plugin";

    // The rest of the body, and whatever the aborted binding still reports,
    // arrive at a callback that no longer knows its record.
    server.Resume();
    PumpFor(1500);
    EXPECT_EQ(hosted.Journal(), "NPP_Destroy(save=ptr)\n");
    EXPECT_EQ(ServerDll::CanUnloadNow(), S_OK) << "the callback object has gone";
}

}  // namespace
