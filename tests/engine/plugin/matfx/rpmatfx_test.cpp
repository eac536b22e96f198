// The material-effects plugin: slot types per effects kind and the release of
// textures when the kind changes, setters that refuse a material without the
// matching slot, and the copy of effects between materials.
#include "engine/plugin/matfx/rpmatfx.h"

#include <gtest/gtest.h>

#include "engine/world/world_internal.h"
#include "tests/engine/plugin/matfx/matfx_fixture.h"

namespace {

using matfx_test::MatFXTest;

TEST_F(MatFXTest, EffectsKindsSetTheirSlots) {
  Start();
  struct Case {
    RwUInt32 effects;
    RwUInt32 slot0;
    RwUInt32 slot1;
  };
  const Case cases[] = {
      {kRpMatFXEffectNull, kRpMatFXSlotNone, kRpMatFXSlotNone},
      {kRpMatFXEffectBumpMap, kRpMatFXSlotBumpMap, kRpMatFXSlotNone},
      {kRpMatFXEffectEnvMap, kRpMatFXSlotEnvMap, kRpMatFXSlotNone},
      {kRpMatFXEffectBumpEnvMap, kRpMatFXSlotBumpMap, kRpMatFXSlotEnvMap},
      {kRpMatFXEffectDual, kRpMatFXSlotDual, kRpMatFXSlotNone},
      {5, kRpMatFXSlotNone, kRpMatFXSlotNone},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.effects);
    RpMaterial* material = Material();
    EXPECT_EQ(RpMatFXMaterialGetEffects(material), kRpMatFXEffectNull);
    ASSERT_EQ(RpMatFXMaterialSetEffects(material, c.effects), material);
    const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(material);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->effects, c.effects);
    EXPECT_EQ(data->slot[0].type, c.slot0);
    EXPECT_EQ(data->slot[1].type, c.slot1);
    if (c.slot0 != kRpMatFXSlotNone) {
      EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, c.slot0), &data->slot[0]);
    }
  }
  RpMatFXEffectSlot* dual = RpMatFXMaterialGetEffectSlot(Material(kRpMatFXEffectDual), kRpMatFXSlotDual);
  EXPECT_EQ(dual->dual.srcBlendMode, 5u);
  EXPECT_EQ(dual->dual.destBlendMode, 6u);
}

TEST_F(MatFXTest, ChangingTheKindReleasesTheSlotTextures) {
  Start();
  RwTexture* environment = Plain("chrome");
  RpMaterial* material = Material(kRpMatFXEffectEnvMap);
  ASSERT_NE(RpMatFXMaterialSetEnvMapTexture(material, environment), nullptr);
  RpMatFXMaterialSetEnvMapCoefficient(material, 0.5f);
  EXPECT_EQ(environment->refCount, 2);

  // The same kind again keeps the slot.
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectEnvMap);
  EXPECT_EQ(environment->refCount, 2);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotEnvMap)->envMap.coefficient, 0.5f);

  RpMatFXMaterialSetEffects(material, kRpMatFXEffectDual);
  EXPECT_EQ(environment->refCount, 1);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotEnvMap), nullptr);

  RpMatFXMaterialSetDualTexture(material, environment);
  RpMatFXMaterialSetDualTexture(material, environment);  // replacing it by itself keeps it alive
  EXPECT_EQ(environment->refCount, 2);
  RpMatFXMaterialSetEffects(material, kRpMatFXEffectNull);
  EXPECT_EQ(environment->refCount, 1);
  EXPECT_EQ(_rpMatFXMaterialGetData(material)->slot[0].type, kRpMatFXSlotNone);
}

