// The laser beam on the screen: seen from the side during a use, a red line
// runs between the player's hand and the laser panel, and it is gone once
// the use has ended.
#include <gtest/gtest.h>

#include "game/foundation/vector_helpers.h"
#include "game/render/collision/world_collision.h"
#include "game/render/scene/camera.h"
#include "tests/game/characters/implants/implant_fixture.h"

namespace {

bool IsRed(uint32_t pixel) { return (pixel >> 16) > 0xC0 && ((pixel >> 8) & 0xFF) < 0x60 && (pixel & 0xFF) < 0x60; }

TEST_F(ImplantTest, TheLaserBeamRunsFromTheHandToThePanel) {
  // Red pixels within rows y0 to y1 and columns x0 to x1.
  const auto Red = [](int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y <= y1; y++) {
      for (int x = x0; x <= x1; x++) {
        count += IsRed(BackBufferPixel(x, y)) ? 1 : 0;
      }
    }
    return count;
  };
  AddPanel("laser", true, 0.0f);
  Finish(mPanelProps);
  cDorvaMan* player = AddPlayer(RwV3d{0.0f, 0.0f, 1.2f}, 180.0f);
  cLaserImplant* laser = Implant<cLaserImplant>(player, kImplantIndexLaser);
  Press(player, kImplantIndexLaser);
  for (int frame = 0; frame < 20 && laser->GetState() != kBeamActive; frame++) {
    Run(0.02f, 0.02f);
  }
  ASSERT_EQ(kBeamActive, laser->GetState());
  const RwV3d panel = laser->GetTarget();

  // From 1.5 to the side, looking at the beam's middle.
  cCamera camera;
  RpWorldAddCamera(mRoom, camera.GetCamera());
  mLevel->GetRenderManager().SetWorldObject(mCollision);
  // The hand takes its pose when the player is drawn; the beam follows at
  // the next update.
  mLevel->GetRenderManager().RenderFrame(&camera, screen_);
  Run(0.02f, 0.02f);
  const RwV3d hand = laser->GetWorldPosition();
  const RwV3d middle = {(hand.x + panel.x) * 0.5f, (hand.y + panel.y) * 0.5f, (hand.z + panel.z) * 0.5f};
  RwMatrix* view = RwFrameGetMatrix(camera.GetFrame());
  view->pos = RwV3d{middle.x + 1.5f, middle.y, middle.z};
  MatrixLookAt(view, &middle);
  RwMatrixUpdate(view);
  RwFrameMarkDirty(camera.GetFrame());

  mLevel->GetRenderManager().RenderFrame(&camera, screen_);
  // The hand moves on with its animation: the beam crosses the middle of
  // the view, give or take a little, and nothing red stands far from it.
  EXPECT_LT(100, Red(220, 140, 420, 340)) << "the beam";
  EXPECT_EQ(0, Red(0, 0, kWidth - 1, 60)) << "above it";

  // The use ends, the sparks die out.
  for (int frame = 0; frame < 200 && player->GetActionState() != kStateStand; frame++) {
    Run(0.02f, 0.02f);
  }
  Run(1.5f, 0.05f);
  mLevel->GetRenderManager().RenderFrame(&camera, screen_);
  EXPECT_EQ(0, Red(220, 140, 420, 340)) << "the use has ended";
  RpWorldRemoveCamera(mRoom, camera.GetCamera());
}

}  // namespace
