// DllRegisterServer and DllUnregisterServer with HKEY_CLASSES_ROOT and HKEY_LOCAL_MACHINE redirected to empty
// keys of their own (Wine shows HKLM\Software\Classes as HKCR, so only separate keys tell their rows apart):
// every row as one table, what unregistration leaves, the shell's notification, the version record.
#include <gtest/gtest.h>
#include <cstring>
#include <set>
#include <vector>
#include "import_redirection.h"
#include "plugin/registry.h"
#include "server_dll.h"

using namespace fexo::test;

namespace {

const char kClassId[] = "{6476c8a1-5ffd-4f52-a615-9b1a862d334a}";
const char kLibraryId[] = "{1F4A4318-8786-4951-A594-385CDCBBE19F}";

// "+" rows go at unregistration, "=" rows (the file associations) and "~" rows
// (keys planted before, which registration must leave) stay; "-" rows are the
// empty keys that unregistration leaves.  Wine's rows of the interfaces are left out.
const char kTable[] = R"(
= .fexo|=FexoFile
= .fexo|Content Type=image/vnd.fexo
~ .fexo|Other=kept
= .fxo|=FexoFile
= .fxo|Content Type=image/vnd.fexo
~ CLSID\{6476c8a1-0000-0000-0000-000000000000}|=a neighbour
+ CLSID\{C}\Control
+ CLSID\{C}\EnableFullPage\.fexo
+ CLSID\{C}\EnableFullPage\.fxo
+ CLSID\{C}\InprocServer32|=<module>
+ CLSID\{C}\InprocServer32|ThreadingModel=Apartment
+ CLSID\{C}\Insertable
+ CLSID\{C}\MiscStatus\1|=131473
+ CLSID\{C}\MiscStatus|=0
+ CLSID\{C}\ProgID|=
+ CLSID\{C}\Programmable
+ CLSID\{C}\ToolboxBitmap32|=<module>, 101
+ CLSID\{C}\TypeLib|={L}
+ CLSID\{C}\VersionIndependentProgID|=FexoControl.FexoCtl
+ CLSID\{C}\Version|=1.0
+ CLSID\{C}|=FexoCtl Class
+ FexoControl.FexoCtl.3.6.1.52\CLSID|={C}
+ FexoControl.FexoCtl.3.6.1.52\Insertable
+ FexoControl.FexoCtl.3.6.1.52|=FexoCtl Class
+ FexoControl.FexoCtl\CLSID|={C}
+ FexoControl.FexoCtl\CurVer|=FexoControl.FexoCtl.3.6.1.52
+ FexoControl.FexoCtl|=FexoCtl Class
= FexoFile\DefaultIcon|=<module>,0
= FexoFile|=Harrowmark Fexo File
- Interface
= MIME\Database\Content Type\image/vnd.fexo|CLSID={C}
= MIME\Database\Content Type\image/vnd.fexo|Extension=.fexo
= MIME\Database\Content Type\image/x-fexo|CLSID={C}
= MIME\Database\Content Type\image/x-fexo|Extension=.fxo
= MIME\Database\Content Type\image/x.fexo|CLSID={C}
= MIME\Database\Content Type\image/x.fexo|Extension=.fexo
- Typelib
+ Typelib\{L}\1.0\409\<win>|=<module>
+ Typelib\{L}\1.0\FLAGS|=8
+ Typelib\{L}\1.0\HELPDIR|=<folder>
+ Typelib\{L}\1.0|=FexoControl 1.0 Type Library
~ fxo_auto_file\Kept|=a key with subkeys stays
= HKLM\SOFTWARE\Classes\.fexo|=FexoFile
= HKLM\SOFTWARE\Classes\.fexo|Content Type=image/vnd.fexo
= HKLM\SOFTWARE\Classes\.fxo|=FexoFile
= HKLM\SOFTWARE\Classes\.fxo|Content Type=image/vnd.fexo
)";

std::string Rows(const char* markers)
{
    std::string rows;
    for (const char* line = kTable + 1; *line; line = std::strchr(line, '\n') + 1)
        if (std::strchr(markers, *line)) rows.append(line + 2, std::strchr(line, '\n') + 1 - (line + 2));
    return rows;
}

