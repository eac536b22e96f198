// The LOD plugin: records from a free list that lives while the engine is
// started, the level choice installed before an atomic's own render
// callback, and the extension's destructor and copier.
#include "engine/plugin/lodatm/rplodatm.h"

#include <cstring>

#include "engine/plugin/lodatm/lodatm_internal.h"
#include "engine/src/camera.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/frame.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/geometry.h"

namespace {

constexpr RwUInt32 kRecordsPerBlock = 64;
constexpr RwUInt32 kRecordAlignment = 8;
constexpr RwReal kUnset = -1.0f;
constexpr RwInt32 kDeepestLevel = rpLODATOMICMAXLOD - 1;

RwInt32 sAtomicOffset = -1;
RwFreeList* sRecords = nullptr;
// Records not yet returned; the engine stops this plugin before the world
// module destroys the atomics left over, so the list outlives the stop until
// the last record is back.
RwUInt32 sLiveRecords = 0;
RwBool sStopped = FALSE;
RwCamera* sCamera = nullptr;

RpLODAtomicRecord** Slot(const RpAtomic* atomic) {
  return RwPluginDataGet(RpLODAtomicRecord*, const_cast<RpAtomic*>(atomic), sAtomicOffset);
}

void DestroyRecordList() {
  RwFreeListDestroy(sRecords);
  sRecords = nullptr;
  sStopped = FALSE;
}

// A fresh record from the free list (no levels, nothing rendered), or null.
RpLODAtomicRecord* NewRecord() {
  if (sRecords == nullptr || sStopped) {
    RwErrorRaise(kRpLODAtomicPluginId, kRwErrWrongEngineState);
    return nullptr;
  }
  auto* record = static_cast<RpLODAtomicRecord*>(RwFreeListEntryAlloc(sRecords));
  if (record == nullptr) {
    RwErrorRaise(kRpLODAtomicPluginId, kRwErrOutOfMemory);
    return nullptr;
  }
  sLiveRecords++;
  std::memset(record, 0, sizeof(*record));
  record->lodCallBack = _rpLODAtomicDefaultLODCallBack;
  record->farRange = kUnset;
  record->levelScale = kUnset;
  record->currentLOD = -1;
  return record;
}

// Unhooks the atomic, releases every level and returns the record.
void DestroyRecord(RpAtomic* atomic) {
  RpLODAtomicRecord** slot = Slot(atomic);
  RpLODAtomicRecord* record = *slot;
  if (record == nullptr) {
    return;
  }
  if (record->hooked != 0) {
    atomic->renderCallBack = record->previousRender;
  }
  for (RpGeometry*& geometry : record->geometry) {
    if (geometry != nullptr) {
      RpGeometryDestroy(geometry);
    }
  }
  RwFreeListEntryFree(sRecords, record);
  *slot = nullptr;
  if (--sLiveRecords == 0 && sStopped) {
    DestroyRecordList();
  }
}

void Hook(RpAtomic* atomic, RpLODAtomicRecord* record) {
  if (record->hooked == 0) {
    record->previousRender = atomic->renderCallBack;
    atomic->renderCallBack = _rpLODAtomicRender;
    record->hooked = 1;
  }
}

// The atomic's record; the first call gives it one with its geometry as level 0.
RpLODAtomicRecord* RecordOf(RpAtomic* atomic) {
  if (sAtomicOffset < 0) {
    RwErrorRaise(kRpLODAtomicPluginId, kRwErrPluginRefused);  // not attached
    return nullptr;
  }
  RpLODAtomicRecord** slot = Slot(atomic);
  if (*slot != nullptr) {
    return *slot;
  }
  RpLODAtomicRecord* record = NewRecord();
  if (record == nullptr) {
    return nullptr;
  }
  if (atomic->geometry != nullptr) {
    record->geometry[0] = RpGeometryAddRef(atomic->geometry);
  }
  *slot = record;
  return record;
}

void* LODOpen(void* instance, RwInt32, RwInt32) {
  sLiveRecords = 0;
  sStopped = FALSE;
  sRecords = RwFreeListCreateAndPreallocate(sizeof(RpLODAtomicRecord), kRecordsPerBlock, kRecordAlignment, 1, nullptr);
  return sRecords != nullptr ? instance : nullptr;
}

void* LODClose(void* instance, RwInt32, RwInt32) {
  if (sRecords != nullptr) {
    sStopped = TRUE;
    if (sLiveRecords == 0) {
      DestroyRecordList();
    }
  }
  return instance;
}

void* AtomicConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpLODAtomicRecord*, object, offset) = nullptr;
  return object;
}

void* AtomicDestruct(void* object, RwInt32, RwInt32) {
  DestroyRecord(static_cast<RpAtomic*>(object));
  return object;
}

void* AtomicCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  const RpLODAtomicRecord* from = *RwPluginDataGetConst(RpLODAtomicRecord* const, source, offset);
  auto* atomic = static_cast<RpAtomic*>(destination);
  if (from == nullptr) {
    return destination;
  }
  RpLODAtomicRecord* to = *Slot(atomic);
  if (to == nullptr && (to = NewRecord()) == nullptr) {
    return nullptr;
  }
  // The destination's own levels give way to the source's.
  for (RwInt32 level = 0; level < rpLODATOMICMAXLOD; ++level) {
    RpGeometry* old = to->geometry[level];
    to->geometry[level] = from->geometry[level] != nullptr ? RpGeometryAddRef(from->geometry[level]) : nullptr;
    if (old != nullptr) {
      RpGeometryDestroy(old);
    }
  }
  to->hooked = from->hooked;
  to->previousRender = from->previousRender;
  to->lodCallBack = from->lodCallBack;
  to->farRange = from->farRange;
  to->levelScale = from->levelScale;
  to->currentLOD = from->currentLOD;
  *Slot(atomic) = to;
  return destination;
}

}  // namespace

