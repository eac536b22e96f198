// The implants: the settings and the use rule, the beam's state machine on
// the player's hand, the taser's shock and fizzle, the laser's end, crackle
// and light, and the player's use states.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

#include "game/render/effects/lightning_ro.h"
#include "game/render/effects/shock_effect.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/light.h"
#include "game/render/twin_timer.h"
#include "tests/game/characters/implants/implant_fixture.h"

namespace {

f32 Distance(const RwV3d& a, const RwV3d& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

// Costs, shots and message entries of the settings, each index on its own
// record.
TEST_F(ImplantTest, SettingsReplaceTheDefaults) {
  struct Row {
    const char* group;
    u32 index;
    f32 cost;
    s32 message;  // the own entry
    s32 shots;
  };
  const Row rows[] = {
      {"", kImplantIndexLaser, 0.2f, -1, -1},
      {"", kImplantIndexTaser, 0.1f, -1, -1},
      {"", kImplantIndexDart, 0.2f, -1, 5},
      {"[implants]\nLASER_ENERGY = 0.5\nLASER_MESSAGE = 5\n", kImplantIndexLaser, 0.5f, 4, -1},
      {"[implants]\nLASER_ENERGY = 0.5\nEDS_MESSAGE = 0\n", kImplantIndexEds, 0.2f, -1, -1},
      {"[implants]\nULTRA_ENERGY = 0.3\n", kImplantIndexUltra, 0.3f, -1, -1},
      // Message numbers count from 1: 0 and below are none, the limits never wrap.
      {"[implants]\nTASER_MESSAGE = -1\n", kImplantIndexTaser, 0.1f, -1, -1},
      {"[implants]\nTASER_MESSAGE = -2147483648\n", kImplantIndexTaser, 0.1f, -1, -1},
      {"[implants]\nLASER_MESSAGE = -99999999999\n", kImplantIndexLaser, 0.2f, -1, -1},
      {"[implants]\nLASER_MESSAGE = 2147483647\n", kImplantIndexLaser, 0.2f, 2147483646, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.group) + std::to_string(row.index));
    mConfig.ParseText(cString((std::string("[level01]\n") + row.group).c_str()));
    cImplant implant;
    implant.Setup(row.index);
    implant.Init(mLevel);
    EXPECT_FLOAT_EQ(row.cost, implant.GetCost());
    EXPECT_EQ(row.shots, implant.GetShotCount());
    for (u32 i = 0; i < kImplantIndexCount; i++) {
      EXPECT_EQ(i == row.index ? row.message : -1, implant.GetMessageEntry(i));
    }
    // Energy equal to the cost is enough; a blocked implant is never usable.
    EXPECT_TRUE(implant.IsUsable(row.cost));
    EXPECT_FALSE(implant.IsUsable(row.cost - 0.01f));
    implant.SetBlocked(1);
    EXPECT_FALSE(implant.IsUsable(1.0f));
  }
}

// A press by implant, energy and place: the use state, the device told,
// the message and the refusal cue; nothing at all without a device ahead
// or while a use animation plays.
TEST_F(ImplantTest, UsePressStartsAUseOrRefusesIt) {
  cOpenerDevice* laser = AddPanel("laser", true, 0.0f);
  cOpenerDevice* eds = AddPanel("eds", false, 6.0f);
  Finish(mPanelProps);
  cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, 1.2f}, 180.0f);
  gGameOptions->SetHitFlash(true);
  struct Row {
    const char* name;
    u32 implant;
    f32 x;  // the player's place before the panel row
    f32 energy;
    u8 sneak;
    u32 state;
    cOpenerDevice* used;
    s32 message;
    u32 playing = kManAnimStand;
  };
  const Row rows[] = {
      {"laser short of energy", kImplantIndexLaser, 0.0f, 0.19f, 0, kStateStand, nullptr, 4},
      {"EDS short of energy", kImplantIndexEds, 6.0f, 0.1f, 0, kStateStand, nullptr, 5},
      {"laser at the EDS panel", kImplantIndexLaser, 6.0f, 1.0f, 0, kStateStand, nullptr, kNoPendingMessage},
      {"EDS with no panel ahead", kImplantIndexEds, 3.0f, 1.0f, 0, kStateStand, nullptr, kNoPendingMessage},
      {"taser short of energy", kImplantIndexTaser, 3.0f, 0.05f, 0, kStateStand, nullptr, kNoPendingMessage},
      {"laser, energy equal to the cost", kImplantIndexLaser, 0.0f, 0.2f, 0, kStateImplant, laser, kNoPendingMessage},
      {"EDS sneaking", kImplantIndexEds, 6.0f, 0.2f, 1, kStateImplantSneaking, eds, kNoPendingMessage},
      {"taser in a use", kImplantIndexTaser, 3.0f, 1.0f, 0, kStateStand, nullptr, kNoPendingMessage, 16},
      {"taser in a sneaking use", kImplantIndexTaser, 3.0f, 1.0f, 0, kStateStand, nullptr, kNoPendingMessage, 18},
      {"taser anywhere", kImplantIndexTaser, 3.0f, 0.1f, 0, kStateImplant, nullptr, kNoPendingMessage},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    mLevel->HideMessage(true, true, false);
    const RwV3d place = {row.x, 0.0f, 1.2f};
    RwFrameGetMatrix(player->GetFrame())->pos = place;
    RwFrameMarkDirty(player->GetFrame());
    player->SetReferencePosition(place);
    player->SetActionState(kStateStand);
    player->GetModel()->SetAnim(row.playing, 0.0f);
    player->SetBusy(0);
    player->SetProtected(0);
    mLevel->GetTwinTimer()->Stop();
    player->SetEnergy(row.energy);
    player->Input().sneakHeld = row.sneak;
    Press(player, row.implant);
    player->Update(0.0f);
    EXPECT_EQ(row.state, player->GetActionState());
    EXPECT_EQ(row.state == kStateStand ? 0 : 1, player->IsBusy());
    EXPECT_EQ(row.state == kStateStand ? 0 : 1, player->IsProtected());
    // The feedback pulse of a use.
    EXPECT_EQ(row.state == kStateStand ? 0u : 1u, mLevel->GetTwinTimer()->IsRunning(0));
    EXPECT_EQ(row.used != nullptr, row.used != nullptr && row.used->IsUsed());
    EXPECT_EQ(row.message,
              mLevel->GetCurrentMessage() >= 0 ? mLevel->GetCurrentMessage() : mLevel->GetPendingMessage());
    // No use costs anything at the press.
    EXPECT_FLOAT_EQ(row.energy, player->GetEnergy());
    const bool refused = row.state == kStateStand && (row.message >= 0 || row.energy < 0.1f);
    EXPECT_EQ(refused, Playing(player->GetCannotUseSound()));
    player->GetCannotUseSound().Stop();
    Implant<cBeamImplant>(player, row.implant)->Retract();
    Implant<cBeamImplant>(player, row.implant)->Stop(mLevel, true);
    Implant<cBeamImplant>(player, row.implant)->Detach();
    player->Input() = tPlayerInput{};
  }
}

