// DllRegisterServer and DllUnregisterServer into redirected roots: every row
// of the registration as one table, what stays at unregistration, the shell's
// notification, and the registry routines and script registrar underneath.
#include <gtest/gtest.h>
#include <cstring>
#include <vector>
#include "FexoCtl.h"
#include "com/registry_operations.h"
#include "plugin/registry.h"
#include "redirected_registry.h"
#include "server_dll.h"

using namespace fexo::test;

namespace {

const char kClassId[] = "{6476c8a1-5ffd-4f52-a615-9b1a862d334a}";
const char kLibraryId[] = "{1F4A4318-8786-4951-A594-385CDCBBE19F}";

// "+" rows go at unregistration, "=" rows (the file associations) and "~" rows
// (keys planted before, which registration must leave) stay; "-" rows are the
// empty keys that unregistration leaves.
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
+ Interface\{085861F3-199D-4C9A-9D4D-C4D726211993}\ProxyStubClsid32|={00020424-0000-0000-C000-000000000046}
+ Interface\{085861F3-199D-4C9A-9D4D-C4D726211993}\ProxyStubClsid|={00020424-0000-0000-C000-000000000046}
+ Interface\{085861F3-199D-4C9A-9D4D-C4D726211993}\TypeLib|={L}
+ Interface\{085861F3-199D-4C9A-9D4D-C4D726211993}\TypeLib|Version=1.0
+ Interface\{085861F3-199D-4C9A-9D4D-C4D726211993}|=IFexoCtl
+ Interface\{FFABCE0C-25FF-47F8-B455-04A11ABEED43}\ProxyStubClsid32|={00020420-0000-0000-C000-000000000046}
+ Interface\{FFABCE0C-25FF-47F8-B455-04A11ABEED43}\ProxyStubClsid|={00020420-0000-0000-C000-000000000046}
+ Interface\{FFABCE0C-25FF-47F8-B455-04A11ABEED43}\TypeLib|={L}
+ Interface\{FFABCE0C-25FF-47F8-B455-04A11ABEED43}\TypeLib|Version=1.0
+ Interface\{FFABCE0C-25FF-47F8-B455-04A11ABEED43}|=_IFexoCtlEvents
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

// Both roots, with the module's path, its folder and the two identifiers by name.
std::string Registry(const std::string& module)
{
    const Names names = {{module, "<module>"}, {module.substr(0, module.rfind('\\')), "<folder>"},
                         {kClassId, "{C}"}, {kLibraryId, "{L}"},
                         {sizeof(void*) == 4 ? "\\win32|" : "\\win64|", "\\<win>|"}};
    return RegistryText(HKEY_CLASSES_ROOT, names) + RegistryText(HKEY_LOCAL_MACHINE, names);
}

std::string ModulePath(HMODULE module)
{
    char path[MAX_PATH];
    return std::string(path, GetModuleFileNameA(module, path, MAX_PATH));
}

void Plant(HKEY root, const char* path, const char* name, const char* text)
{
    ASSERT_TRUE(fexo::plugin::RegistryWriteString(path, name, text, DWORD(strlen(text) + 1), root));
}

std::string g_notifications;

void WINAPI RecordNotification(LONG event, UINT flags, LPCVOID first, LPCVOID second)
{
    char line[96];
    snprintf(line, sizeof line, "SHChangeNotify(%lx, %x, %s, %s) after the icon entry: %s\n", event,
             flags, first ? "item" : "null", second ? "item" : "null",
             RegistryText(HKEY_CLASSES_ROOT).find("DefaultIcon") != std::string::npos ? "yes" : "no");
    g_notifications += line;
}

// Points the module's import of `name` at `replacement`.
void RedirectImport(HMODULE module, const char* name, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* headers = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const DWORD imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* library = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); library->Name; ++library) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
        auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + library->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slot) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) ||
                strcmp(reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData)->Name, name))
                continue;
            DWORD access = 0;
            VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &access);
            slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(slot, sizeof *slot, access, &access);
            return;
        }
    }
    FAIL() << name << " is not imported";
}

class Registration : public testing::Test {
protected:
    void SetUp() override { ClearRedirectedRoots(); }
};

}  // namespace