// "path|name=data" for every value, "path" for every key with neither values nor subkeys; REG_SZ
// data shows as its text when it ends in one terminating zero.
void Render(HKEY key, const std::string& path, std::set<std::string>& lines)
{
    char name[256];
    BYTE data[4096];
    DWORD values = 0, subkeys = 0, nameLength, type, size;
    for (; nameLength = sizeof name, size = sizeof data, !RegEnumValueA(key, values, name, &nameLength, nullptr, &type, data, &size); ++values) {
        std::string text(reinterpret_cast<const char*>(data), size);
        text = type == REG_DWORD ? "dword:" + std::to_string(*reinterpret_cast<DWORD*>(data))
               : type != REG_SZ || text.find('\0') != size - 1 ? text + " (no zero)" : text.substr(0, size - 1);
        lines.insert(path + "|" + name + "=" + text);
    }
    for (; !RegEnumKeyA(key, subkeys, name, sizeof name); ++subkeys) {
        HKEY child = nullptr;
        RegOpenKeyExA(key, name, 0, KEY_READ, &child);
        Render(child, path.empty() ? name : path + "\\" + name, lines), RegCloseKey(child);
    }
    if (!values && !subkeys && !path.empty()) lines.insert(path);
}

// Both roots (of HKLM its classes), HKLM's lines marked, with the module's path and folder, the
// identifiers and the type library's platform by name.
std::string Registry(const std::string& module = "")
{
    std::set<std::string> classes, machine;
    Render(HKEY_CLASSES_ROOT, "", classes), Render(HKEY_LOCAL_MACHINE, "", machine);
    std::string text;
    for (const std::string& line : classes) text += line.rfind("Interface\\{", 0) ? line + "\n" : "";
    for (const std::string& line : machine) text += line.rfind("SOFTWARE\\Classes", 0) ? "" : "HKLM\\" + line + "\n";
    const std::pair<std::string, const char*> names[] = {{module, "<module>"}, {module.substr(0, module.rfind('\\')), "<folder>"},
        {kClassId, "{C}"}, {kLibraryId, "{L}"}, {sizeof(void*) == 4 ? "\\win32|" : "\\win64|", "\\<win>|"}};
    for (const auto& [from, name] : names)
        for (size_t at = 0; !from.empty() && (at = text.find(from, at)) != std::string::npos; at += strlen(name))
            text.replace(at, from.size(), name);
    return text;
}

std::string ModulePath(HMODULE module)
{
    char path[1024];
    return std::string(path, GetModuleFileNameA(module, path, sizeof path));
}

void Plant(HKEY root, const char* path, const char* name, const char* text)
{
    ASSERT_TRUE(fexo::plugin::RegistryWriteString(path, name, text, DWORD(strlen(text) + 1), root));
}

std::string g_notifications;

void WINAPI RecordNotification(LONG event, UINT flags, LPCVOID first, LPCVOID second)
{
    g_notifications += "SHChangeNotify(" + std::to_string(event) + ", " + std::to_string(flags) + ", " + (first ? "item" : "null") + ", " +
                       (second ? "item" : "null") + ") after the icon entry: " + (Registry().find("DefaultIcon") != std::string::npos ? "yes\n" : "no\n");
}

struct Registration : testing::Test {
    static inline const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE};
    void SetUp() override
    {
        for (HKEY root : kRoots) {
            const std::string name = "Software\\FexoRedirected" + std::to_string(uintptr_t(root) & 7);
            HKEY key = nullptr;
            ASSERT_TRUE(!RegCreateKeyA(HKEY_CURRENT_USER, name.c_str(), &key) && !RegOverridePredefKey(root, key) &&
                        !RegCloseKey(key) && !RegDeleteTreeA(root, nullptr));
        }
    }
    void TearDown() override { for (HKEY root : kRoots) RegOverridePredefKey(root, nullptr); }
};

}  // namespace

