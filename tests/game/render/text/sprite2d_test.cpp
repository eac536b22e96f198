// 2D sprites drawn on a 640 x 480 target and read back: coverage of the
// whole target and of a centred sprite, rotation about the sprite's centre,
// textures and the override raster.
#include "game/render/text/sprite2d.h"

#include <cmath>

#include "game/render/scene/camera.h"
#include "game/render/scene/render_state.h"
#include "tests/support/screen_engine.h"

namespace {

class Sprite2DTest : public ScreenEngineTest {
 protected:
  void Draw(cSprite2D& sprite) { DrawSprite(sprite, screen_); }
};

TEST_F(Sprite2DTest, DefaultSpriteCoversTheWholeTarget) {
  cSprite2D sprite;
  sprite.SetColour(255, 0, 0, 255);
  Draw(sprite);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(0, 0));
  EXPECT_EQ(0xFF0000u, BackBufferPixel(kWidth - 1, kHeight - 1));
  EXPECT_EQ(0xFF0000u, BackBufferPixel(kWidth - 1, 0));
  // Depth test and write are back on afterwards.
  EXPECT_EQ(1, GetRenderState(kRwRenderStateZTestEnable));
  EXPECT_EQ(1, GetRenderState(kRwRenderStateZWriteEnable));
}

TEST_F(Sprite2DTest, CentredSpriteCoversItsCentreArea) {
  cSprite2D sprite(tSpriteSize{0.1f, 0.1f});
  sprite.SetPosition(RwV2d{0.5f, 0.5f}, 1);
  RwV2d position;
  EXPECT_EQ(1, sprite.GetPosition(&position));
  EXPECT_FLOAT_EQ(0.5f, position.x);
  Draw(sprite);
  // 0.45 to 0.55: pixels 288..351 across, 216..263 down.
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(PixelX(0.45f) + 1, PixelY(0.45f) + 1));
  EXPECT_EQ(0xFFFFFFu, BackBufferPixel(PixelX(0.55f) - 2, PixelY(0.55f) - 2));
  EXPECT_EQ(0u, BackBufferPixel(PixelX(0.45f) - 2, kHeight / 2));
  EXPECT_EQ(0u, BackBufferPixel(PixelX(0.55f) + 1, kHeight / 2));
  EXPECT_EQ(0u, BackBufferPixel(kWidth / 2, PixelY(0.45f) - 2));
  EXPECT_EQ(0u, BackBufferPixel(kWidth / 2, PixelY(0.55f) + 1));
}

RwV3d Centre(const cSprite2D& sprite) {
  RwV3d sum = {0.0f, 0.0f, 0.0f};
  for (u32 i = 0; i < kSpriteVertexCount; i++) {
    sum.x += sprite.GetVertices()[i].objVertex.x / kSpriteVertexCount;
    sum.y += sprite.GetVertices()[i].objVertex.y / kSpriteVertexCount;
    sum.z += sprite.GetVertices()[i].objVertex.z / kSpriteVertexCount;
  }
  return sum;
}

TEST_F(Sprite2DTest, RotationTurnsAboutTheSpriteCentre) {
  for (u8 centred = 0; centred < 2; centred++) {
    SCOPED_TRACE(centred ? "centred" : "corner");
    cSprite2D sprite(tSpriteSize{0.4f, 0.1f});
    sprite.SetPosition(RwV2d{0.1f, 0.2f}, centred);
    const RwV3d before = Centre(sprite);
    const f32 quarter = 1.5707964f;
    sprite.SetRotation(&quarter);
    const RwV3d after = Centre(sprite);
    EXPECT_NEAR(before.x, after.x, 1e-5f);
    EXPECT_NEAR(before.y, after.y, 1e-5f);
    EXPECT_FLOAT_EQ(1.0f, after.z);
    // The long side (0.8 in camera units) now runs up and down.
    const RwV3d& v0 = sprite.GetVertices()[0].objVertex;
    const RwV3d& v3 = sprite.GetVertices()[3].objVertex;
    EXPECT_NEAR(0.2f, std::fabs(v0.x - v3.x), 1e-5f);
    EXPECT_NEAR(0.8f, std::fabs(v0.y - v3.y), 1e-5f);
  }
}

TEST_F(Sprite2DTest, OverrideRasterReplacesTheTextureOnlyWithItsFlag) {
  MountTextures({{"data/test/red", 0xFF0000}, {"data/test/green", 0x00FF00}});
  cSprite2D sprite("data/test/red", tSpriteSize{1.0f, 1.0f});
  ASSERT_NE(nullptr, sprite.GetTexture());
  cSprite2D green("data/test/green", tSpriteSize{1.0f, 1.0f});
  ASSERT_NE(nullptr, green.GetTexture());
  sprite.SetOverrideRaster(green.GetTexture()->raster, 0);
  Draw(sprite);
  EXPECT_EQ(0xFF0000u, BackBufferPixel(320, 240));
  sprite.SetOverrideRaster(green.GetTexture()->raster, 1);
  Draw(sprite);
  EXPECT_EQ(0x00FF00u, BackBufferPixel(320, 240));
  // No raster stays bound after a textured sprite.
  RwRaster* bound = nullptr;
  RwRenderStateGet(kRwRenderStateTextureRaster, &bound);
  EXPECT_EQ(nullptr, bound);

  // Untextured, the override raster with its flag cleared draws nothing of it.
  cSprite2D plain;
  plain.SetOverrideRaster(green.GetTexture()->raster, 0);
  plain.SetColour(0, 0, 255, 255);
  Draw(plain);
  EXPECT_EQ(0x0000FFu, BackBufferPixel(320, 240));
}

}  // namespace
