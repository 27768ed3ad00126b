// A registry script carried out against the real registry: markers, named and
// DWORD values, and what stays after unregistration.
#include <gtest/gtest.h>
#include "com/registry_operations.h"
#include "registry_tree.h"

using namespace fexo::com;
using namespace fexo::test;

namespace {

const char kTestKey[] = "Software\\FexoScriptTest";

const char kScript[] =
    "HKCU { NoRemove Software { NoRemove FexoScriptTest {\n"
    "  ForceRemove Class = s 'C' {\n"
    "    Inproc = s '%MODULE%' { val ThreadingModel = s 'Apartment' val Count = d 0x10 }\n"
    "  }\n"
    "  Plain = s 'P' { Sub }\n"
    "  Delete Stale\n"
    "  NoRemove Kept = s 'K' { val Mine = s 'm' Theirs }\n"
    "} } }\n";

class RegistryOperations : public testing::Test {
protected:
    void SetUp() override { DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey); }
    void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey); }

    static HRESULT Run(bool registering)
    {
        const ScriptParseResult parsed = ParseRegistryScript(kScript, {{"MODULE", "C:\\m.dll"}});
        EXPECT_TRUE(parsed.ok()) << parsed.error;
        return ApplyRegistryOperations(registering ? PlanRegistration(parsed.script)
                                                   : PlanUnregistration(parsed.script));
    }

    // Keys and values that were there before the script ran.
    static void Plant(const char* path, const char* valueName)
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (std::string(kTestKey) + "\\" + path).c_str(),
                                  0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        if (valueName)
            RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>("old"), 4);
        RegCloseKey(key);
    }
};

}  // namespace

TEST_F(RegistryOperations, RegistrationReplacesForceRemoveKeysAndDeletesDeleteKeys)
{
    Plant("Class\\Planted\\Deep", "Old");
    Plant("Class", "Old");
    Plant("Stale\\Under\\It", nullptr);
    Plant("Plain\\Planted", "Old");
    Plant("Kept", "Other");

    ASSERT_EQ(Run(true), S_OK);
    EXPECT_EQ(ReadRegistryTree(HKEY_CURRENT_USER, kTestKey),
              (RegistryTree{
                  {"", kKeyEntry},
                  {"Class", kKeyEntry},
                  {"Class|", StringEntry("C")},
                  {"Class\\Inproc", kKeyEntry},
                  {"Class\\Inproc|", StringEntry("C:\\m.dll")},
                  {"Class\\Inproc|ThreadingModel", StringEntry("Apartment")},
                  {"Class\\Inproc|Count", "dword 16"},
                  {"Plain", kKeyEntry},
                  {"Plain|", StringEntry("P")},
                  {"Plain\\Planted", kKeyEntry},
                  {"Plain\\Planted|Old", StringEntry("old")},
                  {"Plain\\Sub", kKeyEntry},
                  {"Kept", kKeyEntry},
                  {"Kept|", StringEntry("K")},
                  {"Kept|Other", StringEntry("old")},
                  {"Kept|Mine", StringEntry("m")},
                  {"Kept\\Theirs", kKeyEntry},
              }));
}

TEST_F(RegistryOperations, UnregistrationKeepsNoRemoveKeysAndWhatOthersPutThere)
{
    ASSERT_EQ(Run(true), S_OK);
    Plant("Plain\\Planted", "Old");
    Plant("Kept", "Other");

    ASSERT_EQ(Run(false), S_OK);
    EXPECT_EQ(ReadRegistryTree(HKEY_CURRENT_USER, kTestKey),
              (RegistryTree{
                  {"", kKeyEntry},
                  {"Kept", kKeyEntry},
                  {"Kept|", StringEntry("K")},
                  {"Kept|Other", StringEntry("old")},
              }));
    EXPECT_EQ(Run(false), S_OK) << "nothing left to remove is no error";
}

TEST_F(RegistryOperations, StopsAtTheFirstFailure)
{
    using Kind = RegistryOperation::Kind;
    const std::string base = kTestKey;
    ScriptValue value;
    value.text = "v";
    // Key names longer than 255 characters are refused by the registry.
    const std::string refused = base + "\\" + std::string(300, 'x');
    HKEY key = nullptr;
    const LONG error = RegCreateKeyExA(HKEY_CURRENT_USER, refused.c_str(), 0, nullptr, 0,
                                       KEY_SET_VALUE, nullptr, &key, nullptr);
    ASSERT_NE(error, ERROR_SUCCESS);
    const std::vector<RegistryOperation> operations = {
        {Kind::CreateKey, RegistryRoot::CurrentUser, base + "\\First", {}},
        {Kind::SetValue, RegistryRoot::CurrentUser, refused, value},
        {Kind::CreateKey, RegistryRoot::CurrentUser, base + "\\Never", {}},
    };
    EXPECT_EQ(ApplyRegistryOperations(operations), HRESULT_FROM_WIN32(error));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CURRENT_USER, base + "\\First"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CURRENT_USER, base + "\\Never"));
}
