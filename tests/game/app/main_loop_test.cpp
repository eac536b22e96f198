// Frame pacing: half of the remaining time is slept until 40 ms have passed.
#include "game/app/main_loop.h"

#include <gtest/gtest.h>

namespace {

TEST(FramePacingTest, SleepsHalfTheRemainderUntilTheFrameIsDue) {
  struct tCase {
    s32 elapsed;
    s32 sleep;
  };
  const tCase cases[] = {{0, 20}, {1, 19}, {25, 7}, {38, 1}, {39, 0}, {40, -1}, {41, -1}, {1000, -1}, {-5, 20}};
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.elapsed);
    EXPECT_EQ(test.sleep, FramePacingSleep(test.elapsed));
  }
}

}  // namespace