// A laser use at a panel: out in 0.1 s, paid and fired only then, the beam
// and its light for 3 s, then back in and the player free and unprotected.
TEST_F(ImplantTest, LaserUseRunsItsCourse) {
  AddPanel("laser", true, 0.0f);
  Finish(mPanelProps);
  cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, 1.2f}, 180.0f);
  cLaserImplant* laser = Implant<cLaserImplant>(player, kImplantIndexLaser);
  Press(player, kImplantIndexLaser);
  struct Row {
    f32 until;  // seconds since the press
    u32 implantState;
    f32 energy;
    u32 playerState;
    bool beamShown;
    bool lightOn;
    bool cameraAimed;
  };
  const Row rows[] = {
      {0.04f, kBeamExtending, 1.0f, kStateImplant, false, false, true},
      {0.2f, kBeamActive, 0.8f, kStateImplant, true, true, true},
      {1.6f, kBeamActive, 0.8f, kStateImplant, true, true, true},
      {3.2f, kBeamRetracting, 0.8f, kStateStand, false, false, true},
      {3.5f, kBeamIdle, 0.8f, kStateStand, false, false, false},
  };
  f32 now = 0.0f;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.until);
    for (; now < row.until - 1e-4f; now += 0.02f) {
      Run(0.02f, 0.02f);
    }
    EXPECT_EQ(row.implantState, laser->GetState());
    EXPECT_NEAR(row.energy, player->GetEnergy(), 0.01f);
    EXPECT_EQ(row.playerState, player->GetActionState());
    EXPECT_EQ(row.beamShown, laser->GetBeam().GetScene() != nullptr);
    EXPECT_EQ(row.lightOn, RpLightGetWorld(mLevel->GetWorldLight().GetLight()) != nullptr);
    EXPECT_EQ(row.cameraAimed, laser->IsCameraAimed());
    EXPECT_EQ(row.playerState == kStateImplant ? 1 : 0, player->IsProtected());
    if (row.until == 1.6f) {
      // Progress over the duration from the firing, about 0.1 s in.
      EXPECT_NEAR((1.6f - 0.12f) / 3.0f, laser->GetProgress(), 0.02f);
    }
    if (row.until == 0.2f) {
      // The implant on the hand, the beam to the use point, a red light at
      // the implant.
      const RpHAnimHierarchy* bones = player->GetModel()->GetHierarchy();
      EXPECT_EQ(bones->pNodeInfo[kImplantBone].pFrame, RwFrameGetParent(laser->cClumpRO::GetFrame()));
      const RwMatrix* beam = RwFrameGetLTM(laser->GetBeam().GetFrame());
      const RwV3d end = {beam->pos.x + beam->at.x, beam->pos.y + beam->at.y, beam->pos.z + beam->at.z};
      EXPECT_NEAR(0.0f, Distance(end, laser->GetTarget()), 0.15f);
      const RwRGBAReal colour = mLevel->GetWorldLight().GetColour();
      EXPECT_EQ((std::vector<f32>{1, 0, 0, 1}),
                (std::vector<f32>{colour.red, colour.green, colour.blue, colour.alpha}));
      EXPECT_FLOAT_EQ(kImplantLightRadius, RpLightGetRadius(mLevel->GetWorldLight().GetLight()));
      EXPECT_NEAR(0.0f, Distance(beam->pos, RwFrameGetLTM(mLevel->GetWorldLight().GetFrame())->pos), 0.15f);
    }
  }
  EXPECT_EQ(nullptr, RwFrameGetParent(laser->cClumpRO::GetFrame()));
  EXPECT_EQ(nullptr, laser->GetScene());
  EXPECT_EQ(0, player->IsBusy());
}

