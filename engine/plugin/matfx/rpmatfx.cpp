// The material-effects plugin (engine plugin 0x120): the records of effect
// materials from a free list, the material extension with its constructor,
// destructor and copier, and the setters of effects kinds and slots.
#include "engine/plugin/matfx/rpmatfx.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/plugin/matfx/matfx_d3d8.h"
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/material.h"

namespace {

constexpr RwUInt32 kRecordsPerBlock = 128;
constexpr RwUInt32 kBlocksPreallocated = 1;

// What lives from the first open to the last close. The engine plugin
// itself has no data in the engine instance.
struct RpMatFXModule {
  RwInt32 openCount;
  RwFreeList* recordFreeList;
};

RpMatFXModule sModule = {};
// What the material extension holds.
typedef RpMatFXMaterialData* RecordPointer;
RwInt32 sMaterialOffset = -1;

RpMatFXMaterialData** DataOf(RpMaterial* material) { return RwPluginDataGet(RecordPointer, material, sMaterialOffset); }

void FreeRecord(RpMatFXMaterialData* data) {
  // A material that outlives the plugin's close lost its record with the free list.
  if (sModule.recordFreeList != nullptr) {
    RwFreeListEntryFree(sModule.recordFreeList, data);
  }
}

void* RpMatFXOpen(void* instance, RwInt32, RwInt32) {
  if (sModule.openCount == 0) {
    sModule.recordFreeList = RwFreeListCreateAndPreallocate(sizeof(RpMatFXMaterialData), kRecordsPerBlock,
                                                            alignof(RpMatFXMaterialData), kBlocksPreallocated, nullptr);
    if (sModule.recordFreeList == nullptr) {
      RwErrorRaise(kRpMatFXPluginId, kRwErrOutOfMemory);
      return nullptr;
    }
    if (!RpMatFXD3D8PipelinesCreate()) {
      RwFreeListDestroy(sModule.recordFreeList);
      sModule.recordFreeList = nullptr;
      return nullptr;
    }
  }
  sModule.openCount += 1;
  return instance;
}

void* RpMatFXClose(void* instance, RwInt32, RwInt32) {
  if (sModule.openCount > 0) {
    sModule.openCount -= 1;
    if (sModule.openCount == 0) {
      RpMatFXD3D8PipelinesDestroy();
    }
  }
  if (sModule.recordFreeList != nullptr) {
    RwFreeListDestroy(sModule.recordFreeList);
    sModule.recordFreeList = nullptr;
  }
  return instance;
}

void* MaterialConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RecordPointer, object, offset) = nullptr;
  return object;
}

void* MaterialDestruct(void* object, RwInt32 offset, RwInt32) {
  RpMatFXMaterialData** held = RwPluginDataGet(RecordPointer, object, offset);
  if (*held != nullptr) {
    _rpMatFXMaterialDataClear(*held);
    FreeRecord(*held);
    *held = nullptr;
  }
  return object;
}

void CopySlot(RpMatFXEffectSlot* destination, const RpMatFXEffectSlot& source) {
  switch (source.type) {
    case kRpMatFXSlotBumpMap:
      destination->bumpMap.frame = source.bumpMap.frame;
      destination->bumpMap.coefficient = source.bumpMap.coefficient;
      // The width goes with the bump-map texture; without it a clone would
      // draw its bumps flat.
      destination->bumpMap.inverseBumpWidth = source.bumpMap.inverseBumpWidth;
      _rpMatFXTextureReplace(&destination->bumpMap.bumpTexture, source.bumpMap.bumpTexture);
      _rpMatFXTextureReplace(&destination->bumpMap.sourceTexture, source.bumpMap.sourceTexture);
      break;
    case kRpMatFXSlotEnvMap:
      destination->envMap.frame = source.envMap.frame;
      _rpMatFXTextureReplace(&destination->envMap.texture, source.envMap.texture);
      destination->envMap.coefficient = source.envMap.coefficient;
      destination->envMap.useFrameBufferAlpha = source.envMap.useFrameBufferAlpha;
      break;
    case kRpMatFXSlotDual:
      _rpMatFXTextureReplace(&destination->dual.texture, source.dual.texture);
      destination->dual.srcBlendMode = source.dual.srcBlendMode;
      destination->dual.destBlendMode = source.dual.destBlendMode;
      break;
    default:
      break;
  }
}

