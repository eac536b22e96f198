// The material data stream: the effects kind, then for slot 0 and slot 1 the
// slot type and its fields, textures as texture chunks after a present flag.
// Every value is a 32-bit little-endian word; frames are not stored.
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/texture_stream.h"
#include "engine/world/material.h"

namespace {

constexpr RwUInt32 kWordSize = 4;

// Reals travel as the little-endian words of their IEEE 754 bits.
bool ReadReal(RwStream* stream, RwReal* value) { return RwStreamReadReal(stream, value, kWordSize) != nullptr; }

bool WriteReal(RwStream* stream, RwReal value) { return RwStreamWriteReal(stream, &value, kWordSize) != nullptr; }

bool IsTextureNotFound(const RwErrorRecord& error) {
  return error.pluginID == kRwPluginIdCore && error.errorCode == kRwErrTextureReadFailed;
}

// A present flag and, when set, a texture chunk. A texture that is simply
// not found leaves *texture null and the read goes on; any other failure of
// the texture read fails with its error recorded. An error pending before
// the read stays the first one.
bool ReadOptionalTexture(RwStream* stream, RwTexture** texture) {
  *texture = nullptr;
  RwUInt32 present = 0;
  if (!_rpMatFXReadWord(stream, &present)) {
    return false;
  }
  if (present == 0) {
    return true;
  }
  if (!RwStreamFindChunk(stream, kRwChunkTexture, nullptr, nullptr)) {
    return false;
  }
  RwErrorRecord pending;
  RwErrorGet(&pending);
  *texture = RwTextureStreamRead(stream);
  RwErrorRecord raised;
  RwErrorGet(&raised);
  if (pending.errorCode != kRwErrNoError) {
    RwErrorSet(&pending);
  }
  if (*texture == nullptr && raised.errorCode != kRwErrNoError && !IsTextureNotFound(raised)) {
    RwErrorSet(&raised);
    return false;
  }
  return true;
}

bool WriteOptionalTexture(RwStream* stream, const RwTexture* texture) {
  if (!_rpMatFXWriteWord(stream, texture != nullptr ? 1 : 0)) {
    return false;
  }
  return texture == nullptr || RwTextureStreamWrite(texture, stream) != nullptr;
}

RwInt32 OptionalTextureSize(const RwTexture* texture) {
  if (texture == nullptr) {
    return kWordSize;
  }
  return static_cast<RwInt32>(kWordSize + kRwChunkHeaderSize + RwTextureStreamGetSize(texture));
}

// Moves the reference the read gave into the slot's holder.
void Keep(RwTexture** held, RwTexture* read) {
  _rpMatFXTextureReplace(held, read);
  if (read != nullptr) {
    RwTextureDestroy(read);
  }
}

bool ReadBumpMap(RwStream* stream, RpMaterial* material, RpMatFXBumpMapData* bump) {
  RwReal fileCoefficient = 0.0f;
  RwTexture* bumpTexture = nullptr;
  RwTexture* source = nullptr;
  if (!ReadReal(stream, &fileCoefficient) || !ReadOptionalTexture(stream, &bumpTexture)) {
    return false;
  }
  if (!ReadOptionalTexture(stream, &source)) {
    if (bumpTexture != nullptr) {
      RwTextureDestroy(bumpTexture);
    }
    return false;
  }
  if (bumpTexture != nullptr) {
    Keep(&bump->bumpTexture, bumpTexture);
    Keep(&bump->sourceTexture, source);
    bump->inverseBumpWidth = _rpMatFXInverseRasterWidth(bump->bumpTexture);
  } else if (source != nullptr) {
    RpMatFXMaterialSetBumpMapTexture(material, source);
    RwTextureDestroy(source);
  }
  // Files hold the coefficient with its sign inverted.
  bump->coefficient = -fileCoefficient;
  return true;
}

bool ReadEnvMap(RwStream* stream, RpMatFXEnvMapData* envMap) {
  RwReal coefficient = 0.0f;
  RwUInt32 useFrameBufferAlpha = 0;
  RwTexture* texture = nullptr;
  if (!ReadReal(stream, &coefficient) || !_rpMatFXReadWord(stream, &useFrameBufferAlpha) ||
      !ReadOptionalTexture(stream, &texture)) {
    return false;
  }
  Keep(&envMap->texture, texture);
  envMap->coefficient = coefficient;
  envMap->useFrameBufferAlpha = useFrameBufferAlpha;
  return true;
}

bool ReadDual(RwStream* stream, RpMaterial* material, RpMatFXDualData* dual) {
  RwUInt32 srcBlendMode = 0;
  RwUInt32 destBlendMode = 0;
  RwTexture* texture = nullptr;
  if (!_rpMatFXReadWord(stream, &srcBlendMode) || !_rpMatFXReadWord(stream, &destBlendMode) ||
      !ReadOptionalTexture(stream, &texture)) {
    return false;
  }
  Keep(&dual->texture, texture);
  return RpMatFXMaterialSetDualBlendModes(material, srcBlendMode, destBlendMode) != nullptr;
}

bool ReadSlot(RwStream* stream, RpMaterial* material, RpMatFXEffectSlot* slot) {
  RwUInt32 type = 0;
  if (!_rpMatFXReadWord(stream, &type)) {
    return false;
  }
  // The kind decided the slot's type; a file that disagrees is corrupt, and
  // keeping its type would later release the wrong fields as textures.
  if (type != slot->type) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return false;
  }
  switch (type) {
    case kRpMatFXSlotBumpMap:
      return ReadBumpMap(stream, material, &slot->bumpMap);
    case kRpMatFXSlotEnvMap:
      return ReadEnvMap(stream, &slot->envMap);
    case kRpMatFXSlotDual:
      return ReadDual(stream, material, &slot->dual);
    default:
      return true;
  }
}

