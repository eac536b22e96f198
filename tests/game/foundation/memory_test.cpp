// Tests of the global allocation operators around the engine's lifetime.
#include "game/foundation/memory.h"

#include <gtest/gtest.h>

#include <memory>
#include <new>

#include "engine/engine.h"
#include "platform/win/win32.h"
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
  int* numbers = new int[25];
  EXPECT_EQ(mallocs + 2, CountingMemoryState().mallocs);
  int frees = CountingMemoryState().frees;
  delete before;  // an earlier block goes through the engine's free to the C runtime
  delete[] numbers;
  EXPECT_EQ(frees + 2, CountingMemoryState().frees);

  SetEngineOpenFlag(false);
  int* after = new int(3);
  EXPECT_EQ(mallocs + 2, CountingMemoryState().mallocs);
  frees = CountingMemoryState().frees;
  delete during;  // after close: the C runtime, never the closed engine
  delete after;
  EXPECT_EQ(frees, CountingMemoryState().frees);
}

int OwnCode() { return 2; }

// Only the program's own code is served by the engine; what libraries below
// it ask for (their code lies outside the program's image, like the heap)
// comes from the C runtime, and goes back there through the engine's free.
TEST_F(MemoryTest, OnlyTheProgramsOwnCodeIsServedByTheEngine) {
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  SetEngineOpenFlag(true);
  std::unique_ptr<char[]> elsewhere(new char[8]);
  struct tCase {
    const char* what;
    const void* caller;
    bool engine;
  };
  const tCase cases[] = {
      {"the program's code", reinterpret_cast<const void*>(&OwnCode), true},
      {"a library's code", elsewhere.get(), false},
      {"no caller", nullptr, false},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.what);
    const int mallocs = CountingMemoryState().mallocs;
    SetLastError(ERROR_ALREADY_EXISTS);
    void* block = GameTryAllocate(24, test.caller);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(mallocs + (test.engine ? 1 : 0), CountingMemoryState().mallocs);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_EXISTS), GetLastError()) << "the last error is left alone";
    GameRelease(block);
  }
  SetEngineOpenFlag(false);
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