RpLODAtomicRecord* _rpLODAtomicGetRecord(const RpAtomic* atomic) {
  return sAtomicOffset >= 0 && atomic != nullptr ? *Slot(atomic) : nullptr;
}

RwCamera* _rpLODAtomicGetCamera(void) { return sCamera; }

RwInt32 _rpLODAtomicDefaultLODCallBack(RpAtomic* atomic) {
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(atomic);
  RwCamera* camera = RwCameraGetCurrentCamera();
  RwFrame* atomicFrame = RpAtomicGetFrame(atomic);
  RwFrame* cameraFrame = camera != nullptr ? RwCameraGetFrame(camera) : nullptr;
  if (record == nullptr || atomicFrame == nullptr || cameraFrame == nullptr) {
    return -1;
  }
  const RwMatrix* atomicLTM = RwFrameGetLTM(atomicFrame);
  const RwMatrix* cameraLTM = RwFrameGetLTM(cameraFrame);
  RwV3d offset;
  RwV3dSub(&offset, &atomicLTM->pos, &cameraLTM->pos);
  const RwReal level = RwV3dDotProduct(&offset, &cameraLTM->at) * record->levelScale;
  // Clamped before conversion, so that no distance (nor a NaN) overflows it.
  if (!(level > 0.0f)) {
    return 0;
  }
  return level >= static_cast<RwReal>(kDeepestLevel) ? kDeepestLevel : static_cast<RwInt32>(level);
}

RpAtomic* _rpLODAtomicRender(RpAtomic* atomic) {
  RpLODAtomicRecord* record = _rpLODAtomicGetRecord(atomic);
  if (record == nullptr) {
    return atomic;
  }
  RwInt32 level = record->lodCallBack != nullptr ? record->lodCallBack(atomic) : -1;
  if (level < 0) {
    level = record->currentLOD;
  }
  // An atomic never rendered has no level to keep: the most detailed one.
  if (level < 0) {
    level = 0;
  }
  if (level > kDeepestLevel) {
    level = kDeepestLevel;
  }
  if (record->geometry[level] != atomic->geometry) {
    RpAtomicSetGeometry(atomic, record->geometry[level], 0);
  }
  record->currentLOD = level;
  if (record->geometry[level] == nullptr) {
    return nullptr;
  }
  return record->previousRender != nullptr ? record->previousRender(atomic) : atomic;
}

RwBool RpLODAtomicPluginAttach(void) {
  sCamera = nullptr;
  if (RwEngineRegisterPlugin(0, kRpLODAtomicPluginId, LODOpen, LODClose) < 0) {
    return FALSE;
  }
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RpLODAtomicRecord*), kRpLODAtomicPluginId, AtomicConstruct,
                                         AtomicDestruct, AtomicCopy);
  return sAtomicOffset >= 0 && RpAtomicRegisterPluginStream(kRpLODAtomicPluginId, _rpLODAtomicStreamRead,
                                                            _rpLODAtomicStreamWrite, _rpLODAtomicStreamGetSize) >= 0;
}

RpAtomic* RpLODAtomicSetGeometry(RpAtomic* atomic, RwInt32 level, RpGeometry* geometry) {
  if (level < 0 || level > kDeepestLevel) {
    RwErrorRaise(kRpLODAtomicPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  RpLODAtomicRecord* record = RecordOf(atomic);
  if (record == nullptr) {
    return nullptr;
  }
  if (geometry != nullptr) {
    RpGeometryAddRef(geometry);
  }
  if (record->geometry[level] != nullptr) {
    RpGeometryDestroy(record->geometry[level]);
  }
  record->geometry[level] = geometry;
  Hook(atomic, record);
  return atomic;
}

RwInt32 RpLODAtomicGetCurrentLOD(const RpAtomic* atomic) {
  const RpLODAtomicRecord* record = _rpLODAtomicGetRecord(atomic);
  return record != nullptr ? record->currentLOD : -1;
}

RpAtomic* RpLODAtomicSetRange(RpAtomic* atomic, RwReal farRange) {
  // A range of 0 or less would put every atomic at level 0 or divide by zero.
  if (!(farRange > 0.0f)) {
    RwErrorRaise(kRpLODAtomicPluginId, kRwErrInvalidValue);
    return nullptr;
  }
  RpLODAtomicRecord* record = RecordOf(atomic);
  if (record == nullptr) {
    return nullptr;
  }
  record->farRange = farRange;
  record->levelScale = static_cast<RwReal>(rpLODATOMICMAXLOD) / farRange;
  Hook(atomic, record);
  return atomic;
}

void RpLODAtomicSetCamera(RwCamera* camera) { sCamera = camera; }

RpAtomic* RpLODAtomicHookRender(RpAtomic* atomic) {
  RpLODAtomicRecord* record = _rpLODAtomicGetRecord(atomic);
  if (record == nullptr) {
    return nullptr;
  }
  Hook(atomic, record);
  return atomic;
}

RpLODAtomicRecord* _rpLODAtomicTakeRecord(RpAtomic* atomic) {
  DestroyRecord(atomic);
  RpLODAtomicRecord* record = NewRecord();
  if (record != nullptr) {
    *Slot(atomic) = record;
  }
  return record;
}
