// The effects flag of atomics and world sectors: set, the object draws
// through the material-effects pipeline of its kind. Streamed as one word in
// the object's extension chunk while set.
#include "engine/plugin/matfx/matfx_internal.h"
#include "engine/plugin/matfx/rpmatfx.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/stream.h"
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

// The flag word when set; false on a short read.
bool ReadFlag(RwStream* stream, RwUInt32* flag) {
  RwUInt8 bytes[kFlagBytes];
  if (!RwStreamReadExact(stream, bytes, kFlagBytes)) {
    return false;
  }
  *flag = RwReadLittleEndianUInt32(bytes);
  return true;
}

RwStream* FlagWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  RwUInt8 bytes[kFlagBytes];
  RwWriteLittleEndianUInt32(bytes, *RwPluginDataGetConst(RwUInt32, object, offset));
  return RwStreamWrite(stream, bytes, kFlagBytes);
}

RwInt32 FlagSize(const void* object, RwInt32 offset, RwInt32) {
  return *RwPluginDataGetConst(RwUInt32, object, offset) != 0 ? kFlagBytes : 0;
}

RwStream* AtomicFlagRead(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  RwUInt32 flag = 0;
  if (!ReadFlag(stream, &flag)) {
    return nullptr;
  }
  if (flag != 0 && *FlagOf(object, offset) == 0) {
    RpMatFXAtomicEnableEffects(static_cast<RpAtomic*>(object));
  }
  return stream;
}

RwStream* WorldSectorFlagRead(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  RwUInt32 flag = 0;
  if (!ReadFlag(stream, &flag)) {
    return nullptr;
  }
  if (flag != 0 && *FlagOf(object, offset) == 0) {
    RpMatFXWorldSectorEnableEffects(static_cast<RpWorldSector*>(object));
  }
  return stream;
}

}  // namespace

RwBool _rpMatFXObjectsAttach(void) {
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RwUInt32), kRpMatFXPluginId, FlagClear, FlagClear, FlagCopy);
  if (sAtomicOffset < 0 || RpAtomicRegisterPluginStream(kRpMatFXPluginId, AtomicFlagRead, FlagWrite, FlagSize) < 0) {
    return FALSE;
  }
  sWorldSectorOffset = RpWorldSectorRegisterPlugin(sizeof(RwUInt32), kRpMatFXPluginId, FlagClear, FlagClear, FlagCopy);
  return sWorldSectorOffset >= 0 &&
         RpWorldSectorRegisterPluginStream(kRpMatFXPluginId, WorldSectorFlagRead, FlagWrite, FlagSize) >= 0;
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
