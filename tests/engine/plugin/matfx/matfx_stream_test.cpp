// The material data stream through the material chunk: round trips of every
// effects kind, the bump coefficient's sign, bump maps rebuilt from their
// source, missing textures, and corrupt or truncated data.
#include <gtest/gtest.h>

#include "tests/engine/plugin/matfx/matfx_fixture.h"

namespace {

using matfx_test::MatFXTest;

constexpr size_t kMaterialChunkSize = 12 + 12 + kRpMaterialStreamStructSize + 12;

// Bytes of a texture chunk naming the texture, as the engine writes it.
size_t TextureChunkSize(const char* name) {
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  const size_t size = 12 + RwTextureStreamGetSize(texture);
  RwTextureDestroy(texture);
  return size;
}

TEST_F(MatFXTest, KindZeroWritesNoEffectsData) {
  Start();
  RpMaterial* material = Material(kRpMatFXEffectEnvMap);
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectNull);
  EXPECT_EQ(WrittenMaterial(material).size(), kMaterialChunkSize);
  EXPECT_EQ(WrittenMaterial(Material()).size(), kMaterialChunkSize);
}

TEST_F(MatFXTest, EnvironmentAndDualRoundTrip) {
  Start();
  RwTexture* chrome = Plain("chrome");
  RwTexture* overlay = Plain("overlay");
  RpMaterial* environment = Material(kRpMatFXEffectEnvMap);
  RpMatFXMaterialSetEnvMapTexture(environment, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(environment, 0.5f);
  RpMatFXMaterialSetEnvMapFrameBufferAlpha(environment, TRUE);
  const std::vector<uint8_t> bytes = WrittenMaterial(environment);
  // Sub-chunk header, kind, slot 0 (type, coefficient, flag, present, texture), slot 1 type.
  EXPECT_EQ(bytes.size(), kMaterialChunkSize + 12 + 4 + 16 + TextureChunkSize("chrome") + 4);
  RpMaterial* read = ReadMaterial(bytes);
  ASSERT_NE(read, nullptr);
  const RpMatFXEnvMapData& envMap = RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotEnvMap)->envMap;
  EXPECT_EQ(envMap.texture, chrome);
  EXPECT_EQ(envMap.coefficient, 0.5f);
  EXPECT_EQ(envMap.useFrameBufferAlpha, 1u);
  EXPECT_EQ(chrome->refCount, 3);

  RpMaterial* dual = Material(kRpMatFXEffectDual);
  RpMatFXMaterialSetDualTexture(dual, overlay);
  RpMatFXMaterialSetDualBlendModes(dual, 9, 1);
  read = ReadMaterial(WrittenMaterial(dual));
  ASSERT_NE(read, nullptr);
  const RpMatFXDualData& dualData = RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotDual)->dual;
  EXPECT_EQ(dualData.texture, overlay);
  EXPECT_EQ(dualData.srcBlendMode, 9u);
  EXPECT_EQ(dualData.destBlendMode, 1u);

  // A texture that is nowhere to be found is left out; the rest reads.
  RpMaterial* lost = Material(kRpMatFXEffectDual);
  RpMatFXMaterialSetDualTexture(lost, Plain("lost", 0xFF000000, 4, false));
  read = ReadMaterial(WrittenMaterial(lost));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotDual)->dual.texture, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotDual)->dual.srcBlendMode, 5u);
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
}

