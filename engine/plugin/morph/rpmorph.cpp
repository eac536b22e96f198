// The morph plugin: the engine plugin, the geometry extension with its
// records and their sub-chunk (0x105), and the atomic slot with the default
// interpolation callback.
#include "engine/plugin/morph/rpmorph.h"

#include <cstring>

#include "engine/plugin/morph/morph_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"
#include "engine/world/atomic.h"
#include "engine/world/geometry.h"

namespace {

// Stored record: flags, start, end, duration, next index.
constexpr RwUInt32 kRecordWords = 5;
constexpr RwUInt32 kWordSize = 4;
constexpr RwUInt32 kRecordSize = kRecordWords * kWordSize;

RwInt32 sGeometryOffset = -1;
RwInt32 sAtomicOffset = -1;
RwInt32 sOpenInstances = 0;

RwReal Reciprocal(RwReal time) { return time != 0.0f ? 1.0f / time : 0.0f; }

void FreeInterpolators(RpMorphGeometry* extension) {
  RwFree(extension->interpolators);
  extension->interpolators = nullptr;
  extension->numInterpolators = 0;
}

// count zeroed records, or null (out of memory recorded).
RpMorphInterpolator* AllocateInterpolators(RwInt32 count) {
  const size_t bytes = sizeof(RpMorphInterpolator) * static_cast<size_t>(count);
  auto* records = static_cast<RpMorphInterpolator*>(RwMalloc(bytes));
  if (records == nullptr) {
    RwErrorRaise(kRpMorphPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(records, 0, bytes);
  return records;
}

void* MorphOpen(void* instance, RwInt32, RwInt32) {
  sOpenInstances++;
  return instance;
}

void* MorphClose(void* instance, RwInt32, RwInt32) {
  sOpenInstances--;
  return instance;
}

void* GeometryConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpMorphGeometry, object, offset) = {0, RpMorphDefaultInterpolationCallBack, nullptr};
  return object;
}

void* GeometryDestruct(void* object, RwInt32 offset, RwInt32) {
  FreeInterpolators(RwPluginDataGet(RpMorphGeometry, object, offset));
  return object;
}

// The destination gets its own records, each next link pointing at its own
// record of the same index.
void* GeometryCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  RpMorphGeometry* to = RwPluginDataGet(RpMorphGeometry, destination, offset);
  const RpMorphGeometry* from = RwPluginDataGetConst(RpMorphGeometry, source, offset);
  FreeInterpolators(to);
  to->callBack = from->callBack;
  if (from->numInterpolators <= 0) {
    return destination;
  }
  to->interpolators = AllocateInterpolators(from->numInterpolators);
  if (to->interpolators == nullptr) {
    return nullptr;
  }
  to->numInterpolators = from->numInterpolators;
  for (RwInt32 i = 0; i < from->numInterpolators; ++i) {
    to->interpolators[i] = from->interpolators[i];
    to->interpolators[i].next = to->interpolators + (from->interpolators[i].next - from->interpolators);
  }
  return destination;
}

RwStream* GeometryRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32) {
  auto* geometry = static_cast<RpGeometry*>(object);
  RpMorphGeometry* extension = RwPluginDataGet(RpMorphGeometry, object, offset);
  RwChunkBodyReader reader = RwChunkBodyReaderOpen(stream, static_cast<RwUInt32>(length));
  RwInt32 count = 0;
  if (!RwChunkBodyReadInt32(&reader, &count, 1)) {
    return nullptr;
  }
  FreeInterpolators(extension);
  if (count < 1) {
    return stream;
  }
  if (!RwChunkBodyReaderHas(&reader, static_cast<RwUInt32>(count), kRecordSize)) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return nullptr;
  }
  RpMorphInterpolator* records = AllocateInterpolators(count);
  if (records == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < count; ++i) {
    RwInt32 words[kRecordWords];
    if (!RwChunkBodyReadInt32(&reader, words, 3) || !RwChunkBodyReadReal(&reader, &records[i].time, 1) ||
        !RwChunkBodyReadInt32(&reader, &words[4], 1)) {
      RwFree(records);
      return nullptr;
    }
    // Every index must name a record of this array and a target of this
    // geometry: the chain is followed and the targets are interpolated.
    if (words[1] < 0 || words[1] >= geometry->numMorphTargets || words[2] < 0 ||
        words[2] >= geometry->numMorphTargets || words[4] < 0 || words[4] >= count) {
      RwFree(records);
      RwErrorRaise(kRwPluginIdCore, kRwErrRead);
      return nullptr;
    }
    records[i].flags = words[0];
    records[i].startMorphTarget = static_cast<RwInt16>(words[1]);
    records[i].endMorphTarget = static_cast<RwInt16>(words[2]);
    records[i].recipTime = Reciprocal(records[i].time);
    records[i].next = records + words[4];
  }
  extension->interpolators = records;
  extension->numInterpolators = count;
  return stream;
}

