// The soak run: the busiest generated level (level01: guards, a civilian, a
// gangster, the boss, every device and sensor) played for 20,000 frames of
// 40 ms on the game's own tick, every NPC active (the level camera follows
// the player; the level's AI distance spans it), the player walking the
// corridor up and down by his input flags and calling his hologram now and
// then, closing dialogues as they come and healed when low (as a medical
// kit would; the fights go on for the whole run). Every 1,000 frames the run samples the live engine objects (frames,
// atomics, clumps, geometries, materials, textures, rasters, cameras,
// lights), the live allocations of the game and the engine, the live sound
// buffers (the game's and the stand-in's) and the stand-in device's live
// resources; after the first sample none may grow beyond the jitter of the
// effects in flight (kJitter), nor drift upwards. At the end the millisecond
// timers still act: the NPCs' shot clocks and the player's statistics advance
// by the frame, the hologram's pulse still turns.
//
// A longer run is a separate command, not in CI, e.g. 200,000 frames (over
// two hours of game time):
//   TK_SOAK_FRAMES=200000 build/test/tests/test_acceptance --gtest_filter='SoakTest.*'
// (with the environment of tools/test.sh).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/app/audio/sound.h"
#include "game/app/frame_tick.h"
#include "game/characters/implants/hologram_implant.h"
#include "game/characters/npc/npc.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/memory.h"
#include "platform/d3d8/d3d8_testing.h"
#include "tests/game/characters/world_fixture.h"
#include "tools/demo/demo.h"
#include "tools/demo/output.h"

