// The decisions SaveAs, ExportImageAs and PrintDocTo take from their texts
// (PrintDocTo's zoom codes: tests/automation/methods_test.cpp).
#include <gtest/gtest.h>
#include "control/file_name_rules.h"
#include "control/print_arguments.h"

using namespace fexo::control;

TEST(PrintOptionFlags, WordsCountAnywhereAsSubstrings)
{
    EXPECT_EQ(PrintOptionFlags(L"header,footer"), 6);
    EXPECT_EQ(PrintOptionFlags(L"annotations"), 1);
    EXPECT_EQ(PrintOptionFlags(L"noheader"), 2);
    EXPECT_EQ(PrintOptionFlags(L"footer anno header"), 7);
    EXPECT_EQ(PrintOptionFlags(L"HEADER"), 0) << "the caller lowers the text";
    EXPECT_EQ(PrintOptionFlags(L""), 0);
    EXPECT_EQ(PrintOptionFlags({L"x\0header", 8}), 2) << "the whole text";
}

TEST(GetFileExtension, EverythingAfterTheLastDotOfTheWholeText)
{
    EXPECT_EQ(GetFileExtension(L"C:\\docs\\a.fexo"), L"fexo");
    EXPECT_EQ(GetFileExtension(L"a.b.FXO"), L"FXO");
    EXPECT_EQ(GetFileExtension(L"C:\\docs.old\\a"), L"old\\a");
    EXPECT_EQ(GetFileExtension(L"a."), L"");
    EXPECT_EQ(GetFileExtension(L"noext"), std::nullopt);
    EXPECT_EQ(GetFileExtension({}), std::nullopt);
    EXPECT_EQ(GetFileExtension({L"a.fexo\0x", 8}), (std::wstring{L"fexo\0x", 6}));
}

TEST(IsDocumentExtension, FexoAndFxoInAnyAsciiCase)
{
    EXPECT_TRUE(IsDocumentExtension(L"fexo"));
    EXPECT_TRUE(IsDocumentExtension(L"FEXO"));
    EXPECT_TRUE(IsDocumentExtension(L"fXo"));
    EXPECT_FALSE(IsDocumentExtension(L"pdf"));
    EXPECT_FALSE(IsDocumentExtension(L"fexo "));
    EXPECT_FALSE(IsDocumentExtension(L""));
    EXPECT_FALSE(IsDocumentExtension(L"old\\a"));
}

TEST(IsNoSuchFileError, ExactlyTheErrorsOfNoSuchFile)
{
    for (uint32_t error : {2u, 3u, 15u, 18u, 53u, 67u, 161u, 206u})
        EXPECT_TRUE(IsNoSuchFileError(error)) << error;
    for (uint32_t error : {0u, 1u, 4u, 5u, 32u, 123u, 0xFFFFFFFFu})
        EXPECT_FALSE(IsNoSuchFileError(error)) << error;
}