void* MaterialCopy(void* destinationObject, const void* sourceObject, RwInt32 offset, RwInt32) {
  const RpMatFXMaterialData* source = *RwPluginDataGetConst(RecordPointer, sourceObject, offset);
  if (source == nullptr) {
    return destinationObject;
  }
  auto* destination = static_cast<RpMaterial*>(destinationObject);
  if (RpMatFXMaterialSetEffects(destination, source->effects) == nullptr) {
    return nullptr;
  }
  RpMatFXMaterialData* data = _rpMatFXMaterialGetData(destination);
  for (RwInt32 i = 0; i < kRpMatFXSlotCount; i++) {
    CopySlot(&data->slot[i], source->slot[i]);
  }
  return destinationObject;
}

// The slot of the type, with the error recorded when the material has none.
RpMatFXEffectSlot* RequireSlot(RpMaterial* material, RwUInt32 slotType) {
  RpMatFXEffectSlot* slot = RpMatFXMaterialGetEffectSlot(material, slotType);
  if (slot == nullptr) {
    RwErrorRaise(kRpMatFXPluginId, kRwErrInvalidValue);
  }
  return slot;
}

// Runs set on the material's slot of the type; null (error recorded) when
// the material has none.
template <typename Set>
RpMaterial* SetOnSlot(RpMaterial* material, RwUInt32 slotType, Set set) {
  RpMatFXEffectSlot* slot = RequireSlot(material, slotType);
  if (slot == nullptr) {
    return nullptr;
  }
  set(slot);
  return material;
}

void SetSlotTypes(RpMatFXMaterialData* data, RwUInt32 effects) {
  switch (effects) {
    case kRpMatFXEffectBumpMap:
      data->slot[0].type = kRpMatFXSlotBumpMap;
      break;
    case kRpMatFXEffectEnvMap:
      data->slot[0].type = kRpMatFXSlotEnvMap;
      break;
    case kRpMatFXEffectBumpEnvMap:
      data->slot[0].type = kRpMatFXSlotBumpMap;
      data->slot[1].type = kRpMatFXSlotEnvMap;
      break;
    case kRpMatFXEffectDual:
      data->slot[0].type = kRpMatFXSlotDual;
      data->slot[0].dual.srcBlendMode = kRwBlendSrcAlpha;
      data->slot[0].dual.destBlendMode = kRwBlendInvSrcAlpha;
      break;
    default:
      break;
  }
}

}  // namespace

RwBool RpMatFXPluginAttach(void) {
  if (RwEngineRegisterPlugin(0, kRpMatFXPluginId, RpMatFXOpen, RpMatFXClose) < 0) {
    return FALSE;
  }
  sMaterialOffset = RpMaterialRegisterPlugin(sizeof(RpMatFXMaterialData*), kRpMatFXPluginId, MaterialConstruct,
                                             MaterialDestruct, MaterialCopy);
  if (sMaterialOffset < 0 ||
      RpMaterialRegisterPluginStream(kRpMatFXPluginId, _rpMatFXMaterialStreamRead, _rpMatFXMaterialStreamWrite,
                                     _rpMatFXMaterialStreamGetSize) < 0) {
    return FALSE;
  }
  return _rpMatFXObjectsAttach();
}

RpMatFXMaterialData* _rpMatFXMaterialGetData(const RpMaterial* material) {
  return *RwPluginDataGetConst(RecordPointer, material, sMaterialOffset);
}