RwStream* GeometryWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  const RpMorphGeometry* extension = RwPluginDataGetConst(RpMorphGeometry, object, offset);
  const RwInt32 count = extension->numInterpolators;
  if (RwStreamWriteInt32(stream, &count, kWordSize) == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < count; ++i) {
    const RpMorphInterpolator& record = extension->interpolators[i];
    const RwInt32 words[3] = {record.flags, record.startMorphTarget, record.endMorphTarget};
    const RwInt32 next = static_cast<RwInt32>(record.next - extension->interpolators);
    if (RwStreamWriteInt32(stream, words, sizeof(words)) == nullptr ||
        RwStreamWriteReal(stream, &record.time, kWordSize) == nullptr ||
        RwStreamWriteInt32(stream, &next, kWordSize) == nullptr) {
      return nullptr;
    }
  }
  return stream;
}

// A geometry without records writes nothing; a reader treats a missing
// sub-chunk as a count of 0.
RwInt32 GeometryGetSize(const void* object, RwInt32 offset, RwInt32) {
  const RpMorphGeometry* extension = RwPluginDataGetConst(RpMorphGeometry, object, offset);
  if (extension->numInterpolators <= 0) {
    return 0;
  }
  return static_cast<RwInt32>(kWordSize + kRecordSize * static_cast<RwUInt32>(extension->numInterpolators));
}

void* AtomicZero(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpMorphAtomic, object, offset) = RpMorphAtomic{};
  return object;
}

// One interpolator setting: re-instance and re-interpolate the sphere, and
// have the frame synchronised unless the game said changes need none.
void MarkInterpolatorChanged(RpAtomic* atomic) {
  atomic->interpolator.flags |= rpINTERPOLATORDIRTYINSTANCE | rpINTERPOLATORDIRTYSPHERE;
  RwFrame* frame = RpAtomicGetFrame(atomic);
  if ((atomic->interpolator.flags & rpINTERPOLATORNOFRAMEDIRTY) == 0 && frame != nullptr) {
    RwFrameMarkDirty(frame);
  }
}

// The destination plays the source's record when that record belongs to the
// source's own geometry; otherwise it plays nothing.
void* AtomicCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  auto* atomic = static_cast<RpAtomic*>(destination);
  const auto* from = static_cast<const RpAtomic*>(source);
  const RpMorphAtomic* slot = RwPluginDataGetConst(RpMorphAtomic, source, offset);
  RpMorphAtomic* to = RwPluginDataGet(RpMorphAtomic, destination, offset);
  if (slot->geometry != from->geometry) {
    *to = RpMorphAtomic{};
    return destination;
  }
  *to = *slot;
  const RpMorphInterpolator* record = slot->interpolator;
  if (record != nullptr) {
    RpInterpolator& interpolator = atomic->interpolator;
    interpolator.startMorphTarget = record->startMorphTarget;
    interpolator.endMorphTarget = record->endMorphTarget;
    interpolator.time = record->time;
    interpolator.recipTime = record->recipTime;
    interpolator.position = slot->position;
    MarkInterpolatorChanged(atomic);
  }
  return destination;
}

}  // namespace

RwBool RpMorphPluginAttach(void) {
  if (RwEngineRegisterPlugin(0, kRpMorphPluginId, MorphOpen, MorphClose) < 0) {
    return FALSE;
  }
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RpMorphAtomic), kRpMorphPluginId, AtomicZero, AtomicZero, AtomicCopy);
  if (sAtomicOffset < 0) {
    return FALSE;
  }
  sGeometryOffset = RpGeometryRegisterPlugin(sizeof(RpMorphGeometry), kRpMorphPluginId, GeometryConstruct,
                                             GeometryDestruct, GeometryCopy);
  return sGeometryOffset >= 0 &&
         RpGeometryRegisterPluginStream(kRpMorphPluginId, GeometryRead, GeometryWrite, GeometryGetSize) >= 0;
}

RpMorphGeometry* _rpMorphGeometry(const RpGeometry* geometry) {
  if (sGeometryOffset < 0 || geometry == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RpMorphGeometry, const_cast<RpGeometry*>(geometry), sGeometryOffset);
}

RpMorphGeometry* _rpMorphGeometrySetNumInterpolators(RpGeometry* geometry, RwInt32 count) {
  RpMorphGeometry* extension = _rpMorphGeometry(geometry);
  if (extension == nullptr || count < 0) {
    return nullptr;
  }
  RpMorphInterpolator* records = count > 0 ? AllocateInterpolators(count) : nullptr;
  if (count > 0 && records == nullptr) {
    return nullptr;
  }
  for (RwInt32 i = 0; i < count; ++i) {
    records[i].next = &records[i];
  }
  FreeInterpolators(extension);
  extension->interpolators = records;
  extension->numInterpolators = count;
  return extension;
}

RpMorphAtomic* _rpMorphAtomic(const RpAtomic* atomic) {
  if (sAtomicOffset < 0 || atomic == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RpMorphAtomic, const_cast<RpAtomic*>(atomic), sAtomicOffset);
}

RwReal RpMorphDefaultInterpolationCallBack(RpAtomic* atomic, RwReal position) {
  RpMorphAtomic* slot = _rpMorphAtomic(atomic);
  if (slot == nullptr || slot->interpolator == nullptr) {
    return 0.0f;
  }
  const RwReal leftover = position - slot->interpolator->time;
  slot->interpolator = slot->interpolator->next;
  return leftover > 0.0f ? leftover : 0.0f;
}
