// Fixture that starts the engine on the fake driver.
#include "tests/support/started_engine.h"

#include "tests/support/fake_driver.h"

void StartEngineOnFakeDriver(bool (*attachPlugins)()) {
  FakeDriverInstall();
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  if (attachPlugins != nullptr) {
    ASSERT_TRUE(attachPlugins());
  }
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineStart());
  TakeError();
}

void StartedEngineTest::SetUp() { StartEngineOnFakeDriver(nullptr); }

void StartedEngineTest::TearDown() {
  FakeEngineShutdown();
  FakeDriverUninstall();
}

void StartedEngineTest::ExpectError(RwInt32 plugin, RwInt32 code) {
  const RwErrorRecord e = TakeError();
  EXPECT_EQ(e.pluginID, plugin);
  EXPECT_EQ(static_cast<RwUInt32>(e.errorCode), static_cast<RwUInt32>(code));
}

void StartedEngineTest::ExpectNoError() { ExpectError(kRwPluginIdNone, kRwErrNoError); }