RpMatFXMaterialData* _rpMatFXMaterialDataCreate(RpMaterial* material) {
  RpMatFXMaterialData** held = DataOf(material);
  if (*held != nullptr) {
    return *held;
  }
  auto* data = sModule.recordFreeList != nullptr
                   ? static_cast<RpMatFXMaterialData*>(RwFreeListEntryAlloc(sModule.recordFreeList))
                   : nullptr;
  if (data == nullptr) {
    RwErrorRaise(kRpMatFXPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(data, 0, sizeof(*data));
  *held = data;
  return data;
}

void _rpMatFXMaterialDataClear(RpMatFXMaterialData* data) {
  for (RpMatFXEffectSlot& slot : data->slot) {
    switch (slot.type) {
      case kRpMatFXSlotBumpMap:
        _rpMatFXTextureReplace(&slot.bumpMap.bumpTexture, nullptr);
        _rpMatFXTextureReplace(&slot.bumpMap.sourceTexture, nullptr);
        break;
      case kRpMatFXSlotEnvMap:
        _rpMatFXTextureReplace(&slot.envMap.texture, nullptr);
        break;
      case kRpMatFXSlotDual:
        _rpMatFXTextureReplace(&slot.dual.texture, nullptr);
        break;
      default:
        break;
    }
  }
  std::memset(data, 0, sizeof(*data));
}

void _rpMatFXTextureReplace(RwTexture** held, RwTexture* texture) {
  if (texture != nullptr) {
    RwTextureAddRef(texture);
  }
  if (*held != nullptr) {
    RwTextureDestroy(*held);
  }
  *held = texture;
}

RwReal _rpMatFXInverseRasterWidth(const RwTexture* texture) {
  if (texture == nullptr || texture->raster == nullptr || texture->raster->width <= 0) {
    return 0.0f;
  }
  return 1.0f / static_cast<RwReal>(texture->raster->width);
}

RpMaterial* RpMatFXMaterialSetEffects(RpMaterial* material, RwUInt32 effects) {
  RpMatFXMaterialData* data = _rpMatFXMaterialDataCreate(material);
  if (data == nullptr) {
    return nullptr;
  }
  if (effects == kRpMatFXEffectNull || (data->effects != kRpMatFXEffectNull && data->effects != effects)) {
    _rpMatFXMaterialDataClear(data);
  }
  data->effects = effects;
  SetSlotTypes(data, effects);
  return material;
}

RwUInt32 RpMatFXMaterialGetEffects(const RpMaterial* material) {
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(material);
  return data != nullptr ? data->effects : kRpMatFXEffectNull;
}

RpMatFXEffectSlot* RpMatFXMaterialGetEffectSlot(RpMaterial* material, RwUInt32 slotType) {
  return const_cast<RpMatFXEffectSlot*>(RpMatFXMaterialGetEffectSlotConst(material, slotType));
}

const RpMatFXEffectSlot* RpMatFXMaterialGetEffectSlotConst(const RpMaterial* material, RwUInt32 slotType) {
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(material);
  if (data == nullptr) {
    return nullptr;
  }
  for (const RpMatFXEffectSlot& slot : data->slot) {
    if (slot.type == slotType) {
      return &slot;
    }
  }
  return nullptr;
}

RpMaterial* RpMatFXMaterialSetBumpMapCoefficient(RpMaterial* material, RwReal coefficient) {
  return SetOnSlot(material, kRpMatFXSlotBumpMap,
                   [coefficient](RpMatFXEffectSlot* slot) { slot->bumpMap.coefficient = coefficient; });
}

RpMaterial* RpMatFXMaterialSetEnvMapTexture(RpMaterial* material, RwTexture* texture) {
  return SetOnSlot(material, kRpMatFXSlotEnvMap,
                   [texture](RpMatFXEffectSlot* slot) { _rpMatFXTextureReplace(&slot->envMap.texture, texture); });
}

RpMaterial* RpMatFXMaterialSetEnvMapCoefficient(RpMaterial* material, RwReal coefficient) {
  return SetOnSlot(material, kRpMatFXSlotEnvMap,
                   [coefficient](RpMatFXEffectSlot* slot) { slot->envMap.coefficient = coefficient; });
}

RpMaterial* RpMatFXMaterialSetEnvMapFrameBufferAlpha(RpMaterial* material, RwBool useFrameBufferAlpha) {
  return SetOnSlot(material, kRpMatFXSlotEnvMap, [useFrameBufferAlpha](RpMatFXEffectSlot* slot) {
    slot->envMap.useFrameBufferAlpha = useFrameBufferAlpha != FALSE ? 1 : 0;
  });
}

RpMaterial* RpMatFXMaterialSetDualTexture(RpMaterial* material, RwTexture* texture) {
  return SetOnSlot(material, kRpMatFXSlotDual,
                   [texture](RpMatFXEffectSlot* slot) { _rpMatFXTextureReplace(&slot->dual.texture, texture); });
}

RpMaterial* RpMatFXMaterialSetDualBlendModes(RpMaterial* material, RwUInt32 srcBlendMode, RwUInt32 destBlendMode) {
  return SetOnSlot(material, kRpMatFXSlotDual, [srcBlendMode, destBlendMode](RpMatFXEffectSlot* slot) {
    slot->dual.srcBlendMode = srcBlendMode;
    slot->dual.destBlendMode = destBlendMode;
  });
}