// Extended but not in a use animation, an implant waits unpaid; once the
// animation plays it pays and fires. The taser goes back at once.
TEST_F(ImplantTest, ExtendedImplantWaitsForTheUseAnimation) {
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  cTaserImplant* taser = Implant<cTaserImplant>(player, kImplantIndexTaser);
  taser->AttachToBone(kImplantBone);
  taser->Start(RwV3d{0.0f, 0.0f, 0.0f});
  Run(0.5f, 0.02f);
  EXPECT_EQ(kBeamExtending, taser->GetState());
  EXPECT_NEAR(kImplantExtension, RwFrameGetMatrix(taser->cClumpRO::GetFrame())->pos.z - kImplantRestOffset.z, 0.011f);
  EXPECT_NEAR(1.0f, player->GetEnergy(), 0.01f);
  player->GetModel()->SetAnim(kImplantUseSneakingAnim, 0.0f);
  Run(0.04f, 0.02f);
  // Nobody in reach: fired, paid and refunded, back at once.
  EXPECT_EQ(kBeamRetracting, taser->GetState());
  EXPECT_FLOAT_EQ(1.0f, taser->GetProgress());
  EXPECT_NEAR(1.0f, player->GetEnergy(), 0.01f);
}

// A taser use ends with the player standing (or crouching, sneaking) and
// free, also where the level loads no animation for the use: it then runs
// without one instead of holding the player for ever.
TEST_F(ImplantTest, TaserUseEndsWithOrWithoutItsAnimation) {
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  cTaserImplant* taser = Implant<cTaserImplant>(player, kImplantIndexTaser);
  StandInGuard* guard = AddGuard(RwV3d{kOpenFloor.x, 0.0f, kOpenFloor.z + 3.0f});
  cAnimTable& table = *ManAnimData().GetTable();
  struct Row {
    const char* name;
    u8 sneak;
    u32 missing;  // the slot whose animation the level lacks; kManAnimCount: none
    u32 ended;
  };
  const Row rows[] = {
      {"standing", 0, kManAnimCount, kStateStand},
      {"sneaking", 1, kManAnimCount, kStateSneakStand},
      {"standing, no use animation", 0, kImplantUseAnim, kStateStand},
      {"sneaking, no sneaking use animation", 1, kImplantUseSneakingAnim, kStateSneakStand},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    RtAnimAnimation* kept = nullptr;
    if (row.missing < kManAnimCount) {
      std::swap(kept, table[row.missing].animation);
    }
    player->SetActionState(kStateStand);
    player->GetModel()->SetAnim(kManAnimStand, 0.0f);
    player->SetEnergy(1.0f);
    guard->mReady = true;
    guard->mKnockDowns = 0;
    player->Input().sneakHeld = row.sneak;
    Press(player, kImplantIndexTaser);
    Run(0.05f, 0.05f);
    EXPECT_EQ(row.sneak != 0 ? kStateImplantSneaking : kStateImplant, player->GetActionState());
    for (f32 elapsed = 0.0f; elapsed < 3.0f && player->IsBusy() != 0; elapsed += 0.05f) {
      Run(0.05f, 0.05f);
    }
    EXPECT_EQ(0, player->IsBusy());
    EXPECT_EQ(0, player->IsProtected());
    EXPECT_EQ(row.ended, player->GetActionState());
    // The shock went off.
    EXPECT_EQ(1, guard->mKnockDowns);
    Run(0.5f, 0.05f);
    EXPECT_EQ(kBeamIdle, taser->GetState());
    if (row.missing < kManAnimCount) {
      std::swap(kept, table[row.missing].animation);
    }
    player->Input() = tPlayerInput{};
  }
}

