// Screen text and sprites over a level's frame, read back: a model standing
// between the camera and the text, nearer than the plane the widgets draw
// on, stays under a translucent panel and under the text's ink, whatever
// depth states the scene's last draw left behind.
#include <cstdlib>
#include <string>
#include <vector>

#include "game/render/scene/render_state.h"
#include "game/render/scene/wg_world_view.h"
#include "game/render/text/sprite2d.h"
#include "game/render/text/wg_text.h"
#include "tests/game/render/level_fixture.h"

namespace {

// A panel: one untextured sprite over the widget, through its own camera.
class PanelWidget : public cWgWidget {
 public:
  explicit PanelWidget(const RwRGBA& colour) {
    mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
    mSprite.SetColour(colour.red, colour.green, colour.blue, colour.alpha);
  }
  void Render() override {
    if (mCamera.BeginUpdate(mTarget, 1) != nullptr) {
      mSprite.Render();
      mCamera.EndUpdate();
    }
  }

 private:
  cCamera mCamera;
  cSprite2D mSprite;
};

using HudOverSceneTest = WithScreenText<LevelTest>;

TEST_F(HudOverSceneTest, TextAndPanelStayOverAModelNearerThanTheirPlane) {
  // The camera's near plane is 1; at 1.05 the model's depth is about 0.05,
  // below the 0.09 of the widgets' plane (z 1 between 0.99 and 1.1): a
  // depth test would hide the widgets behind it.
  AddQuad(RwV3d{0.0f, 0.0f, 1.05f}, 1.0f, RwRGBA{255, 0, 0, 255});
  std::vector<LoggingObject::Entry> log;
  LoggingObject* last = new LoggingObject(&log, "last", kRoTypeOpaque);
  Manager().AddRO(last);

  cWgWidget root;
  cWgWorldView view(scene_.get(), 0);
  const RwRGBA panelColour = {37, 49, 60, 192};
  PanelWidget panel(panelColour);
  cWgText text(&font_, tWgPlacement());
  text.SetText(cString("HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH"));
  text.SetPlacement(200.0f, 232.0f, 0, 0, 0, 0, 0);
  root.AddWidget(&view);
  root.AddWidget(&panel);
  root.AddWidget(&text);
  root.Layout(RwRect{0, 0, kWidth, kHeight}, screen_);

  // The model's red under the panel, and the text's white ink.
  const uint32_t underPanel = (255 * 63 / 255 + 37 * 192 / 255) << 16 | (49 * 192 / 255) << 8 | (60 * 192 / 255);
  const struct {
    RwInt32 depthTest;
    RwInt32 depthWrite;
  } rows[] = {{1, 1}, {1, 0}, {0, 1}, {0, 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.depthTest) + std::to_string(row.depthWrite));
    last->onRender = [&row] {
      SetRenderState(kRwRenderStateZTestEnable, row.depthTest);
      SetRenderState(kRwRenderStateZWriteEnable, row.depthWrite);
    };
    // Twice: the second frame starts from the states the widgets left.
    for (int frame = 0; frame < 2; frame++) {
      cWgNode::RenderTree(&root);
      SCOPED_TRACE(frame);
      const uint32_t model = BackBufferPixel(320, 200);
      EXPECT_LE(std::abs(static_cast<int>(model >> 16) - static_cast<int>(underPanel >> 16)), 3) << std::hex << model;
      EXPECT_LE(std::abs(static_cast<int>(model & 0xFF) - static_cast<int>(underPanel & 0xFF)), 3) << std::hex << model;
      EXPECT_EQ(0xFFFFFFu, BackBufferPixel(322, 240));  // a glyph's ink over the model
    }
  }
  last->Unlink();
  delete last;
  view.Unlink();
  panel.Unlink();
  text.Unlink();
}

}  // namespace
