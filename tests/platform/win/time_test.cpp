// The multimedia timer and sleeping, with the injected clock.
#include <gtest/gtest.h>

#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_testing.h"

namespace {

DWORD ReadClock(void* user) { return *static_cast<DWORD*>(user); }

void RecordSleep(DWORD milliseconds, void* user) { static_cast<std::vector<DWORD>*>(user)->push_back(milliseconds); }

TEST(TimeTest, ElapsedTimeSurvivesTheWrapOfTheMillisecondCounter) {
  DWORD now = 0xFFFFFFF0u;
  WinTestSetClock(ReadClock, &now);
  DWORD last = timeGetTime();
  EXPECT_EQ(last, 0xFFFFFFF0u);
  struct Case {
    DWORD advance;
    int32_t elapsed;
  };
  for (const Case& step : {Case{25, 25}, Case{39, 39}, Case{40, 40}, Case{0x20, 0x20}}) {
    SCOPED_TRACE(step.advance);
    now = last + step.advance;  // wraps past zero on the way
    EXPECT_EQ(static_cast<int32_t>(timeGetTime() - last), step.elapsed);
  }
  now = 5;
  EXPECT_EQ(static_cast<int32_t>(timeGetTime() - last), 21);
  WinTestSetClock(nullptr, nullptr);
}

TEST(TimeTest, RealClockIsMonotonicMilliseconds) {
  DWORD first = timeGetTime();
  Sleep(15);
  DWORD second = timeGetTime();
  int32_t elapsed = static_cast<int32_t>(second - first);
  EXPECT_GE(elapsed, 14);
  EXPECT_LT(elapsed, 1000);
}

TEST(TimeTest, SleepHookReplacesWaiting) {
  std::vector<DWORD> sleeps;
  WinTestSetSleepHook(RecordSleep, &sleeps);
  EXPECT_EQ(SleepEx(7, TRUE), 0u);
  Sleep(0);
  Sleep(INFINITE);  // would never return without the hook
  WinTestSetSleepHook(nullptr, nullptr);
  EXPECT_EQ(sleeps, (std::vector<DWORD>{7, 0, INFINITE}));
}

TEST(TimeTest, PeriodsBalanceAndCapsAreOneMillisecond) {
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOCANDO));
  EXPECT_EQ(timeBeginPeriod(0), static_cast<MMRESULT>(TIMERR_NOCANDO));
  EXPECT_EQ(timeBeginPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(timeEndPeriod(1), static_cast<MMRESULT>(TIMERR_NOERROR));
  TIMECAPS caps = {};
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOERROR));
  EXPECT_EQ(caps.wPeriodMin, 1u);
  EXPECT_GE(caps.wPeriodMax, caps.wPeriodMin);
  EXPECT_EQ(timeGetDevCaps(&caps, sizeof(caps) - 1), static_cast<MMRESULT>(TIMERR_NOCANDO));
  EXPECT_EQ(timeGetDevCaps(nullptr, sizeof(caps)), static_cast<MMRESULT>(TIMERR_NOCANDO));
}

}  // namespace
