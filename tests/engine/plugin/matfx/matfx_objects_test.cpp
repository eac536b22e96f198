// The effects flag of atomics and world sectors: enabling switches the
// pipeline, clones keep the flag, and clumps and forged worlds carry it (with
// their effect materials) through their streams.
#include <gtest/gtest.h>

#include "tests/engine/plugin/matfx/matfx_fixture.h"
#include "tools/forge/forge.h"

namespace {

using matfx_test::MatFXTest;

TEST_F(MatFXTest, EnabledAtomicsKeepTheirFlagThroughClones) {
  Start();
  RpAtomic* atomic = FirstAtomic(OneAtomicClump(Square(Material())));
  EXPECT_FALSE(RpMatFXAtomicQueryEffects(atomic));
  ASSERT_EQ(RpMatFXAtomicEnableEffects(atomic), atomic);
  EXPECT_TRUE(RpMatFXAtomicQueryEffects(atomic));
  ASSERT_NE(_rpMatFXAtomicPipeline(), nullptr);
  EXPECT_EQ(RpAtomicGetPipeline(atomic), _rpMatFXAtomicPipeline());
  EXPECT_EQ(_rpMatFXAtomicPipeline()->ownerTag, kRpMatFXPluginId);

  RpAtomic* clone = RpAtomicClone(atomic);
  ASSERT_NE(clone, nullptr);
  EXPECT_TRUE(RpMatFXAtomicQueryEffects(clone));
  EXPECT_EQ(RpAtomicGetPipeline(clone), _rpMatFXAtomicPipeline());
  RpAtomicDestroy(clone);

  // The forge's clumps flag the atomics of effect materials.
  ForgePart plain;
  ForgePart dual;
  dual.material.effects.effects = kRpMatFXEffectDual;
  dual.material.effects.dualTexture = "overlay";
  RpClump* forged = KeepClump(ForgeClumpCreate({plain, dual}));
  ASSERT_NE(forged, nullptr);
  int flagged = 0;
  RpClumpForAllAtomics(
      forged,
      [](RpAtomic* a, void* data) {
        *static_cast<int*>(data) += RpMatFXAtomicQueryEffects(a) ? 1 : 0;
        return a;
      },
      &flagged);
  EXPECT_EQ(flagged, 1);
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
  // The effects pipeline's right to render (header, plugin id and data word) too.
  EXPECT_EQ(effectsBytes.size(), plainBytes.size() + 16 + 12 + 4 + 16 + textureChunk + 4 + 20);

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

RpWorldSector* CollectSector(RpWorldSector* sector, void* data) {
  static_cast<std::vector<RpWorldSector*>*>(data)->push_back(sector);
  return sector;
}

TEST_F(MatFXTest, ForgedWorldsFlagTheSectorsOfEffectMaterials) {
  Start();
  ForgeSoup soup;
  soup.materials.resize(2);
  soup.materials[1].texture = "stone";
  soup.materials[1].effects.effects = kRpMatFXEffectEnvMap;
  soup.materials[1].effects.envTexture = "chrome";
  soup.materials[1].effects.envCoefficient = 0.5f;
  // Two boxes far apart, one sector each.
  ForgeAddBox(&soup, {-10, 0, 0}, {-9, 1, 1}, 0);
  ForgeAddBox(&soup, {9, 0, 0}, {10, 1, 1}, 1);
  ForgeWorldOptions options;
  options.maxSectorTriangles = 12;
  options.flags |= rpWORLDNORMALS;
  options.hooks.push_back(ForgeMatFXWorldHook());
  Plain("chrome");

  RpWorld* world = ForgeWorldCreate(soup, options);
  ASSERT_NE(world, nullptr);
  std::vector<RpWorldSector*> sectors;
  RpWorldForAllWorldSectors(world, CollectSector, &sectors);
  ASSERT_EQ(sectors.size(), 2u);
  int flagged = 0;
  for (RpWorldSector* sector : sectors) {
    const RpMaterial* material = world->matList.materials[sector->matListWindowBase + sector->polygons[0].matIndex];
    const bool effects = RpMatFXMaterialGetEffects(material) == kRpMatFXEffectEnvMap;
    EXPECT_EQ(RpMatFXWorldSectorQueryEffects(sector), effects ? TRUE : FALSE);
    if (effects) {
      flagged++;
      EXPECT_EQ(sector->pipeline, _rpMatFXWorldSectorPipeline());
      const RpMatFXEnvMapData& envMap = RpMatFXMaterialGetEffectSlotConst(material, kRpMatFXSlotEnvMap)->envMap;
      ASSERT_NE(envMap.texture, nullptr);
      EXPECT_STREQ(envMap.texture->name, "chrome");
      EXPECT_EQ(envMap.coefficient, 0.5f);
    }
  }
  EXPECT_EQ(flagged, 1);
  RpWorldDestroy(world);
}

}  // namespace
