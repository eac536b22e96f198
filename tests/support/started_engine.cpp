// Fixture that starts the engine on the fake driver.
#include "tests/support/started_engine.h"

#include "tests/support/fake_driver.h"

void StartedEngineTest::SetUp() {
  FakeDriverInstall();
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 4194304));
  ASSERT_TRUE(AttachPlugins());
  ASSERT_TRUE(RwEngineOpen(&params));
  ASSERT_TRUE(RwEngineStart());
  TakeError();
}

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
