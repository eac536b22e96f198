// Fixture that starts the engine on the fake driver.
#include "tests/support/started_engine.h"

#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"

void StartedEngineTest::SetUp() { StartEngine(nullptr); }

void StartedEngineTest::StartEngine(bool (*attach)(), const RwMemoryFunctions* memoryFunctions) {
  FakeDriverInstall();
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineInit(memoryFunctions, 0, 4194304));
  if (attach != nullptr) {
    ASSERT_TRUE(attach());
  }
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

void ExpectFailedStartsLeakNothing(bool (*attach)(), bool (*started)()) {
  // A start makes a few dozen allocations at most.
  constexpr int kStartAllocationLimit = 64;
  FakeDriverInstall();
  CountingMemoryReset();
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  ASSERT_TRUE(attach());
  ASSERT_TRUE(RwEngineOpen(&params));
  ExpectFailedMallocsLeakNothing(
      [started] {
        if (!RwEngineStart()) {
          return false;
        }
        EXPECT_TRUE(started());
        return RwEngineStop() != FALSE;
      },
      kStartAllocationLimit);
  FakeEngineShutdown();
  FakeDriverUninstall();
}
