// One frame of the busiest generated level (level01: every device and
// sensor type, its men) at 25 frames a second, the player walking: the
// world's update alone (men, devices, sensors, timers, HUD state), and the
// update with the frame drawn and presented on the stand-in (software GL
// included). Goal for the update: at most 4 ms of the 40 ms frame. The drawn
// frame is timed warm: its first frame, and the rest of one walk down the
// corridor, go before the timing (software GL compiles what a draw needs the
// first time it is asked for), and the first frame is reported apart.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <vector>

#include "bench/generated_level.h"

namespace {

constexpr f32 kFrameSeconds = 0.04f;
// The walk down the corridor and back to its start.
constexpr int kWalkFrames = 100;

cQXWorld* PlayingLevel(GeneratedLevel& level) {
  cQXWorld* world = level.Load("level01");
  world->CloseInfoView(true);
  world->SetInputLock(0);
  if (cDorvaMan* player = world->GetPlayer()) {
    player->Input() = tPlayerInput{};
    player->Input().forwardKey = 1;
  }
  return world;
}

// Keeps the walking player inside the corridor: back to its start every
// walk.
void KeepInside(cQXWorld* world, int frame) {
  cDorvaMan* player = world->GetPlayer();
  if (player != nullptr && frame % kWalkFrames == 0) {
    const RwV3d start = {2.0f, 0.0f, 0.0f};
    RwFrameTranslate(player->GetFrame(), &start, kRwCombineReplace);
    player->SetHeading(1.5707964f);
  }
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_LevelFrameUpdate(benchmark::State& state) {
  GeneratedLevel level;
  if (!level.OpenOrSkip(state)) {
    return;
  }
  cQXWorld* world = PlayingLevel(level);
  int frame = 0;
  for (auto _ : state) {
    KeepInside(world, frame++);
    world->Update(kFrameSeconds);
  }
  state.SetLabel("level01");
}
BENCHMARK(BM_LevelFrameUpdate)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_LevelFrameDrawn(benchmark::State& state) {
  GeneratedLevel level;
  if (!level.OpenOrSkip(state)) {
    return;
  }
  cQXWorld* world = PlayingLevel(level);
  // The player's camera, or one of its own down the corridor where the
  // level has none.
  cCamera own;
  cCamera* camera = world->GetCamera(0);
  if (camera == nullptr) {
    camera = &own;
    own.SetClipPlanes(0.1f, 120.0f);
    own.SetFieldOfView(1.0471976f);
    const RwV3d up = {0.0f, 1.0f, 0.0f}, eye = {0.5f, 2.0f, 0.0f};
    RwFrameRotate(own.GetFrame(), &up, 90.0f, kRwCombineReplace);
    RwFrameTranslate(own.GetFrame(), &eye, kRwCombinePostConcat);
    RpWorldAddCamera(world->GetEngineWorld(), own.GetCamera());
  }
  if (gScreenStack == nullptr) {
    state.SkipWithError("no screen");
    return;
  }
  int frame = 0;
  auto drawFrame = [&] {
    KeepInside(world, frame++);
    world->Update(kFrameSeconds);
    world->GetRenderManager().RenderFrame(camera, gScreenStack->GetTarget());
    gScreenStack->Present();
  };
  const auto start = std::chrono::steady_clock::now();
  drawFrame();
  const double first = MillisecondsSince(start);
  const auto warmUp = std::chrono::steady_clock::now();
  while (frame < kWalkFrames) {
    drawFrame();
  }
  const double rest = MillisecondsSince(warmUp);
  for (auto _ : state) {
    drawFrame();
  }
  if (camera == &own) {
    RpWorldRemoveCamera(world->GetEngineWorld(), own.GetCamera());
  }
  state.counters["first_ms"] = first;
  state.counters["walk_rest_ms"] = rest / (kWalkFrames - 1);
  state.SetLabel("software GL; first frame and the walk's other frames apart");
}
BENCHMARK(BM_LevelFrameDrawn)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// Frames the briefing shows (two seconds of reading), frames after it that
// are measured, and frames after them that the warm frame is the median of.
constexpr int kBriefingFrames = 50;
constexpr int kOpeningFrames = 100;
constexpr int kWarmFrames = 100;

double Median(std::vector<double> values) {
  std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
  return values[values.size() / 2];
}

// Milliseconds of processor time of the calling thread. The benchmark
// programs rasterise on the calling thread (no software GL workers), so
// this is the frame's own work, whatever else the machine runs.
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

// The level opened as the game opens it, its briefing shown for two
// seconds (its first frame timed apart), then closed as its key closes it,
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
