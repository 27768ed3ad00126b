// The search list for the plugin DLL: order, duplicates, the cap, and the
// directory taken from a shell command line.
#include <gtest/gtest.h>
#include "plugin/candidate_list.h"

using namespace fexo::plugin;
using Dirs = std::vector<std::string>;

TEST(DirectoryFromCommandLine, KeepsTheProgramDirectory)
{
    EXPECT_EQ(DirectoryFromCommandLine(R"("C:\Program Files\Net\netscape.exe" -h "%1")"),
              R"(C:\Program Files\Net\)");
    EXPECT_EQ(DirectoryFromCommandLine(R"(C:\a\b.exe)"), R"(C:\a\)");
    EXPECT_EQ(DirectoryFromCommandLine("netscape.exe"), "");
    EXPECT_EQ(DirectoryFromCommandLine(""), "");
    EXPECT_EQ(DirectoryFromCommandLine(R"(x.exe "C:\docs\%1")"), R"(x.exe C:\docs\)")
        << "the last backslash wins, even inside the arguments";
}

TEST(CandidateList, OwnDirectoryFirstAndBrowserDuplicatesOnce)
{
    CandidateList list;
    list.SetOwnDirectory(R"(C:\ctl\)");
    EXPECT_TRUE(list.AddIfNew(R"(C:\ctl\)")) << "the own directory is not compared";
    EXPECT_TRUE(list.AddIfNew(R"(C:\Net\)"));
    EXPECT_FALSE(list.AddIfNew(R"(C:\Net\)"));
    EXPECT_TRUE(list.AddIfNew(R"(c:\net\)")) << "comparison is case-sensitive";
    list.AppendToBrowserDirectories("Plugins\\");
    EXPECT_EQ(list.Directories(),
              (Dirs{R"(C:\ctl\)", R"(C:\ctl\Plugins\)", R"(C:\Net\Plugins\)", R"(c:\net\Plugins\)"}));
    EXPECT_EQ(list.BrowserDirectoryCount(), 3u);
}

TEST(CandidateList, HoldsThirtyDirectoriesInAll)
{
    CandidateList list;
    list.SetOwnDirectory("");
    for (int i = 0; i < 40; ++i) list.AddIfNew("D" + std::to_string(i) + "\\");
    EXPECT_EQ(list.Directories().size(), 30u);
    EXPECT_EQ(list.Directories().back(), "D28\\");
    EXPECT_TRUE(list.Full());

    CandidateList withoutOwn;
    for (int i = 0; i < 40; ++i) withoutOwn.AddIfNew("D" + std::to_string(i) + "\\");
    EXPECT_EQ(withoutOwn.BrowserDirectoryCount(), 30u);
}

TEST(CandidateList, AppendsStayWithinThePathBuffer)
{
    std::string text(kPathBufferSize - 3, 'a');
    AppendBounded(text, "Plugins\\");
    EXPECT_EQ(text.size(), kPathBufferSize - 1);
    EXPECT_EQ(text.substr(text.size() - 2), "Pl");
    AppendBounded(text, "more");
    EXPECT_EQ(text.size(), kPathBufferSize - 1);
}
