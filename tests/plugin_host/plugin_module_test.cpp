// The plugin module loader, linked into the test: each scenario runs in a
// process of its own (ctest passes the scenario's filter and, for the status
// codes, the stand-in variant), because the module record is process-wide.
// The control's "own directory" is chosen by attaching the module record to
// a FexoCntl.DLL image mapped from that directory.
#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>
#include "com/module.h"
#include "control/plugin_callbacks.h"
#include "plugin/directory_search.h"
#include "plugin/plugin_module.h"
#include "standin_control.h"
#include "test_directories.h"

using fexo::plugin::CPluginModule;
using fexo::plugin::g_loadErrorText;
using fexo::plugin::g_savedData;
using fexo::plugin::GetBrowserFuncs;
using fexo::plugin::GetPluginFuncs;
using fexo::test::BinDirectory;
using fexo::test::ScratchDirectory;

// The control's callbacks, as registered with the plugin.
namespace fexo::control {
void NP_CALL PluginErrorCallback(NPP, const char*) {}
void NP_CALL PluginEventCallback(NPP, const char*, const char*, int32_t, int32_t, int32_t, int32_t) {}
void NP_CALL PluginComplexEventCallback(NPP, const char*, const char*, const char*, const char*,
                                        int32_t, int32_t, int32_t, int32_t, int32_t, int32_t)
{
}
void NP_CALL PluginPasswordCallback(NPP, PasswordRequest*, int32_t*) {}
}  // namespace fexo::control

