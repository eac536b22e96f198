// The delta-morph plugin: the engine plugin, the geometry extension (one
// pointer to the record, never copied), and the application of weights to
// the geometry's vertex data.
#include "engine/plugin/dmorph/rpdmorph.h"

#include <cmath>

#include "engine/plugin/dmorph/dmorph_internal.h"
#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/world/geometry.h"

namespace {

constexpr RwUInt32 kPositionDeltaSize = sizeof(RwV3d);
constexpr RwUInt32 kNormalDeltaSize = sizeof(RwV3d);
constexpr RwUInt32 kColorDeltaSize = sizeof(RwRGBA);
constexpr RwUInt32 kTexCoordDeltaSize = sizeof(RwTexCoords);
// One byte of a colour wraps modulo this.
constexpr double kByteRange = 256.0;

RwInt32 sGeometryOffset = -1;
RwInt32 sAtomicOffset = -1;
RwInt32 sOpenInstances = 0;

void* DMorphOpen(void* instance, RwInt32, RwInt32) {
  sOpenInstances++;
  return instance;
}

void* DMorphClose(void* instance, RwInt32, RwInt32) {
  sOpenInstances--;
  return instance;
}

RpDMorphGeometryData** GeometrySlot(const void* geometry) {
  return RwPluginDataGet(RpDMorphGeometryData*, const_cast<void*>(geometry), sGeometryOffset);
}

void* GeometryConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpDMorphGeometryData*, object, offset) = nullptr;
  return object;
}

void* GeometryDestruct(void* object, RwInt32 offset, RwInt32) {
  RpDMorphGeometryData** slot = RwPluginDataGet(RpDMorphGeometryData*, object, offset);
  _rpDMorphGeometryDataDestroy(*slot);
  *slot = nullptr;
  return object;
}

// A copied geometry carries no delta data: its vertex data already holds the
// applied deltas, which only the source's record can take back.
void* GeometryCopy(void* destination, const void*, RwInt32, RwInt32) { return destination; }

void IncrementScaled(RwV3d* out, const RwV3d* delta, RwReal scale) {
  out->x += scale * delta->x;
  out->y += scale * delta->y;
  out->z += scale * delta->z;
}

// The 8-bit residue of value truncated towards zero; 0 for a value that is
// not finite.
RwUInt8 WrappedByte(RwReal value) {
  if (!std::isfinite(value)) {
    return 0;
  }
  const double residue = std::fmod(std::trunc(static_cast<double>(value)), kByteRange);
  return static_cast<RwUInt8>(static_cast<RwInt32>(residue) & 0xFF);
}

// The vertex arrays a target moves: null where the geometry lacks the kind
// or the target carries no deltas of it.
struct Destinations {
  RwV3d* positions;
  RwV3d* normals;
  RwRGBA* colors;
  RwTexCoords* texCoords;
};

Destinations DestinationsOf(const RpGeometry* geometry, const RpDMorphDeltaTarget& target) {
  const RpMorphTarget* base = geometry->numMorphTargets > 0 ? geometry->morphTarget : nullptr;
  Destinations out = {};
  out.positions = target.positions != nullptr && base != nullptr ? base->verts : nullptr;
  out.normals = target.normals != nullptr && base != nullptr ? base->normals : nullptr;
  out.colors = target.preLightColors != nullptr ? geometry->preLitLum : nullptr;
  out.texCoords = target.texCoords != nullptr ? geometry->texCoords[0] : nullptr;
  return out;
}

void ApplyDelta(const Destinations& to, const RpDMorphDeltaTarget& target, RwUInt32 vertex, RwUInt32 delta,
                RwReal change, RwReal applied, RwReal weight) {
  if (to.positions != nullptr) {
    IncrementScaled(&to.positions[vertex], &target.positions[delta], change);
  }
  if (to.normals != nullptr) {
    IncrementScaled(&to.normals[vertex], &target.normals[delta], change);
  }
  if (to.colors != nullptr) {
    RwUInt8* color = &to.colors[vertex].red;
    const RwUInt8* offset = &target.preLightColors[delta].red;
    for (RwInt32 c = 0; c < 4; ++c) {
      color[c] = static_cast<RwUInt8>(color[c] - WrappedByte(offset[c] * applied) + WrappedByte(offset[c] * weight));
    }
  }
  if (to.texCoords != nullptr) {
    to.texCoords[vertex].u += change * target.texCoords[delta].u;
    to.texCoords[vertex].v += change * target.texCoords[delta].v;
  }
}

