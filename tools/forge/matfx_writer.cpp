// Material effects in forged files: effect materials go through the engine's
// material writer with the textures named, and the sectors that hold them
// get the effects flag through the world hook.
#include <vector>

#include "tools/forge/forge.h"
#include "tools/forge/forge_bytes.h"

namespace {

constexpr RwUInt32 kEffectsFlagSet = 1;

// A texture of the name without a raster (only the name is written), one
// reference for the caller; null for an empty name.
RwTexture* NamedTexture(const std::string& name) {
  if (name.empty()) {
    return nullptr;
  }
  RwTexture* texture = RwTextureCreate(nullptr);
  if (texture != nullptr) {
    RwTextureSetName(texture, name.c_str());
  }
  return texture;
}

// Runs set with the named texture (or null) and drops the caller's reference.
template <typename Set>
bool WithTexture(const std::string& name, Set set) {
  RwTexture* texture = NamedTexture(name);
  if (texture == nullptr && !name.empty()) {
    return false;
  }
  const bool done = set(texture);
  if (texture != nullptr) {
    RwTextureDestroy(texture);
  }
  return done;
}

bool HasEffects(const ForgeWorldLayout& layout, const ForgeSector& sector) {
  for (const RpPolygon& polygon : sector.polygons) {
    const RwUInt32 index = static_cast<RwUInt32>(sector.materialBase) + polygon.matIndex;
    if (index < layout.soup->materials.size() && layout.soup->materials[index].effects.effects != kRpMatFXEffectNull) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool ForgeMaterialApplyEffects(RpMaterial* material, const ForgeMaterialEffects& effects) {
  if (effects.effects == kRpMatFXEffectNull) {
    return true;
  }
  if (RpMatFXMaterialSetEffects(material, effects.effects) == nullptr) {
    return false;
  }
  const RwUInt32 kind = effects.effects;
  if (kind == kRpMatFXEffectBumpMap || kind == kRpMatFXEffectBumpEnvMap) {
    if (!WithTexture(effects.bumpSource,
                     [material](RwTexture* t) { return RpMatFXMaterialSetBumpMapTexture(material, t) != nullptr; }) ||
        RpMatFXMaterialSetBumpMapCoefficient(material, effects.bumpCoefficient) == nullptr) {
      return false;
    }
  }
  if (kind == kRpMatFXEffectEnvMap || kind == kRpMatFXEffectBumpEnvMap) {
    if (!WithTexture(effects.envTexture,
                     [material](RwTexture* t) { return RpMatFXMaterialSetEnvMapTexture(material, t) != nullptr; }) ||
        RpMatFXMaterialSetEnvMapCoefficient(material, effects.envCoefficient) == nullptr ||
        RpMatFXMaterialSetEnvMapFrameBufferAlpha(material, effects.envFrameBufferAlpha ? TRUE : FALSE) == nullptr) {
      return false;
    }
  }
  if (kind == kRpMatFXEffectDual) {
    if (!WithTexture(effects.dualTexture,
                     [material](RwTexture* t) { return RpMatFXMaterialSetDualTexture(material, t) != nullptr; }) ||
        RpMatFXMaterialSetDualBlendModes(material, effects.dualSrcBlend, effects.dualDestBlend) == nullptr) {
      return false;
    }
  }
  return true;
}

ForgeWorldHook ForgeMatFXWorldHook() {
  ForgeWorldHook hook;
  hook.sector = [](const ForgeWorldLayout& layout, const ForgeSector& sector, ForgeExtension* extension) {
    if (HasEffects(layout, sector)) {
      ForgeBytes flag;
      flag.U32(kEffectsFlagSet);
      extension->push_back({kRpMatFXPluginId, flag.bytes()});
    }
  };
  return hook;
}
