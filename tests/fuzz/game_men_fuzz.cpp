// Fuzz target for a level's men as the level makes them: any bytes as the
// first demo level's "men.txt", loaded by its world after the level's
// geometry, lightmaps and waypoint graph: the men's static data, then each
// man of the group "Men" through cMan::Create (TYPE, BODY and the body's
// own group), the capsule of "CollisionCapsule" and its type's property
// reader; the first is bound as the player. The men then live a few frames.
// A file the game cannot use ends it through FatalError, which is the answer
// to it and no finding (tests/fuzz/fatal_worker.h).
#include <cstddef>
#include <cstdint>

#include "game/characters/man.h"
#include "game/world/qx_world.h"
#include "tests/fuzz/fatal_worker.h"
#include "tests/fuzz/game_fuzz_engine.h"

namespace {

constexpr size_t kMaxInput = 16384;
// The load steps up to the men: 0, 2, 1, 3, 4, 5 and 6.
constexpr u32 kStepsToTheMen = 7;
constexpr u32 kFrames = 8;
constexpr f32 kFrameTime = 0.1f;  // seconds

void LoadMen(const uint8_t* bytes, size_t size) {
  RpRandomSeed(1);
  gamefuzz::Serve("data/level01/men.txt", bytes, size);
  cPropertyFile config;
  config.Load(cString("data/config.txt"));
  cQXWorld* world = new cQXWorld(&config, cString("level01"));
  for (u32 step = 0; step < kStepsToTheMen; step++) {
    world->Load();
  }
  world->SetInputLock(0);
  for (u32 frame = 0; frame < kFrames; frame++) {
    world->cScene::Update(kFrameTime);
  }
  delete world;
  cMan::ReleaseStaticData();
  if (RwTexDictionary* level = RwTexDictionaryGetCurrent()) {
    RwTexDictionaryDestroy(level);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  return fatalworker::TestOneInput(gamefuzz::Start(), bytes, size, kMaxInput, LoadMen, nullptr);
}