TEST_F(Registration, WritesEveryRowOnceAndUnregistrationLeavesTheAssociations)
{
    const std::string classKey = std::string("CLSID\\") + kClassId;
    Plant(HKEY_CLASSES_ROOT, "fexo_auto_file", "", "old");
    Plant(HKEY_CLASSES_ROOT, "fxo_auto_file\\Kept", "", "a key with subkeys stays");
    Plant(HKEY_CLASSES_ROOT, (classKey + "\\Planted").c_str(), "", "wiped");
    Plant(HKEY_CLASSES_ROOT, (classKey + "\\MiscStatus").c_str(), "", "changed");
    Plant(HKEY_CLASSES_ROOT, "CLSID\\{6476c8a1-0000-0000-0000-000000000000}", "", "a neighbour");
    Plant(HKEY_CLASSES_ROOT, ".fexo", "Other", "kept");
    Plant(HKEY_CLASSES_ROOT, "FexoFile\\DefaultIcon", "", "other.dll,3");
    Plant(HKEY_LOCAL_MACHINE, "Classes\\.fxo", "", "OtherFile");
    RedirectImport(ServerDll::Handle(), "SHChangeNotify", reinterpret_cast<void*>(RecordNotification));

    ASSERT_EQ(ServerDll::Register(), S_OK);
    ASSERT_EQ(ServerDll::Register(), S_OK);
    const std::string module = ModulePath(ServerDll::Handle());
    EXPECT_EQ(Registry(module), Rows("+=~"));
    EXPECT_EQ(g_notifications, "SHChangeNotify(8000000, 1000, null, null) after the icon entry: yes\n"
                               "SHChangeNotify(8000000, 1000, null, null) after the icon entry: yes\n");

    ASSERT_EQ(ServerDll::Unregister(), S_OK);
    EXPECT_EQ(Registry(module), Rows("=~-"));

    CLSID parsed{};
    ASSERT_EQ(CLSIDFromString(std::wstring(kClassId, kClassId + 38).c_str(), &parsed), NOERROR);
    EXPECT_TRUE(IsEqualCLSID(parsed, CLSID_FexoCtl));
}

// %MODULE% comes from a MAX_PATH buffer: a longer path registers no class.
TEST_F(Registration, AModulePathThatFillsThePathBufferRegistersOnlyTheAssociations)
{
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::vector<std::wstring> folders{std::wstring(L"\\\\?\\") + temp + L"fexo-long-path"};
    while (folders.back().size() < 300) folders.push_back(folders.back() + L"\\" + std::wstring(60, L'd'));
    for (const std::wstring& folder : folders) CreateDirectoryW(folder.c_str(), nullptr);
    wchar_t source[MAX_PATH];
    GetModuleFileNameW(ServerDll::Handle(), source, MAX_PATH);
    const std::wstring copy = folders.back() + L"\\FexoCntl.DLL";
    ASSERT_TRUE(CopyFileW(source, copy.c_str(), FALSE));

    const HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    auto registerServer = reinterpret_cast<HRESULT(WINAPI*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    EXPECT_EQ(registerServer(), HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
    char path[1024];
    EXPECT_EQ(Registry(std::string(path, GetModuleFileNameA(module, path, sizeof path))), Rows("="));
    FreeLibrary(module);
    DeleteFileW(copy.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryW(folder->c_str());
}

TEST_F(Registration, TheScriptRegistrarWritesDwordsKeepsNoRemoveKeysAndStopsAtTheFirstFailure)
{
    using namespace fexo::com;
    const ScriptParseResult parsed = ParseRegistryScript(
        "HKCR { NoRemove Shared = s 'S' { val Mine = s 'm' val Count = d 0x10 Own } }", {});
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    Plant(HKEY_CLASSES_ROOT, "Shared", "Theirs", "t");
    ASSERT_EQ(ApplyRegistryOperations(PlanRegistration(parsed.script)), S_OK);
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT), "Shared\\Own\nShared|=S\nShared|Count=dword:16\n"
                                               "Shared|Mine=m\nShared|Theirs=t\n");
    for (int round = 0; round < 2; ++round)
        ASSERT_EQ(ApplyRegistryOperations(PlanUnregistration(parsed.script)), S_OK) << round;
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT), "Shared|=S\nShared|Theirs=t\n");

    using Kind = RegistryOperation::Kind;
    ScriptValue value;
    value.text = "v";
    const std::string refused(300, 'x');  // key names longer than 255 characters
    const LONG error = RegSetValueA(HKEY_CLASSES_ROOT, refused.c_str(), REG_SZ, "v", 1);
    EXPECT_EQ(ApplyRegistryOperations({{Kind::CreateKey, RegistryRoot::ClassesRoot, "First", {}},
                                       {Kind::SetValue, RegistryRoot::ClassesRoot, refused, value},
                                       {Kind::CreateKey, RegistryRoot::ClassesRoot, "Never", {}}}),
              HRESULT_FROM_WIN32(error));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT), "First\nShared|=S\nShared|Theirs=t\n");
}

