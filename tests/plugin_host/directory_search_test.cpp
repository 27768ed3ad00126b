// Where the loader looks for the plugin: the candidate list built from real
// registry keys written into the test prefix (and removed afterwards), and a
// plugin found only in a browser's plugin directory.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "com/module.h"
#include "plugin/directory_search.h"
#include "plugin/plugin_module.h"
#include "standin_control.h"
#include "test_directories.h"

using fexo::plugin::CandidateList;
using fexo::plugin::CollectBrowserDirectories;
using fexo::plugin::CPluginModule;
using fexo::test::BinDirectory;
using fexo::test::ScratchDirectory;
using Directories = std::vector<std::string>;

namespace {

const char kAppPaths[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
// Every key the tests write; removed before and after each test.
const char* const kWrittenKeys[] = {
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe",
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\netscp6.exe",
    "SOFTWARE\\Classes\\NetscapeMarkup",
    "SOFTWARE\\Classes\\HtmlDefBrowser",
    "SOFTWARE\\Netscape",
    "SOFTWARE\\Classes\\FexoTestPage",
};
// The prefix associates no program with HTML files; the tests do, and remove
// the association afterwards unless it was there before.
const char kHtmlExtensionKey[] = "SOFTWARE\\Classes\\.htm";

void WriteValue(const std::string& key, const char* name, const std::string& value)
{
    HKEY handle = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &handle, nullptr),
              ERROR_SUCCESS)
        << key;
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}

class DirectorySearch : public testing::Test {
protected:
    void SetUp() override
    {
        RemoveKeys();
        HKEY existing = nullptr;
        m_ownsHtmlAssociation =
            RegOpenKeyExA(HKEY_LOCAL_MACHINE, kHtmlExtensionKey, 0, KEY_READ, &existing) !=
            ERROR_SUCCESS;
        if (existing) RegCloseKey(existing);
    }
    void TearDown() override
    {
        RemoveKeys();
        if (m_ownsHtmlAssociation) RegDeleteTreeA(HKEY_LOCAL_MACHINE, kHtmlExtensionKey);
    }
    // Lets the shell open .htm files with a program of the test's.
    void AssociateHtmlFiles()
    {
        if (!m_ownsHtmlAssociation) GTEST_SKIP() << "the prefix has its own .htm association";
        WriteValue(kHtmlExtensionKey, nullptr, "FexoTestPage");
        WriteValue("SOFTWARE\\Classes\\FexoTestPage\\shell\\open\\command", nullptr,
                   "\"C:\\Web Browser\\browse.exe\" \"%1\"");
    }
    bool m_ownsHtmlAssociation = false;
    static void RemoveKeys()
    {
        for (const char* key : kWrittenKeys) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
    }

    static Directories Collect()
    {
        CandidateList list;
        list.SetOwnDirectory("C:\\Own\\");
        const std::size_t added = CollectBrowserDirectories(list);
        EXPECT_EQ(added, list.Directories().size() - 1);
        return list.Directories();
    }
};

