// The plugin module record, with the loader linked into the test.  The record
// is process-wide, so one process walks it: first through loads, releases and
// unload queries, then through every stand-in variant (each in
// bin\variants\<name>\ beside a copy of FexoCntl.DLL), a directory without the
// plugin and a browser's plugin directory.  The two tests run in this order.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "com/module.h"
#include "control/plugin_callbacks.h"
#include "plugin/plugin_module.h"
#include "standin_control.h"

using fexo::plugin::CPluginModule;
using fexo::plugin::FexopExport;
using fexo::plugin::GetBrowserFuncs;
using fexo::plugin::GetPluginFuncs;

// The control's callbacks, as registered with the plugin.
namespace fexo::control {
void NP_CALL PluginErrorCallback(NPP, const char*) {}
void NP_CALL PluginEventCallback(NPP, const char*, const char*, int32_t, int32_t, int32_t, int32_t) {}
void NP_CALL PluginComplexEventCallback(NPP, const char*, const char*, const char*, const char*,
                                        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NP_CALL PluginPasswordCallback(NPP, PasswordRequest*, int32_t*) {}
}  // namespace fexo::control

namespace {

std::string Bin()
{
    char path[MAX_PATH];
    const std::string file(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return file.substr(0, file.rfind('\\') + 1);
}

// Makes `control` the loader's idea of the control's own directory, and loads
// the stand-in from `plugin` (unless empty) first, its journal emptied.
HMODULE Prepare(const std::string& control, const std::string& plugin)
{
    fexo::com::Module::Attach(LoadLibraryExA((control + "FexoCntl.DLL").c_str(), nullptr,
                                             DONT_RESOLVE_DLL_REFERENCES));
    HMODULE module = plugin.empty() ? nullptr : LoadLibraryA((plugin + "npfexo.dll").c_str());
    if (module) StandinControlOf(module)->Reset();
    return module;
}

bool Has(HMODULE module, const char* name) { return GetProcAddress(module, name) != nullptr; }

// A whole load as the plugin sees it: every handshake step and callback
// registration whose export it has, in this order.
std::string LoadJournal(HMODULE module)
{
    const std::string lines[] = {
        "NP_GetEntryPoints(size=" + std::to_string(sizeof(NPPluginFuncs)) + " version=0)\n",
        "NP_Initialize(size=" + std::to_string(sizeof(NPNetscapeFuncs)) + " version=9)\n",
        "fexop_ErrorFunc(callback=ptr)\n", "fexop_EventFunc(callback=ptr)\n",
        "fexop_ComplexEventFunc(callback=ptr)\n", "fexop_SetPasswordFunc(callback=ptr)\n"};
    std::string journal;
    for (const std::string& line : lines)
        if (Has(module, line.substr(0, line.find('(')).c_str())) journal += line;
    return journal;
}

// Each step (a control made or destroyed, the unload query with or without
// COM locks) and what it leaves: the count, what the plugin saw, the tables
// as they were (the browser table's version marked 7 before the step),
// refilled by a load or unfilled, and whether the saved data survived.
TEST(ModuleRecord, CountPermissionTablesAndSavedDataAcrossLoadReleaseAndQuery)
{
    HMODULE standin = Prepare(Bin(), Bin());
    const std::string kSteps[] = {
        "load: 1 loaded tables=new saved=kept",
        "unlocked: 1 - tables=kept saved=kept",
        "load: 2 - tables=kept saved=kept",  // clears the permission
        "release: 1 - tables=kept saved=kept",
        "release: 0 - tables=kept saved=kept",  // the last control alone shuts nothing down
        "load: 1 loaded tables=new saved=kept",
        "unlocked: 1 - tables=kept saved=kept",
        "locked: 1 - tables=kept saved=kept",  // clears it again
        "release: 0 - tables=kept saved=kept",
        "locked: 0 - tables=kept saved=kept",
        "unlocked: 0 shut tables=unfilled saved=null",
        "unlocked: 0 shut tables=unfilled saved=null",
        "release: -1 - tables=unfilled saved=null",  // below the threshold: not shut down
        "load: 0 loaded tables=new saved=kept",  // from -1: loaded, and no control counted
    };
    for (const std::string& step : kSteps) {
        NPSavedData saved{};
        fexo::plugin::g_savedData = &saved;
        GetBrowserFuncs()->version = 7;
        StandinControlOf(standin)->Reset();
        const std::string action = step.substr(0, step.find(':'));
        if (action == "load") CPluginModule::Load();
        else CPluginModule::Unload(action == "unlocked", action != "release");
        const std::string journal = StandinControlOf(standin)->Journal();
        const char* tables = GetBrowserFuncs()->version == 7 ? "kept"
                             : GetPluginFuncs()->newp        ? "new"
                                                             : "unfilled";
        EXPECT_EQ(action + ": " + std::to_string(CPluginModule::LoadCount()) + " " +
                      (journal == LoadJournal(standin)    ? "loaded"
                       : journal == "NP_Shutdown()\n" ? "shut"
                       : journal.empty()                  ? "-"
                                                          : journal) +
                      " tables=" + tables +
                      " saved=" + (fexo::plugin::g_savedData == &saved ? "kept" : "null"),
                  step)
            << (&step - kSteps);
    }
    fexo::plugin::g_savedData = nullptr;
}

// A load from one directory: the stand-in variant there (or none, or one in a
// browser's plugin directory), a call of it that fails, the status the load
// leaves and the text (null: left as it was; %d: the last error).
struct Variant {
    const char* name;
    const char* failing;
    LONG status;
    const char* text;
};

TEST(ModuleRecord, EveryVariantLoadedInTurn)
{
    const Variant kVariants[] = {
        {"", nullptr, 1, ""},
        {"no_debuginfo", nullptr, 1, ""},
        {"no_opendlgcommand", nullptr, -8, ""},
        {"no_getproperty", nullptr, -8, ""},
        {"no_errorfunc", nullptr, -9, ""},
        {"no_complexeventfunc", nullptr, -10, ""},
        {"no_dohyperlink", nullptr, -11, ""},
        {"no_passwordfunc", nullptr, -12, ""},
        {"no_getproperty_passwordfunc", nullptr, -12, ""},
        {"no_getentrypoints", nullptr, -2,
         "InternalError: ErrorCode 127 : NP_GetEntryPoints function can not be obtained"},
        {"", "NP_GetEntryPoints", -3, "InternalError:  NP_GetEntryPoints function call was failed"},
        {"no_initialize", nullptr, -5,
         "InternalError: ErrorCode 127 : NP_Initialize function can not be obtained"},
        {"", "NP_Initialize", -6, "InternalError:  NP_Initialize function call was failed"},
        {"no_shutdown", nullptr, -7,
         "InternalError: ErrorCode 127 : NP_Shutdown function can not be obtained"},
        {"no_plugin", nullptr, -1,
         "InternalError: ErrorCode %d : Plugin DLL(npfexo.dll) can not be loaded"},
        {"browser", nullptr, 0, nullptr},  // from -1: loaded, no control counted
        {"browser", nullptr, 1, nullptr},  // from 0: loaded again
    };
    const std::string netscape = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe";
    HMODULE exportsFrom = nullptr;
    for (const Variant& v : kVariants) {
        const std::string name = v.name;
        const std::string control = name.empty() ? Bin() : Bin() + "variants\\" + name + "\\";
        const std::string plugin = name == "no_plugin" ? ""
                                   : name == "browser" ? control + "Nav\\Program\\Plugins\\"
                                                       : control;
        if (name == "browser") {
            const std::string command = "\"" + control + "Nav\\Program\\netscape.exe\" -browser";
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, netscape.c_str(), nullptr, REG_SZ, command.c_str(),
                            static_cast<DWORD>(command.size() + 1));
        }
        HMODULE module = Prepare(control, plugin);
        const StandinControl* standin = StandinControlOf(module);
        if (v.failing) standin->SetResult(v.failing, NPERR_GENERIC_ERROR);
        const std::string textBefore = fexo::plugin::g_loadErrorText;

        CPluginModule::Load();
        char text[4096];
        wsprintfA(text, v.text ? v.text : textBefore.c_str(), GetLastError());
        EXPECT_EQ(CPluginModule::LoadCount(), v.status) << name;
        EXPECT_STREQ(fexo::plugin::g_loadErrorText, text) << name;
        if (module) {
            exportsFrom = module;
            EXPECT_EQ(standin->Journal(), LoadJournal(module)) << name;
            EXPECT_TRUE(v.failing || (GetPluginFuncs()->newp != nullptr) == Has(module, "NP_GetEntryPoints"));
            EXPECT_EQ(standin->BrowserFuncs(), Has(module, "NP_Initialize") ? GetBrowserFuncs() : nullptr);
            namespace c = fexo::control;  // the control's callbacks, each to its own setter
            const StandinCallbacks all = {c::PluginErrorCallback, c::PluginEventCallback,
                                          c::PluginComplexEventCallback, c::PluginPasswordCallback};
            EXPECT_TRUE(v.status != 1 || !std::memcmp(standin->Callbacks(), &all, sizeof all));
        }
        // Every entry is the variant's export, or null; a load that found no
        // DLL leaves the entries of the one before.
        for (int i = 0; i < static_cast<int>(FexopExport::Count); ++i) {
            const auto which = static_cast<FexopExport>(i);
            EXPECT_EQ(CPluginModule::Export<FARPROC>(which),
                      GetProcAddress(exportsFrom, FexopExportName(which)))
                << name << " " << FexopExportName(which);
        }
        while (CPluginModule::LoadCount() > 0) CPluginModule::Unload(0, false);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, netscape.c_str());
}

}  // namespace