namespace {

// Makes `directory` the directory the loader takes for the control's own.
void UseControlDirectory(const std::string& directory)
{
    HMODULE image = LoadLibraryExA((directory + "FexoCntl.DLL").c_str(), nullptr,
                                   DONT_RESOLVE_DLL_REFERENCES);
    ASSERT_NE(image, nullptr) << directory;
    fexo::com::Module::Attach(image);
}

// The stand-in in `directory`, loaded before the control loads it.
const StandinControl* StandinIn(const std::string& directory)
{
    const StandinControl* standin =
        StandinControlOf(LoadLibraryA((directory + "npfexo.dll").c_str()));
    EXPECT_NE(standin, nullptr) << directory;
    if (standin) standin->Reset();
    return standin;
}

std::vector<std::string> CallNames(const StandinControl* standin)
{
    std::vector<std::string> names;
    for (int i = 0; i < standin->Count(); ++i) names.emplace_back(standin->Entry(i)->call);
    return names;
}

std::string Handshake()
{
    return "NP_GetEntryPoints(size=" + std::to_string(sizeof(NPPluginFuncs)) +
           " version=0)\nNP_Initialize(size=" + std::to_string(sizeof(NPNetscapeFuncs)) +
           " version=9)\n";
}

const char kCallbackRegistrations[] =
    "fexop_ErrorFunc(callback=ptr)\n"
    "fexop_EventFunc(callback=ptr)\n"
    "fexop_ComplexEventFunc(callback=ptr)\n"
    "fexop_SetPasswordFunc(callback=ptr)\n";

// What a variant leaves: the status, the text, the stand-in's journal.
struct LoadOutcome {
    const char* variant;
    const char* failingCall;  // given an error result before the load, or null
    LONG status;
    const char* text;
    std::vector<std::string> calls;
};

const std::vector<std::string> kAllCalls = {"NP_GetEntryPoints", "NP_Initialize",
                                            "fexop_ErrorFunc",   "fexop_EventFunc",
                                            "fexop_ComplexEventFunc", "fexop_SetPasswordFunc"};

std::vector<std::string> AllCallsBut(const char* missing)
{
    std::vector<std::string> calls;
    for (const std::string& call : kAllCalls)
        if (call != missing) calls.push_back(call);
    return calls;
}

const LoadOutcome kOutcomes[] = {
    {"complete", nullptr, 1, "", kAllCalls},
    {"no_getentrypoints", nullptr, -2,
     "InternalError: ErrorCode 127 : NP_GetEntryPoints function can not be obtained",
     AllCallsBut("NP_GetEntryPoints")},
    {"getentrypoints_fails", "NP_GetEntryPoints", -3,
     "InternalError:  NP_GetEntryPoints function call was failed", kAllCalls},
    {"no_initialize", nullptr, -5,
     "InternalError: ErrorCode 127 : NP_Initialize function can not be obtained",
     AllCallsBut("NP_Initialize")},
    {"initialize_fails", "NP_Initialize", -6, "InternalError:  NP_Initialize function call was failed",
     kAllCalls},
    {"no_shutdown", nullptr, -7,
     "InternalError: ErrorCode 127 : NP_Shutdown function can not be obtained", kAllCalls},
    {"no_debuginfo", nullptr, 1, "", kAllCalls},
    {"no_opendlgcommand", nullptr, -8, "", kAllCalls},
    {"no_getproperty", nullptr, -8, "", kAllCalls},
    {"no_errorfunc", nullptr, -9, "", AllCallsBut("fexop_ErrorFunc")},
    {"no_complexeventfunc", nullptr, -10, "", AllCallsBut("fexop_ComplexEventFunc")},
    {"no_dohyperlink", nullptr, -11, "", kAllCalls},
    {"no_passwordfunc", nullptr, -12, "", AllCallsBut("fexop_SetPasswordFunc")},
    {"no_getproperty_passwordfunc", nullptr, -12, "", AllCallsBut("fexop_SetPasswordFunc")},
};

const LoadOutcome* OutcomeOf(const char* variant)
{
    for (const LoadOutcome& outcome : kOutcomes)
        if (std::string(outcome.variant) == variant) return &outcome;
    return nullptr;
}

// The variant named by FEXO_TEST_VARIANT: its status, its text, and the
// handshake steps and callback registrations that ran despite a failure.
TEST(LoaderStatus, OfTheVariant)
{
    const char* name = std::getenv("FEXO_TEST_VARIANT");
    ASSERT_NE(name, nullptr) << "run by ctest with FEXO_TEST_VARIANT set";
    const LoadOutcome* outcome = OutcomeOf(name);
    ASSERT_NE(outcome, nullptr) << name;
    const bool failingResult = outcome->failingCall != nullptr;
    // The variants lacking exports lie in their own directories.
    const bool variantDirectory = std::string(name).rfind("no_", 0) == 0;
    const std::string directory =
        variantDirectory ? BinDirectory() + "variants\\" + name + "\\" : BinDirectory();

    UseControlDirectory(directory);
    const StandinControl* standin = StandinIn(directory);
    ASSERT_NE(standin, nullptr);
    if (failingResult) standin->SetResult(outcome->failingCall, NPERR_GENERIC_ERROR);

    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), outcome->status);
    EXPECT_STREQ(g_loadErrorText, outcome->text);
    EXPECT_EQ(CallNames(standin), outcome->calls);

    // The registrations hand over the control's own callbacks.
    const StandinCallbacks* callbacks = standin->Callbacks();
    const auto registered = [&](const char* call) {
        const std::vector<std::string>& calls = outcome->calls;
        return std::find(calls.begin(), calls.end(), call) != calls.end();
    };
    EXPECT_EQ(callbacks->error, registered("fexop_ErrorFunc") ? &fexo::control::PluginErrorCallback
                                                              : nullptr);
    EXPECT_EQ(callbacks->password, registered("fexop_SetPasswordFunc")
                                       ? &fexo::control::PluginPasswordCallback
                                       : nullptr);

    // The exports found are kept, whatever the status.
    EXPECT_EQ(CPluginModule::Export<void*>(fexo::plugin::FexopExport::DoHyperlink) != nullptr,
              std::string(name) != "no_dohyperlink");
    EXPECT_EQ(CPluginModule::Export<void*>(fexo::plugin::FexopExport::GetDocPagesCount) != nullptr,
              true);
}

TEST(LoaderStatus, NoCandidateYieldsTheDll)
{
    ScratchDirectory empty("no_plugin");
    empty.CopyIn(BinDirectory() + "FexoCntl.DLL");
    UseControlDirectory(empty.Path());

    // The text carries the last error at the moment of failure: the last
    // browser directory's load attempt, or, when the prefix names no browser,
    // whatever the search itself left.
    fexo::plugin::CandidateList candidates;
    fexo::plugin::CollectBrowserDirectories(candidates);
    DWORD lastError = GetLastError();
    if (!candidates.Directories().empty()) {
        ASSERT_EQ(LoadLibraryA((candidates.Directories().back() + "npfexo.dll").c_str()), nullptr);
        lastError = GetLastError();
    }
    ASSERT_NE(lastError, 0u);

    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), -1);
    EXPECT_EQ(g_loadErrorText, "InternalError: ErrorCode " + std::to_string(lastError) +
                                   " : Plugin DLL(npfexo.dll) can not be loaded");
    EXPECT_EQ(CPluginModule::Export<void*>(fexo::plugin::FexopExport::GetDocPagesCount), nullptr)
        << "no export was looked up";
    EXPECT_EQ(GetModuleHandleA("npfexo.dll"), nullptr);
}