TEST_F(MatFXTest, BumpMapsRoundTripWithTheirCoefficientNegated) {
  Start();
  RwTexture* base = Plain("abc", 0xFF808080, 8);
  RwTexture* heights = Plain("xy", 0xFF404040, 4);
  RwTexture* chrome = Plain("chrome");
  RpMaterial* material = Material();
  RpMaterialSetTexture(material, base);
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectBumpEnvMap);
  RpMatFXMaterialSetBumpMapTexture(material, heights);
  RpMatFXMaterialSetBumpMapCoefficient(material, 0.5f);
  RpMatFXMaterialSetEnvMapTexture(material, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(material, 0.25f);
  const std::vector<uint8_t> bytes = WrittenMaterial(material);
  ASSERT_EQ(bytes.size(), kMaterialChunkSize + TextureChunkSize("abc") + 12 + 4 + 4 + 4 + 4 +
                              TextureChunkSize("axbyc") + 4 + TextureChunkSize("xy") + 4 + 12 +
                              TextureChunkSize("chrome"));

  RpMaterial* read = ReadMaterial(bytes);
  ASSERT_NE(read, nullptr);
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(read);
  ASSERT_EQ(data->slot[0].type, kRpMatFXSlotBumpMap);
  ASSERT_EQ(data->slot[1].type, kRpMatFXSlotEnvMap);
  EXPECT_EQ(data->slot[0].bumpMap.coefficient, 0.5f);
  EXPECT_STREQ(data->slot[0].bumpMap.bumpTexture->name, "axbyc");
  EXPECT_EQ(data->slot[0].bumpMap.sourceTexture, heights);
  EXPECT_EQ(data->slot[0].bumpMap.inverseBumpWidth, 1.0f / 8.0f);
  EXPECT_EQ(data->slot[1].envMap.texture, chrome);
  EXPECT_EQ(data->slot[1].envMap.coefficient, 0.25f);

  // The file holds -c: a stored -0.5 reads as 0.5 and is written back as -0.5.
  const std::vector<uint8_t> again = WrittenMaterial(read);
  EXPECT_EQ(again, bytes);
}

TEST_F(MatFXTest, BumpMapFromItsSourceAloneIsRebuiltOrFound) {
  Start();
  RwTexture* heights = Plain("xy", 0xFF404040, 4);
  // Written from a material whose bump-map texture was not kept.
  RpMaterial* material = Material(kRpMatFXEffectBumpMap);
  RpMatFXMaterialSetBumpMapTexture(material, heights);
  RpMatFXMaterialSetBumpMapCoefficient(material, 1.0f);
  RpMatFXEffectSlot* slot = RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap);
  RwTexture* built = slot->bumpMap.bumpTexture;
  ASSERT_NE(built, nullptr);
  EXPECT_STREQ(built->name, "xxyy");
  RwTexDictionaryRemoveTexture(built);
  const std::vector<uint8_t> bytes = WrittenMaterial(material);

  // Not in the dictionary: built anew from the source.
  RpMaterial* read = ReadMaterial(bytes);
  ASSERT_NE(read, nullptr);
  RwTexture* rebuilt = RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotBumpMap)->bumpMap.bumpTexture;
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_NE(rebuilt, built);
  EXPECT_STREQ(rebuilt->name, "xxyy");
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotBumpMap)->bumpMap.coefficient, 1.0f);
  EXPECT_EQ(heights->refCount, 3);  // dictionary's, and each material's source

  // Now in the dictionary: the combined texture is found by name.
  read = ReadMaterial(bytes);
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(read, kRpMatFXSlotBumpMap)->bumpMap.bumpTexture, rebuilt);
  EXPECT_EQ(rebuilt->refCount, 2);
}

TEST_F(MatFXTest, CorruptEffectsDataFailsTheMaterialRead) {
  Start();
  RwTexture* chrome = Plain("chrome");
  RpMaterial* environment = Material(kRpMatFXEffectEnvMap);
  RpMatFXMaterialSetEnvMapTexture(environment, chrome);
  const std::vector<uint8_t> good = WrittenMaterial(environment);
  const size_t effects = kMaterialChunkSize + 12;  // the kind's offset
  ASSERT_GT(good.size(), effects);
  const int live = LiveBlocks();

  // Every truncation of the effects data (with the lengths of the chunks
  // around it kept) fails without leaving anything behind.
  for (size_t cut = effects; cut < good.size(); cut++) {
    SCOPED_TRACE(cut);
    std::vector<uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
    EXPECT_EQ(ReadMaterial(bytes), nullptr);
    TakeError();
  }
  EXPECT_EQ(chrome->refCount, 2);

  // A slot type the kind does not give.
  struct Case {
    const char* name;
    uint32_t kind;
    uint32_t slot0;
  };
  const Case cases[] = {{"dual slot in an environment map", 2, 4},
                        {"bump slot in a dual pass", 4, 1},
                        {"environment slot in an unknown kind", 7, 2}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> bytes = good;
    bytes[effects] = static_cast<uint8_t>(c.kind);
    bytes[effects + 4] = static_cast<uint8_t>(c.slot0);
    EXPECT_EQ(ReadMaterial(bytes), nullptr);
    EXPECT_EQ(TakeError().errorCode, kRwErrRead);
  }
  EXPECT_EQ(chrome->refCount, 2);
  EXPECT_EQ(LiveBlocks(), live);
}

}  // namespace