// The taser's target: in range, with a free line, alarm-ready. A hit knocks
// the guard down under a 5 s shock at the cost; a miss refunds it with a
// 0.15 s fizzle whose pointer is cleared when it ends.
TEST_F(ImplantTest, TaserShocksTheTargetOrFizzles) {
  cDorvaMan* player = AddPlayer(RwV3d{-5.0f, 0.0f, 2.5f}, 0.0f);
  cTaserImplant* taser = Implant<cTaserImplant>(player, kImplantIndexTaser);
  StandInGuard* near = AddGuard(RwV3d{-5.0f, 0.0f, -2.0f});   // 4.5 away
  StandInGuard* walled = AddGuard(RwV3d{-5.0f, 0.0f, 7.0f});  // 4.5 away behind the walls
  StandInGuard* far = AddGuard(RwV3d{-5.0f, 0.0f, -4.0f});    // 6.5 away
  struct Row {
    const char* name;
    bool nearReady;
    StandInGuard* hit;
  };
  const Row rows[] = {{"the near guard", true, near}, {"the near guard is down", false, nullptr}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    near->mReady = row.nearReady;
    EXPECT_EQ(row.hit, player->FindTaserTarget());
    player->SetEnergy(1.0f);
    Press(player, kImplantIndexTaser);
    f32 elapsed = 0.0f;
    for (; elapsed < 1.0f && player->GetActionState() != kStateImplant; elapsed += 0.02f) {
      Run(0.02f, 0.02f);
    }
    for (; elapsed < 2.0f && taser->GetState() != kBeamRetracting; elapsed += 0.02f) {
      Run(0.02f, 0.02f);
    }
    EXPECT_NEAR(row.hit != nullptr ? 0.9f : 1.0f, player->GetEnergy(), 0.01f);
    EXPECT_EQ(0, player->IsProtected());
    EXPECT_EQ(row.hit != nullptr ? 1 : 0, near->mKnockDowns - (row.hit == nullptr ? 1 : 0));
    EXPECT_EQ(0, walled->mKnockDowns + far->mKnockDowns);
    if (row.hit != nullptr) {
      ASSERT_NE(nullptr, near->GetShock());
      EXPECT_FLOAT_EQ(kTaserShockSeconds, near->GetShock()->GetDuration());
      EXPECT_EQ(nullptr, taser->GetFizzle());
    } else {
      ASSERT_NE(nullptr, taser->GetFizzle());
      Run(0.1f, 0.05f);
      EXPECT_NE(nullptr, taser->GetFizzle());
      Run(0.1f, 0.05f);
      EXPECT_EQ(nullptr, taser->GetFizzle());
    }
    Run(0.5f, 0.05f);
    EXPECT_EQ(kStateStand, player->GetActionState());
  }
}

