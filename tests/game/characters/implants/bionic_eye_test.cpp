// The bionic eye: aiming on and off by its press, refused while Ultra
// runs, and the men on the line of sight turning red and back.
#include <gtest/gtest.h>

#include "game/render/models/dynamic_lit_clump_ro.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

using BionicEyeTest = AimTest;

TEST_F(BionicEyeTest, PressesStartAndEndAiming) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  cDartImplant* dart = Implant<cDartImplant>(player, kImplantIndexDart);
  struct Row {
    const char* name;
    bool ultra;  // Ultra fading in at the press
    u8 aiming;
    f32 lookLimit;
    u32 selected;
    u8 alpha;  // the player's material alpha
    u32 dartState;
  };
  const Row rows[] = {
      {"first press", false, 1, 90.0f, kImplantIndexDart, 0, kDartAiming},
      {"second press", false, 0, 60.0f, kImplantIndexTaser, 255, kDartNotAiming},
      {"press while Ultra runs", true, 0, 60.0f, kImplantIndexTaser, 255, kDartNotAiming},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.ultra) {
      Implant<cUltraImplant>(player, kImplantIndexUltra)->Start();
    }
    player->GetCannotUseSound().Stop();
    tEvent press;  // the key of "USEBIONICEYE"
    press.type = kEventKey, press.key = tKeyEvent{0, 0, 1};
    player->GetActions().Get(17)->OnKey(&press);
    EXPECT_EQ(row.aiming, player->IsAiming());
    EXPECT_EQ(row.aiming != 0 ? kStateAiming : kStateStand, player->GetActionState());
    EXPECT_FLOAT_EQ(row.lookLimit, player->GetLookLimit());
    EXPECT_EQ(row.selected, player->GetSelectedImplant());
    EXPECT_EQ(row.alpha, MaterialColour(player).alpha);
    EXPECT_EQ(row.dartState, dart->GetState());
    EXPECT_EQ(row.ultra, Playing(player->GetCannotUseSound()));
  }
}

// Over a second of aiming the guard on the view fades to red, the one
// beside it keeps its colour; with the view turned away the red fades out,
// and the end of aiming leaves no fade.
TEST_F(BionicEyeTest, MenOnTheViewTurnRed) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  StandInGuard* aimed = AddGuard(RwV3d{0.0f, 0.0f, 3.0f});
  StandInGuard* beside = AddGuard(RwV3d{4.0f, 0.0f, 3.0f});
  player->ToggleBionicEye();
  struct Row {
    const char* name;
    RwV3d target;
    bool red;
  };
  const Row rows[] = {
      {"on the guard", {0.0f, 1.0f, 3.0f}, true},
      {"turned away", {-6.0f, 1.0f, -5.0f}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    PlaceView(RwV3d{0.0f, 1.0f, -5.0f}, row.target);
    Run(1.2f, 0.05f);
    const tRGBAf colour = aimed->GetModel()->GetClumpObject()->GetCurrentColour();
    const tRGBAf lit = aimed->GetModel()->GetClumpObject()->GetLitColour();
    EXPECT_EQ(row.red, colour.r > 0.9f && colour.g < 0.05f);
    if (!row.red) {
      EXPECT_NEAR(lit.g, colour.g, 0.05f);
    }
    EXPECT_FALSE(beside->GetModel()->GetClumpObject()->IsFading());
  }
  player->ToggleBionicEye();
  EXPECT_FALSE(aimed->GetModel()->GetClumpObject()->IsFading());
}

}  // namespace