bool WriteSlot(RwStream* stream, const RpMatFXEffectSlot& slot) {
  if (!_rpMatFXWriteWord(stream, slot.type)) {
    return false;
  }
  switch (slot.type) {
    case kRpMatFXSlotBumpMap:
      return WriteReal(stream, -slot.bumpMap.coefficient) && WriteOptionalTexture(stream, slot.bumpMap.bumpTexture) &&
             WriteOptionalTexture(stream, slot.bumpMap.sourceTexture);
    case kRpMatFXSlotEnvMap:
      return WriteReal(stream, slot.envMap.coefficient) && _rpMatFXWriteWord(stream, slot.envMap.useFrameBufferAlpha) &&
             WriteOptionalTexture(stream, slot.envMap.texture);
    case kRpMatFXSlotDual:
      return _rpMatFXWriteWord(stream, slot.dual.srcBlendMode) && _rpMatFXWriteWord(stream, slot.dual.destBlendMode) &&
             WriteOptionalTexture(stream, slot.dual.texture);
    default:
      return true;
  }
}

RwInt32 SlotSize(const RpMatFXEffectSlot& slot) {
  switch (slot.type) {
    case kRpMatFXSlotBumpMap:
      return kWordSize * 2 + OptionalTextureSize(slot.bumpMap.bumpTexture) +
             OptionalTextureSize(slot.bumpMap.sourceTexture);
    case kRpMatFXSlotEnvMap:
      return kWordSize * 3 + OptionalTextureSize(slot.envMap.texture);
    case kRpMatFXSlotDual:
      return kWordSize * 3 + OptionalTextureSize(slot.dual.texture);
    default:
      return kWordSize;
  }
}

}  // namespace

RwBool _rpMatFXReadWord(RwStream* stream, RwUInt32* value) {
  RwUInt8 bytes[kWordSize];
  if (!RwStreamReadExact(stream, bytes, kWordSize)) {
    return FALSE;
  }
  *value = RwReadLittleEndianUInt32(bytes);
  return TRUE;
}

RwBool _rpMatFXWriteWord(RwStream* stream, RwUInt32 value) {
  RwUInt8 bytes[kWordSize];
  RwWriteLittleEndianUInt32(bytes, value);
  return RwStreamWrite(stream, bytes, kWordSize) != nullptr;
}

RwStream* _rpMatFXMaterialStreamRead(RwStream* stream, RwInt32, void* object, RwInt32, RwInt32) {
  auto* material = static_cast<RpMaterial*>(object);
  RwUInt32 effects = 0;
  if (_rpMatFXMaterialDataCreate(material) == nullptr || !_rpMatFXReadWord(stream, &effects) ||
      RpMatFXMaterialSetEffects(material, effects) == nullptr) {
    return nullptr;
  }
  RpMatFXMaterialData* data = _rpMatFXMaterialGetData(material);
  for (RpMatFXEffectSlot& slot : data->slot) {
    if (!ReadSlot(stream, material, &slot)) {
      return nullptr;
    }
  }
  return stream;
}

RwStream* _rpMatFXMaterialStreamWrite(RwStream* stream, RwInt32, const void* object, RwInt32, RwInt32) {
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(static_cast<const RpMaterial*>(object));
  if (!_rpMatFXWriteWord(stream, data->effects)) {
    return nullptr;
  }
  for (const RpMatFXEffectSlot& slot : data->slot) {
    if (!WriteSlot(stream, slot)) {
      return nullptr;
    }
  }
  return stream;
}

RwInt32 _rpMatFXMaterialStreamGetSize(const void* object, RwInt32, RwInt32) {
  const RpMatFXMaterialData* data = _rpMatFXMaterialGetData(static_cast<const RpMaterial*>(object));
  if (data == nullptr || data->effects == kRpMatFXEffectNull) {
    return 0;
  }
  RwInt32 size = kWordSize;
  for (const RpMatFXEffectSlot& slot : data->slot) {
    size += SlotSize(slot);
  }
  return size;
}