// The laser beam alone: with nothing met it ends at the target ("not
// Found"); through a device it crackles over the device's twin, renewed
// after 200 ms while the sparks live; a cut takes the sparks and the strip
// at the next update.
TEST_F(ImplantTest, LaserBeamEndsAndCrackles) {
  cOpenerDevice* button = PlaceOpener("button", "button", RwV3d{3.0f, 1.0f, 0.0f});
  Finish("[button]\nTYPE = button\n");
  // Line tests meet the button's collision twin.
  RpWorldAddClump(mRoom, button->GetCollisionModel()->GetClump());
  cDorvaMan* player = AddPlayer(kOpenFloor, 0.0f);
  cLaserImplant* laser = Implant<cLaserImplant>(player, kImplantIndexLaser);
  Laser& beam = laser->GetBeam();
  struct Row {
    const char* name;
    RwV3d origin, target, end;
    bool crackle;
  };
  const RwV3d at = Position(button);
  const Row rows[] = {
      {"nothing met", {0, 1, 0}, {0, 1, 2}, {0, 1, 2}, false},
      {"through the button", {at.x, at.y, 2}, {at.x, at.y, -1}, {at.x, at.y, 0.08f}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    beam.Init(mLevel, row.origin, row.target);
    const RwMatrix* m = RwFrameGetLTM(beam.GetFrame());
    EXPECT_NEAR(Distance(row.origin, row.target), std::sqrt(m->at.x * m->at.x + m->at.y * m->at.y + m->at.z * m->at.z),
                1e-3f);
    EXPECT_NEAR(0.0f, Distance(row.end, beam.GetEndPoint()), 0.05f);
    ASSERT_EQ(row.crackle, beam.GetStrip() != nullptr);
    EXPECT_FALSE(beam.GetParticles()->IsOutOfWorld());
    Run(0.05f, 0.05f);
    if (row.crackle) {
      // The strip's sphere spans its two end vertices.
      const auto sphere = [&beam] {
        const RwSphere& s =
            RpGeometryGetMorphTarget(RpAtomicGetGeometry(beam.GetStrip()->GetAtomic()), 0)->boundingSphere;
        return RwV3d{s.center.x + s.radius, s.center.y, s.center.z};
      };
      const RwV3d first = sphere();
      sNow += 150;
      Run(0.05f, 0.05f);
      EXPECT_EQ(0.0f, Distance(first, sphere()));
      sNow += 100;
      Run(0.05f, 0.05f);
      EXPECT_NE(0.0f, Distance(first, sphere()));
    }
    beam.Stop(true);
    EXPECT_EQ(nullptr, beam.GetScene());
    Run(0.05f, 0.05f);
    EXPECT_TRUE(beam.GetParticles()->IsOutOfWorld());
    EXPECT_EQ(nullptr, beam.GetStrip());
  }
}

using ImplantDeathTest = ImplantTest;

// The taser cannot go without its settings.
TEST_F(ImplantDeathTest, TaserSettingsAreRequired) {
  const char* rows[][2] = {
      {"", "Error: cTaserImplant::Init : PropertyGroup not found! \\(implants\\)"},
      {"[implants]\nTASER_RANGE = 6\n", "Error: cTaserImplant::Init : Property not found! \\(TASER_USE_ANGLE\\)"},
      {"[implants]\nTASER_USE_ANGLE = 4\n", "Error: cTaserImplant::Init : Property not found! \\(TASER_RANGE\\)"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row[0]);
    mConfig.ParseText(cString((std::string("[level01]\n") + row[0]).c_str()));
    EXPECT_DEATH(AddPlayer(kOpenFloor, 0.0f), row[1]);
  }
}

}  // namespace
