// The process-wide plugin module record, the loader linked into the test, in
// this order: loads, releases and unload queries; every stand-in variant (in
// bin\variants\<name>\ beside FexoCntl.DLL); the browsers' directories.
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>
#include "com/module.h"
#include "control/plugin_callbacks.h"
#include "plugin/directory_search.h"
#include "plugin/plugin_module.h"
#include "tests/standin/standin_control.h"

using namespace fexo::plugin;

namespace fexo::control {  // the control's callbacks, as registered with the plugin
void NP_CALL PluginErrorCallback(NPP, const char*) {}
void NP_CALL PluginEventCallback(NPP, const char*, const char*, int32_t, int32_t, int32_t, int32_t) {}
void NP_CALL PluginComplexEventCallback(NPP, const char*, const char*, const char*, const char*,
                                        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t) {}
void NP_CALL PluginPasswordCallback(NPP, PasswordRequest*, int32_t*) {}
}  // namespace fexo::control

namespace {

const std::string kApps = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\";

// bin\control becomes the control's own directory; the stand-in in bin\plugin is loaded first.  Paths
// start at the working directory, bin: a bare name would find a module of that name loaded before.
HMODULE Prepare(const std::string& control, const char* plugin)
{
    fexo::com::Module::Attach(
        LoadLibraryExA((".\\" + control + "FexoCntl.DLL").c_str(), nullptr, DONT_RESOLVE_DLL_REFERENCES));
    HMODULE module = plugin ? LoadLibraryA((".\\" + std::string(plugin) + "npfexo.dll").c_str()) : nullptr;
    if (module) StandinControlOf(module)->Reset();
    return module;
}

// A whole load as the plugin sees it: each handshake step and callback
// registration whose export it has, in this order.
std::string LoadJournal(HMODULE module)
{
    std::string journal;
    for (const std::string& line :
         {"NP_GetEntryPoints(size=" + std::to_string(sizeof(NPPluginFuncs)) + " version=0)",
          "NP_Initialize(size=" + std::to_string(sizeof(NPNetscapeFuncs)) + " version=9)",
          std::string("fexop_ErrorFunc("), std::string("fexop_EventFunc("),
          std::string("fexop_ComplexEventFunc("), std::string("fexop_SetPasswordFunc(")})
        if (GetProcAddress(module, line.substr(0, line.find('(')).c_str()))
            journal += line.back() == '(' ? line + "callback=ptr)\n" : line + "\n";
    return journal;
}

// Each step (a control made or destroyed, the unload query with or without COM
// locks) and what it leaves: the count, what the plugin saw, the tables kept
// (their version marked 7 before), refilled or unfilled, the saved data.
TEST(ModuleRecord, CountPermissionTablesAndSavedDataAcrossLoadReleaseAndQuery)
{
    HMODULE standin = Prepare("", "");
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
        g_savedData = &saved;
        GetBrowserFuncs()->version = 7;
        StandinControlOf(standin)->Reset();
        const std::string action = step.substr(0, step.find(':'));
        if (action == "load") CPluginModule::Load();
        else CPluginModule::Unload(action == "unlocked", action != "release");
        const std::string journal = StandinControlOf(standin)->Journal();
        const std::string seen = journal == LoadJournal(standin) ? " loaded"
                                 : journal == "NP_Shutdown()\n"  ? " shut" : " -" + journal;
        const char* tables = GetBrowserFuncs()->version == 7 ? " tables=kept"
                             : GetPluginFuncs()->newp ? " tables=new" : " tables=unfilled";
        EXPECT_EQ(action + ": " + std::to_string(CPluginModule::LoadCount()) + seen + tables +
                      (g_savedData == &saved ? " saved=kept" : " saved=null"), step);
    }
    g_savedData = nullptr;
}