TEST_F(Registration, TheRegistryRoutinesWriteTheBytesGivenAndRefuseWhatDoesNotFit)
{
    using namespace fexo::plugin;
    const std::string tooLong = "K\\" + std::string(kRegistryPathSize, 'k');
    EXPECT_TRUE(RegistryWriteString("Cut", "", "abcdef", 3, HKEY_CLASSES_ROOT));
    EXPECT_TRUE(RegistryWriteString("Parent\\Child", nullptr, "c", 2, HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryWriteString(tooLong.c_str(), "", "x", 2, HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryWriteString(nullptr, "", "x", 2, HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryWriteString("Null", "", nullptr, 0, HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryDeleteKey(tooLong.c_str(), "", HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryDeleteKey(nullptr, "", HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryDeleteKey("Parent", nullptr, HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryDeleteKey("Missing", "", HKEY_CLASSES_ROOT));
    EXPECT_FALSE(RegistryDeleteKey("Parent", "", HKEY_CLASSES_ROOT)) << "it has a subkey";
    EXPECT_TRUE(RegistryDeleteKey("Parent", "Child", HKEY_CLASSES_ROOT));
    EXPECT_EQ(RegistryText(HKEY_CLASSES_ROOT), "Cut|=abc (no zero)\nParent\n");
}

TEST(ModuleResources, TheVersionRecordMarksTheModuleSelfRegistering)
{
    const std::string module = ModulePath(ServerDll::Handle());
    std::vector<char> record(GetFileVersionInfoSizeA(module.c_str(), nullptr));
    ASSERT_TRUE(GetFileVersionInfoA(module.c_str(), 0, DWORD(record.size()), record.data()));
    std::string text;
    for (const char* entry : {"\\VarFileInfo\\Translation", "\\", "FileDescription", "InternalName",
                              "OriginalFilename", "OLESelfRegister"}) {
        const std::string path = entry[0] == '\\' ? entry : std::string("\\StringFileInfo\\040904B0\\") + entry;
        void* data = nullptr;
        UINT length = 0;
        text += entry;
        if (!VerQueryValueA(record.data(), path.c_str(), &data, &length)) text += " missing";
        else if (entry[0] != '\\') text += " '" + std::string(static_cast<char*>(data)) + "'";
        char number[12];
        for (UINT i = 0; entry[0] == '\\' && i < std::min(length, 40u) / 4; ++i)
            text += (snprintf(number, sizeof number, " %lx", static_cast<DWORD*>(data)[i]), number);
        text += "\n";
    }
    EXPECT_EQ(text, "\\VarFileInfo\\Translation 4b00409\n"  // US English, Unicode
                    "\\ feef04bd 10000 60001 10626 60001 10626 3f 0 4 2\n"  // 6.1.1.1574, a DLL
                    "FileDescription 'FexoControl Module'\nInternalName 'FexoControl'\n"
                    "OriginalFilename 'FexoControl.DLL'\nOLESelfRegister ''\n");
    const HBITMAP bitmap = LoadBitmapA(ServerDll::Handle(), MAKEINTRESOURCEA(101));
    EXPECT_NE(bitmap, nullptr) << "the toolbox bitmap";
    DeleteObject(bitmap);
}
