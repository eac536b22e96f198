// The effects flag of atomics: enabling switches the pipeline, clones keep
// the flag, and clumps carry it (with their effect materials) through their
// stream.
#include <gtest/gtest.h>

#include "tests/engine/plugin/matfx/matfx_fixture.h"

namespace {

using matfx_test::MatFXTest;

TEST_F(MatFXTest, EnabledAtomicsKeepTheirFlagThroughClones) {
  Start();
  RpAtomic* atomic = FirstAtomic(OneAtomicClump(Square(Material())));
  EXPECT_FALSE(RpMatFXAtomicQueryEffects(atomic));
  ASSERT_EQ(RpMatFXAtomicEnableEffects(atomic), atomic);
  EXPECT_TRUE(RpMatFXAtomicQueryEffects(atomic));
  EXPECT_EQ(RpAtomicGetPipeline(atomic), _rpMatFXAtomicPipeline());

  RpAtomic* clone = RpAtomicClone(atomic);
  ASSERT_NE(clone, nullptr);
  EXPECT_TRUE(RpMatFXAtomicQueryEffects(clone));
  EXPECT_EQ(RpAtomicGetPipeline(clone), _rpMatFXAtomicPipeline());
  RpAtomicDestroy(clone);
}

TEST_F(MatFXTest, ClumpsStreamTheFlagAndTheEffectMaterials) {
  Start();
  RwTexture* chrome = Plain("chrome");
  RpMaterial* shiny = Material(kRpMatFXEffectEnvMap);
  RpMatFXMaterialSetEnvMapTexture(shiny, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(shiny, 0.75f);
  RpClump* plain = OneAtomicClump(Square(Material()));
  RpClump* effects = OneAtomicClump(Square(shiny));
  RpMatFXAtomicEnableEffects(FirstAtomic(effects));

  std::vector<uint8_t> plainBytes;
  std::vector<uint8_t> effectsBytes;
  ASSERT_TRUE(WriteToMemory([plain](RwStream* s) { return RpClumpStreamWrite(plain, s) != nullptr; }, &plainBytes));
  ASSERT_TRUE(
      WriteToMemory([effects](RwStream* s) { return RpClumpStreamWrite(effects, s) != nullptr; }, &effectsBytes));
  // The flag's sub-chunk (header and word) and the material's effects data
  // (header, kind, slot 0 with its texture, slot 1's type).
  RwTexture* probe = RwTextureCreate(nullptr);
  RwTextureSetName(probe, "chrome");
  const size_t textureChunk = 12 + RwTextureStreamGetSize(probe);
  RwTextureDestroy(probe);
  EXPECT_EQ(effectsBytes.size(), plainBytes.size() + 16 + 12 + 4 + 16 + textureChunk + 4);

  for (const std::vector<uint8_t>* bytes : {&plainBytes, &effectsBytes}) {
    const bool expectEffects = bytes == &effectsBytes;
    SCOPED_TRACE(expectEffects);
    RwStream* stream = OpenMemoryRead(*bytes);
    ASSERT_TRUE(RwStreamFindChunk(stream, kRwChunkClump, nullptr, nullptr));
    RpClump* read = KeepClump(RpClumpStreamRead(stream));
    RwStreamClose(stream, nullptr);
    ASSERT_NE(read, nullptr);
    RpAtomic* atomic = FirstAtomic(read);
    EXPECT_EQ(RpMatFXAtomicQueryEffects(atomic), expectEffects ? TRUE : FALSE);
    RpMaterial* material = RpAtomicGetGeometry(atomic)->matList.materials[0];
    EXPECT_EQ(RpMatFXMaterialGetEffects(material), expectEffects ? kRpMatFXEffectEnvMap : kRpMatFXEffectNull);
    if (expectEffects) {
      EXPECT_EQ(RpAtomicGetPipeline(atomic), _rpMatFXAtomicPipeline());
      EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotEnvMap)->envMap.texture, chrome);
    }
  }
}

}  // namespace
