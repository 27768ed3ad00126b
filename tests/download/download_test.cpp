// Document streams into the stand-in plugin, compared as whole journals:
// "file://" documents read from disk in blocks of 4096 bytes, and network
// documents fed notification by notification through the test scheme.
#include <gtest/gtest.h>
#include <windows.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>
#include "hosted_control.h"
#include "message_box_watcher.h"
#include "test_protocol.h"

using namespace fexo::test;

namespace {

class Download : public testing::Test {
protected:
    std::string Announced(int stream, const std::string& url)
    {
        return "NPP_NewStream(stream=" + std::to_string(stream) + " type=\"image/vnd.fexo\" url=\"" +
               url + "\" end=0 lastmodified=0 notifyData=null seekable=0)\n";
    }
    // One NPP_Write of `length` bytes of `bytes` from `from`, at stream offset `offset`.
    std::string Written(int stream, const std::string& bytes, int offset, int from, int length)
    {
        char text[128];
        snprintf(text, sizeof text, "NPP_WriteReady(stream=%d)\nNPP_Write(stream=%d offset=%d length=%d crc=0x%08x)\n",
                 stream, stream, offset, length, hosted.Standin()->Checksum(bytes.data() + from, length));
        return text;
    }
    std::string Expand(std::string text) { return text.replace(text.find("%s"), 2, directory); }
    // The plugin's own request for a document, streamed into its instance.
    NPError GetUrl(const std::string& url)
    {
        return hosted.Standin()->BrowserFuncs()->geturl(hosted.Instance(), url.c_str(), nullptr);
    }
    std::string Ended(int stream) { return "NPP_DestroyStream(stream=" + std::to_string(stream) + " reason=0)\n"; }

    TestScheme scheme;  // outlives the control
    const std::string directory = std::filesystem::current_path().generic_string();  // of the local files
    HostedControl hosted;
};

// Blocks of 4096 bytes at their offsets, whatever the plugin answers: a
// refusal (0) counts as taken, a failure (-1) drops the rest of the block,
// a claim beyond the offer counts as the offer.  The address is decoded for
// the stream and the path (%C3%A9: two characters, four bytes of UTF-8).
TEST_F(Download, LocalFilesArriveInBlocksOf4096)
{
    struct Block { int offset, from, length; };
    const struct {
        const wchar_t* name;
        const char* address;
        const char* streamUrl;
        size_t size;
        std::vector<int32_t> ready, written;
        std::vector<Block> blocks;
    } kFiles[] = {
        {L"empty.fexo", "file:///%s/empty.fexo", "file:///%s/empty.fexo", 0, {}, {}, {}},
        {L"ten.fexo", "file:///%s/ten.fexo", "file:///%s/ten.fexo", 10000, {}, {},
         {{0, 0, 4096}, {4096, 4096, 4096}, {8192, 8192, 1808}}},
        {L"a b\x00C3\x00A9.fexo", "FILE:///%s/a%20b%C3%A9.fexo?page=2",
         "FILE:///%s/a b\\xc3\\x83\\xc2\\xa9.fexo?page=2", 100, {}, {}, {{0, 0, 100}}},
        {L"refused.fexo", "file:///%s/refused.fexo", "file:///%s/refused.fexo", 9000, {0, 0, 0},
         {0, 0, 0}, {{0, 0, 0}, {4096, 4096, 0}, {8192, 8192, 0}}},
        {L"partial.fexo", "file:///%s/partial.fexo", "file:///%s/partial.fexo", 10000,
         {1000, NP_MAXREADY, NP_MAXREADY, 500}, {600, 3496, -1, 9999},
         {{0, 0, 1000}, {600, 600, 3496}, {4096, 4096, 4096}, {4096, 8192, 500}, {4596, 8692, 1308}}},
    };
    const StandinControl* standin = hosted.Standin();
    for (const auto& file : kFiles) {
        const std::string bytes = Bytes(file.size, static_cast<unsigned>(file.size));
        std::ofstream(std::filesystem::path(directory) / file.name, std::ios::binary) << bytes;
        standin->Reset();
        for (int32_t ready : file.ready) standin->QueueResult("NPP_WriteReady", ready);
        for (int32_t written : file.written) standin->QueueResult("NPP_Write", written);
        std::string expected = Announced(1, Expand(file.streamUrl));
        for (const Block& block : file.blocks)
            expected += Written(1, bytes, block.offset, block.from, block.length);
        EXPECT_EQ(GetUrl(Expand(file.address)), NPERR_NO_ERROR);
        EXPECT_EQ(hosted.Journal(), expected + Ended(1)) << file.address;
    }
}

// A file that cannot be opened (also as a UNC path) is shown in a box owned
// by the control's top-level window; the plugin then gets an empty instance
// and its announced stream is never ended.  The decoded address is cut at
// 2083 characters.
TEST_F(Download, MissingFileIsShownAndTheInstanceReset)
{
    const std::string url = Expand("file:///%s/missing%C3%A9") + std::string(3000, 'x');
    MessageBoxWatcher watcher(L"Failed to open");
    EXPECT_EQ(GetUrl(url), NPERR_NO_ERROR);
    const std::vector<SeenMessageBox> seen = watcher.Seen();
    const std::string cut = Expand("file:///%s/missing\\xc3\\x83\\xc2\\xa9");
    const size_t kept = 2083 - (directory.size() + 18);
    EXPECT_EQ(hosted.Journal(), Announced(1, cut + std::string(kept, 'x')) + "NPP_Destroy(save=ptr)\n"
              "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=0 saved=null)\n"
              "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n");
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text,
              std::wstring(directory.begin(), directory.end()) + L"/missing\x00C3\x00A9" + std::wstring(kept, L'x'));
    EXPECT_EQ(seen[0].owner, hosted.container.HostWindow());
}