namespace {

constexpr int kDefaultFrames = 20000;
constexpr int kSampleEvery = 1000;
constexpr DWORD kFrameMs = 40;
// The output frames of the sound stand-in's mix for one frame (22,050 Hz).
constexpr uint32_t kMixFramesPerFrame = 882;
// The hologram is called this often, and once more at the start of the
// final window, whose frames check the timers.
constexpr int kHologramEvery = 1500;
constexpr f32 kHologramReserve = 0.5f;
constexpr int kFinalWindow = 250;
// The walking player's ends of the corridor, how far he may face away from
// the one he heads for, and the frames without headway after which he
// turns back.
constexpr f32 kCorridorWest = 2.0f;
constexpr f32 kCorridorEast = 22.0f;
constexpr f32 kCorridorHalfWidth = 1.4f;
// The doorways of rooms A and B (north) and C (south), and how far into a
// room a strayed player first heads before its doorway.
constexpr f32 kDoorwayWest = 4.0f;
constexpr f32 kDoorwayEast = 20.0f;
constexpr f32 kDoorwaySouth = 12.0f;
constexpr f32 kRoomMiddle = 4.0f;
constexpr f32 kHeadingTolerance = 0.3f;  // radians
constexpr f32 kPi = 3.14159265f;
constexpr int kHeldFrames = 25;
// Below this health the player is healed, as a medical kit would.
constexpr f32 kHealBelow = 0.3f;

// What is counted, in the order the report prints.
enum eCounted : int {
  kFrames,
  kAtomics,
  kClumps,
  kGeometries,
  kMaterials,
  kTextures,
  kRasters,
  kCameras,
  kLights,
  kAllocations,
  kGameSoundBuffers,
  kStandInSoundBuffers,
  kDeviceResources,
  kCountedKinds
};
const char* const kCountedNames[kCountedKinds] = {
    "frames",    "atomics",      "clumps",      "geometries",          "materials",
    "textures",  "rasters",      "cameras",     "lights",              "allocations",
    "game sound buffers", "stand-in sound buffers", "device resources"};

// Engine objects are counted by a plugin of no data on each kind: its
// constructor and destructor run with every object's.
long sLive[kCountedKinds];
template <int kKind>
void* CountMade(void* object, RwInt32, RwInt32) {
  sLive[kKind]++;
  return object;
}
template <int kKind>
void* CountGone(void* object, RwInt32, RwInt32) {
  sLive[kKind]--;
  return object;
}
constexpr RwUInt32 kCounterPluginId = 0x00FFA501;

bool (*sWorldAttach)() = nullptr;
bool AttachWithCounters() {
  return sWorldAttach() &&
         RwFrameRegisterPlugin(0, kCounterPluginId, CountMade<kFrames>, CountGone<kFrames>, nullptr) >= 0 &&
         RpAtomicRegisterPlugin(0, kCounterPluginId, CountMade<kAtomics>, CountGone<kAtomics>, nullptr) >= 0 &&
         RpClumpRegisterPlugin(0, kCounterPluginId, CountMade<kClumps>, CountGone<kClumps>, nullptr) >= 0 &&
         RpGeometryRegisterPlugin(0, kCounterPluginId, CountMade<kGeometries>, CountGone<kGeometries>, nullptr) >=
             0 &&
         RpMaterialRegisterPlugin(0, kCounterPluginId, CountMade<kMaterials>, CountGone<kMaterials>, nullptr) >= 0 &&
         RwTextureRegisterPlugin(0, kCounterPluginId, CountMade<kTextures>, CountGone<kTextures>, nullptr) >= 0 &&
         RwRasterRegisterPlugin(0, kCounterPluginId, CountMade<kRasters>, CountGone<kRasters>, nullptr) >= 0 &&
         RwCameraRegisterPlugin(0, kCounterPluginId, CountMade<kCameras>, CountGone<kCameras>, nullptr) >= 0 &&
         RpLightRegisterPlugin(0, kCounterPluginId, CountMade<kLights>, CountGone<kLights>, nullptr) >= 0;
}

// Allocations are counted by memory functions over the engine's own, which
// the game's operator new also reaches while the engine-open flag is set.
// Blocks made before the count began and freed during it only lower it.
RwMemoryFunctions sInner;
void* CountedMalloc(size_t size) {
  void* block = sInner.rwmalloc(size);
  sLive[kAllocations] += block != nullptr ? 1 : 0;
  return block;
}
void CountedFree(void* block) {
  sLive[kAllocations] -= block != nullptr ? 1 : 0;
  sInner.rwfree(block);
}
void* CountedRealloc(void* block, size_t size) {
  void* moved = sInner.rwrealloc(block, size);
  sLive[kAllocations] += (block == nullptr && moved != nullptr) ? 1 : 0;
  return moved;
}
void* CountedCalloc(size_t count, size_t size) {
  void* block = sInner.rwcalloc(count, size);
  sLive[kAllocations] += block != nullptr ? 1 : 0;
  return block;
}

// What each count may stand above the first sample at a later one: the
// mechanisms that come and go with the fighting. A gunshot's muzzle and
// impact effects, an awareness icon and the boss's lightning each hold a
// frame, an atomic and its geometry while they last (an icon its texture
// and raster, and so the device's texture, too), and their records, names
// and sound requests some dozens of small blocks. Every effect ends, so they
// come and go with each shot. The first sample may fall in a lull between
// fights, with none of them in flight: the camera's alarm brings room B's
// gunman and boss into the corridor beside the guard, and their shots
// (muzzle, and a hit or an impact of two elements) beside the boss's
// lightning then stand up to sixteen frames and eight atomics and
// geometries above it.
const long kJitter[kCountedKinds] = {16, 8, 0, 8, 0, 3, 3, 0, 0, 80, 0, 0, 3};

// The spacing of f32 values at value.
f32 Ulp(f32 value) { return std::nextafter(std::fabs(value), 1e30f) - std::fabs(value); }

// The counts of one sample (an array: the run's own records, made before
// it, allocate nothing while it runs).
using tSample = std::array<long, kCountedKinds>;

int SoakFrames() {
  const char* text = std::getenv("TK_SOAK_FRAMES");
  const int frames = text != nullptr ? std::atoi(text) : 0;
  return frames > 0 ? frames : kDefaultFrames;
}

RwV3d Position(RwFrame* frame) { return RwFrameGetLTM(frame)->pos; }
RwV3d Facing(RwFrame* frame) { return RwFrameGetLTM(frame)->at; }

class SoakTest : public WorldTest {
 protected:
  SoakTest() {
    sWorldAttach = attach_;
    attach_ = AttachWithCounters;
  }
  void SetUp() override {
    for (long& live : sLive) {
      live = 0;
    }
    WorldTest::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    sInner = RwEngineInstance->memoryFunctions;
    RwEngineInstance->memoryFunctions = {CountedMalloc, CountedFree, CountedRealloc, CountedCalloc};
    SetEngineOpenFlag(true);
    ResetFrameTick();
    RpRandomSeed(kRpRandomDefaultSeed);
  }
  void TearDown() override {
    mWorld.reset();
    SetEngineOpenFlag(false);
    if (sInner.rwmalloc != nullptr) {
      RwEngineInstance->memoryFunctions = sInner;
    }
    ResetFrameTick();
    sNow = 100000;
    WorldTest::TearDown();
  }

