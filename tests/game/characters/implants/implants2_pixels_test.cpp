// On the screen: the standing double lets what lies behind it show through
// by its alpha, and Ultra's tint is blended over the whole picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "game/render/collision/world_collision.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

using ImplantPixelsTest = AimTest;

// The clear colour: the room has no walls behind the double.
const RwRGBA kSky = {100, 150, 200, 255};

int Channel(uint32_t pixel, int shift) { return static_cast<int>((pixel >> shift) & 0xFF); }

TEST_F(ImplantPixelsTest, DoubleIsTranslucentAndUltraTintsTheScreen) {
  cDorvaMan* player = AddPlayerAndDouble(RwV3d{0.0f, 0.0f, -3.0f}, 0.0f);
  cHologramImplant* hologram = Implant<cHologramImplant>(player, kImplantIndexHologram);
  hologram->Use();
  Run(3.0f, 0.05f);
  // The player steps out of the picture; the double stays at z -2.
  const RwV3d aside = {8.0f, 0.0f, 8.0f};
  RwFrameTranslate(player->GetFrame(), &aside, kRwCombineReplace);
  RpWorldAddCamera(mRoom, mView->GetCamera());
  cRenderManager& manager = mLevel->GetRenderManager();
  manager.SetWorldObject(mCollision);
  manager.SetFogColour(kSky);
  // The scene's lights into the room, and without lightmaps a white light
  // of the double's own.
  manager.SetScene(mLevel, 1);
  cLight white(rpLIGHTAMBIENT);
  white.SetColour(RwRGBAReal{1.0f, 1.0f, 1.0f, 1.0f});
  mDouble->GetModel()->GetClumpObject()->SetExtraLight(&white);
  PlaceView(RwV3d{0.0f, 1.0f, 1.5f}, RwV3d{0.0f, 1.0f, -2.0f});
  // Every second pixel of every second row.
  const auto Frame = [&] {
    manager.RenderFrame(mView, screen_);
    std::vector<uint32_t> pixels;
    for (int y = 0; y < kHeight; y += 2) {
      for (int x = 0; x < kWidth; x += 2) {
        pixels.push_back(BackBufferPixel(x, y));
      }
    }
    return pixels;
  };
  const uint32_t sky = PackColour(kSky.red, kSky.green, kSky.blue, 0);
  constexpr u8 kAlpha = 120;
  mDouble->SetMaterialColour(255, 255, 255, 255);
  const std::vector<uint32_t> opaque = Frame();
  mDouble->SetMaterialColour(kAlpha, 255, 255, 255);
  const std::vector<uint32_t> translucent = Frame();
  hologram->End();
  const std::vector<uint32_t> gone = Frame();
  // Where the opaque double hides the sky, the translucent one lets it
  // through: by its alpha where one layer of the body lies over the sky,
  // less where its limbs overlap.
  int covered = 0;
  int oneLayer = 0;
  for (size_t i = 0; i < opaque.size(); i++) {
    if ((gone[i] & 0xFFFFFF) != sky || (opaque[i] & 0xFFFFFF) == sky) {
      continue;
    }
    covered++;
    bool blended = true;
    for (int shift : {16, 8, 0}) {
      const int body = Channel(opaque[i], shift);
      const int behind = Channel(sky, shift);
      const int seen = Channel(translucent[i], shift);
      EXPECT_TRUE(seen >= std::min(body, behind) - 3 && seen <= std::max(body, behind) + 3) << i;
      blended = blended && std::abs((body * kAlpha + behind * (255 - kAlpha)) / 255 - seen) <= 3;
    }
    oneLayer += blended ? 1 : 0;
  }
  EXPECT_LT(covered / 2, oneLayer);
  EXPECT_LT(100, covered);

  // Ultra on: its last fade-in tint over the picture.
  const std::vector<uint32_t> plain = Frame();
  player->SetEnergy(1.0f);
  Implant<cUltraImplant>(player, kImplantIndexUltra)->Start();
  Run(1.2f, 0.05f);
  const RwRGBA tint = manager.GetEffects().overlayColour;
  Frame();
  const std::vector<uint32_t> tinted = Frame();
  const int channels[3] = {tint.red, tint.green, tint.blue};
  const int shifts[3] = {16, 8, 0};
  for (size_t i = 0; i < plain.size(); i += 97) {
    for (int c = 0; c < 3; c++) {
      const int expected = (Channel(plain[i], shifts[c]) * (255 - tint.alpha) + channels[c] * tint.alpha) / 255;
      ASSERT_NEAR(expected, Channel(tinted[i], shifts[c]), 4) << i << " " << c;
    }
  }
  RpWorldRemoveCamera(mRoom, mView->GetCamera());
}

}  // namespace
