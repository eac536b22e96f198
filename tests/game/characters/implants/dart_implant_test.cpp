// The dart: its price, its muzzle, a flight that speeds up and ends at the
// level or at 100 units, and a shot at a man judged where he stood.
#include <gtest/gtest.h>

#include "game/characters/player/player_settings.h"
#include "game/render/particles/particle_system.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

class DartTest : public AimTest {
 protected:
  // The player, 2 m back from the origin, looks through the bionic eye
  // along +z and presses the shot; the two frames after aim and fire.
  cDartImplant* ShootAlongZ(cDorvaMan* player) {
    cDartImplant* dart = Implant<cDartImplant>(player, kImplantIndexDart);
    player->ToggleBionicEye();
    PlaceView(RwV3d{0.0f, 1.0f, -2.0f}, RwV3d{0.0f, 1.0f, 6.0f});
    player->Input().useItem = 1;
    Run(0.02f, 0.02f);
    Run(0.02f, 0.02f);
    return dart;
  }
};

// Energy equal to the cost refuses the shot with the cue; a little more
// pays. The muzzle stands 12 degrees to the right of the facing.
TEST_F(DartTest, ShotNeedsMoreThanItsCostFromTheMuzzle) {
  struct Row {
    f32 heading;  // degrees
    f32 energy;
    bool fired;
    RwV3d muzzle;  // from the player's feet
  };
  const Row rows[] = {
      {0.0f, 0.2f, false, {-0.4158f, 1.35f, 1.9563f}},
      {180.0f, 0.21f, true, {0.4158f, 1.35f, -1.9563f}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.heading);
    cDorvaMan* player = AddPlayer(RwV3d{1.0f, 0.0f, -3.0f}, row.heading);
    cDartImplant* dart = Implant<cDartImplant>(player, kImplantIndexDart);
    EXPECT_TRUE(dart->StartAim());
    player->SetEnergy(row.energy);
    EXPECT_EQ(row.fired, dart->Fire(nullptr, kDartNoLimit));
    EXPECT_EQ(row.fired ? kDartFiring : kDartAiming, dart->GetState());
    EXPECT_NEAR(row.fired ? 0.01f : 0.2f, player->GetEnergy(), 1e-5f);
    EXPECT_EQ(!row.fired, Playing(player->GetCannotUseSound()));
    const RwV3d muzzle = dart->MuzzlePoint();
    EXPECT_NEAR(1.0f + row.muzzle.x, muzzle.x, 1e-3f);
    EXPECT_NEAR(row.muzzle.y, muzzle.y, 1e-3f);
    EXPECT_NEAR(-3.0f + row.muzzle.z, muzzle.z, 1e-3f);
    dart->EndAim();
    mLevel->GetMen().SetCount(0);
  }
}

