// The demo men's bodies in a white light are drawn in their colours: none
// comes out black.
#include <gtest/gtest.h>

#include <vector>

#include "game/render/models/dynamic_lit_clump_ro.h"
#include "tests/game/characters/implants/aim_fixture.h"

namespace {

using LitBodiesTest = AimTest;

TEST_F(LitBodiesTest, ABodyInTheLightIsNotDrawnBlack) {
  RpWorldAddCamera(mRoom, mView->GetCamera());
  cRenderManager& manager = mLevel->GetRenderManager();
  manager.SetWorldObject(mCollision);
  manager.SetFogColour(RwRGBA{100, 150, 200, 255});
  manager.SetScene(mLevel, 1);
  cLight white(rpLIGHTAMBIENT);
  white.SetColour(RwRGBAReal{1.0f, 1.0f, 1.0f, 1.0f});
  PlaceView(RwV3d{0.0f, 1.0f, 1.5f}, RwV3d{0.0f, 1.0f, -2.0f});
  const auto Frame = [&] {
    manager.RenderFrame(mView, screen_);
    std::vector<uint32_t> pixels;
    for (int i = 0; i < kWidth * kHeight; i += 3) {
      pixels.push_back(BackBufferPixel(i % kWidth, i / kWidth) & 0xFFFFFF);
    }
    return pixels;
  };
  const std::vector<uint32_t> empty = Frame();
  for (const char* body : {"guard", "guard4", "civilian3", "gangster", "dorvaman"}) {
    SCOPED_TRACE(body);
    // A double of the body leaves the scene until it is shown.
    cDynamicLitClumpRO* clump = AddMan(body, RwV3d{0.0f, 0.0f, -2.0f})->GetModel()->GetClumpObject();
    mLevel->AddClump(clump);
    clump->SetExtraLight(&white);
    Run(0.1f);
    const std::vector<uint32_t> seen = Frame();
    int covered = 0, black = 0;
    for (size_t i = 0; i < seen.size(); i++) {
      covered += seen[i] != empty[i] ? 1 : 0;
      black += seen[i] != empty[i] && seen[i] == 0 ? 1 : 0;
    }
    EXPECT_LT(100, covered);
    EXPECT_EQ(0, black);
    clump->SetExtraLight(nullptr);
    mLevel->RemoveClump(clump);
  }
  RpWorldRemoveCamera(mRoom, mView->GetCamera());
}

}  // namespace