// A load that failed with -1 is followed by one that succeeds: that control's
// count stays 0, the next control loads again and reaches 1.
TEST(LoaderStatus, NotFoundThenFound)
{
    ScratchDirectory empty("no_plugin");
    empty.CopyIn(BinDirectory() + "FexoCntl.DLL");
    UseControlDirectory(empty.Path());
    CPluginModule::Load();
    ASSERT_EQ(CPluginModule::LoadCount(), -1);

    UseControlDirectory(BinDirectory());
    const StandinControl* standin = StandinIn(BinDirectory());
    ASSERT_NE(standin, nullptr);
    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), 0);
    EXPECT_EQ(CallNames(standin), kAllCalls) << "the whole load ran";
    EXPECT_NE(g_loadErrorText[0], '\0') << "nothing clears the text";

    standin->Reset();
    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), 1);
    EXPECT_EQ(CallNames(standin), kAllCalls) << "old count 0: loaded again";

    // Both controls go: the second release reaches -1, the final release
    // without an unload query, which unfills the tables but shuts nothing down.
    standin->Reset();
    NPSavedData saved{0, nullptr};
    g_savedData = &saved;
    CPluginModule::Unload(0, false);
    EXPECT_EQ(GetPluginFuncs()->newp != nullptr, true);
    CPluginModule::Unload(0, false);
    EXPECT_EQ(CPluginModule::LoadCount(), -1);
    EXPECT_EQ(GetPluginFuncs()->newp, nullptr) << "the table was unfilled";
    EXPECT_EQ(g_savedData, nullptr);
    EXPECT_STREQ(standin->Journal(), "") << "NP_Shutdown only at count 0";
}

TEST(UnloadRules, LoadOnceCountDownShutDownOnlyWhenTheServerMayUnload)
{
    UseControlDirectory(BinDirectory());
    const StandinControl* standin = StandinIn(BinDirectory());
    ASSERT_NE(standin, nullptr);

    CPluginModule::Load();
    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), 2);
    EXPECT_EQ(standin->Journal(), Handshake() + kCallbackRegistrations) << "loaded once";
    EXPECT_EQ(standin->Entry(0)->pointers[0], GetPluginFuncs());
    EXPECT_EQ(standin->Entry(1)->pointers[0], GetBrowserFuncs());
    EXPECT_EQ(standin->BrowserFuncs(), GetBrowserFuncs());

    NPSavedData saved{3, nullptr};
    g_savedData = &saved;
    standin->Reset();
    CPluginModule::Unload(0, false);
    CPluginModule::Unload(0, false);
    EXPECT_EQ(CPluginModule::LoadCount(), 0);
    EXPECT_STREQ(standin->Journal(), "") << "the last control alone shuts nothing down";
    EXPECT_NE(GetPluginFuncs()->newp, nullptr);
    EXPECT_EQ(GetBrowserFuncs()->version, 9);
    EXPECT_EQ(g_savedData, &saved);

    // Locks remain: the query clears the permission and changes nothing.
    CPluginModule::Unload(0, true);
    EXPECT_STREQ(standin->Journal(), "");
    EXPECT_NE(GetPluginFuncs()->newp, nullptr);
    EXPECT_EQ(g_savedData, &saved);

    CPluginModule::Unload(1, true);
    EXPECT_STREQ(standin->Journal(), "NP_Shutdown()\n");
    EXPECT_EQ(g_savedData, nullptr);
    EXPECT_EQ(GetPluginFuncs()->newp, nullptr) << "refilled as an empty table";
    EXPECT_EQ(GetPluginFuncs()->size, sizeof(NPPluginFuncs));
    EXPECT_EQ(CPluginModule::LoadCount(), 0);

    // The next control runs the whole load again; its load clears the permission.
    standin->Reset();
    CPluginModule::Load();
    EXPECT_EQ(CPluginModule::LoadCount(), 1);
    EXPECT_EQ(standin->Journal(), Handshake() + kCallbackRegistrations);
    standin->Reset();
    CPluginModule::Unload(0, false);
    EXPECT_STREQ(standin->Journal(), "") << "the permission went with the new load";
}

}  // namespace