// A shot at no man flies along the view, faster the farther it is, and
// stops past the distance of the level ahead, or past 100 units, with the
// hit particles at the point the view met.
TEST_F(DartTest, FlightWithoutATargetStopsAtTheLevelOr100Units) {
  struct Row {
    const char* name;
    RwV3d player;
    RwV3d view;  // along +z from here
    f32 stop;    // flight length at which the dart must stop
  };
  const Row rows[] = {
      {"a wall 4 ahead", {-5.0f, 0.0f, 0.0f}, {-5.0f, 1.5f, 0.0f}, 4.0f},
      {"nothing ahead", {0.0f, 0.0f, -9.0f}, {0.0f, 1.5f, -9.0f}, 100.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    cDorvaMan* player = AddPlayer(row.player, 0.0f);
    cDartImplant* dart = Implant<cDartImplant>(player, kImplantIndexDart);
    player->ToggleBionicEye();
    PlaceView(row.view, RwV3d{row.view.x, row.view.y, row.view.z + 10.0f});
    player->Input().useItem = 1;
    Run(0.01f, 0.01f);
    Run(0.01f, 0.01f);
    ASSERT_EQ(kDartFlying, dart->GetState());
    f32 flown = 0.0f;
    for (int frame = 0; frame < 1000 && dart->IsFlying(); frame++) {
      const RwV3d before = dart->GetDartPosition();
      const f32 was = Distance(before, dart->GetFlightStart());
      flown = was;
      Run(0.01f, 0.01f);
      if (dart->GetState() == kDartFlying) {
        // The speed grows 3.5 a unit flown: DART_SPEED + 35 after 10.
        EXPECT_NEAR(0.01f * (was * 3.5f + PlayerSettings().dartSpeed), Distance(before, dart->GetDartPosition()),
                    1e-3f + 1e-4f * was);
      }
    }
    EXPECT_FALSE(dart->IsFlying());
    EXPECT_EQ(kDartAiming, dart->GetState());
    EXPECT_GT(flown, row.stop);
    // The flight ends at the first frame that starts past the stop.
    EXPECT_LT(flown, row.stop + 0.02f * (row.stop * 3.5f + PlayerSettings().dartSpeed) + 0.5f);
    EXPECT_NE(nullptr, dart->GetImpactParticles());
    EXPECT_EQ(nullptr, dart->GetShotParticles());
    if (row.stop < 100.0f) {
      EXPECT_NEAR(row.view.z + row.stop, player->GetAimHitPoint().z, 1e-3f);
    }
    player->ToggleBionicEye();
    mLevel->GetMen().SetCount(0);
  }
}

// A shot at a guard on the view knocks him down where he stood at the
// shot, even when he walks off; a guard already down is no target. The
// hand plays its shot and then aims again.
TEST_F(DartTest, ShotAtAGuardKnocksHimDownWhereHeStood) {
  struct Row {
    const char* name;
    bool ready;
    RwV3d move;  // after the shot
    int knockDowns;
  };
  const Row rows[] = {
      {"guard standing", true, {0.0f, 0.0f, 0.0f}, 1},
      {"guard stepping aside", true, {3.0f, 0.0f, 0.0f}, 1},
      {"guard already down", false, {0.0f, 0.0f, 0.0f}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, -2.0f}, 0.0f);
    StandInGuard* guard = AddGuard(RwV3d{0.0f, 0.0f, 6.0f});
    guard->mReady = row.ready;
    cDartImplant* dart = ShootAlongZ(player);
    EXPECT_EQ(row.ready ? guard : nullptr, dart->GetTarget());
    RwFrameTranslate(guard->GetFrame(), &row.move, kRwCombinePostConcat);
    bool shotPlayed = false;
    for (int frame = 0; frame < 100 && dart->IsFlying(); frame++) {
      Run(0.02f, 0.02f);
      const cAnimModel* hand = dart->GetHand();
      shotPlayed = shotPlayed || hand->GetCurrentIndex() == kHandShootAnim ||
                   (hand->GetCurrentIndex() == kAnimCrossFade && hand->GetTargetIndex() == kHandShootAnim);
    }
    EXPECT_EQ(row.knockDowns, guard->mKnockDowns);
    EXPECT_TRUE(shotPlayed);
    Run(0.6f, 0.02f);
    EXPECT_EQ(kHandAimAnim, dart->GetHand()->GetCurrentIndex());
    player->ToggleBionicEye();
    mLevel->GetMen().SetCount(0);
  }
}

// Of two men within reach, the shock and its sign take the nearer and the
// dart the first on the view, whichever of them the men list holds first.
TEST_F(DartTest, TheShockAndTheDartTakeTheNearerOfTwoMen) {
  struct Row {
    const char* name;
    bool dart;
    bool nearListedFirst;
  };
  const Row rows[] = {
      {"shock, the man behind listed first", false, false},
      {"shock, the man beside listed first", false, true},
      {"dart, the man behind listed first", true, false},
      {"dart, the man in front listed first", true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, -2.0f}, 0.0f);
    // The shock: one man 1 m in front, one 4 m behind; the dart: both on
    // the view, 5 and 8 m ahead.
    const RwV3d nearAt = row.dart ? RwV3d{0.0f, 0.0f, 3.0f} : RwV3d{0.0f, 0.0f, -1.0f};
    const RwV3d farAt = row.dart ? RwV3d{0.0f, 0.0f, 6.0f} : RwV3d{0.0f, 0.0f, -6.0f};
    StandInGuard* first = AddGuard(row.nearListedFirst ? nearAt : farAt);
    StandInGuard* second = AddGuard(row.nearListedFirst ? farAt : nearAt);
    StandInGuard* nearer = row.nearListedFirst ? first : second;
    if (!row.dart) {
      EXPECT_EQ(nearer, player->FindTaserTarget());
    } else {
      cDartImplant* dart = ShootAlongZ(player);
      EXPECT_EQ(nearer, dart->GetTarget());
      player->ToggleBionicEye();
    }
    mLevel->GetMen().SetCount(0);
  }
}

}  // namespace
