#include "plugin/directory_search.h"
#include <windows.h>
#include <shellapi.h>
#include "com/module.h"
#include "plugin/registry.h"

namespace fexo::plugin {

namespace {

// A registry text as read: cut at the byte count the read reported.
std::string TextOfValue(const char* buffer, DWORD size)
{
    std::string text(buffer, size < kPathBufferSize ? size : kPathBufferSize - 1);
    text.resize(std::char_traits<char>::length(text.c_str()));
    return text;
}

bool ReadDefaultValueDirectory(const std::string& path, std::string& directory)
{
    char buffer[kPathBufferSize];
    DWORD size = 0;
    if (!RegistryReadValue(path.c_str(), nullptr, buffer, &size, HKEY_LOCAL_MACHINE))
        return false;
    directory = DirectoryFromCommandLine(TextOfValue(buffer, size));
    return true;
}

bool ReadAppPathsDirectory(const char* program, std::string& directory)
{
    return ReadDefaultValueDirectory(
        std::string("Microsoft\\Windows\\CurrentVersion\\App Paths\\") + program, directory);
}

bool ReadClassesDirectory(const char* className, std::string& directory)
{
    return ReadDefaultValueDirectory(std::string("Classes\\") + className, directory);
}

// The program that opens HTML files, found by asking the shell about a
// scratch HTML file in the current directory.
bool FindDefaultBrowserDirectory(std::string& directory)
{
    static const char kScratchFile[] = "temphtml.HTM";
    static const char kContent[] = "<HTML><\\HTML>";
    HANDLE file = CreateFileA(kScratchFile, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    WriteFile(file, kContent, sizeof kContent, &written, nullptr);
    CloseHandle(file);

    char program[kPathBufferSize] = {};
    HINSTANCE found = FindExecutableA(kScratchFile, "", program);
    DeleteFileA(kScratchFile);
    if (reinterpret_cast<INT_PTR>(found) <= 32 || !program[0]) return false;
    directory = DirectoryFromCommandLine(program);
    return true;
}

bool ReadMainValue(HKEY main, const char* name, std::string& text)
{
    char buffer[kPathBufferSize];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(main, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
        ERROR_SUCCESS)
        return false;
    text = TextOfValue(buffer, size);
    return true;
}

// Every installed version of one Netscape product keeps its plugin directory
// (or its install directory) under "<version>\Main".
void CollectNetscapeVersionDirectories(const char* productKey, CandidateList& list)
{
    HKEY product = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, productKey, 0, MAXIMUM_ALLOWED, &product) !=
        ERROR_SUCCESS)
        return;
    for (DWORD index = 0; !list.Full(); ++index) {
        char version[kPathBufferSize];
        DWORD length = sizeof version;
        if (RegEnumKeyExA(product, index, version, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        std::string mainPath = std::string(version) + "\\Main";
        HKEY main = nullptr;
        if (RegOpenKeyExA(product, mainPath.c_str(), 0, MAXIMUM_ALLOWED, &main) != ERROR_SUCCESS)
            continue;
        std::string directory;
        if (ReadMainValue(main, "Plugins Directory", directory)) {
            AppendBounded(directory, "\\");
            list.AddIfNew(std::move(directory));
        } else if (ReadMainValue(main, "Install Directory", directory)) {
            AppendBounded(directory, "Plugins\\");
            list.AddIfNew(std::move(directory));
        }
        RegCloseKey(main);
    }
    RegCloseKey(product);
}

}  // namespace

bool FindModuleDirectory(std::string& directory)
{
    char path[kPathBufferSize];
    DWORD length = GetModuleFileNameA(com::Module::Instance(), path, sizeof path);
    if (length == 0) return false;
    std::string name(path, length < sizeof path ? length : sizeof path - 1);
    std::size_t slash = name.rfind('\\');
    name.resize(slash == std::string::npos ? 0 : slash + 1);
    directory = std::move(name);
    return true;
}

std::size_t CollectBrowserDirectories(CandidateList& list)
{
    std::size_t before = list.BrowserDirectoryCount();
    std::string directory;
    if (ReadAppPathsDirectory("Netscape.exe", directory)) list.AddIfNew(directory);
    if (ReadAppPathsDirectory("netscp6.exe", directory)) list.AddIfNew(directory);
    if (ReadClassesDirectory("NetscapeMarkup\\shell\\open\\command", directory))
        list.AddIfNew(directory);
    if (ReadClassesDirectory("HtmlDefBrowser\\shell\\open\\command", directory))
        list.AddIfNew(directory);
    if (FindDefaultBrowserDirectory(directory)) list.AddIfNew(directory);
    list.AppendToBrowserDirectories("Plugins\\");
    CollectNetscapeVersionDirectories("SOFTWARE\\Netscape\\Netscape Navigator", list);
    CollectNetscapeVersionDirectories("SOFTWARE\\Netscape\\Netscape 6", list);
    return list.BrowserDirectoryCount() - before;
}

}  // namespace fexo::plugin
