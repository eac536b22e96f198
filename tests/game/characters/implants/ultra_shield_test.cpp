// Ultra and the shield: Ultra's fades in the render manager's overlay, the
// slowed men, the view that follows the posture and returns, its drain and
// its end when the energy runs short; the shield's drain, block reaction,
// stop and end.
#include <gtest/gtest.h>

#include "game/characters/player/player_settings.h"
#include "game/render/particles/particle_system.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

using UltraShieldTest = AimTest;

// Regeneration a second of the player's default.
constexpr f32 kRegeneration = 0.0025f;

TEST_F(UltraShieldTest, UltraFadesSlowsTheMenAndFollowsThePosture) {
  mView->SetFieldOfView(1.2f);
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  StandInGuard* guard = AddGuard(RwV3d{3.0f, 0.0f, 3.0f});
  cUltraImplant* ultra = Implant<cUltraImplant>(player, kImplantIndexUltra);
  const tScreenEffects& effects = mLevel->GetRenderManager().GetEffects();
  player->SetEnergy(0.5f);
  Press(player, kImplantIndexUltra);
  const f32 step = kUltraViewStep;
  struct Row {
    const char* name;
    f32 seconds;       // run before the checks (0.05 a frame)
    bool energyShort;  // the energy taken away before the run
    u32 phase;
    RwRGBA tint;
    u8 overlay;
    f32 menSpeed;
    f32 view;
    f32 energy;  // -1: not checked
  };
  const Row rows[] = {
      {"half faded in", 0.5f, false, kUltraFadeIn, {129, 143, 157, 118}, 1, 0.2f, 1.2f + 7 * step, -1.0f},
      {"on, view within pi/32",
       1.5f,
       false,
       kUltraOn,
       {15, 42, 69, 57},
       1,
       0.2f,
       1.2f + 7 * step,
       0.5f + 2.0f * (kRegeneration - 0.03f)},
      {"energy short: fading out", 0.5f, true, kUltraFadeOut, {135, 135, 255, 86}, 1, 0.2f, 1.2f + 7 * step, -1.0f},
      {"faded out, view returning",
       0.55f,
       false,
       kUltraViewReturn,
       {255, 255, 255, 0},
       0,
       0.2f,
       1.2f + 6 * step,
       -1.0f},
      {"view back", 0.3f, false, kUltraOff, {255, 255, 255, 0}, 0, 1.0f, 1.2f + 2 * step, -1.0f},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.energyShort) {
      player->SetEnergy(0.0f);
    }
    Run(row.seconds, 0.05f);
    EXPECT_EQ(row.phase, ultra->GetPhase());
    EXPECT_EQ(row.tint.red, effects.overlayColour.red);
    EXPECT_EQ(row.tint.green, effects.overlayColour.green);
    EXPECT_EQ(row.tint.blue, effects.overlayColour.blue);
    EXPECT_EQ(row.tint.alpha, effects.overlayColour.alpha);
    EXPECT_EQ(row.overlay, effects.overlay);
    EXPECT_FLOAT_EQ(row.menSpeed, guard->GetModel()->GetSpeed());
    EXPECT_NEAR(row.view, mView->GetFieldOfView(), 1e-4f);
    if (row.energy >= 0.0f) {
      EXPECT_NEAR(row.energy, player->GetEnergy(), 2e-3f);
    }
  }
  EXPECT_EQ(1, mLevel->IsUltraOn());
  player->ResetImplants();
  EXPECT_EQ(0, mLevel->IsUltraOn());
}

// A start refused for want of energy leaves the player's flag on: the next
// press stops an idle Ultra, which fades out once and returns the view to
// the camera's own field of view, not to a value never set.
TEST_F(UltraShieldTest, StopAfterARefusedStartKeepsTheView) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  cUltraImplant* ultra = Implant<cUltraImplant>(player, kImplantIndexUltra);
  player->SetEnergy(0.01f);
  Press(player, kImplantIndexUltra);
  Run(0.05f, 0.05f);
  EXPECT_EQ(kUltraOff, ultra->GetPhase());
  EXPECT_TRUE(Playing(player->GetCannotUseSound()));
  Press(player, kImplantIndexUltra);
  Run(0.05f, 0.05f);
  EXPECT_EQ(kUltraFadeOut, ultra->GetPhase());
  Run(1.2f, 0.05f);
  EXPECT_EQ(kUltraOff, ultra->GetPhase());
  EXPECT_FLOAT_EQ(kCameraFieldOfView, mView->GetFieldOfView());
  EXPECT_EQ(0, mLevel->GetRenderManager().GetEffects().overlay);
}

// The shield: on, blue and draining; a block runs states 2 to 5 with its
// particles and returns to 1; a press switches it off white again, and so
// does running out of energy.
TEST_F(UltraShieldTest, ShieldDrainsBlocksAndStops) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -5.0f}, 0.0f);
  cShieldImplant* shield = Implant<cShieldImplant>(player, kImplantIndexShield);
  player->SetEnergy(0.5f);
  Press(player, kImplantIndexShield);
  Run(1.0f, 0.05f);
  EXPECT_EQ(kShieldOn, shield->GetState());
  EXPECT_TRUE(player->IsShieldActive());
  EXPECT_NEAR(0.5f + 1.0f * (kRegeneration - 0.02f), player->GetEnergy(), 1e-3f);
  const RwRGBA blue = MaterialColour(player);
  EXPECT_TRUE(blue.red == 128 && blue.green == 128 && blue.blue == 255);

  player->BlockShot();
  std::vector<u32> states;
  bool particles = false;
  for (int frame = 0; frame < 40 && (states.empty() || states.back() != kShieldOn); frame++) {
    if (states.empty() || states.back() != shield->GetState()) {
      states.push_back(shield->GetState());
    }
    Run(0.05f, 0.05f);
    particles = particles || shield->GetBlockParticles() != nullptr;
    if (shield->GetState() == kShieldBlockWaiting) {
      EXPECT_EQ(1, player->IsBlocking());
    }
  }
  EXPECT_EQ((std::vector<u32>{kShieldBlockRequested, kShieldBlockWaiting, kShieldBlocking, kShieldBlockEnd, kShieldOn}),
            states);
  EXPECT_TRUE(particles);
  EXPECT_EQ(0, player->IsBlocking());

  struct Row {
    const char* name;
    bool press;  // else the energy runs out
  };
  const Row rows[] = {{"switched off", true}, {"out of energy", false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (!row.press) {
      Press(player, kImplantIndexShield);
      Run(0.05f, 0.05f);
      player->SetEnergy(0.0f);
    } else {
      Press(player, kImplantIndexShield);
    }
    Run(0.1f, 0.05f);
    EXPECT_EQ(kShieldOff, shield->GetState());
    EXPECT_EQ(nullptr, shield->GetBlockParticles());
    EXPECT_EQ(255, MaterialColour(player).blue);
    EXPECT_EQ(255, MaterialColour(player).red);
  }
}

}  // namespace
