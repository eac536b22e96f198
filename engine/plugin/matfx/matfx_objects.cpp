// The effects flag of atomics and world sectors: set, the object draws
// through the material-effects pipeline of its kind. Streamed as one word in
// the object's extension chunk while set.
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/world/atomic.h"
#include "engine/world/world.h"

namespace {

constexpr RwInt32 kFlagBytes = 4;

RwInt32 sAtomicOffset = -1;
RwInt32 sWorldSectorOffset = -1;

RwUInt32* FlagOf(void* object, RwInt32 offset) { return RwPluginDataGet(RwUInt32, object, offset); }

void* FlagClear(void* object, RwInt32 offset, RwInt32) {
  *FlagOf(object, offset) = 0;
  return object;
}

void* FlagCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  if (*RwPluginDataGetConst(RwUInt32, source, offset) != 0) {
    *FlagOf(destination, offset) = 1;
  }
  return destination;
}

RwStream* FlagWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  return _rpMatFXWriteWord(stream, *RwPluginDataGetConst(RwUInt32, object, offset)) ? stream : nullptr;
}

RwInt32 FlagSize(const void* object, RwInt32 offset, RwInt32) {
  return *RwPluginDataGetConst(RwUInt32, object, offset) != 0 ? kFlagBytes : 0;
}

// A set flag read for an object whose flag is clear enables the effects.
template <typename T, T* (*enable)(T*)>
RwStream* FlagRead(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  RwUInt32 flag = 0;
  if (!_rpMatFXReadWord(stream, &flag)) {
    return nullptr;
  }
  if (flag != 0 && *FlagOf(object, offset) == 0) {
    enable(static_cast<T*>(object));
  }
  return stream;
}

}  // namespace

RwBool _rpMatFXObjectsAttach(void) {
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RwUInt32), kRpMatFXPluginId, FlagClear, FlagClear, FlagCopy);
  if (sAtomicOffset < 0 ||
      RpAtomicRegisterPluginStream(kRpMatFXPluginId, FlagRead<RpAtomic, RpMatFXAtomicEnableEffects>, FlagWrite,
                                   FlagSize) < 0) {
    return FALSE;
  }
  sWorldSectorOffset = RpWorldSectorRegisterPlugin(sizeof(RwUInt32), kRpMatFXPluginId, FlagClear, FlagClear, FlagCopy);
  return sWorldSectorOffset >= 0 &&
         RpWorldSectorRegisterPluginStream(kRpMatFXPluginId, FlagRead<RpWorldSector, RpMatFXWorldSectorEnableEffects>,
                                           FlagWrite, FlagSize) >= 0;
}

RpAtomic* RpMatFXAtomicEnableEffects(RpAtomic* atomic) {
  *FlagOf(atomic, sAtomicOffset) = 1;
  RpAtomicSetPipeline(atomic, _rpMatFXAtomicPipeline());
  return atomic;
}

RwBool RpMatFXAtomicQueryEffects(const RpAtomic* atomic) {
  return *RwPluginDataGetConst(RwUInt32, atomic, sAtomicOffset) != 0;
}

RpWorldSector* RpMatFXWorldSectorEnableEffects(RpWorldSector* sector) {
  *FlagOf(sector, sWorldSectorOffset) = 1;
  sector->pipeline = _rpMatFXWorldSectorPipeline();
  return sector;
}

RwBool RpMatFXWorldSectorQueryEffects(const RpWorldSector* sector) {
  return *RwPluginDataGetConst(RwUInt32, sector, sWorldSectorOffset) != 0;
}
