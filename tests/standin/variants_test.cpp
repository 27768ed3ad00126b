// The stand-in's variants each lack exactly the exports they are named for,
// and lie beside a copy of FexoCntl.DLL.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>
#include "plugin/fexop_exports.h"

namespace {

struct Variant {
    const char* directory;  // under bin, the tests' directory
    std::vector<std::string> omitted;
};

const Variant kVariants[] = {
    {".", {}},
    {"variants/no_getentrypoints", {"NP_GetEntryPoints"}},
    {"variants/no_initialize", {"NP_Initialize"}},
    {"variants/no_shutdown", {"NP_Shutdown"}},
    {"variants/no_debuginfo", {"fexop_WriteDebugInfoToFile"}},
    {"variants/no_getproperty", {"fexop_GetProperty"}},
    {"variants/no_getproperty_passwordfunc", {"fexop_GetProperty", "fexop_SetPasswordFunc"}},
    {"variants/no_errorfunc", {"fexop_ErrorFunc"}},
    {"variants/no_complexeventfunc", {"fexop_ComplexEventFunc"}},
    {"variants/no_dohyperlink", {"fexop_DoHyperlink"}},
    {"variants/no_passwordfunc", {"fexop_SetPasswordFunc"}},
    {"variants/no_opendlgcommand", {"fexop_OpenDlgCommand"}},
};

std::vector<std::string> PluginExports()
{
    std::vector<std::string> names = {"NP_GetEntryPoints", "NP_Initialize", "NP_Shutdown"};
    names.insert(names.end(), fexo::plugin::kFexopExportNames.begin(),
                 fexo::plugin::kFexopExportNames.end());
    return names;
}

std::string FullPath(const std::string& relative)
{
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(relative.c_str(), MAX_PATH, full, nullptr);
    return std::string(full, length);
}

bool FileExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(StandinVariants, LackExactlyTheirOmittedExports)
{
    const std::vector<std::string> exports = PluginExports();
    ASSERT_EQ(exports.size(), 34u);
    for (const Variant& variant : kVariants) {
        SCOPED_TRACE(variant.directory);
        const std::string directory = FullPath(variant.directory);
        EXPECT_TRUE(FileExists(directory + "\\FexoCntl.DLL"));
        HMODULE module = LoadLibraryA((directory + "\\npfexo.dll").c_str());
        ASSERT_NE(module, nullptr);
        for (const std::string& name : exports) {
            const bool omitted = std::find(variant.omitted.begin(), variant.omitted.end(), name) !=
                                 variant.omitted.end();
            EXPECT_EQ(GetProcAddress(module, name.c_str()) == nullptr, omitted) << name;
        }
        EXPECT_NE(GetProcAddress(module, "standin_GetControl"), nullptr);
        FreeLibrary(module);
    }
}

}  // namespace
