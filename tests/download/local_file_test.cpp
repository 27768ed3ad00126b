// "file://" documents read from disk into the stand-in plugin: blocks of 4096
// bytes at their offsets, percent decoding, the UNC second try, the 2083-
// character cut, plugins that take less than offered, and the "Failed to
// open" box with the instance reset that follows it.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include "test_bytes.h"
#include "hosted_control.h"
#include "message_box_watcher.h"

using namespace fexo::test;

namespace {

std::string Utf8(const std::wstring& text)
{
    std::string result(text.size() * 3 + 1, '\0');
    int length = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, result.data(),
                                     static_cast<int>(result.size()), nullptr, nullptr);
    result.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return result;
}

using fexo::test::Bytes;

class LocalFile : public testing::Test {
protected:
    void SetUp() override
    {
        wchar_t current[MAX_PATH];
        GetCurrentDirectoryW(MAX_PATH, current);
        directory = std::wstring(current) + L"\\local_files";
        CreateDirectoryW(directory.c_str(), nullptr);
        standin = hosted.Standin();
    }

    // Writes `bytes` to `name` in the test directory; returns its address as
    // "file:///Z:/.../name" with forward slashes.
    std::wstring Place(const std::wstring& name, const std::string& bytes)
    {
        const std::wstring path = directory + L"\\" + name;
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(file);
        return L"file:///" + ForwardSlashes(path);
    }

    static std::wstring ForwardSlashes(std::wstring path)
    {
        for (wchar_t& c : path)
            if (c == L'\\') c = L'/';
        return path;
    }

    std::string Crc(const std::string& bytes, size_t offset, size_t length)
    {
        char text[16];
        snprintf(text, sizeof text, "0x%08x", standin->Checksum(bytes.data() + offset, length));
        return text;
    }

    std::string Announced(const std::string& url)
    {
        return "NPP_NewStream(stream=1 type=\"image/vnd.fexo\" url=\"" + url +
               "\" end=0 lastmodified=0 notifyData=null seekable=0)\n";
    }

    std::wstring directory;
    HostedControl hosted;
    const StandinControl* standin = nullptr;
};

TEST_F(LocalFile, EmptyFileIsAnnouncedAndEndedWithoutWrites)
{
    const std::wstring url = Place(L"empty.fexo", "");
    EXPECT_EQ(hosted.SetSource(url), S_OK);
    EXPECT_EQ(hosted.Journal(), Announced(Utf8(url)) + "NPP_DestroyStream(stream=1 reason=0)\n");

    const StandinEntry* announced = standin->Entry(0);
    EXPECT_EQ(announced->instance, hosted.Instance());
    EXPECT_EQ(announced->pointers[2], announced->ndata)
        << "the stream's ndata names the control, as the instance's does";
    EXPECT_NE(announced->ndata, nullptr);
    EXPECT_EQ(standin->Entry(1)->pointers[0], announced->pointers[0]) << "the same stream record";
}

TEST_F(LocalFile, TenThousandBytesArriveInBlocksOf4096)
{
    const std::string bytes = Bytes(10000, 1);
    const std::wstring url = Place(L"ten_thousand.fexo", bytes);
    EXPECT_EQ(hosted.SetSource(url), S_OK);
    EXPECT_EQ(hosted.Journal(),
              Announced(Utf8(url)) +
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=0 length=4096 crc=" + Crc(bytes, 0, 4096) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=4096 length=4096 crc=" + Crc(bytes, 4096, 4096) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=8192 length=1808 crc=" + Crc(bytes, 8192, 1808) + ")\n"
                  "NPP_DestroyStream(stream=1 reason=0)\n");
}

TEST_F(LocalFile, CapitalSchemeAndEscapesAreDecodedForStreamAndPath)
{
    // %C3%A9 decodes to two characters, U+00C3 U+00A9, which the stream's
    // UTF-8 address and the path carry as two characters each.
    const std::string bytes = Bytes(100, 2);
    Place(L"a b\x00C3\x00A9.fexo", bytes);
    const std::wstring url =
        L"FILE:///" + ForwardSlashes(directory) + L"/a%20b%C3%A9.fexo?page=2";
    EXPECT_EQ(hosted.SetSource(url), S_OK);
    EXPECT_EQ(hosted.Journal(),
              Announced("FILE:///" + Utf8(ForwardSlashes(directory)) +
                        "/a b\\xc3\\x83\\xc2\\xa9.fexo?page=2") +
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=0 length=100 crc=" + Crc(bytes, 0, 100) + ")\n"
                  "NPP_DestroyStream(stream=1 reason=0)\n");
}

TEST_F(LocalFile, PluginTakingNothingLosesEachBlockButOffsetsAdvance)
{
    const std::string bytes = Bytes(10000, 4);
    const std::wstring url = Place(L"refused.fexo", bytes);
    standin->SetResult("NPP_WriteReady", 0);
    standin->SetResult("NPP_Write", 0);
    EXPECT_EQ(hosted.SetSource(url), S_OK);
    EXPECT_EQ(hosted.Journal(), Announced(Utf8(url)) +
                                    "NPP_WriteReady(stream=1)\n"
                                    "NPP_Write(stream=1 offset=0 length=0 crc=0x00000000)\n"
                                    "NPP_WriteReady(stream=1)\n"
                                    "NPP_Write(stream=1 offset=4096 length=0 crc=0x00000000)\n"
                                    "NPP_WriteReady(stream=1)\n"
                                    "NPP_Write(stream=1 offset=8192 length=0 crc=0x00000000)\n"
                                    "NPP_DestroyStream(stream=1 reason=0)\n");
}

