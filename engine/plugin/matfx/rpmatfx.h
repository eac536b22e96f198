// The material-effects plugin: up to two rendering effects on a material (an
// emboss bump map, an environment map, both, or a second texture blended over
// the first), stored with the material in model and world files. Atomics and
// world sectors draw them once their own effects flag switches them to the
// effects pipelines.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RpAtomic;
struct RpMaterial;
struct RpWorldSector;
struct RwFrame;
struct RwTexture;

constexpr RwUInt32 kRpMatFXPluginId = 0x120;

// Effects kinds of a material. Other values are kept but select no effect.
enum RpMatFXMaterialFlags : RwUInt32 {
  kRpMatFXEffectNull = 0,
  kRpMatFXEffectBumpMap = 1,
  kRpMatFXEffectEnvMap = 2,
  kRpMatFXEffectBumpEnvMap = 3,  // bump map in slot 0, environment map in slot 1
  kRpMatFXEffectDual = 4,
};

// What an effect slot holds.
enum RpMatFXSlotType : RwUInt32 {
  kRpMatFXSlotNone = 0,
  kRpMatFXSlotBumpMap = 1,
  kRpMatFXSlotEnvMap = 2,
  kRpMatFXSlotDual = 4,
};

constexpr RwInt32 kRpMatFXSlotCount = 2;

// Emboss bump map: the material's colour with the bump heights as alpha,
// drawn with texture coordinates shifted towards the light.
struct RpMatFXBumpMapData {
  RwFrame* frame;            // light frame; null: the current camera's frame
  RwTexture* bumpTexture;    // the combined texture that is drawn (one reference)
  RwTexture* sourceTexture;  // the height texture it was built from (one reference)
  RwReal coefficient;        // strength of the shift
  RwReal inverseBumpWidth;   // 1 / width of bumpTexture's raster in pixels, 0 without one
};

// Environment map added over the material's colour.
struct RpMatFXEnvMapData {
  RwFrame* frame;      // null: the fixed camera-space mapping
  RwTexture* texture;  // one reference
  RwReal coefficient;  // 0..1: how much of the environment is added
  RwUInt32 useFrameBufferAlpha;
};

// A second texture blended over the first with the engine's blend functions.
struct RpMatFXDualData {
  RwTexture* texture;      // one reference
  RwUInt32 srcBlendMode;   // RwBlendFunction
  RwUInt32 destBlendMode;  // RwBlendFunction
};

// One effect: only the member that matches the type is in use.
struct RpMatFXEffectSlot {
  RpMatFXBumpMapData bumpMap;
  RpMatFXEnvMapData envMap;
  RpMatFXDualData dual;
  RwUInt32 type;  // RpMatFXSlotType
};

struct RpMatFXMaterialData {
  RpMatFXEffectSlot slot[kRpMatFXSlotCount];
  RwUInt32 effects;  // RpMatFXMaterialFlags
};

// Registers the engine plugin and the material, atomic and world-sector
// extensions with their streams; between RwEngineInit and RwEngineOpen.
RwBool RpMatFXPluginAttach(void);

// Sets the effects kind and the slot types it implies (a dual slot starts
// with blends 5 and 6). A kind of 0, or one that differs from the kind set,
// releases the slots' textures and clears them first.
RpMaterial* RpMatFXMaterialSetEffects(RpMaterial* material, RwUInt32 effects);
// The kind set, 0 for a material without effects.
RwUInt32 RpMatFXMaterialGetEffects(const RpMaterial* material);
// The first slot (0 before 1) of the type; null when there is none.
RpMatFXEffectSlot* RpMatFXMaterialGetEffectSlot(RpMaterial* material, RwUInt32 slotType);
const RpMatFXEffectSlot* RpMatFXMaterialGetEffectSlotConst(const RpMaterial* material, RwUInt32 slotType);

// Makes the texture the bump map's height source and builds (or finds in the
// current dictionary) the combined bump-map texture. Null without a bump-map
// slot.
RpMaterial* RpMatFXMaterialSetBumpMapTexture(RpMaterial* material, RwTexture* source);
RpMaterial* RpMatFXMaterialSetBumpMapCoefficient(RpMaterial* material, RwReal coefficient);
// Each replaces the slot's texture (holding a reference); null without an
// environment slot.
RpMaterial* RpMatFXMaterialSetEnvMapTexture(RpMaterial* material, RwTexture* texture);
RpMaterial* RpMatFXMaterialSetEnvMapCoefficient(RpMaterial* material, RwReal coefficient);
RpMaterial* RpMatFXMaterialSetEnvMapFrameBufferAlpha(RpMaterial* material, RwBool useFrameBufferAlpha);
// Null without a dual slot.
RpMaterial* RpMatFXMaterialSetDualTexture(RpMaterial* material, RwTexture* texture);
RpMaterial* RpMatFXMaterialSetDualBlendModes(RpMaterial* material, RwUInt32 srcBlendMode, RwUInt32 destBlendMode);

// Sets the atomic's effects flag and makes the material-effects atomic
// pipeline its pipeline.
RpAtomic* RpMatFXAtomicEnableEffects(RpAtomic* atomic);
RwBool RpMatFXAtomicQueryEffects(const RpAtomic* atomic);
// The same for a world sector and the world-sector pipeline.
RpWorldSector* RpMatFXWorldSectorEnableEffects(RpWorldSector* sector);
RwBool RpMatFXWorldSectorQueryEffects(const RpWorldSector* sector);

// The combined bump-map texture: the base's colours (white without a base)
// with the source's brightest channel as alpha, named by interleaving the
// two names. Null on failure.
RwTexture* RpMatFXCreateBumpMapTexture(RwTexture* base, RwTexture* source);
