// Fuzz target for a level's "camera.txt": any bytes as the first demo
// level's file, read by the game camera, which then follows a walking
// player frame, looks at points from close and from aside, is brightened
// and darkened, and orbits the dead, a few frames in each mode. A file that
// lacks a required key ends the game through FatalError, which is the
// answer to it and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/characters/camera/dorva_cam.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"

namespace {

constexpr size_t kMaxInput = 8192;
constexpr u32 kFrames = 6;
constexpr f32 kFrameTime = 0.05f;  // seconds

void Frames(cDorvaCam* camera, RwFrame* player) {
  const RwV3d step = {0.1f, 0.0f, 0.3f};
  for (u32 frame = 0; frame < kFrames; frame++) {
    RwFrameTranslate(player, &step, kRwCombinePostConcat);
    camera->Update(kFrameTime);
  }
}

void FollowThePlayer(const uint8_t* bytes, size_t size) {
  gamefuzz::Serve("data/level01/camera.txt", bytes, size);
  RwFrame* player = RwFrameCreate();
  cDorvaCam* camera = new cDorvaCam(player, nullptr, cString("level01"), nullptr);
  camera->Reset();
  Frames(camera, player);
  camera->SetFollowMode();
  Frames(camera, player);
  camera->StartLookAt(false, 1.0f, 1.5f, 2.0f);
  Frames(camera, player);
  camera->StartLookAt(true, -3.0f, 0.0f, 4.0f);
  Frames(camera, player);
  for (u32 brightness : {0u, 50u, 100u}) {
    gGameOptions->SetBrightness(brightness);
    camera->ApplyBrightness();
  }
  camera->RestoreLightColour();
  camera->SetDeathMode();
  Frames(camera, player);
  delete camera;
  RwFrameDestroy(player);
}

// A fatal end leaves only a half-made camera and its frame behind, which
// nothing else holds.
void Nothing() {}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(gamefuzz::StartWithoutData(), bytes, size, kMaxInput, FollowThePlayer, Nothing);
}
