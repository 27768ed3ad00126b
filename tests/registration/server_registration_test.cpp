// DllRegisterServer and DllUnregisterServer as a setup program or regsvr32
// calls them: every entry with its exact data and byte length, a second
// registration, and what unregistration leaves.
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "FexoCtl.h"
#include "registry_tree.h"
#include "server_dll.h"
#include <shellapi.h>

using namespace fexo::test;

namespace {

const char kClassId[] = "{6476c8a1-5ffd-4f52-a615-9b1a862d334a}";
const char kLibraryId[] = "{1F4A4318-8786-4951-A594-385CDCBBE19F}";
const char kClassKey[] = "CLSID\\{6476c8a1-5ffd-4f52-a615-9b1a862d334a}";
const char kProgId[] = "FexoControl.FexoCtl";
const char kVersionedProgId[] = "FexoControl.FexoCtl.3.6.1.52";
const char kMime[] = "MIME\\Database\\Content Type\\";
const char kInterfaceKey[] = "Interface\\{085861f3-199d-4c9a-9d4d-c4d726211993}";
const char kEventsKey[] = "Interface\\{ffabce0c-25ff-47f8-b455-04a11abeed43}";

std::string ModulePath()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH);
    return std::string(path, length);
}

std::string TypeLibKey() { return std::string("TypeLib\\") + kLibraryId; }

RegistryTree ExpectedClassKey()
{
    const std::string module = ModulePath();
    return {
        {"", kKeyEntry},
        {"|", StringEntry("FexoCtl Class")},
        {"ProgID", kKeyEntry},
        {"ProgID|", StringEntry("")},
        {"VersionIndependentProgID", kKeyEntry},
        {"VersionIndependentProgID|", StringEntry("FexoControl.FexoCtl")},
        {"EnableFullPage", kKeyEntry},
        {"EnableFullPage\\.fexo", kKeyEntry},
        {"EnableFullPage\\.fxo", kKeyEntry},
        {"Programmable", kKeyEntry},
        {"InprocServer32", kKeyEntry},
        {"InprocServer32|", StringEntry(module)},
        {"InprocServer32|ThreadingModel", StringEntry("Apartment")},
        {"Control", kKeyEntry},
        {"Insertable", kKeyEntry},
        {"ToolboxBitmap32", kKeyEntry},
        {"ToolboxBitmap32|", StringEntry(module + ", 101")},
        {"MiscStatus", kKeyEntry},
        {"MiscStatus|", StringEntry("0")},
        {"MiscStatus\\1", kKeyEntry},
        {"MiscStatus\\1|", StringEntry("131473")},
        {"TypeLib", kKeyEntry},
        {"TypeLib|", StringEntry(kLibraryId)},
        {"Version", kKeyEntry},
        {"Version|", StringEntry("1.0")},
    };
}

const RegistryTree kVersionedProgIdKey = {
    {"", kKeyEntry},
    {"|", StringEntry("FexoCtl Class")},
    {"CLSID", kKeyEntry},
    {"CLSID|", StringEntry(kClassId)},
    {"Insertable", kKeyEntry},
};

const RegistryTree kProgIdKey = {
    {"", kKeyEntry},
    {"|", StringEntry("FexoCtl Class")},
    {"CLSID", kKeyEntry},
    {"CLSID|", StringEntry(kClassId)},
    {"CurVer", kKeyEntry},
    {"CurVer|", StringEntry("FexoControl.FexoCtl.3.6.1.52")},
};

const RegistryTree kExtensionKey = {
    {"", kKeyEntry},
    {"|", StringEntry("FexoFile")},
    {"|Content Type", StringEntry("image/vnd.fexo")},
};

RegistryTree MimeKey(const char* extension)
{
    return {{"", kKeyEntry}, {"|Extension", StringEntry(extension)}, {"|CLSID", StringEntry(kClassId)}};
}

RegistryTree ExpectedFileTypeKey()
{
    return {
        {"", kKeyEntry},
        {"|", StringEntry("Harrowmark Fexo File")},
        {"DefaultIcon", kKeyEntry},
        {"DefaultIcon|", StringEntry(ModulePath() + ",0")},
    };
}

// The entries that registration makes for the shell and the browser, which
// unregistration leaves in place.
void ExpectFileAssociations()
{
    for (HKEY root : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE}) {
        const std::string prefix = root == HKEY_LOCAL_MACHINE ? "SOFTWARE\\Classes\\" : "";
        EXPECT_EQ(ReadRegistryTree(root, prefix + ".fexo"), kExtensionKey) << prefix;
        EXPECT_EQ(ReadRegistryTree(root, prefix + ".fxo"), kExtensionKey) << prefix;
    }
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, std::string(kMime) + "image/x.fexo"), MimeKey(".fexo"));
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, std::string(kMime) + "image/x-fexo"), MimeKey(".fxo"));
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, std::string(kMime) + "image/vnd.fexo"), MimeKey(".fexo"));
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, "FexoFile"), ExpectedFileTypeKey());
}

void Plant(const std::string& path, const char* valueName, const char* text)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (text)
        RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       DWORD(strlen(text) + 1));
    RegCloseKey(key);
}

class ServerRegistration : public testing::Test {
protected:
    void SetUp() override { RemoveEverything(); }
    void TearDown() override { RemoveEverything(); }

