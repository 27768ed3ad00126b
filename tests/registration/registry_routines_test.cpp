// The small registry routines that registration and the plugin search share.
#include <gtest/gtest.h>
#include <string>
#include "plugin/registry.h"
#include "registry_tree.h"

using namespace fexo::plugin;
using namespace fexo::test;

namespace {

const char kTestKey[] = "Software\\FexoRegistryRoutinesTest";

class RegistryRoutines : public testing::Test {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override
    {
        DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey);
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\FexoRegistryRoutinesTest");
        DeleteRegistryTree(HKEY_LOCAL_MACHINE, "FexoRegistryRoutinesTest");
    }

    static std::string Path(const char* below) { return std::string(kTestKey) + "\\" + below; }
};

}  // namespace

TEST_F(RegistryRoutines, WriteStringStoresExactlyTheGivenBytes)
{
    EXPECT_TRUE(RegistryWriteString(Path("A").c_str(), "", "FexoFile", 9, HKEY_CURRENT_USER));
    EXPECT_TRUE(RegistryWriteString(Path("A").c_str(), "Cut", "abcdef", 3, HKEY_CURRENT_USER));
    EXPECT_TRUE(RegistryWriteString(Path("A\\B").c_str(), nullptr, "x", 2, HKEY_CURRENT_USER));
    // An existing value is overwritten.
    EXPECT_TRUE(RegistryWriteString(Path("A").c_str(), "Cut", "abcdef", 7, HKEY_CURRENT_USER));
    EXPECT_EQ(ReadRegistryTree(HKEY_CURRENT_USER, kTestKey),
              (RegistryTree{{"", kKeyEntry},
                            {"A", kKeyEntry},
                            {"A|", StringEntry("FexoFile")},
                            {"A|Cut", StringEntry("abcdef")},
                            {"A\\B", kKeyEntry},
                            {"A\\B|", StringEntry("x")}}));

    EXPECT_TRUE(RegistryWriteString(Path("A").c_str(), "Cut", "abcdef", 3, HKEY_CURRENT_USER));
    EXPECT_EQ(ReadRegistryTree(HKEY_CURRENT_USER, Path("A"))["|Cut"], "sz abc")
        << "no terminating zero when the count leaves it out";
}

TEST_F(RegistryRoutines, LocalMachinePathsLieUnderSoftware)
{
    EXPECT_TRUE(RegistryWriteString("FexoRegistryRoutinesTest\\M", "V", "on", 3, HKEY_LOCAL_MACHINE));
    EXPECT_EQ(ReadRegistryTree(HKEY_LOCAL_MACHINE, "SOFTWARE\\FexoRegistryRoutinesTest\\M"),
              (RegistryTree{{"", kKeyEntry}, {"|V", StringEntry("on")}}));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "FexoRegistryRoutinesTest"));

    EXPECT_TRUE(RegistryDeleteKey("FexoRegistryRoutinesTest\\M", "", HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\FexoRegistryRoutinesTest\\M"));
}

// The composed path, "SOFTWARE\" included, must fit a 4096-byte buffer.
TEST_F(RegistryRoutines, PathsBeyondTheBufferFailWithoutWriting)
{
    const std::string path = "FexoRegistryRoutinesTest\\" + std::string(5000, 'k');
    EXPECT_FALSE(RegistryWriteString(path.c_str(), "V", "long", 5, HKEY_LOCAL_MACHINE));
    EXPECT_FALSE(RegistryWriteString(path.c_str(), "V", "long", 5, HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryKeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\FexoRegistryRoutinesTest"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, "FexoRegistryRoutinesTest"));
    EXPECT_FALSE(RegistryDeleteKey(path.c_str(), "", HKEY_LOCAL_MACHINE));
}

TEST_F(RegistryRoutines, DeleteKeyRemovesTheSubkeyOrTheOpenedKeyButNoTree)
{
    ASSERT_TRUE(RegistryWriteString(Path("Parent\\Child").c_str(), "", "c", 2, HKEY_CURRENT_USER));
    ASSERT_TRUE(RegistryWriteString(Path("Tree\\Leaf").c_str(), "", "l", 2, HKEY_CURRENT_USER));

    EXPECT_TRUE(RegistryDeleteKey(Path("Parent").c_str(), "Child", HKEY_CURRENT_USER));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, Path("Parent")));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Path("Parent\\Child")));
    EXPECT_TRUE(RegistryDeleteKey(Path("Parent").c_str(), "", HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Path("Parent")));

    EXPECT_FALSE(RegistryDeleteKey(Path("Parent").c_str(), "", HKEY_CURRENT_USER)) << "missing";
    EXPECT_FALSE(RegistryDeleteKey(Path("Tree").c_str(), "", HKEY_CURRENT_USER)) << "has a subkey";
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, Path("Tree\\Leaf")));
}

TEST_F(RegistryRoutines, NullArgumentsFail)
{
    EXPECT_FALSE(RegistryWriteString(nullptr, "", "x", 2, HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryWriteString(Path("N").c_str(), "", nullptr, 0, HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryDeleteKey(nullptr, "", HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryDeleteKey(kTestKey, nullptr, HKEY_CURRENT_USER));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, Path("N")));
}