TEST_F(LocalFile, PartialWritesContinueAndNegativeWriteDropsTheRestOfTheBlock)
{
    const std::string bytes = Bytes(10000, 5);
    const std::wstring url = Place(L"partial.fexo", bytes);
    // Block 1: ready for 1000, takes 600, then ready for everything, takes it.
    // Block 2 fails outright; in block 3 more claimed than offered counts as
    // the offer.
    for (int32_t ready : {1000, NP_MAXREADY, NP_MAXREADY, 500})
        standin->QueueResult("NPP_WriteReady", ready);
    for (int32_t written : {600, 3496, -1, 9999}) standin->QueueResult("NPP_Write", written);
    EXPECT_EQ(hosted.SetSource(url), S_OK);
    EXPECT_EQ(hosted.Journal(),
              Announced(Utf8(url)) +
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=0 length=1000 crc=" + Crc(bytes, 0, 1000) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=600 length=3496 crc=" + Crc(bytes, 600, 3496) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=4096 length=4096 crc=" + Crc(bytes, 4096, 4096) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=4096 length=500 crc=" + Crc(bytes, 8192, 500) + ")\n"
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=4596 length=1308 crc=" + Crc(bytes, 8692, 1308) + ")\n"
                  "NPP_DestroyStream(stream=1 reason=0)\n");
}

TEST_F(LocalFile, MissingFileShowsFailedToOpenThenResetsTheInstance)
{
    const std::wstring url = L"file:///" + ForwardSlashes(directory) + L"/missing%20one.fexo";
    std::vector<SeenMessageBox> seen;
    {
        MessageBoxWatcher watcher(L"Failed to open");
        EXPECT_EQ(hosted.SetSource(url), S_OK);
        seen = watcher.Seen();
    }
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, ForwardSlashes(directory) + L"/missing one.fexo");
    // A child window cannot own: the platform gives the box to its top-level window.
    EXPECT_EQ(seen[0].owner, GetAncestor(hosted.Window(), GA_ROOT));
    EXPECT_EQ(seen[0].owner, hosted.container.HostWindow());
    EXPECT_EQ(hosted.Journal(),
              Announced("file:///" + Utf8(ForwardSlashes(directory)) + "/missing one.fexo") +
                  "NPP_Destroy(save=ptr)\n"
                  "NPP_New(type=\"image/vnd.fexo\" mode=1 argc=0 saved=null)\n"
                  "NPP_SetWindow(window=ptr x=0 y=0 width=0 height=0 clip=0,0,0,0)\n")
        << "the announced stream is never ended; the new instance has no arguments";
}

TEST_F(LocalFile, ServerAddressIsTriedAsUncPathSecond)
{
    // Wine maps \\server\share to the prefix's dosdevices/unc/server/share.
    wchar_t prefix[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"WINEPREFIX", prefix, MAX_PATH), 0u);
    std::wstring share = L"Z:" + std::wstring(prefix) + L"/dosdevices/unc";
    CreateDirectoryW(share.c_str(), nullptr);
    share += L"/fexo-server";
    CreateDirectoryW(share.c_str(), nullptr);
    share += L"/share";
    CreateDirectoryW(share.c_str(), nullptr);
    const std::string bytes = Bytes(300, 6);
    HANDLE file = CreateFileW((share + L"/unc.fexo").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(GetFileAttributesW(L"\\\\fexo-server\\share\\unc.fexo") != INVALID_FILE_ATTRIBUTES,
              true) << "the platform resolves the UNC path";
    ASSERT_EQ(GetFileAttributesW(L"fexo-server/share/unc.fexo"), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(hosted.SetSource(L"file://fexo-server/share/unc.fexo"), S_OK);
    EXPECT_EQ(hosted.Journal(),
              Announced("file://fexo-server/share/unc.fexo") +
                  "NPP_WriteReady(stream=1)\n"
                  "NPP_Write(stream=1 offset=0 length=300 crc=" + Crc(bytes, 0, 300) + ")\n"
                  "NPP_DestroyStream(stream=1 reason=0)\n");
}

TEST_F(LocalFile, DecodedAddressIsCutAt2083Characters)
{
    const std::wstring head = L"file:///" + ForwardSlashes(directory) + L"/";
    const std::wstring url = head + std::wstring(3000, L'x') + L".fexo";
    std::vector<SeenMessageBox> seen;
    {
        MessageBoxWatcher watcher(L"Failed to open");
        EXPECT_EQ(hosted.SetSource(url), S_OK);
        seen = watcher.Seen();
    }
    const std::string cut = Utf8(url.substr(0, 2083));
    EXPECT_EQ(hosted.Journal().substr(0, Announced(cut).size()), Announced(cut));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, url.substr(8, 2083 - 8));
}

}  // namespace