TEST_F(DirectorySearch, BrowserDirectoriesInOrderEachOnce)
{
    AssociateHtmlFiles();
    WriteValue(std::string(kAppPaths) + "Netscape.exe", nullptr,
               "\"C:\\Nav\\Program\\netscape.exe\" -browser");
    WriteValue(std::string(kAppPaths) + "netscp6.exe", nullptr, "C:\\N6\\netscp6.exe");
    // The same program through its shell command: tried once.
    WriteValue("SOFTWARE\\Classes\\NetscapeMarkup\\shell\\open\\command", nullptr,
               "\"C:\\Nav\\Program\\netscape.exe\" \"%1\"");
    // A command without a directory adds an empty directory.
    WriteValue("SOFTWARE\\Classes\\HtmlDefBrowser\\shell\\open\\command", nullptr, "browser.exe %1");
    const std::string navigator = "SOFTWARE\\Netscape\\Netscape Navigator\\";
    WriteValue(navigator + "4.7\\Main", "Plugins Directory", "C:\\P");
    WriteValue(navigator + "4.8\\Main", "Install Directory", "C:\\I\\");
    WriteValue(navigator + "4.9\\Main", "Plugins Directory", "C:\\Both");
    WriteValue(navigator + "4.9\\Main", "Install Directory", "C:\\Ignored\\");
    WriteValue(navigator + "5.0\\Other", "Plugins Directory", "C:\\NoMain");
    WriteValue(navigator + "5.1\\Main", "Version", "5.1");
    // Netscape 6 installed where App Paths named it: a duplicate.
    WriteValue("SOFTWARE\\Netscape\\Netscape 6\\6.2\\Main", "Install Directory", "C:\\N6\\");
    WriteValue("SOFTWARE\\Netscape\\Netscape 6\\6.3\\Main", "Plugins Directory", "C:\\N63\\Plugins");

    EXPECT_EQ(Collect(), (Directories{"C:\\Own\\", "C:\\Nav\\Program\\Plugins\\",
                                      "C:\\N6\\Plugins\\", "Plugins\\", "C:\\Web Browser\\Plugins\\",
                                      "C:\\P\\", "C:\\I\\Plugins\\", "C:\\Both\\",
                                      "C:\\N63\\Plugins\\"}));
}

// The scratch HTML file goes into the current directory and is gone after.
TEST_F(DirectorySearch, ScratchHtmlFileIsWrittenAndDeleted)
{
    ScratchDirectory current("current");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, previous);
    SetCurrentDirectoryA(current.Path().c_str());

    AssociateHtmlFiles();
    // A stale file of the same name is replaced, asked about and deleted.
    HANDLE stale = CreateFileA("temphtml.HTM", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    WriteFile(stale, "stale", 5, nullptr, nullptr);
    CloseHandle(stale);
    const Directories withFile = Collect();
    EXPECT_EQ(GetFileAttributesA("temphtml.HTM"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(withFile, (Directories{"C:\\Own\\", "C:\\Web Browser\\Plugins\\"}));

    // Where the file cannot be created, the shell is not asked.
    ASSERT_TRUE(CreateDirectoryA("temphtml.HTM", nullptr));
    EXPECT_EQ(Collect(), Directories{"C:\\Own\\"});
    EXPECT_NE(GetFileAttributesA("temphtml.HTM"), INVALID_FILE_ATTRIBUTES) << "not deleted";
    RemoveDirectoryA("temphtml.HTM");
    SetCurrentDirectoryA(previous);
}

// The plugin lies only in a browser's plugin directory, and the control's
// own directory has none: the loader finds it there.
TEST_F(DirectorySearch, PluginOnlyInABrowserDirectory)
{
    ScratchDirectory root("browser");
    root.CopyIn(BinDirectory() + "FexoCntl.DLL");
    const std::string plugins = root.MakeSubdirectory("Nav\\Program\\Plugins");
    root.CopyIn(BinDirectory() + "npfexo.dll", plugins);
    WriteValue(std::string(kAppPaths) + "Netscape.exe", nullptr,
               "\"" + root.Path() + "Nav\\Program\\netscape.exe\" -browser");

    HMODULE image = LoadLibraryExA((root.Path() + "FexoCntl.DLL").c_str(), nullptr,
                                   DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr);
    fexo::com::Module::Attach(image);
    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), 1);
    HMODULE plugin = GetModuleHandleA("npfexo.dll");
    ASSERT_NE(plugin, nullptr);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(plugin, path, MAX_PATH);
    EXPECT_STRCASEEQ(path, (plugins + "npfexo.dll").c_str());
    const StandinControl* standin = StandinControlOf(plugin);
    ASSERT_NE(standin, nullptr);
    EXPECT_EQ(standin->Count(), 6) << standin->Journal();
}

}  // namespace