// Walks the control bytes; the walk ends at the geometry's last vertex or
// the target's last delta, whichever comes first.
void ApplyTarget(RpGeometry* geometry, const RpDMorphDeltaTarget& target, RwReal applied, RwReal weight) {
  const Destinations to = DestinationsOf(geometry, target);
  const RwUInt32 numVertices = static_cast<RwUInt32>(geometry->numVertices);
  const RwReal change = weight - applied;
  RwUInt32 vertex = 0;
  RwUInt32 delta = 0;
  for (RwUInt32 c = 0; c < target.numControlBytes && vertex < numVertices && delta < target.numDeltas; ++c) {
    const RwUInt8 control = target.controlBytes[c];
    const RwUInt32 count = control & kRpDMorphControlCountMask;
    if ((control & kRpDMorphControlApply) == 0) {
      vertex += count;
      continue;
    }
    for (RwUInt32 i = 0; i < count && vertex < numVertices && delta < target.numDeltas; ++i) {
      ApplyDelta(to, target, vertex++, delta++, change, applied, weight);
    }
  }
}

RwBool OutOfMemory() {
  RwErrorRaise(kRpDMorphPluginId, kRwErrOutOfMemory);
  return FALSE;
}

void FreeWeights(RpDMorphAtomicData* data) {
  RwFree(data->weights);
  RwFree(data->second);
  data->weights = nullptr;
  data->second = nullptr;
  data->numWeights = 0;
}

void* AtomicConstruct(void* object, RwInt32 offset, RwInt32) {
  *RwPluginDataGet(RpDMorphAtomicData, object, offset) = RpDMorphAtomicData{};
  return object;
}

void* AtomicDestruct(void* object, RwInt32 offset, RwInt32) {
  FreeWeights(RwPluginDataGet(RpDMorphAtomicData, object, offset));
  return object;
}

// The destination gets one weight per target of its own geometry: the
// source's where it has them, zeros elsewhere.
void* AtomicCopy(void* destination, const void* source, RwInt32 offset, RwInt32) {
  RpDMorphAtomicData* to = RwPluginDataGet(RpDMorphAtomicData, destination, offset);
  const RpDMorphAtomicData* from = RwPluginDataGetConst(RpDMorphAtomicData, source, offset);
  FreeWeights(to);
  to->renderCallBack = from->renderCallBack;
  if (RpDMorphGeometryGetTargetCount(static_cast<const RpAtomic*>(source)->geometry) == 0) {
    return destination;
  }
  const RwUInt32 count = RpDMorphGeometryGetTargetCount(static_cast<const RpAtomic*>(destination)->geometry);
  if (count == 0) {
    return destination;
  }
  to->weights = static_cast<RwReal*>(RwMalloc(sizeof(RwReal) * count));
  if (to->weights == nullptr) {
    OutOfMemory();
    return nullptr;
  }
  to->numWeights = count;
  for (RwUInt32 i = 0; i < count; ++i) {
    to->weights[i] = from->weights != nullptr && i < from->numWeights ? from->weights[i] : 0.0f;
  }
  return destination;
}

// After an atomic's extension chunk is read: an atomic of a delta-morphed
// geometry renders through the plugin.
RwBool AtomicAlways(void* object, RwInt32 offset, RwInt32) {
  auto* atomic = static_cast<RpAtomic*>(object);
  RpDMorphAtomicData* data = RwPluginDataGet(RpDMorphAtomicData, object, offset);
  if (RpDMorphGeometryGetTargetCount(atomic->geometry) > 0 && atomic->renderCallBack != _rpDMorphAtomicRender) {
    data->renderCallBack = atomic->renderCallBack;
    atomic->renderCallBack = _rpDMorphAtomicRender;
  }
  return TRUE;
}

}  // namespace

RwUInt32 _rpDMorphDeltaSize(RwUInt32 dataTypeFlags) {
  return ((dataTypeFlags & rpDMORPHDATATYPEPOSITIONS) != 0 ? kPositionDeltaSize : 0) +
         ((dataTypeFlags & rpDMORPHDATATYPENORMALS) != 0 ? kNormalDeltaSize : 0) +
         ((dataTypeFlags & rpDMORPHDATATYPEPRELITS) != 0 ? kColorDeltaSize : 0) +
         ((dataTypeFlags & rpDMORPHDATATYPETEXCOORDS) != 0 ? kTexCoordDeltaSize : 0);
}