    static void RemoveEverything()
    {
        for (const std::string& path :
             {std::string(kProgId), std::string(kVersionedProgId), std::string(kClassKey),
              std::string(".fexo"), std::string(".fxo"), std::string(kMime) + "image/x.fexo",
              std::string(kMime) + "image/x-fexo", std::string(kMime) + "image/vnd.fexo",
              std::string("FexoFile"), std::string("fexo_auto_file"), std::string("fxo_auto_file"),
              TypeLibKey(), std::string(kInterfaceKey), std::string(kEventsKey),
              std::string("CLSID\\{6476c8a1-0000-0000-0000-000000000000}")})
            DeleteRegistryTree(HKEY_CLASSES_ROOT, path);
    }
};

}  // namespace

TEST_F(ServerRegistration, WritesEveryEntryWithItsExactData)
{
    // Left-overs of earlier setups are removed.
    Plant("fexo_auto_file", "", "old");
    Plant("fxo_auto_file", nullptr, nullptr);

    ASSERT_EQ(ServerDll::Register(), S_OK);

    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kVersionedProgId), kVersionedProgIdKey);
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kProgId), kProgIdKey);
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kClassKey), ExpectedClassKey());
    ExpectFileAssociations();
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "fexo_auto_file"));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, "fxo_auto_file"));

    // The type library, registered from the module file for its own locale.
    const RegistryTree typeLib = ReadRegistryTree(HKEY_CLASSES_ROOT, TypeLibKey());
    EXPECT_EQ(typeLib.at("1.0|"), StringEntry("FexoControl 1.0 Type Library"));
    EXPECT_EQ(typeLib.at(sizeof(void*) == 4 ? "1.0\\409\\win32|" : "1.0\\409\\win64|"),
              StringEntry(ModulePath()));
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kInterfaceKey).at("TypeLib|"),
              StringEntry(kLibraryId));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, kEventsKey));

    // The file type's icon entry names an icon that the shell finds in the module.
    char icon[MAX_PATH + 8] = {};
    LONG size = sizeof icon;
    ASSERT_EQ(RegQueryValueA(HKEY_CLASSES_ROOT, "FexoFile\\DefaultIcon", icon, &size), ERROR_SUCCESS);
    char* comma = strrchr(icon, ',');
    ASSERT_NE(comma, nullptr);
    *comma = 0;
    HICON large = nullptr;
    EXPECT_EQ(ExtractIconExA(icon, atoi(comma + 1), &large, nullptr, 1), 1u);
    if (large) DestroyIcon(large);

    // The class identifier text of the registration is the control's own.
    CLSID parsed{};
    const std::wstring wide(kClassId, kClassId + sizeof kClassId - 1);
    ASSERT_EQ(CLSIDFromString(wide.c_str(), &parsed), NOERROR);
    EXPECT_TRUE(IsEqualCLSID(parsed, CLSID_FexoCtl));
}

TEST_F(ServerRegistration, RegisteringTwiceLeavesOneCopy)
{
    ASSERT_EQ(ServerDll::Register(), S_OK);
    const std::string classKey = kClassKey;
    Plant(classKey + "\\Planted\\Deeper", "", "x");
    Plant(classKey, "Planted", "x");
    Plant(classKey + "\\EnableFullPage\\.planted", nullptr, nullptr);
    Plant(classKey + "\\MiscStatus", "", "changed");
    Plant(".fexo", "", "OtherFile");
    Plant("FexoFile\\DefaultIcon", "", "other.dll,3");

    ASSERT_EQ(ServerDll::Register(), S_OK);
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kClassKey), ExpectedClassKey());
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kProgId), kProgIdKey);
    ExpectFileAssociations();
}

TEST_F(ServerRegistration, UnregisteringRemovesTheClassButKeepsTheFileAssociations)
{
    const char kOtherClass[] = "CLSID\\{6476c8a1-0000-0000-0000-000000000000}";
    Plant(kOtherClass, "", "a neighbour");
    ASSERT_EQ(ServerDll::Register(), S_OK);

    ASSERT_EQ(ServerDll::Unregister(), S_OK);
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kProgId));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kVersionedProgId));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, "CLSID"));
    EXPECT_EQ(ReadRegistryTree(HKEY_CLASSES_ROOT, kOtherClass),
              (RegistryTree{{"", kKeyEntry}, {"|", StringEntry("a neighbour")}}));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, TypeLibKey()));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kInterfaceKey));
    ExpectFileAssociations();
}

// %MODULE% is taken from a MAX_PATH buffer: a longer path cannot be
// registered, and nothing of the class is written.
TEST_F(ServerRegistration, FailsForAModulePathThatFillsThePathBuffer)
{
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring directory = std::wstring(L"\\\\?\\") + temp + L"fexo-long-path";
    std::vector<std::wstring> created;
    for (;;) {
        ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr) ||
                    GetLastError() == ERROR_ALREADY_EXISTS);
        created.push_back(directory);
        if (directory.size() > 300) break;
        directory += L"\\" + std::wstring(60, L'd');
    }
    wchar_t source[MAX_PATH];
    GetModuleFileNameW(ServerDll::Handle(), source, MAX_PATH);
    const std::wstring copy = directory + L"\\FexoCntl.DLL";
    ASSERT_TRUE(CopyFileW(source, copy.c_str(), FALSE));

    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    ASSERT_NE(module, ServerDll::Handle());
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_NE(registerServer, nullptr);
    EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, kClassKey));
    EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, TypeLibKey()));
    FreeLibrary(module);

    DeleteFileW(copy.c_str());
    for (auto it = created.rbegin(); it != created.rend(); ++it) RemoveDirectoryW(it->c_str());
}
