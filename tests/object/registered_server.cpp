// The server registered for the whole run: dispatch calls and class
// information come from the registered type library, the misc status from
// the class's registry entries.
#include <gtest/gtest.h>
#include "server_dll.h"

namespace {
class RegisteredServer : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(fexo::test::ServerDll::Register(), S_OK); }
    void TearDown() override { EXPECT_EQ(fexo::test::ServerDll::Unregister(), S_OK); }
};

const testing::Environment* const registered =
    testing::AddGlobalTestEnvironment(new RegisteredServer);
}  // namespace
