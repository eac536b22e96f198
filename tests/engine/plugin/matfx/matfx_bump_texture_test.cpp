// Bump-map textures: interleaved names, the combined pixels (colour from the
// base, alpha from the source's brightest channel), and the bump source
// found in the current dictionary or built, with its 1 / width.
#include <gtest/gtest.h>

#include <string>

#include "tests/engine/plugin/matfx/matfx_fixture.h"

namespace {

using matfx_test::MatFXTest;

std::string BumpName(const char* base, const char* source) {
  RwChar name[kRwTextureNameLength];
  _rpMatFXBumpMapName(name, base, source);
  return name;
}

TEST(MatFXBumpNameTest, InterleavesTheNamesUpToThirtyCharacters) {
  EXPECT_EQ(BumpName("abc", "xy"), "axbyc");
  EXPECT_EQ(BumpName("xy", "xy"), "xxyy");
  EXPECT_EQ(BumpName("", "xy"), "xy");
  EXPECT_EQ(BumpName("abcdef", ""), "abcdef");
  // Long names stop at 30 characters, pairs first, then the longer name's rest.
  std::string pairs;
  for (int i = 0; i < 15; i++) {
    pairs += "ab";
  }
  EXPECT_EQ(BumpName(std::string(40, 'a').c_str(), std::string(40, 'b').c_str()), pairs);
  EXPECT_EQ(BumpName("a", std::string(40, 'b').c_str()), "a" + std::string(29, 'b'));
  EXPECT_EQ(BumpName("abcdefghijklmnopqrstuvwxyz", "1").size(), 27u);
}

TEST_F(MatFXTest, CombinedTextureTakesColourFromTheBaseAndAlphaFromTheHeights) {
  Start();
  RwTexture* base = Texture("brick", 8, 8, [](RwInt32 x, RwInt32) { return x < 4 ? 0xFF102030u : 0xFF405060u; });
  RwTextureSetFilterMode(base, kRwFilterLinear);
  RwTextureSetAddressingU(base, kRwTextureAddressClamp);
  RwTextureSetAddressingV(base, kRwTextureAddressClamp);
  // Heights of half the size: red, green or blue carries the height.
  RwTexture* heights = Texture("hill", 4, 4, [](RwInt32 x, RwInt32 y) {
    return y < 2 ? 0xFF000000u | (static_cast<RwUInt32>(x) * 40u << 8) : 0x00C00000u;
  });

  RwTexture* bump = RpMatFXCreateBumpMapTexture(base, heights);
  ASSERT_NE(bump, nullptr);
  EXPECT_STREQ(bump->name, "bhriilclk");
  EXPECT_EQ(bump->raster->width, 8);
  EXPECT_EQ(RwTextureGetFilterMode(bump), static_cast<RwUInt32>(kRwFilterLinear));
  EXPECT_EQ(RwTextureGetAddressingU(bump), static_cast<RwUInt32>(kRwTextureAddressClamp));
  EXPECT_EQ(Texel(bump, 1, 7), 0xC0102030u);
  EXPECT_EQ(Texel(bump, 6, 6), 0xC0405060u);
  EXPECT_EQ(Texel(bump, 0, 0) & 0x00FFFFFFu, 0x102030u);
  EXPECT_LT(Texel(bump, 0, 0) >> 24, Texel(bump, 7, 0) >> 24);  // heights grow with x along the top rows
  RwTextureDestroy(bump);

  // Without a base: white, the source's size and settings; differing
  // addressing of U and V gives none.
  RwTextureSetAddressingU(heights, kRwTextureAddressMirror);
  bump = RpMatFXCreateBumpMapTexture(nullptr, heights);
  ASSERT_NE(bump, nullptr);
  EXPECT_STREQ(bump->name, "hhiillll");
  EXPECT_EQ(bump->raster->width, 4);
  EXPECT_EQ(Texel(bump, 0, 3), 0xC0FFFFFFu);
  EXPECT_EQ(RwTextureGetAddressingU(bump), static_cast<RwUInt32>(kRwTextureAddressNone));
  EXPECT_EQ(RwTextureGetAddressingV(bump), static_cast<RwUInt32>(kRwTextureAddressNone));
  RwTextureDestroy(bump);

  // The mip-map bits follow the base.
  RwTexture* mipped = Texture(
      "mipped", 8, 8, [](RwInt32, RwInt32) { return 0xFFFFFFFFu; }, true,
      rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  bump = RpMatFXCreateBumpMapTexture(mipped, heights);
  ASSERT_NE(bump, nullptr);
  EXPECT_NE((static_cast<RwUInt32>(bump->raster->format) << 8) & rwRASTERFORMATMIPMAP, 0u);
  RwTextureDestroy(bump);

  EXPECT_EQ(RpMatFXCreateBumpMapTexture(base, Texture("empty", 0, 0, nullptr)), nullptr);
  TakeError();
}

TEST_F(MatFXTest, BumpSourceFindsOrBuildsTheCombinedTexture) {
  Start();
  RwTexture* base = Plain("abc", 0xFF808080, 8);
  RwTexture* heights = Plain("xy", 0xFF404040, 4);
  RpMaterial* material = Material(kRpMatFXEffectBumpMap);
  RpMaterialSetTexture(material, base);

  // Built and added to the current dictionary.
  ASSERT_EQ(RpMatFXMaterialSetBumpMapTexture(material, heights), material);
  const RpMatFXBumpMapData& bump = RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap)->bumpMap;
  ASSERT_NE(bump.bumpTexture, nullptr);
  EXPECT_EQ(bump.sourceTexture, heights);
  EXPECT_EQ(heights->refCount, 2);
  EXPECT_STREQ(bump.bumpTexture->name, "axbyc");
  EXPECT_EQ(bump.bumpTexture->dictionary, Dictionary());
  EXPECT_EQ(bump.inverseBumpWidth, 1.0f / 8.0f);

  // A second material of the same names finds it instead of building.
  RpMaterial* other = Material(kRpMatFXEffectBumpEnvMap);
  RpMaterialSetTexture(other, base);
  RpMatFXMaterialSetBumpMapTexture(other, heights);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(other, kRpMatFXSlotBumpMap)->bumpMap.bumpTexture, bump.bumpTexture);
  EXPECT_EQ(bump.bumpTexture->refCount, 2);

