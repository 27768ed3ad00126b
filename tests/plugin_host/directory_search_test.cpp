// The browsers' plugin directories the loader tries after the control's own,
// from registry keys written into the test prefix (removed before and after).
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include <vector>
#include "plugin/directory_search.h"

namespace {

TEST(DirectorySearch, BrowserDirectoriesInOrderEachOnce)
{
    const std::string apps = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";
    const std::string classes = "SOFTWARE\\Classes\\", nav = "SOFTWARE\\Netscape\\Netscape Navigator\\";
    const std::string n6 = "SOFTWARE\\Netscape\\Netscape 6\\", open = "\\shell\\open\\command";
    const struct {
        std::string key;
        const char* name;
        const char* value;
    } kValues[] = {
        {apps + "Netscape.exe", nullptr, "\"C:\\Nav\\Program\\netscape.exe\" -browser"},
        {apps + "netscp6.exe", nullptr, "C:\\N6\\netscp6.exe"},
        {classes + "NetscapeMarkup" + open, nullptr, "\"C:\\Nav\\Program\\netscape.exe\" \"%1\""},
        {classes + "HtmlDefBrowser" + open, nullptr, "browser.exe %1"},  // no directory
        {classes + ".htm", nullptr, "FexoTestPage"},  // the shell's answer for HTML files
        {classes + "FexoTestPage" + open, nullptr, "\"C:\\Web Browser\\browse.exe\" \"%1\""},
        {nav + "4.7\\Main", "Plugins Directory", "C:\\P"},
        {nav + "4.8\\Main", "Install Directory", "C:\\I\\"},
        {nav + "4.9\\Main", "Plugins Directory", "C:\\Both"},
        {nav + "4.9\\Main", "Install Directory", "C:\\Ignored\\"},
        {nav + "5.0\\Other", "Plugins Directory", "C:\\NoMain"},
        {nav + "5.1\\Main", "Version", "5.1"},
        {n6 + "6.2\\Main", "Install Directory", "C:\\N6\\"},  // where App Paths named it
        {n6 + "6.3\\Main", "Plugins Directory", "C:\\N63\\Plugins"},
    };
    const std::string kRoots[] = {apps + "Netscape.exe", apps + "netscp6.exe",
                                  classes + "NetscapeMarkup", classes + "HtmlDefBrowser",
                                  classes + "FexoTestPage", classes + ".htm", "SOFTWARE\\Netscape"};
    char html[32] = "";
    DWORD size = sizeof html;
    RegGetValueA(HKEY_LOCAL_MACHINE, kValues[4].key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, html, &size);
    if (*html && std::string(html) != kValues[4].value) GTEST_SKIP() << "the prefix has its own .htm";
    const auto clean = [&] {
        for (const std::string& key : kRoots) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    };
    clean();
    for (const auto& v : kValues)
        ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_SZ, v.value,
                                  static_cast<DWORD>(strlen(v.value) + 1)), ERROR_SUCCESS);

    fexo::plugin::CandidateList list;
    list.SetOwnDirectory("C:\\Own\\");
    const std::size_t added = fexo::plugin::CollectBrowserDirectories(list);
    EXPECT_EQ(added, list.Directories().size() - 1);
    EXPECT_EQ(list.Directories(),
              (std::vector<std::string>{"C:\\Own\\", "C:\\Nav\\Program\\Plugins\\",
                                        "C:\\N6\\Plugins\\", "Plugins\\", "C:\\Web Browser\\Plugins\\",
                                        "C:\\P\\", "C:\\I\\Plugins\\", "C:\\Both\\",
                                        "C:\\N63\\Plugins\\"}));
    clean();
}

}  // namespace
