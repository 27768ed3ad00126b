// Where the loader looks for the plugin besides the control's own directory:
// the candidate list built from registry keys written into the test prefix
// (removed before and after), and the scratch HTML file the shell is asked
// about.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "plugin/directory_search.h"

using Directories = std::vector<std::string>;

namespace {

const char* const kWrittenKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\netscp6.exe",
    "SOFTWARE\\Classes\\NetscapeMarkup", "SOFTWARE\\Classes\\HtmlDefBrowser",
    "SOFTWARE\\Netscape", "SOFTWARE\\Classes\\FexoTestPage",
};
// The prefix associates no program with HTML files; the tests do, and remove
// the association afterwards unless it was there before.
const char kHtmlExtensionKey[] = "SOFTWARE\\Classes\\.htm";

void Write(const std::string& key, const char* name, const std::string& value)
{
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, key.c_str(), name, REG_SZ, value.c_str(),
                              static_cast<DWORD>(value.size() + 1)),
              ERROR_SUCCESS)
        << key;
}

class DirectorySearch : public testing::Test {
protected:
    void SetUp() override
    {
        TearDown();
        HKEY existing = nullptr;
        m_ownsHtml = RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHtmlExtensionKey, 0, KEY_READ,
                                   &existing) != ERROR_SUCCESS;
        if (existing) RegCloseKey(existing);
        if (!m_ownsHtml) GTEST_SKIP() << "the prefix has its own .htm association";
        Write(kHtmlExtensionKey, nullptr, "FexoTestPage");
        Write("SOFTWARE\\Classes\\FexoTestPage\\shell\\open\\command", nullptr,
              "\"C:\\Web Browser\\browse.exe\" \"%1\"");
    }
    void TearDown() override
    {
        for (const char* key : kWrittenKeys) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
        if (m_ownsHtml) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHtmlExtensionKey);
    }
    static Directories Collect()
    {
        fexo::plugin::CandidateList list;
        list.SetOwnDirectory("C:\\Own\\");
        const std::size_t added = fexo::plugin::CollectBrowserDirectories(list);
        EXPECT_EQ(added, list.Directories().size() - 1);
        return list.Directories();
    }
    bool m_ownsHtml = false;
};

TEST_F(DirectorySearch, BrowserDirectoriesInOrderEachOnce)
{
    const std::string appPaths = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    Write(appPaths + "Netscape.exe", nullptr, "\"C:\\Nav\\Program\\netscape.exe\" -browser");
    Write(appPaths + "netscp6.exe", nullptr, "C:\\N6\\netscp6.exe");
    // The same program through its shell command: tried once.
    Write("SOFTWARE\\Classes\\NetscapeMarkup\\shell\\open\\command", nullptr,
          "\"C:\\Nav\\Program\\netscape.exe\" \"%1\"");
    // A command without a directory adds an empty directory.
    Write("SOFTWARE\\Classes\\HtmlDefBrowser\\shell\\open\\command", nullptr, "browser.exe %1");
    const std::string navigator = "SOFTWARE\\Netscape\\Netscape Navigator\\";
    Write(navigator + "4.7\\Main", "Plugins Directory", "C:\\P");
    Write(navigator + "4.8\\Main", "Install Directory", "C:\\I\\");
    Write(navigator + "4.9\\Main", "Plugins Directory", "C:\\Both");
    Write(navigator + "4.9\\Main", "Install Directory", "C:\\Ignored\\");
    Write(navigator + "5.0\\Other", "Plugins Directory", "C:\\NoMain");
    Write(navigator + "5.1\\Main", "Version", "5.1");
    // Netscape 6 installed where App Paths named it: a duplicate.
    Write("SOFTWARE\\Netscape\\Netscape 6\\6.2\\Main", "Install Directory", "C:\\N6\\");
    Write("SOFTWARE\\Netscape\\Netscape 6\\6.3\\Main", "Plugins Directory", "C:\\N63\\Plugins");

    EXPECT_EQ(Collect(), (Directories{"C:\\Own\\", "C:\\Nav\\Program\\Plugins\\",
                                      "C:\\N6\\Plugins\\", "Plugins\\", "C:\\Web Browser\\Plugins\\",
                                      "C:\\P\\", "C:\\I\\Plugins\\", "C:\\Both\\",
                                      "C:\\N63\\Plugins\\"}));
}

// The shell is asked about a scratch HTML file in the current directory: a
// stale one is replaced and deleted after; where none can be made, the shell
// is not asked.
TEST_F(DirectorySearch, ScratchHtmlFileIsWrittenAndDeleted)
{
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    ASSERT_TRUE(SetCurrentDirectoryA("variants\\no_plugin"));
    HANDLE stale = CreateFileA("temphtml.HTM", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(stale, "stale", 5, nullptr, nullptr);
    CloseHandle(stale);
    EXPECT_EQ(Collect(), (Directories{"C:\\Own\\", "C:\\Web Browser\\Plugins\\"}));
    EXPECT_EQ(GetFileAttributesA("temphtml.HTM"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(CreateDirectoryA("temphtml.HTM", nullptr));
    EXPECT_EQ(Collect(), Directories{"C:\\Own\\"});
    EXPECT_TRUE(RemoveDirectoryA("temphtml.HTM")) << "not deleted";
    SetCurrentDirectoryA(previous);
}

}  // namespace