  // A null source keeps the material texture's width only.
  RpMatFXMaterialSetBumpMapTexture(other, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(other, kRpMatFXSlotBumpMap)->bumpMap.bumpTexture, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(other, kRpMatFXSlotBumpMap)->bumpMap.inverseBumpWidth, 1.0f / 8.0f);
  EXPECT_EQ(bump.bumpTexture->refCount, 1);
  EXPECT_EQ(heights->refCount, 2);
}

TEST_F(MatFXTest, BumpSourceWithoutMaterialTextureOrWidth) {
  Start();
  RwTexture* heights = Plain("xy", 0xFF404040, 4);
  RpMaterial* untextured = Material(kRpMatFXEffectBumpMap);
  // The source's width stands in for the missing material texture's.
  ASSERT_EQ(RpMatFXMaterialSetBumpMapTexture(untextured, heights), untextured);
  const RpMatFXBumpMapData& bump = RpMatFXMaterialGetEffectSlot(untextured, kRpMatFXSlotBumpMap)->bumpMap;
  ASSERT_NE(bump.bumpTexture, nullptr);
  EXPECT_STREQ(bump.bumpTexture->name, "xxyy");
  EXPECT_EQ(bump.inverseBumpWidth, 0.25f);
  RpMatFXMaterialSetBumpMapTexture(untextured, nullptr);
  EXPECT_EQ(bump.inverseBumpWidth, 0.0f);

  // A raster-less source or material texture leaves no bump-map texture.
  RpMaterial* material = Material(kRpMatFXEffectBumpMap);
  RpMaterialSetTexture(material, Texture("ghost", 0, 0, nullptr));
  RpMatFXMaterialSetBumpMapTexture(material, heights);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap)->bumpMap.bumpTexture, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap)->bumpMap.sourceTexture, heights);
  RpMatFXMaterialSetBumpMapTexture(untextured, Texture("flat", 0, 0, nullptr));
  EXPECT_EQ(bump.bumpTexture, nullptr);
  EXPECT_EQ(bump.inverseBumpWidth, 0.0f);
}

}  // namespace
