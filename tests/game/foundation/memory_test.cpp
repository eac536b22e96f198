// Tests of the global allocation operators around the engine's lifetime.
#include "game/foundation/memory.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "engine/engine.h"
#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"

namespace {

class MemoryTest : public testing::Test {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    CountingMemoryReset();
  }
  void TearDown() override {
    SetEngineOpenFlag(false);
    FakeEngineShutdown();
    FakeDriverUninstall();
  }
};

TEST_F(MemoryTest, EngineMemoryOnlyWhileTheFlagIsSet) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  int* before = new int(1);  // the C runtime's
  int mallocs = CountingMemoryState().mallocs;

  SetEngineOpenFlag(true);
  EXPECT_TRUE(GetEngineOpenFlag());
  int* during = new int(2);
  std::string* text = new std::string(100, 'x');
  EXPECT_EQ(mallocs + 3, CountingMemoryState().mallocs);  // the int, the string and its storage
  int frees = CountingMemoryState().frees;
  delete before;  // an earlier block goes through the engine's free to the C runtime
  delete text;
  EXPECT_EQ(frees + 3, CountingMemoryState().frees);

  SetEngineOpenFlag(false);
  int* after = new int(3);
  EXPECT_EQ(mallocs + 3, CountingMemoryState().mallocs);
  frees = CountingMemoryState().frees;
  delete during;  // after close: the C runtime, never the closed engine
  delete after;
  EXPECT_EQ(frees, CountingMemoryState().frees);
}

TEST_F(MemoryTest, ArraysAndZeroSizes) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  SetEngineOpenFlag(true);
  char* empty = new char[0];
  EXPECT_NE(nullptr, empty);
  std::unique_ptr<int[]> numbers(new int[16]());
  EXPECT_EQ(0, numbers[15]);
  delete[] empty;

  // The nothrow form reports exhaustion with null instead of ending the game.
  CountingMemoryState().failMallocNumber = CountingMemoryState().mallocs + 1;
  EXPECT_EQ(nullptr, new (std::nothrow) int[4]);
  SetEngineOpenFlag(false);
  // numbers is released after the engine has gone: the C runtime takes it.
}

TEST_F(MemoryTest, ExhaustionIsFatal) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  SetEngineOpenFlag(true);
  EXPECT_DEATH(
      {
        CountingMemoryState().failMallocNumber = CountingMemoryState().mallocs + 1;
        delete new int(1);
      },
      "operator new : out of memory");
}

}  // namespace