// A load from one directory (no stand-in there, or one in a browser's), a call
// that fails, the status and the text (null: as it was; %d: the last error).
struct Variant { const char *name, *failing; LONG status; const char* text; };

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
        {"no_initialize", nullptr, -5, "InternalError: ErrorCode 127 : NP_Initialize function can not be obtained"},
        {"", "NP_Initialize", -6, "InternalError:  NP_Initialize function call was failed"},
        {"no_shutdown", nullptr, -7, "InternalError: ErrorCode 127 : NP_Shutdown function can not be obtained"},
        {"no_plugin", nullptr, -1, "InternalError: ErrorCode %d : Plugin DLL(npfexo.dll) can not be loaded"},
        {"browser", nullptr, 0, nullptr},  // from -1: loaded, no control counted
        {"browser", nullptr, 1, nullptr},  // from 0: loaded again
    };
    HMODULE exportsFrom = nullptr;
    // The browser's directory, through the Plugins Directory of a Navigator.
    const std::string navigator = "SOFTWARE\\Netscape\\Netscape Navigator\\4.7\\Main";
    char path[MAX_PATH];
    const std::string browser(path, GetFullPathNameA("variants\\browser\\Plugins", MAX_PATH, path, nullptr));
    for (const Variant& v : kVariants) {
        const std::string name = v.name, control = name.empty() ? "" : "variants\\" + name + "\\";
        if (name == "browser")
            RegSetKeyValueA(HKEY_LOCAL_MACHINE, navigator.c_str(), "Plugins Directory", REG_SZ,
                            browser.c_str(), static_cast<DWORD>(browser.size() + 1));
        HMODULE module = Prepare(control, name == "no_plugin" ? nullptr
                                          : name == "browser" ? "variants\\browser\\Plugins\\"
                                                              : control.c_str());
        const StandinControl* standin = StandinControlOf(module);
        if (v.failing) standin->SetResult(v.failing, NPERR_GENERIC_ERROR);
        const std::string textBefore = g_loadErrorText;
        CPluginModule::Load();
        char text[4096];
        wsprintfA(text, v.text ? v.text : textBefore.c_str(), GetLastError());
        EXPECT_EQ(CPluginModule::LoadCount(), v.status) << name;
        EXPECT_STREQ(g_loadErrorText, text) << name;
        if (module) {
            exportsFrom = module;
            EXPECT_EQ(standin->Journal(), LoadJournal(module)) << name;
            EXPECT_EQ(standin->BrowserFuncs(), GetProcAddress(module, "NP_Initialize") ? GetBrowserFuncs() : nullptr);
            namespace c = fexo::control;  // each callback to its own setter
            const StandinCallbacks all = {c::PluginErrorCallback, c::PluginEventCallback,
                                          c::PluginComplexEventCallback, c::PluginPasswordCallback};
            EXPECT_TRUE(v.status != 1 || !std::memcmp(standin->Callbacks(), &all, sizeof all));
        }
        for (int i = 0; i < static_cast<int>(FexopExport::Count); ++i)  // unless no DLL was found
            EXPECT_EQ(CPluginModule::Export<FARPROC>(FexopExport(i)),
                      GetProcAddress(exportsFrom, FexopExportName(FexopExport(i))))
                << name << " " << i;
        while (CPluginModule::LoadCount() > 0) CPluginModule::Unload(0, false);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, navigator.c_str());
}

TEST(DirectorySearch, BrowserDirectoriesInOrderEachOnce)
{
    const std::string classes = "SOFTWARE\\Classes\\", nav = "SOFTWARE\\Netscape\\Netscape Navigator\\";
    const std::string n6 = "SOFTWARE\\Netscape\\Netscape 6\\", open = "\\shell\\open\\command";
    const struct {
        std::string key;
        const char *name, *value;
    } kValues[] = {
        {kApps + "Netscape.exe", nullptr, "\"C:\\Nav\\Program\\netscape.exe\" -browser"},
        {kApps + "netscp6.exe", nullptr, "C:\\N6\\netscp6.exe"},
        {classes + "NetscapeMarkup" + open, nullptr, "\"C:\\Nav\\Program\\netscape.exe\" \"%1\""},
        {classes + "HtmlDefBrowser" + open, nullptr, "browser.exe %1"},  // no directory
        {nav + "4.7\\Main", "Plugins Directory", "C:\\P"},
        {nav + "4.8\\Main", "Install Directory", "C:\\I\\"},
        {nav + "4.9\\Main", "Plugins Directory", "C:\\Both"},
        {nav + "4.9\\Main", "Install Directory", "C:\\Ignored\\"},
        {nav + "5.0\\Other", "Plugins Directory", "C:\\NoMain"},
        {nav + "5.1\\Main", "Version", "5.1"},
        {n6 + "6.2\\Main", "Install Directory", "C:\\N6\\"},  // where App Paths named it
        {n6 + "6.3\\Main", "Plugins Directory", "C:\\N63\\Plugins"},
    };
    const auto clean = [&] {
        for (const std::string& key : {kApps + "Netscape.exe", kApps + "netscp6.exe",
                                       classes + "NetscapeMarkup", classes + "HtmlDefBrowser",
                                       n6, nav})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, key.c_str());
    };
    clean();
    for (const auto& v : kValues)
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, v.key.c_str(), v.name, REG_SZ, v.value,
                        static_cast<DWORD>(std::strlen(v.value) + 1));
    CandidateList list;
    list.SetOwnDirectory("C:\\Own\\");
    const std::size_t added = CollectBrowserDirectories(list);
    EXPECT_EQ(added, list.Directories().size() - 1);
    EXPECT_EQ(list.Directories(),
              (std::vector<std::string>{"C:\\Own\\", "C:\\Nav\\Program\\Plugins\\", "C:\\N6\\Plugins\\",
                                        "Plugins\\", "C:\\P\\", "C:\\I\\Plugins\\", "C:\\Both\\",
                                        "C:\\N63\\Plugins\\"}));
    clean();
}

}  // namespace
