// Seeds of the material-effects fuzz target: material chunks of every effects
// kind with present and absent textures, written by the engine's material
// writer with the plugin attached.
#include <string>

#include "engine/engine.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "tests/fuzz/seeds/seed_corpus.h"

namespace {

RwTexture* NamedTexture(const char* name) {
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  return texture;
}

std::vector<uint8_t> MaterialBytes(RpMaterial* material) {
  std::vector<uint8_t> bytes =
      EngineWritten([material](RwStream* stream) { return RpMaterialStreamWrite(material, stream) != nullptr; });
  RpMaterialDestroy(material);
  return bytes;
}

RpMaterial* EffectsMaterial(RwUInt32 effects, RwTexture* base) {
  RpMaterial* material = RpMaterialCreate();
  RpMaterialSetTexture(material, base);
  RpMatFXMaterialSetEffects(material, effects);
  return material;
}

// The bump slot as a file holds it: the combined texture and its source.
void SetBump(RpMaterial* material, RwTexture* bump, RwTexture* source, RwReal coefficient) {
  RpMatFXBumpMapData& data = RpMatFXMaterialGetEffectSlot(material, kRpMatFXSlotBumpMap)->bumpMap;
  _rpMatFXTextureReplace(&data.bumpTexture, bump);
  _rpMatFXTextureReplace(&data.sourceTexture, source);
  data.coefficient = coefficient;
}

}  // namespace

TK_FUZZ_SEEDS(engine_matfx_fuzz) {
  StartSeedEngine();
  RwTexture* base = NamedTexture("abc");
  RwTexture* source = NamedTexture("xy");
  RwTexture* bump = NamedTexture("axbyc");
  RwTexture* chrome = NamedTexture("chrome");
  RwTexture* overlay = NamedTexture("overlay");

  RpMaterial* bumped = EffectsMaterial(kRpMatFXEffectBumpMap, base);
  SetBump(bumped, bump, source, 0.5f);
  seeds.Add("bump.bin", MaterialBytes(bumped));
  RpMaterial* sourceOnly = EffectsMaterial(kRpMatFXEffectBumpMap, nullptr);
  SetBump(sourceOnly, nullptr, source, -1.0f);
  seeds.Add("bump_source.bin", MaterialBytes(sourceOnly));

  RpMaterial* environment = EffectsMaterial(kRpMatFXEffectEnvMap, base);
  RpMatFXMaterialSetEnvMapTexture(environment, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(environment, 0.5f);
  RpMatFXMaterialSetEnvMapFrameBufferAlpha(environment, TRUE);
  seeds.Add("envmap.bin", MaterialBytes(environment));

  RpMaterial* both = EffectsMaterial(kRpMatFXEffectBumpEnvMap, base);
  SetBump(both, bump, nullptr, 1.0f);
  RpMatFXMaterialSetEnvMapTexture(both, chrome);
  RpMatFXMaterialSetEnvMapCoefficient(both, 1.0f);
  seeds.Add("bump_envmap.bin", MaterialBytes(both));

  RpMaterial* dual = EffectsMaterial(kRpMatFXEffectDual, base);
  RpMatFXMaterialSetDualTexture(dual, overlay);
  RpMatFXMaterialSetDualBlendModes(dual, kRwBlendDestColor, kRwBlendZero);
  seeds.Add("dual.bin", MaterialBytes(dual));
  seeds.Add("dual_untextured.bin", MaterialBytes(EffectsMaterial(kRpMatFXEffectDual, nullptr)));

  for (RwTexture* texture : {base, source, bump, chrome, overlay}) {
    RwTextureDestroy(texture);
  }
}