TEST_F(Registration, WritesEveryRowOnceAndUnregistrationLeavesTheAssociations)
{
    const std::string classKey = std::string("CLSID\\") + kClassId;
    Plant(HKEY_CLASSES_ROOT, "fexo_auto_file", "", "old"), Plant(HKEY_CLASSES_ROOT, "fxo_auto_file\\Kept", "", "a key with subkeys stays");
    Plant(HKEY_CLASSES_ROOT, (classKey + "\\Planted").c_str(), "", "wiped"), Plant(HKEY_CLASSES_ROOT, ".fexo", "Other", "kept");
    Plant(HKEY_CLASSES_ROOT, (classKey + "\\MiscStatus").c_str(), "", "changed");
    Plant(HKEY_CLASSES_ROOT, "CLSID\\{6476c8a1-0000-0000-0000-000000000000}", "", "a neighbour");
    Plant(HKEY_CLASSES_ROOT, "FexoFile\\DefaultIcon", "", "other.dll,3"), Plant(HKEY_LOCAL_MACHINE, "Classes\\.fxo", "", "OtherFile");
    ASSERT_TRUE(RedirectImport(ServerDll::Handle(), "SHChangeNotify", reinterpret_cast<void*>(RecordNotification)));

    for (int round = 1; round <= 2; ++round) ASSERT_EQ(ServerDll::Register(), S_OK) << "registration " << round;
    const std::string module = ModulePath(ServerDll::Handle());
    EXPECT_EQ(Registry(module), Rows("+=~"));
    // SHCNE_ASSOCCHANGED (0x8000000), SHCNF_FLUSH (0x1000), after each registration.
    EXPECT_EQ(g_notifications, "SHChangeNotify(134217728, 4096, null, null) after the icon entry: yes\n"
                               "SHChangeNotify(134217728, 4096, null, null) after the icon entry: yes\n");

    ASSERT_EQ(ServerDll::Unregister(), S_OK);
    EXPECT_EQ(Registry(module), Rows("=~-"));
}

// %MODULE% comes from a MAX_PATH buffer: a longer path registers no class.
TEST_F(Registration, AModulePathThatFillsThePathBufferRegistersOnlyTheAssociations)
{
    wchar_t temp[MAX_PATH], source[MAX_PATH];
    GetTempPathW(MAX_PATH, temp), GetModuleFileNameW(ServerDll::Handle(), source, MAX_PATH);
    std::vector<std::wstring> folders{std::wstring(L"\\\\?\\") + temp + L"fexo-long-path"};
    while (folders.back().size() < 300) folders.push_back(folders.back() + L"\\" + std::wstring(60, L'd'));
    for (const std::wstring& folder : folders) CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folders.back() + L"\\FexoCntl.DLL";
    ASSERT_TRUE(CopyFileW(source, copy.c_str(), FALSE));
    const HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")))(),
              HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(Registry(ModulePath(module)), Rows("="));
    FreeLibrary(module), DeleteFileW(copy.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryW(folder->c_str());
}

TEST(ModuleResources, TheVersionRecordMarksTheModuleSelfRegisteringAndTheToolboxBitmapIsThere)
{
    const std::string module = ModulePath(ServerDll::Handle());
    std::vector<char> record(GetFileVersionInfoSizeA(module.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoA(module.c_str(), 0, DWORD(record.size()), record.data()));
    std::string text;
    char* data = nullptr;
    UINT length = 0;
    for (const char* entry : {"FileDescription", "InternalName", "OriginalFilename", "OLESelfRegister"})
        if (VerQueryValueA(record.data(), ("\\StringFileInfo\\040904B0\\" + std::string(entry)).c_str(), reinterpret_cast<void**>(&data), &length))
            text += std::string(entry) + "='" + data + "' ";
    VerQueryValueA(record.data(), "\\", reinterpret_cast<void**>(&data), &length);
    const auto* fixed = reinterpret_cast<VS_FIXEDFILEINFO*>(data);
    EXPECT_EQ(text + std::to_string(fixed->dwFileVersionMS == 0x60001 && fixed->dwFileVersionLS == 0x10626) +  // 6.1.1.1574
                  std::to_string(fixed->dwProductVersionMS == 0x60001 && fixed->dwProductVersionLS == 0x10626) + std::to_string(fixed->dwFileType),
              "FileDescription='FexoControl Module' InternalName='FexoControl' OriginalFilename='FexoControl.DLL' OLESelfRegister='' 112");
    EXPECT_NE(LoadBitmapA(ServerDll::Handle(), MAKEINTRESOURCEA(101)), nullptr) << "the toolbox bitmap";
}
