// A plugin without the exports that members and callbacks call (its load
// fails, so no instance is made): every member still answers S_OK, every
// callback returns, and nothing reaches the plugin.
#include <gtest/gtest.h>
#include "every_member.h"
#include "hosted_control.h"
#include "server_dll.h"

using namespace fexo::test;

TEST(MissingExports, EveryMemberAndCallbackStillSucceeds)
{
    ASSERT_EQ(ServerDll::Register(), S_OK);  // IDispatch needs the type library
    HostedControl hosted;
    EXPECT_EQ(CallEveryMember(hosted.Control(), [](DISPID id, HRESULT hr) { EXPECT_EQ(hr, S_OK) << id; }),
              127);

    // Without an instance the callbacks are given a record that names the control.
    NPP_t record{nullptr, hosted.Control()};
    const StandinCallbacks& callbacks = *hosted.Standin()->Callbacks();
    callbacks.error(&record, "message");
    callbacks.event(&record, "PageChange", nullptr, 0, 0, 3, 0);
    callbacks.complexEvent(&record, "HyperlinkClickEvent", "http://a/", nullptr, nullptr, 0, 0, 0,
                           0, 0, 1);
    PasswordRequest request{0, nullptr, "u", "p"};
    int32_t result = 5;
    callbacks.password(&record, &request, &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(hosted.Journal(), "");
}
