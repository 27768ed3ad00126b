// A process whose first control finds no plugin, after which the plugin is
// put in place: the control that then loads it successfully is left with the
// count 0 and creates no instance; the next control loads again and does.
// Runs with FEXO_SERVER_DLL naming a FexoCntl.DLL in a directory of its own.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>
#include "FexoCtl.h"
#include "server_dll.h"
#include "standin_control.h"
#include "test_container.h"

using fexo::test::PumpMessages;
using fexo::test::ServerDll;
using fexo::test::TestContainer;

namespace {

std::string ServerDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(ServerDll::Handle(), path, MAX_PATH);
    std::string directory = path;
    return directory.substr(0, directory.rfind('\\') + 1);
}

struct ActiveControl {
    ActiveControl()
    {
        EXPECT_EQ(ServerDll::CreateControl(nullptr, IID_IOleObject, reinterpret_cast<void**>(&ole)),
                  S_OK);
    }
    void Activate()
    {
        ole->SetClientSite(&container);
        RECT position = container.PositionRect();
        EXPECT_EQ(ole->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &container, 0,
                              container.HostWindow(), &position),
                  S_OK);
        PumpMessages();
    }
    ~ActiveControl()
    {
        ole->Close(OLECLOSE_NOSAVE);
        ole->SetClientSite(nullptr);
        EXPECT_EQ(ole->Release(), 0u);
        PumpMessages();
    }
    TestContainer container;
    IOleObject* ole = nullptr;
};

TEST(LatePlugin, NotFoundThenFoundThenLoadedAgain)
{
    if (!std::getenv("FEXO_SERVER_DLL")) GTEST_SKIP() << "runs with FEXO_SERVER_DLL set";
    const std::string plugin = ServerDirectory() + "npfexo.dll";
    DeleteFileA(plugin.c_str());  // left by an earlier run
    ASSERT_EQ(GetFileAttributesA(plugin.c_str()), INVALID_FILE_ATTRIBUTES);

    ActiveControl missing;  // count -1
    missing.Activate();
    EXPECT_EQ(GetModuleHandleA("npfexo.dll"), nullptr);

    char bin[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, bin, MAX_PATH);
    std::string standinPath = bin;
    standinPath = standinPath.substr(0, standinPath.rfind('\\') + 1) + "npfexo.dll";
    ASSERT_TRUE(CopyFileA(standinPath.c_str(), plugin.c_str(), FALSE));

    ActiveControl found;  // count 0: loaded, but no instance
    const StandinControl* standin = StandinControlOf(GetModuleHandleA("npfexo.dll"));
    ASSERT_NE(standin, nullptr);
    EXPECT_EQ(standin->Count(), 6) << "the whole handshake: " << standin->Journal();
    standin->Reset();
    found.Activate();
    EXPECT_STREQ(standin->Journal(), "") << "count 0 creates no instance";

    ActiveControl loaded;  // old count 0: loads again, count 1
    EXPECT_EQ(standin->Count(), 6) << standin->Journal();
    standin->Reset();
    loaded.Activate();
    ASSERT_GE(standin->Count(), 2);
    EXPECT_STREQ(standin->Entry(0)->call, "NPP_New");
    EXPECT_STREQ(standin->Entry(1)->call, "NPP_SetWindow");
}

}  // namespace
