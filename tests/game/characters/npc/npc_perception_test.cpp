// The perception step: a guard, a gangster or a civilian looking along +x
// at the player, the double or a fallen guard, in light and in darkness.
#include <gtest/gtest.h>

#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcPerceptionTest = NpcTest;

constexpr f32 kFar = 0.0f;                // a man left out of the row stands far away
const RwV3d kEye = {-8.0f, 0.0f, -8.0f};  // on node 0: no opening shot from a chase
constexpr f32 kPerceptionFacingX = 1.5707964f;

RwV3d PerceptionAhead(f32 distance) {
  return distance == kFar ? RwV3d{500.0f, 500.0f, 500.0f} : RwV3d{kEye.x + distance, 0.0f, kEye.z};
}

TEST_F(NpcPerceptionTest, SightAndHearingSwitchTheStateAndCountAlerts) {
  cDorvaMan* player = LoadPlayer();
  cMan* hologram = MakeMan("holo", "TYPE = dorvaholoman\nBODY = dorvaholoman\n");
  const struct {
    const char* name;
    const char* type;
    u8 light;
    f32 player, hologram, fallenGuard, noise;
    bool ultra, alerted;
    f32 clock;
    bool switched;
    u32 state, enemyAlerts, civilianAlerts;
  } rows[] = {
      {"guard, light, 8: chase", "guard", 255, 8, kFar, kFar, 0, false, false, 1000, true, 6, 1, 0},
      {"guard, light, 15: search", "guard", 255, 15, kFar, kFar, 0, false, false, 1000, true, 5, 1, 0},
      {"guard, light, 25: seen only", "guard", 255, 25, kFar, kFar, 0, false, false, 1000, false, 14, 0, 0},
      {"guard, dark, 8: search", "guard", 0, 8, kFar, kFar, 0, false, false, 1000, true, 5, 1, 0},
      {"guard, dark, 4.5: chase", "guard", 0, 4.5f, kFar, kFar, 0, false, false, 1000, true, 6, 1, 0},
      {"guard, dark, 15: nothing", "guard", 0, 15, kFar, kFar, 0, false, false, 1000, false, 14, 0, 0},
      {"gangster, light, 3: search", "gangster", 255, 3, kFar, kFar, 0, false, false, 1000, true, 5, 1, 0},
      {"civilian, light, 8: panic", "civilian", 255, 8, kFar, kFar, 0, false, false, 1000, true, 12, 0, 1},
      {"civilian sees a fallen guard", "civilian", 255, kFar, kFar, 6, 0, false, false, 1000, true, 12, 0, 0},
      {"the double alone: chase, no count", "guard", 255, kFar, 6, kFar, 0, false, false, 1000, true, 6, 0, 0},
      {"already alerted: no count", "guard", 255, 8, kFar, kFar, 0, false, true, 1000, true, 6, 0, 0},
      {"Ultra: seen at 8, nothing", "guard", 255, 8, kFar, kFar, 0, true, false, 1000, false, 14, 0, 0},
      {"heard behind at 1.5: chase", "guard", 255, -1.5f, kFar, kFar, 3, false, false, 1000, true, 6, 0, 0},
      {"heard behind at 3: look around", "guard", 255, -3, kFar, kFar, 3, false, false, 1000, true, 4, 0, 0},
      {"Ultra, heard at 1.5: look around", "guard", 255, -1.5f, kFar, kFar, 3, true, false, 1000, true, 4, 0, 0},
      {"civilians do not listen", "civilian", 255, -1.5f, kFar, kFar, 3, false, false, 1000, false, 14, 0, 0},
      {"resting 4 s after a switch", "guard", 255, 8, kFar, kFar, 0, false, false, 3.9f, false, 14, 0, 0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SetLight(row.light);
    player->GetStats().Reset();
    player->SetNoise(row.noise);
    Place(player, PerceptionAhead(row.player));
    Place(hologram, PerceptionAhead(row.hologram));
    tNpcPlayerHooks hooks;
    hooks.ultraInUse = row.ultra ? +[](const cDorvaMan*) { return true; } : nullptr;
    cNpc::SetPlayerHooks(hooks);
    cNpc* fallen = nullptr;
    if (row.fallenGuard != kFar) {
      fallen = MakeNpc("guard", "");
      fallen->SetAlive(false);
      Place(fallen, PerceptionAhead(row.fallenGuard));
    }
    cNpc* npc = MakeNpc(row.type, "");
    Place(npc, kEye, kPerceptionFacingX);
    RwFrameSyncDirty();
    npc->SetAlerted(row.alerted);
    npc->SetPerceptionClock(row.clock);
    EXPECT_EQ(row.switched, npc->Perceive());
    EXPECT_EQ(row.state, npc->GetState());
    EXPECT_EQ(row.enemyAlerts, player->GetStats().GetCounter(kCounterEnemyAlerts));
    EXPECT_EQ(row.civilianAlerts, player->GetStats().GetCounter(kCounterCivilianAlerts));
    DropLast();
    if (fallen != nullptr) {
      DropLast();
    }
  }
}

TEST_F(NpcPerceptionTest, RangesScaleWithTheLightAtThePlayerAndWariness) {
  cDorvaMan* player = LoadPlayer();
  cNpc* npc = MakeNpc("guard", "", "guard4");
  const struct {
    const char* name;
    u8 light;
    bool wary;
    f32 chase, shoot, hear;
  } rows[] = {{"full light", 255, false, 10, 1.5f, 2},
              {"darkness halves", 0, false, 5, 0.75f, 2},
              {"wary adds 2", 0, true, 7, 2.75f, 2}};
  ASSERT_TRUE(npc->IsBoss());
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    SetLight(row.light);
    Place(player, RwV3d{1.0f, 0.0f, 1.0f});
    npc->SetWary(row.wary);
    EXPECT_NEAR(row.chase, npc->GetPerceptionRange(kRangeChase), 1e-3f);
    EXPECT_NEAR(row.shoot, npc->GetPerceptionRange(kRangeShoot), 1e-3f);
    EXPECT_FLOAT_EQ(row.hear, npc->GetPerceptionRange(kRangeHear));
  }
}

}  // namespace