  static tSample Sample() {
    sLive[kGameSoundBuffers] = static_cast<long>(CSoundEngine::GetBufferCount());
    sLive[kStandInSoundBuffers] = static_cast<long>(dsoundtest::LiveBufferCount());
    sLive[kDeviceResources] = static_cast<long>(d3d8test::LiveResourceCount(Device()));
    tSample sample;
    std::copy(sLive, sLive + kCountedKinds, sample.begin());
    return sample;
  }

  // One 40 ms frame on the game's road: the clock, the tick through the
  // event device (the world's update and music), the sound engine's update
  // as the screens give it, and the stand-in's mix of the frame.
  void RunFrame() {
    sNow += kFrameMs;
    FrameTickAt(sNow);
    cSndEngWin::UpdateAll();
    dsoundtest::PumpFrames(dsoundtest::NewestDevice(), kMixFramesPerFrame);
  }

  // The player walks the corridor (x 0 to 24, z -1.5 to 1.5) from end to
  // end, back through the doorway when he strayed into a room: the turn
  // keys held while he faces more than a little away from where he heads,
  // the forward key otherwise. At the end, or held up for a second (a man
  // in the way), he heads for the other end.
  void Steer(cDorvaMan* player) {
    const RwV3d at = Position(player->GetFrame());
    const RwV3d facing = Facing(player->GetFrame());
    const f32 endX = mEastward ? kCorridorEast : kCorridorWest;
    const bool held = player->Input().forwardKey != 0 && std::fabs(at.x - mLastX) + std::fabs(at.z - mLastZ) < 0.01f;
    mHeldFrames = held ? mHeldFrames + 1 : 0;
    mLastX = at.x;
    mLastZ = at.z;
    if ((std::fabs(endX - at.x) < 1.0f && std::fabs(at.z) < kCorridorHalfWidth) || mHeldFrames > kHeldFrames) {
      mEastward = !mEastward;
      mHeldFrames = 0;
    }
    RwV2d goal = {mEastward ? kCorridorEast : kCorridorWest, 0.0f};
    if (std::fabs(at.z) > kCorridorHalfWidth) {
      const f32 doorX = at.z < 0.0f ? kDoorwaySouth : at.x < kDoorwaySouth ? kDoorwayWest : kDoorwayEast;
      goal = {doorX, std::fabs(at.x - doorX) < 0.4f ? 0.0f : at.z < 0.0f ? -kRoomMiddle : kRoomMiddle};
    }
    f32 error = std::atan2(goal.x - at.x, goal.y - at.z) - std::atan2(facing.x, facing.z);
    error = std::remainder(error, 2.0f * kPi);
    tPlayerInput& input = player->Input();
    const u8 turn = std::fabs(error) > kHeadingTolerance ? 1 : 0;
    input.forwardKey = turn != 0 ? 0 : 1;
    input.turnLeftKey = turn != 0 && error > 0.0f ? 1 : 0;
    input.turnRightKey = turn != 0 && error <= 0.0f ? 1 : 0;
    player->SetKeyTurnSum(static_cast<f32>(input.turnLeftKey) - static_cast<f32>(input.turnRightKey));
  }