// The URL machinery holds the first bytes back until it has seen enough of
// them to tell their type: the first piece is larger than that.
const std::string kFirst = Bytes(4096, 7);

// Each notification writes the bytes beyond those read before, into the
// stream of its own download, also after the instance was re-created for a
// new document; every end, failed or not, is NPRES_DONE.  The machinery is
// asked for an asynchronous GET of the address as given, undecoded, with the
// cache allowed (no BINDF_GETNEWESTVERSION or BINDF_NOWRITECACHE).
TEST_F(Download, NetworkBlocksGoToTheirOwnStreamInOrder)
{
    EXPECT_EQ(hosted.SetSource(L"fexotest:one%20%C3%A9"), S_OK);
    TestProtocol& one = scheme.Binding(0);
    EXPECT_EQ(one.seen, "fexotest:one%20%C3%A9 verb=0");
    EXPECT_EQ(one.flags, static_cast<DWORD>(BINDF_ASYNCHRONOUS | BINDF_ASYNCSTORAGE | BINDF_NEEDFILE |
                                            BINDF_FROMURLMON));
    one.Feed(kFirst, BSCF_FIRSTDATANOTIFICATION);
    EXPECT_EQ(hosted.SetSource(L"fexotest:two"), S_OK);
    TestProtocol& two = scheme.Binding(1);
    one.Feed("hello", BSCF_INTERMEDIATEDATANOTIFICATION);
    two.Feed(kFirst, BSCF_FIRSTDATANOTIFICATION | BSCF_LASTDATANOTIFICATION);
    two.End(INET_E_DOWNLOAD_FAILURE);
    one.Feed("!", BSCF_LASTDATANOTIFICATION);
    one.End(S_OK);
    const std::string hello = kFirst + "hello!";
    EXPECT_EQ(hosted.Journal(),
              Announced(1, "fexotest:one \\xc3\\x83\\xc2\\xa9") + Written(1, hello, 0, 0, 4096) +
                  "NPP_Destroy(save=ptr)\nNPP_New(type=\"image/vnd.fexo\" mode=1 argc=8 SCROLLBARS=\"TRUE\" "
                  "CACHE=\"FALSE\" FRAME=\"TRUE\" KEYBOARD=\"TRUE\" LINKS=\"TRUE\" LOGO=\"TRUE\" "
                  "POSTERROR=\"TRUE\" ROTATE=\"0\" saved=null)\n"
                  "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n" +
                  Announced(2, "fexotest:two") + Written(1, hello, 4096, 4096, 5) + Written(2, kFirst, 0, 0, 4096) +
                  Ended(2) + Written(1, hello, 4101, 4101, 1) + Ended(1));
}

// A control released mid-download aborts it, after its instance is gone: no
// end, nor anything the aborted binding still reports, reaches the plugin.
// Bindings that end inside their start (a relative address with no page to
// resolve it, one the machinery cannot parse) leave the control usable.
TEST_F(Download, ReleasedControlAbortsItsDownload)
{
    for (const wchar_t* early : {L"doc.fexo", L"foo:bar", L"fexotest:running"})
        EXPECT_EQ(hosted.SetSource(early), S_OK);
    TestProtocol& running = scheme.Binding(0);
    running.Feed(kFirst, BSCF_FIRSTDATANOTIFICATION);
    hosted.Standin()->Reset();
    EXPECT_EQ(hosted.Destroy(), 0u);
    running.Feed("more", BSCF_LASTDATANOTIFICATION);
    running.End(S_OK);
    EXPECT_EQ(hosted.Journal(), "NPP_Destroy(save=ptr)\n");
    EXPECT_EQ(running.aborts, 1);
}

}  // namespace