TEST_F(MatFXTest, SettersRefuseAMaterialWithoutTheirSlot) {
  Start();
  RwTexture* texture = Plain("stone");
  RpMaterial* plain = Material();
  RpMaterial* environment = Material(kRpMatFXEffectEnvMap);
  RpMaterial* dual = Material(kRpMatFXEffectDual);
  struct Case {
    const char* name;
    std::function<RpMaterial*()> set;
  };
  const Case cases[] = {
      {"dual blends without effects", [&] { return RpMatFXMaterialSetDualBlendModes(plain, 9, 1); }},
      {"dual blends on an environment map", [&] { return RpMatFXMaterialSetDualBlendModes(environment, 9, 1); }},
      {"dual texture on an environment map", [&] { return RpMatFXMaterialSetDualTexture(environment, texture); }},
      {"bump source on a dual pass", [&] { return RpMatFXMaterialSetBumpMapTexture(dual, texture); }},
      {"bump coefficient on a dual pass", [&] { return RpMatFXMaterialSetBumpMapCoefficient(dual, 1.0f); }},
      {"environment texture on a dual pass", [&] { return RpMatFXMaterialSetEnvMapTexture(dual, texture); }},
      {"environment alpha without effects", [&] { return RpMatFXMaterialSetEnvMapFrameBufferAlpha(plain, TRUE); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.set(), nullptr);
    EXPECT_EQ(TakeError().errorCode, kRwErrInvalidValue);
  }
  EXPECT_EQ(texture->refCount, 1);
  EXPECT_EQ(_rpMatFXMaterialGetData(plain), nullptr);
  EXPECT_EQ(RpMatFXMaterialSetDualBlendModes(dual, 9, 3), dual);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(dual, kRpMatFXSlotDual)->dual.destBlendMode, 3u);
}

TEST_F(MatFXTest, CopyingGivesTheDestinationItsOwnReferences) {
  Start();
  RwTexture* base = Plain("base");
  RwTexture* heights = Plain("hills");
  RwTexture* chrome = Plain("chrome");
  RwTexture* overlay = Plain("overlay");
  const RwPluginRegistry* registry = _rpMaterialRegistry();

  RpMaterial* bumped = Material();
  RpMaterialSetTexture(bumped, base);
  RpMatFXMaterialSetEffects(bumped, kRpMatFXEffectBumpEnvMap);
  RpMatFXMaterialSetBumpMapTexture(bumped, heights);
  RpMatFXMaterialSetBumpMapCoefficient(bumped, 0.75f);
  RpMatFXMaterialSetEnvMapTexture(bumped, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(bumped, 0.25f);
  RpMatFXMaterialSetEnvMapFrameBufferAlpha(bumped, TRUE);
  RpMaterial* copy = Material();
  ASSERT_NE(RwPluginRegistryCopyObject(registry, copy, bumped), nullptr);
  const RpMatFXMaterialData* from = _rpMatFXMaterialGetData(bumped);
  const RpMatFXMaterialData* to = _rpMatFXMaterialGetData(copy);
  ASSERT_NE(to, nullptr);
  EXPECT_NE(to, from);
  EXPECT_EQ(to->effects, kRpMatFXEffectBumpEnvMap);
  EXPECT_EQ(to->slot[0].bumpMap.bumpTexture, from->slot[0].bumpMap.bumpTexture);
  EXPECT_EQ(to->slot[0].bumpMap.sourceTexture, heights);
  EXPECT_EQ(to->slot[0].bumpMap.coefficient, 0.75f);
  EXPECT_EQ(to->slot[0].bumpMap.inverseBumpWidth, 0.25f);
  EXPECT_EQ(to->slot[1].envMap.texture, chrome);
  EXPECT_EQ(to->slot[1].envMap.coefficient, 0.25f);
  EXPECT_EQ(to->slot[1].envMap.useFrameBufferAlpha, 1u);
  EXPECT_EQ(heights->refCount, 3);
  EXPECT_EQ(chrome->refCount, 3);
  EXPECT_EQ(from->slot[0].bumpMap.bumpTexture->refCount, 2);

  RpMaterial* dual = Material(kRpMatFXEffectDual);
  RpMatFXMaterialSetDualTexture(dual, overlay);
  RpMatFXMaterialSetDualBlendModes(dual, 9, 3);
  RpMaterial* dualCopy = Material();
  ASSERT_NE(RwPluginRegistryCopyObject(registry, dualCopy, dual), nullptr);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(dualCopy, kRpMatFXSlotDual)->dual.texture, overlay);
  EXPECT_EQ(RpMatFXMaterialGetEffectSlot(dualCopy, kRpMatFXSlotDual)->dual.srcBlendMode, 9u);
  EXPECT_EQ(overlay->refCount, 3);

  // A source without effects copies nothing.
  RpMaterial* plainCopy = Material();
  ASSERT_NE(RwPluginRegistryCopyObject(registry, plainCopy, Material()), nullptr);
  EXPECT_EQ(_rpMatFXMaterialGetData(plainCopy), nullptr);
}

}  // namespace
