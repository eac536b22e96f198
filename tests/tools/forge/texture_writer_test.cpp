// The forge's texture dictionaries: pattern images, and dictionaries written
// on the Direct3D 8 stand-in that read back with their names and pixels.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/d3d8_engine_window.h"
#include "tools/forge/forge.h"

namespace {

class ForgeTextureTest : public D3D8EngineWindowTest {
 protected:
  ForgeTextureTest() : D3D8EngineWindowTest("forge textures", 64, 64, 1u << 20) {}
  void SetUp() override {
    D3D8EngineWindowTest::SetUp();
    StartEngine();
  }
};

RwRGBA PixelAt(const RwImage* image, RwInt32 x, RwInt32 y) {
  const RwUInt8* pixel = image->pixels + y * image->stride + 4 * x;
  return {pixel[0], pixel[1], pixel[2], pixel[3]};
}

bool Same(const RwRGBA& a, const RwRGBA& b) {
  return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

TEST_F(ForgeTextureTest, PatternsAndDictionariesReadBack) {
  ForgeTexture checker;
  checker.name = "checker";
  checker.colors[0] = {255, 0, 0, 255};
  checker.colors[1] = {0, 0, 255, 255};
  ForgeTexture gradient;
  gradient.name = "gradient";
  gradient.width = 32;
  gradient.height = 16;
  gradient.pattern = kForgePatternGradient;
  gradient.colors[0] = {0, 0, 0, 255};
  gradient.colors[1] = {150, 30, 255, 255};

  RwImage* image = ForgeImageCreate(checker);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(Same(PixelAt(image, 0, 0), checker.colors[0]));
  EXPECT_TRUE(Same(PixelAt(image, 8, 0), checker.colors[1]));
  EXPECT_TRUE(Same(PixelAt(image, 8, 8), checker.colors[0]));
  RwImageDestroy(image);
  image = ForgeImageCreate(gradient);
  ASSERT_NE(image, nullptr);
  EXPECT_TRUE(Same(PixelAt(image, 5, 15), gradient.colors[1]));
  EXPECT_EQ(PixelAt(image, 5, 5).red, 50);
  RwImageDestroy(image);

  RwStream* out = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_TRUE(ForgeWriteTexDictionary(out, {checker, gradient}));
  RwMemory memory = {nullptr, 0};
  RwStreamClose(out, &memory);
  RwMemory in = memory;
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &in);
  ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkTexDictionary, nullptr, nullptr));
  RwTexDictionary* dictionary = RwTexDictionaryStreamRead(stream);
  RwStreamClose(stream, nullptr);
  RwFree(memory.start);
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = RwTexDictionaryFindNamedTexture(dictionary, "gradient");
  ASSERT_NE(texture, nullptr);
  RwRaster* raster = texture->raster;
  RwImage* back = RwImageCreate(32, 16, 32);
  RwImageAllocatePixels(back);
  ASSERT_NE(RwImageSetFromRaster(back, raster), nullptr);
  EXPECT_TRUE(Same(PixelAt(back, 3, 15), gradient.colors[1]));
  EXPECT_TRUE(Same(PixelAt(back, 3, 0), gradient.colors[0]));
  RwImageDestroy(back);
  EXPECT_NE(RwTexDictionaryFindNamedTexture(dictionary, "checker"), nullptr);
  RwTexDictionaryDestroy(dictionary);
}

}  // namespace
