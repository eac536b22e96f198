// One frame of the busiest generated level (level01: every device and
// sensor type, its men) at 25 frames a second, the player walking: the
// world's update alone (men, devices, sensors, timers, HUD state), and the
// update with the frame drawn and presented on the stand-in (software GL
// included). Goal for the update: at most 4 ms of the 40 ms frame. The drawn
// frame is timed warm: its first frame, and the rest of one walk down the
// corridor, go before the timing (software GL compiles what a draw needs the
// first time it is asked for), and the first frame is reported apart.
#include <chrono>

#include "bench/generated_level.h"

namespace {

constexpr f32 kFrameSeconds = 0.04f;
// The walk down the corridor and back to its start.
constexpr int kWalkFrames = 100;
// Frames timed: a fixed number, so that the level is set up once (each
// run of a benchmark function sets it up again).
constexpr int kUpdateFrames = 1000;
constexpr int kDrawnFrames = 2 * kWalkFrames;

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
BENCHMARK(BM_LevelFrameUpdate)->Unit(benchmark::kMillisecond)->Iterations(kUpdateFrames);

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
BENCHMARK(BM_LevelFrameDrawn)->Unit(benchmark::kMillisecond)->Iterations(kDrawnFrames);

}  // namespace
