// Gun fire, bursts, opening shots, the damage of a hit to the player and
// the boss's lightning.
#include <gtest/gtest.h>

#include <cmath>

#include "game/characters/npc/ai_states_attack.h"
#include "game/render/effects/lightning_beam.h"
#include "game/render/models/anim_model.h"
#include "tests/game/characters/npc/npc_fixture.h"

namespace {

using NpcAttackTest = NpcTest;

const RwV3d kGuardAt = {-8.0f, 0.0f, -8.0f};
constexpr f32 kFacingX = 1.5707964f;

RwV3d Ahead(f32 d) { return RwV3d{kGuardAt.x + d, 0.0f, kGuardAt.z}; }

TEST_F(NpcAttackTest, AShotsDamageAndChanceFollowTheDistance) {
  const struct {
    const char* name;
    f32 d, range, shootDamage;
    bool inRange;
    f32 damage, success;
  } rows[] = {{"d = 4", 4.0f, 5.0f, 0.2f, true, -0.25f, 0.728f},
              {"d = 2.5: limit, then close range", 2.5f, 5.0f, 0.2f, true, -0.64f, 0.83f},
              {"below 2: death", 1.5f, 5.0f, 0.2f, true, -100.0f, 0.898f},
              {"a weak close hit takes 0.7", 2.9f, 5.0f, 0.05f, true, -0.7f, 0.8028f},
              {"out of range: the base shot", 6.0f, 5.0f, 0.2f, false, -0.2f, 0.66f}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    tNpcSettings settings;
    settings.shootDamage = row.shootDamage;
    const tShot shot = cAiState_Shoot::ComputeShot(row.d, row.range, settings.shootDistLimit, settings);
    EXPECT_EQ(row.inRange, shot.inRange);
    EXPECT_NEAR(row.damage, shot.damage, 1e-4f);
    EXPECT_NEAR(row.success, shot.success, 1e-4f);
  }
}

TEST_F(NpcAttackTest, AHitHurtsByLooserAndDifficulty) {
  cDorvaMan* player = LoadPlayer();
  const struct {
    const char* name;
    const char* looser;
    u32 hard;
    f32 side;  // the player stands on the guard's right (+1) or left
    f32 health;
    u32 flinch;
  } rows[] = {{"plain", "100", 0, 1.0f, 0.9f, 32},
              {"LOOSER 50 halves", "50", 0, -1.0f, 0.95f, 31},
              {"hard multiplies", "100", 1, 1.0f, 0.5f, 32},
              {"both", "50", 1, 1.0f, 0.75f, 32}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    gSaveProfiles->SetHard(row.hard);
    cNpc* npc = MakeNpc("guard", std::string("LOOSER = ") + row.looser + "\n");
    Place(npc, kGuardAt, kFacingX);
    Place(player, RwV3d{kGuardAt.x + 2.0f, 0.0f, kGuardAt.z + row.side}, -kFacingX);
    player->SetHealth(1.0f);
    player->GetStats().Reset();
    player->GetModel()->SetAnim(kManAnimStand, 0.0f);
    RwFrameSyncDirty();
    static_cast<cAiState_Shoot*>(npc->GetStateObject(kAiStateShoot))->HurtPlayer(-0.1f);
    EXPECT_NEAR(row.health, player->GetHealth(), 1e-5f);
    EXPECT_EQ(1u, player->GetStats().GetCounter(kCounterHitsTaken));
    EXPECT_EQ(row.flinch, player->GetModel()->GetTargetIndex());
    DropLast();
  }
}

TEST_F(NpcAttackTest, BurstsPausesAndOpeningShots) {
  cDorvaMan* player = LoadPlayer();
  const struct {
    const char* name;
    f32 success;
    f32 d;
    bool opening;
    f32 dt;
    int updates;
    u32 state;
    u32 hits;
    s32 shotsLeft;
  } rows[] = {
      {"six hits keep the burst", 1.0f, 2.5f, false, 1e-4f, 6, kAiStateShoot, 6, 0},
      {"the seventh ends it", 1.0f, 2.5f, false, 1e-4f, 7, kAiStateShotPause, 7, 6},
      {"misses do not count", -10.0f, 2.5f, false, 1e-4f, 20, kAiStateShoot, 0, 6},
      {"the pause roll", 1.0f, 2.5f, false, 40.0f, 1, kAiStateShotPause, 0, 6},
      {"opening shots miss out of range", 1.0f, 4.0f, true, 1e-4f, 5, kAiStateShoot, 0, 6},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    cNpc::Settings().shootSuccess = row.success;
    cNpc* npc = MakeNpc("guard", "");
    auto* shoot = static_cast<cAiState_Shoot*>(npc->GetStateObject(kAiStateShoot));
    Place(npc, kGuardAt, kFacingX);
    Place(player, Ahead(row.d), -kFacingX);
    player->GetStats().Reset();
    RwFrameSyncDirty();
    shoot->SetOpeningShot(row.opening);
    npc->SetState(kAiStateShoot);
    for (int i = 0; i < row.updates; i++) {
      player->SetHealth(1.0f);
      npc->GetShotClock().Update(1.0f);  // one period and more
      shoot->Update(row.dt);
    }
    EXPECT_EQ(row.state, npc->GetState());
    EXPECT_EQ(row.hits, player->GetStats().GetCounter(kCounterHitsTaken));
    EXPECT_EQ(row.shotsLeft, shoot->GetShotsLeft());
    // Opening shots widen this NPC's limit only, never the shared setting.
    EXPECT_FLOAT_EQ(5.0f, cNpc::Settings().shootDistLimit);
    EXPECT_FLOAT_EQ(row.opening ? 5.0f + 5 * 0.8f * row.dt : 5.0f,
                    row.state == kAiStateShoot ? shoot->GetDistanceLimit() : 5.0f);
    if (row.state == kAiStateShotPause) {
      // Back from the pause the first shot comes at once.
      for (int frame = 0; frame < 200 && npc->GetState() == kAiStateShotPause; frame++) {
        Frames(npc, 1);
      }
      ASSERT_EQ(kAiStateShoot, npc->GetState());
      const u32 hits = player->GetStats().GetCounter(kCounterHitsTaken);
      player->SetHealth(1.0f);
      shoot->Update(1e-4f);
      EXPECT_EQ(hits + 1, player->GetStats().GetCounter(kCounterHitsTaken));
    }
    DropLast();
  }
}

TEST_F(NpcAttackTest, TheBossLightningHitsTwiceAsHardAndItsBoltsLetGo) {
  cDorvaMan* player = LoadPlayer();
  cNpc* boss = MakeNpc("guard", "", "guard4");
  Place(boss, kGuardAt, kFacingX);
  Place(player, Ahead(1.6f), -kFacingX);
  RwFrameSyncDirty();
  boss->SetState(kAiStateLightning);
  cAiState* lightning = boss->GetStateObject(kAiStateLightning);
  boss->GetShotClock().Update(0.9f);
  lightning->Update(0.02f);
  EXPECT_EQ(nullptr, boss->LightningBolt());  // within the second period
  boss->GetShotClock().Update(0.2f);
  lightning->Update(0.02f);
  cLightningBeam* first = boss->LightningBolt();
  ASSERT_NE(nullptr, first);
  EXPECT_EQ(first, player->LightningBolt());
  EXPECT_NEAR(1.0f - 0.8f / 1.6f, player->GetHealth(), 1e-4f);
  EXPECT_EQ(1u, player->GetStats().GetCounter(kCounterHitsTaken));
  // A newer bolt takes both pointers; the older one ends without them.
  boss->GetShotClock().Update(1.1f);
  lightning->Update(0.02f);
  cLightningBeam* second = boss->LightningBolt();
  ASSERT_NE(first, second);
  delete first;
  EXPECT_EQ(second, player->LightningBolt());
  while (!second->Update(0.25f)) {
  }
  delete second;
  EXPECT_EQ(nullptr, boss->LightningBolt());
  EXPECT_EQ(nullptr, player->LightningBolt());
  // At half of SHOOT_DIST_LIMIT and beyond it chases instead.
  Place(player, Ahead(2.5f), -kFacingX);
  RwFrameSyncDirty();
  boss->GetShotClock().Update(1.1f);
  lightning->Update(0.02f);
  EXPECT_EQ(kAiStateChase, boss->GetState());
  EXPECT_EQ(nullptr, boss->LightningBolt());
}

// A boss the chase begins next to his target, out of his lightning's reach,
// chases: he does not stand switching to the lightning and back.
TEST_F(NpcAttackTest, ABossChasesATargetBeyondHisLightningsReach) {
  cDorvaMan* player = LoadPlayer();
  cNpc* boss = MakeNpc("guard", "STARTPOINT = 1\n", "guard4");
  Place(boss, RwV3d{-5.0f, 0.0f, -8.0f}, 0.0f);  // nearer the player than his route's first node
  Place(player, RwV3d{-5.0f, 0.0f, -4.0f});      // 4 away: beyond half of SHOOT_DIST_LIMIT
  RwFrameSyncDirty();
  boss->SetState(kAiStateChase);
  const RwV2d start = Ground(boss);
  bool struck = false;
  for (int frame = 0; frame < 50; frame++) {
    Frames(boss, 1);
    struck = struck || boss->GetState() != kAiStateChase;
  }
  EXPECT_FALSE(struck);
  EXPECT_GT(std::hypot(Ground(boss).x - start.x, Ground(boss).y - start.y), 0.5f);
}

}  // namespace
