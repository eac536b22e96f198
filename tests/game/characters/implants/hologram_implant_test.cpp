// The hologram: one unit ahead of the player, its shape through growth,
// flicker, stand, shrinking and vanishing, the pulse of its transparency,
// a use while it stands, and a level without a double.
#include <gtest/gtest.h>

#include "game/render/models/dynamic_lit_clump_ro.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

using HologramTest = AimTest;

// With HOLO_TIME 10 the double shows for 1.5 + 10 + 0.65 seconds; the
// scales follow the phases; the standing alpha runs between 76 and 200.
TEST_F(HologramTest, DoubleGrowsStandsAndVanishes) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{2.0f, 0.0f, -5.0f}, 0.0f);
  cHologramImplant* hologram = Implant<cHologramImplant>(player, kImplantIndexHologram);
  Press(player, kImplantIndexHologram);
  constexpr f32 kDt = 0.05f;
  Run(kDt, kDt);
  EXPECT_NEAR(0.8f, player->GetEnergy(), 0.01f);
  EXPECT_TRUE(Distance(RwV3d{2.0f, 0.0f, -4.0f}, hologram->GetStartPosition()) < 1e-3f);
  struct Row {
    f32 at;  // seconds after the use
    u32 phase;
    f32 width;
    f32 height;
  };
  const Row rows[] = {
      {0.12f, kHologramGrow, 0.1f, 0.4f},    {1.02f, kHologramFlicker, 0.5f, 1.0f}, {5.02f, kHologramStand, 1.0f, 1.0f},
      {11.77f, kHologramShrink, 0.6f, 1.0f}, {12.12f, kHologramVanish, 0.1f, 0.5f},
  };
  f32 time = kDt;
  f32 low = 255.0f;
  f32 high = 0.0f;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.at);
    for (; time + kDt < row.at + 1e-3f; time += kDt) {
      Run(kDt, kDt);
      if (hologram->GetPhase() == kHologramStand && hologram->GetElapsed() > 1.0f) {
        low = std::min(low, hologram->GetPulseAlpha());
        high = std::max(high, hologram->GetPulseAlpha());
      }
    }
    const RwMatrix* matrix = RwFrameGetMatrix(mDouble->GetFrame());
    EXPECT_EQ(row.phase, hologram->GetPhase());
    EXPECT_NEAR(row.width, Length(matrix->right), 0.06f);
    EXPECT_NEAR(row.height, Length(matrix->up), 0.06f);
    EXPECT_EQ(1, mDouble->IsVisible());
  }
  EXPECT_NEAR(76.0f, low, 4.0f);
  EXPECT_NEAR(200.0f, high, 4.0f);
  while (hologram->IsActive() && time < 20.0f) {
    Run(kDt, kDt);
    time += kDt;
  }
  EXPECT_NEAR(1.5f + 10.0f + 0.65f, time, 0.15f);
  EXPECT_EQ(0, mDouble->IsVisible());
  EXPECT_EQ(nullptr, mDouble->GetModel()->GetClumpObject()->GetScene());
}

// A second use while the double stands pays again and starts over where
// the player stands now; without energy nothing shows; the reset ends it.
TEST_F(HologramTest, UsesWhileStandingAndWithoutEnergy) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{2.0f, 0.0f, -5.0f}, 0.0f);
  cHologramImplant* hologram = Implant<cHologramImplant>(player, kImplantIndexHologram);
  struct Row {
    const char* name;
    f32 energy;
    RwV3d place;
    bool shown;
  };
  const Row rows[] = {
      {"first use", 1.0f, {2.0f, 0.0f, -5.0f}, true},
      {"again from elsewhere", 0.5f, {-1.0f, 0.0f, -5.0f}, true},
      {"short of energy", 0.1f, {0.0f, 0.0f, -5.0f}, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    hologram->End();
    RwFrameTranslate(player->GetFrame(), &row.place, kRwCombineReplace);
    player->SetEnergy(row.energy);
    player->GetCannotUseSound().Stop();
    hologram->Use();
    EXPECT_EQ(row.shown, hologram->IsActive());
    EXPECT_NEAR(row.shown ? row.energy - 0.2f : row.energy, player->GetEnergy(), 1e-5f);
    EXPECT_EQ(!row.shown, Playing(player->GetCannotUseSound()));
    if (row.shown) {
      EXPECT_NEAR(row.place.z + 1.0f, hologram->GetStartPosition().z, 1e-3f);
      Run(3.0f, 0.05f);
      EXPECT_EQ(kHologramStand, hologram->GetPhase());
    }
  }
  // The reset ends a standing double and is harmless without one.
  Implant<cHologramImplant>(player, kImplantIndexHologram)->Use();
  player->ResetImplants();
  player->ResetImplants();
  EXPECT_FALSE(hologram->IsActive());
  EXPECT_EQ(nullptr, mDouble->GetModel()->GetClumpObject()->GetScene());
}

// A level without a double refuses the use and keeps the energy.
TEST_F(HologramTest, LevelWithoutADoubleRefuses) {
  cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  cHologramImplant* hologram = Implant<cHologramImplant>(player, kImplantIndexHologram);
  hologram->Use();
  EXPECT_FALSE(hologram->IsActive());
  EXPECT_FLOAT_EQ(1.0f, player->GetEnergy());
  EXPECT_TRUE(Playing(player->GetCannotUseSound()));
  hologram->End();
}

}  // namespace
