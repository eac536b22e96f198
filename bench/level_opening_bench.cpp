// Each demo level as the game opens it, through its screen on the
// stand-in (software GL included): the first 100 frames after the briefing
// closes against a warm frame of the same screen. Software GL compiles what
// a draw asks for the first time it is asked for; the level's screen draws
// what play shows once while the level opens. Goal: none of those frames
// over twice the warm frame.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/generated_level.h"

namespace {

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Frames the briefing shows (two seconds of reading), frames after it that
// are measured, and frames after them that the warm frame is the median of.
constexpr int kBriefingFrames = 50;
constexpr int kOpeningFrames = 100;
constexpr int kWarmFrames = 50;

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Milliseconds of processor time of the calling thread. The benchmark
// programs rasterise on the calling thread (they ask software GL for no
// workers unless LP_NUM_THREADS is set), so this is the frame's own work,
// whatever else the machine runs.
double ThreadMilliseconds() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1.0e6;
}

// One frame's wall-clock and processor milliseconds.
struct FrameTime {
  double wall;
  double processor;
};

// The level opened as the game opens it, its briefing shown for two seconds
// (its first frame timed apart), then closed as its key closes it,
// the player standing. The time is the wall-clock time of the first 100
// frames after the briefing together; their slowest, by processor time (a
// busy machine stretches wall-clock frames at random), is set against the
// warm frame's median, and by wall-clock time reported beside it.
void BM_LevelOpening(benchmark::State& state, const char* name) {
  GeneratedLevel level;
  if (!level.OpenOrSkip(state)) {
    return;
  }
  for (auto _ : state) {
    cInGame* screen = level.OpenScreen(name);
    if (screen == nullptr) {
      state.SkipWithError("no level screen");
      return;
    }
    auto timedTick = [&] {
      const auto start = std::chrono::steady_clock::now();
      const double processor = ThreadMilliseconds();
      level.Tick();
      return FrameTime{MillisecondsSince(start), ThreadMilliseconds() - processor};
    };
    const FrameTime first = timedTick();
    for (int i = 1; i < kBriefingFrames; i++) {
      level.Tick();
    }
    screen->GetWorld().CloseInfoView(true);
    std::vector<FrameTime> opening;
    for (int i = 0; i < kOpeningFrames; i++) {
      opening.push_back(timedTick());
    }
    std::vector<double> warm;
    for (int i = 0; i < kWarmFrames; i++) {
      warm.push_back(timedTick().processor);
    }
    level.CloseScreen();
    double total = 0.0, slowest = 0.0, slowestWall = 0.0;
    for (const FrameTime& frame : opening) {
      total += frame.wall;
      slowest = std::max(slowest, frame.processor);
      slowestWall = std::max(slowestWall, frame.wall);
    }
    const double warmFrame = Median(warm);
    state.SetIterationTime(total / 1000.0);
    state.counters["first_ms"] = first.wall;
    state.counters["slowest_ms"] = slowest;
    state.counters["slowest_wall_ms"] = slowestWall;
    state.counters["warm_ms"] = warmFrame;
    state.counters["slowest_to_warm"] = slowest / warmFrame;
  }
  state.SetLabel(std::string(name) + "; the first 100 frames after the briefing");
}
BENCHMARK_CAPTURE(BM_LevelOpening, level01, "level01")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_LevelOpening, level02, "level02")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK_CAPTURE(BM_LevelOpening, level03, "level03")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

}  // namespace