  // Dialogues freeze the game until a key closes them: closed as they come.
  static void CloseDialogue(cQXWorld* world) {
    const s32 shown = world->GetCurrentMessage();
    if (world->GetPendingMessage() == kMessageShown && shown >= 0 &&
        world->GetMessageDialogues()[static_cast<u32>(shown)] >= 0) {
      world->HideMessage(true, false, false);
    }
  }

  void UseHologram(cDorvaMan* player) {
    player->SetSelectedImplant(kImplantIndexHologram);
    player->Input().useImplant = 1;
  }

  bool mEastward = true;
  f32 mLastX = 0.0f;
  f32 mLastZ = 0.0f;
  int mHeldFrames = 0;
};

std::vector<cNpc*> Npcs(cQXWorld* world) {
  std::vector<cNpc*> npcs;
  cPtrArray& men = world->GetMen();
  for (u32 i = 0; i < men.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(men.Get(i));
    if (man != world->GetPlayer() && man != world->GetHologram()) {
      npcs.push_back(static_cast<cNpc*>(man));
    }
  }
  return npcs;
}

TEST_F(SoakTest, TheBusiestLevelRunsFlatAndItsMillisecondTimersStillAct) {
  MakeScreenStack();
  ASSERT_TRUE(WriteDemoData());
  cQXWorld* world = (mWorld = std::make_unique<cQXWorld>(&mConfig, cString("level01"))).get();
  for (u32 step = 0; step < kLoadStepCount; step++) {
    world->Load();
  }
  cDorvaMan* player = world->GetPlayer();
  ASSERT_TRUE(player != nullptr && world->GetCamera(0) != nullptr);
  world->CloseInfoView(true);
  world->SetInputLock(0);
  const std::vector<cNpc*> npcs = Npcs(world);
  ASSERT_EQ(4u, npcs.size());
  // The boss and the gangster walk room B behind its door: they start in
  // the corridor's east half, in the player's way, so that the fights are
  // under way from the first sample on.
  for (cNpc* npc : npcs) {
    const RwV3d inTheWay = {npc->IsBoss() ? kCorridorEast : kDoorwayEast, 0.0f, 0.0f};
    if (npc->IsBoss() || npc->GetTypeIndex() == kManTypeGangster) {
      RwFrameTranslate(npc->GetFrame(), &inTheWay, kRwCombineReplace);
    }
  }
  auto* hologram = static_cast<cHologramImplant*>(player->GetImplant(kImplantIndexHologram));
  ASSERT_TRUE(hologram != nullptr);

  const int frames = SoakFrames();
  const int finalWindow = frames - kFinalWindow;
  std::vector<tSample> samples;
  std::vector<int> sampleFrames;
  samples.reserve(frames / kSampleEvery + 1);
  sampleFrames.reserve(frames / kSampleEvery + 1);
  std::vector<f32> shotClocks(npcs.size()), lastShots(npcs.size());
  u32 hitsBefore = 0;
  int shotsAtTheEnd = 0;
  f32 worstShotStep = 0.0f, worstStatsStep = 0.0f;
  std::vector<f32> pulse;
  pulse.reserve(kFinalWindow);
  for (int frame = 1; frame <= frames; frame++) {
    CloseDialogue(world);
    if (player->GetHealth() < kHealBelow) {
      player->AddHealth(1.0f);
    }
    Steer(player);
    // The hologram now and then while the energy (which comes back very
    // slowly) keeps enough for the final window; there once more (again
    // while the player could not use it).
    if ((frame % kHologramEvery == 0 && player->GetEnergy() > kHologramReserve) ||
        (frame >= finalWindow && frame < finalWindow + kFinalWindow / 4 && !hologram->IsActive())) {
      UseHologram(player);
    }
    if (frame == finalWindow) {
      hitsBefore = player->GetStats().GetCounter(kCounterHitsTaken);
    }
    const f32 statsBefore = player->GetStats().GetMilliseconds();
    for (size_t i = 0; i < npcs.size(); i++) {
      shotClocks[i] = npcs[i]->GetShotClock().GetMilliseconds();
      lastShots[i] = npcs[i]->GetLastShotTime();
    }
    RunFrame();
    // The last frames: every millisecond timer advances by the frame, to
    // the precision its value leaves; the NPCs still shoot.
    if (frame > finalWindow) {
      const f32 statsNow = player->GetStats().GetMilliseconds();
      worstStatsStep = std::max(worstStatsStep, std::fabs(statsNow - statsBefore - kFrameMs) - Ulp(statsNow));
      for (size_t i = 0; i < npcs.size(); i++) {
        const f32 now = npcs[i]->GetShotClock().GetMilliseconds();
        worstShotStep = std::max(worstShotStep, std::fabs(now - shotClocks[i] - kFrameMs) - Ulp(now));
        shotsAtTheEnd += npcs[i]->GetLastShotTime() != lastShots[i] ? 1 : 0;
      }
      pulse.push_back(hologram->GetPulseAlpha());
    }
    if (frame % kSampleEvery == 0) {
      samples.push_back(Sample());
      sampleFrames.push_back(frame);
      for (cNpc* npc : npcs) {
        EXPECT_TRUE(!npc->IsAlive() || npc->IsActive()) << "frame " << frame;
      }
      std::printf("frame %6d:", frame);
      for (int kind = 0; kind < kCountedKinds; kind++) {
        std::printf(" %s %ld", kCountedNames[kind], samples.back()[kind]);
      }
      std::printf("\n");
    }
  }
  ASSERT_FALSE(samples.empty());
  // Nothing grows: no sample above the first by more than its kind's
  // jitter, and the last third of the run no higher on average than the
  // first.
  const size_t third = std::max<size_t>(1, samples.size() / 3);
  for (int kind = 0; kind < kCountedKinds; kind++) {
    SCOPED_TRACE(kCountedNames[kind]);
    for (size_t s = 1; s < samples.size(); s++) {
      EXPECT_LE(samples[s][kind], samples[0][kind] + kJitter[kind]) << "at frame " << sampleFrames[s];
    }
    double early = 0.0, late = 0.0;
    for (size_t s = 0; s < third; s++) {
      early += static_cast<double>(samples[s][kind]) / third;
      late += static_cast<double>(samples[samples.size() - 1 - s][kind]) / third;
    }
    EXPECT_LE(late, early + kJitter[kind] / 4.0);
  }

  // The timers at the end of the run.
  const f32 shotClock = npcs[0]->GetShotClock().GetMilliseconds();
  EXPECT_GT(shotClock, 0.95f * frames * kFrameMs);
  EXPECT_LE(worstShotStep, 0.0f) << "a shot clock at " << shotClock << " ms";
  EXPECT_LE(worstStatsStep, 0.0f) << "the statistics at " << player->GetStats().GetMilliseconds() << " ms";
  EXPECT_GT(shotsAtTheEnd, 0);
  EXPECT_GT(player->GetStats().GetCounter(kCounterHitsTaken), hitsBefore);
  // The level time: every frame's, less the first second or two while the
  // tick's frame-time average fills.
  EXPECT_NEAR(frames * static_cast<f32>(kFrameMs), player->GetStats().GetElapsed(),
              kFrameAverageCount * kFrameMs + 0.001f * frames * kFrameMs);
  // The hologram called for the end stands, its pulse turning up and down
  // within its band.
  EXPECT_EQ(kHologramStand, hologram->GetPhase());
  int turns = 0;
  for (size_t i = 2; i < pulse.size(); i++) {
    turns += (pulse[i] - pulse[i - 1]) * (pulse[i - 1] - pulse[i - 2]) < 0.0f ? 1 : 0;
  }
  EXPECT_GE(turns, 4);
  for (f32 alpha : pulse) {
    EXPECT_TRUE(alpha >= 76.0f && alpha <= 200.0f) << alpha;
  }
}

}  // namespace