void _rpDMorphGeometryDataDestroy(RpDMorphGeometryData* data) {
  if (data == nullptr) {
    return;
  }
  for (RwUInt32 i = 0; data->targets != nullptr && i < data->numTargets; ++i) {
    RwFree(data->targets[i].name);
    RwFree(data->targets[i].controlBytes);
    RwFree(data->targets[i].deltaBlock);
  }
  RwFree(data->targets);
  RwFree(data);
}

RwBool RpDMorphPluginAttach(void) {
  if (RwEngineRegisterPlugin(0, kRpDMorphPluginId, DMorphOpen, DMorphClose) < 0) {
    return FALSE;
  }
  sGeometryOffset = RpGeometryRegisterPlugin(sizeof(RpDMorphGeometryData*), kRpDMorphPluginId, GeometryConstruct,
                                             GeometryDestruct, GeometryCopy);
  if (sGeometryOffset < 0 ||
      RpGeometryRegisterPluginStream(kRpDMorphPluginId, _rpDMorphGeometryStreamRead, _rpDMorphGeometryStreamWrite,
                                     _rpDMorphGeometryStreamGetSize) < 0) {
    return FALSE;
  }
  sAtomicOffset = RpAtomicRegisterPlugin(sizeof(RpDMorphAtomicData), kRpDMorphPluginId, AtomicConstruct, AtomicDestruct,
                                         AtomicCopy);
  return sAtomicOffset >= 0 && RpAtomicSetStreamAlwaysCallBack(kRpDMorphPluginId, AtomicAlways) >= 0;
}

RpDMorphAtomicData* _rpDMorphAtomicGetData(const RpAtomic* atomic) {
  if (sAtomicOffset < 0 || atomic == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RpDMorphAtomicData, const_cast<RpAtomic*>(atomic), sAtomicOffset);
}

RpAtomic* _rpDMorphAtomicSetWeights(RpAtomic* atomic, const RwReal* weights, RwUInt32 count) {
  RpDMorphAtomicData* data = _rpDMorphAtomicGetData(atomic);
  auto* copy = count > 0 ? static_cast<RwReal*>(RwMalloc(sizeof(RwReal) * count)) : nullptr;
  if (data == nullptr || (count > 0 && copy == nullptr)) {
    RwFree(copy);
    OutOfMemory();
    return nullptr;
  }
  for (RwUInt32 i = 0; i < count; ++i) {
    copy[i] = weights[i];
  }
  RwFree(data->weights);
  data->weights = copy;
  data->numWeights = count;
  return atomic;
}

RpAtomic* _rpDMorphAtomicRender(RpAtomic* atomic) {
  const RpDMorphAtomicData* data = _rpDMorphAtomicGetData(atomic);
  if (data == nullptr) {
    return atomic;
  }
  _rpDMorphGeometryApplyWeights(atomic->geometry, data->weights, data->numWeights);
  return data->renderCallBack != nullptr ? data->renderCallBack(atomic) : atomic;
}

RpDMorphGeometryData* _rpDMorphGeometryGetData(const RpGeometry* geometry) {
  return sGeometryOffset >= 0 && geometry != nullptr ? *GeometrySlot(geometry) : nullptr;
}

RwUInt32 RpDMorphGeometryGetTargetCount(const RpGeometry* geometry) {
  const RpDMorphGeometryData* data = _rpDMorphGeometryGetData(geometry);
  return data != nullptr ? data->numTargets : 0;
}

void _rpDMorphGeometryApplyWeights(RpGeometry* geometry, const RwReal* weights, RwUInt32 count) {
  RpDMorphGeometryData* data = _rpDMorphGeometryGetData(geometry);
  if (data == nullptr || weights == nullptr) {
    return;
  }
  // Weights sized for another geometry reach only the targets both have.
  for (RwUInt32 i = 0; i < data->numTargets && i < count; ++i) {
    if (weights[i] == data->appliedWeights[i]) {
      continue;
    }
    const RpDMorphDeltaTarget& target = data->targets[i];
    RpGeometryLock(geometry, static_cast<RwInt32>(target.lockFlags & rpGEOMETRYLOCKALL));
    ApplyTarget(geometry, target, data->appliedWeights[i], weights[i]);
    RpGeometryUnlock(geometry);
    data->appliedWeights[i] = weights[i];
  }
}
