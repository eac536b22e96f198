// Atomics: creation from the module's atomic free list, geometry and frame,
// cloning, the world bounding sphere and its interpolation from the morph
// targets, the default render and frame-sync callbacks and the plugin registry.
#include "engine/world/atomic.h"

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/memory.h"
#include "engine/src/plcore/resmem.h"
#include "engine/src/plcore/vector.h"
#include "engine/world/clump.h"
#include "engine/world/geometry.h"
#include "engine/world/world_internal.h"

namespace {

constexpr RwUInt8 kCreationFlags = rpATOMICCOLLISIONTEST | rpATOMICRENDER;
constexpr RwInt32 kCreationInterpolatorFlags = rpINTERPOLATORDIRTYINSTANCE | rpINTERPOLATORDIRTYSPHERE;
// RpAtomicSetGeometry flags bit 0: keep the atomic's bounding sphere.
constexpr RwUInt32 kSetGeometryKeepSphere = 0x1;

RwPluginRegistry gAtomicRegistry = RwPluginRegistryInitializer(sizeof(RpAtomic));

RwObjectHasFrame* SyncAtomic(RwObjectHasFrame* object) {
  return &RpAtomicFrameSyncCallBack(reinterpret_cast<RpAtomic*>(object))->object;
}

void MarkWorldBoundDirty(RpAtomic* atomic) { atomic->object.object.privateFlags |= kRpAtomicPrivateWorldBoundDirty; }

// Whether the index names one of the geometry's morph targets.
RwBool IsMorphTarget(const RpGeometry* geometry, RwInt32 index) {
  return index >= 0 && index < geometry->numMorphTargets;
}

RwSphere Blend(const RwSphere& from, const RwSphere& to, RwReal t) {
  RwSphere out;
  out.center.x = from.center.x + (to.center.x - from.center.x) * t;
  out.center.y = from.center.y + (to.center.y - from.center.y) * t;
  out.center.z = from.center.z + (to.center.z - from.center.z) * t;
  out.radius = from.radius + (to.radius - from.radius) * t;
  return out;
}

RwReal LengthSquared(const RwV3d& v) { return v.x * v.x + v.y * v.y + v.z * v.z; }

}  // namespace

void _rpAtomicRelease(RpAtomic* atomic) {
  if (atomic->clump != nullptr) {
    RpClumpRemoveAtomic(atomic->clump, atomic);
  }
  RwPluginRegistryDeInitObject(&gAtomicRegistry, atomic);
  if (atomic->repEntry != nullptr) {
    RwResourcesFreeResEntry(atomic->repEntry);
    atomic->repEntry = nullptr;
  }
  if (atomic->geometry != nullptr) {
    RpGeometryDestroy(atomic->geometry);
    atomic->geometry = nullptr;
  }
  RwFrame* frame = RpAtomicGetFrame(atomic);
  if (frame != nullptr && RpAtomicGetWorld(atomic) != nullptr) {
    RwFrameMarkDirty(frame);
  }
  RwObjectHasFrameReleaseFrame(&atomic->object);
}

RpAtomic* RpAtomicCreate(void) {
  RpClumpModule* module = _rpClumpModule();
  auto* atomic = module != nullptr ? static_cast<RpAtomic*>(RwFreeListEntryAlloc(module->atomicFreeList)) : nullptr;
  if (atomic == nullptr) {
    RwErrorRaise(kRwPluginIdWorld, kRwErrOutOfMemory);
    return nullptr;
  }
  atomic->object.object.type = kRpAtomicObjectType;
  atomic->object.object.subType = 0;
  atomic->object.object.flags = kCreationFlags;
  atomic->object.object.privateFlags = kRpAtomicPrivateWorldBoundDirty;
  atomic->object.object.parent = nullptr;
  rwLLLinkInitialize(&atomic->object.lFrame);
  atomic->object.sync = SyncAtomic;
  atomic->repEntry = nullptr;
  atomic->geometry = nullptr;
  atomic->boundingSphere = {{0.0f, 0.0f, 0.0f}, 0.0f};
  atomic->worldBoundingSphere = atomic->boundingSphere;
  atomic->clump = nullptr;
  rwLLLinkInitialize(&atomic->inClumpLink);
  atomic->renderCallBack = RpAtomicDefaultRenderCallBack;
  atomic->interpolator = {kCreationInterpolatorFlags, 0, 0, 1.0f, 1.0f, 0.0f};
  atomic->renderFrame = 0;
  rwLinkListInitialize(&atomic->llWorldSectorsInAtomic);
  atomic->pipeline = nullptr;
  if (RwPluginRegistryInitObject(&gAtomicRegistry, atomic) == nullptr) {
    RwFreeListEntryFree(module->atomicFreeList, atomic);
    return nullptr;
  }
  return atomic;
}

RwBool RpAtomicDestroy(RpAtomic* atomic) {
  _rpAtomicRelease(atomic);
  RwFreeListEntryFree(_rpClumpModule()->atomicFreeList, atomic);
  return TRUE;
}

RpAtomic* RpAtomicClone(RpAtomic* atomic) {
  RpAtomic* clone = RpAtomicCreate();
  if (clone == nullptr) {
    return nullptr;
  }
  clone->object.object.type = atomic->object.object.type;
  clone->object.object.subType = atomic->object.object.subType;
  clone->object.object.flags = atomic->object.object.flags;
  clone->object.object.privateFlags = atomic->object.object.privateFlags | kRpAtomicPrivateWorldBoundDirty;
  RpAtomicSetGeometry(clone, atomic->geometry, 0);
  clone->boundingSphere = atomic->boundingSphere;
  clone->renderCallBack = atomic->renderCallBack;
  clone->pipeline = atomic->pipeline;
  clone->interpolator = atomic->interpolator;
  RwPluginRegistryCopyObject(&gAtomicRegistry, clone, atomic);
  return clone;
}

RpAtomic* RpAtomicSetGeometry(RpAtomic* atomic, RpGeometry* geometry, RwUInt32 flags) {
  if (geometry == atomic->geometry) {
    return atomic;
  }
  if (geometry != nullptr) {
    RpGeometryAddRef(geometry);
  }
  if (atomic->geometry != nullptr) {
    RpGeometryDestroy(atomic->geometry);
  }
  atomic->geometry = geometry;
  if ((flags & kSetGeometryKeepSphere) != 0) {
    return atomic;
  }
  if (geometry != nullptr) {
    atomic->boundingSphere = geometry->morphTarget[0].boundingSphere;
    // The cached world sphere was made from the old local one.
    MarkWorldBoundDirty(atomic);
  }
  RwFrame* frame = RpAtomicGetFrame(atomic);
  if (frame != nullptr && RpAtomicGetWorld(atomic) != nullptr) {
    RwFrameMarkDirty(frame);
  }
  return atomic;
}

RpGeometry* RpAtomicGetGeometry(const RpAtomic* atomic) { return atomic->geometry; }

RpAtomic* RpAtomicSetFrame(RpAtomic* atomic, RwFrame* frame) {
  RwObjectHasFrameSetFrame(&atomic->object, frame);
  MarkWorldBoundDirty(atomic);
  return atomic;
}

RwFrame* RpAtomicGetFrame(const RpAtomic* atomic) { return static_cast<RwFrame*>(atomic->object.object.parent); }

RpAtomic* RpAtomicSetFlags(RpAtomic* atomic, RwUInt32 flags) {
  atomic->object.object.flags = static_cast<RwUInt8>(flags);
  return atomic;
}

RwUInt32 RpAtomicGetFlags(const RpAtomic* atomic) { return atomic->object.object.flags; }

RpAtomic* RpAtomicSetRenderCallBack(RpAtomic* atomic, RpAtomicCallBackRender callBack) {
  atomic->renderCallBack = callBack != nullptr ? callBack : RpAtomicDefaultRenderCallBack;
  return atomic;
}

RpAtomicCallBackRender RpAtomicGetRenderCallBack(const RpAtomic* atomic) { return atomic->renderCallBack; }

RpAtomic* RpAtomicSetPipeline(RpAtomic* atomic, RwPipeline* pipeline) {
  atomic->pipeline = pipeline;
  return atomic;
}

RwPipeline* RpAtomicGetPipeline(const RpAtomic* atomic) { return atomic->pipeline; }

RpClump* RpAtomicGetClump(const RpAtomic* atomic) { return atomic->clump; }

RpWorld* RpAtomicGetWorld(const RpAtomic* atomic) {
  const RpClumpModule* module = _rpClumpModule();
  if (module == nullptr || module->atomicWorldOffset < 0) {
    return nullptr;
  }
  return *reinterpret_cast<RpWorld* const*>(reinterpret_cast<const RwUInt8*>(atomic) + module->atomicWorldOffset);
}

const RwSphere* RpAtomicGetWorldBoundingSphere(RpAtomic* atomic) {
  if ((atomic->interpolator.flags & rpINTERPOLATORDIRTYSPHERE) != 0) {
    RpAtomicInterpolateBoundingSphere(atomic);
  }
  RwFrame* frame = RpAtomicGetFrame(atomic);
  if (frame == nullptr) {
    atomic->worldBoundingSphere = atomic->boundingSphere;
    atomic->object.object.privateFlags &= static_cast<RwUInt8>(~kRpAtomicPrivateWorldBoundDirty);
    return &atomic->worldBoundingSphere;
  }
  if (!RwFrameIsDirty(frame) && (atomic->object.object.privateFlags & kRpAtomicPrivateWorldBoundDirty) == 0) {
    return &atomic->worldBoundingSphere;
  }
  const RwMatrix* ltm = RwFrameGetLTM(frame);
  RwV3dTransformPoints(&atomic->worldBoundingSphere.center, &atomic->boundingSphere.center, 1, ltm);
  RwReal radius = atomic->boundingSphere.radius;
  if ((ltm->flags & kRwMatrixTypeOrthonormal) != kRwMatrixTypeOrthonormal) {
    // The sphere must hold the longest axis a scaled matrix stretches it along.
    RwReal largest = LengthSquared(ltm->right);
    const RwReal up = LengthSquared(ltm->up);
    const RwReal at = LengthSquared(ltm->at);
    largest = up > largest ? up : largest;
    largest = at > largest ? at : largest;
    radius *= RwSqrt(largest);
  }
  atomic->worldBoundingSphere.radius = radius;
  atomic->object.object.privateFlags &= static_cast<RwUInt8>(~kRpAtomicPrivateWorldBoundDirty);
  return &atomic->worldBoundingSphere;
}

void RpAtomicInterpolateBoundingSphere(RpAtomic* atomic) {
  const RpGeometry* geometry = atomic->geometry;
  if (geometry == nullptr) {
    return;
  }
  RpInterpolator& interpolator = atomic->interpolator;
  const RwInt32 start = interpolator.startMorphTarget;
  const RwInt32 end = interpolator.endMorphTarget;
  // Negative indices count as outside the targets, like those past the end.
  const RwBool bothValid = IsMorphTarget(geometry, start) && IsMorphTarget(geometry, end);
  if (start == end || !bothValid) {
    atomic->boundingSphere = geometry->morphTarget[bothValid ? start : 0].boundingSphere;
  } else {
    const RwReal t = interpolator.position * interpolator.recipTime;
    atomic->boundingSphere =
        Blend(geometry->morphTarget[start].boundingSphere, geometry->morphTarget[end].boundingSphere, t);
  }
  interpolator.flags &= ~rpINTERPOLATORDIRTYSPHERE;
  MarkWorldBoundDirty(atomic);
}

RpAtomic* RpAtomicDefaultRenderCallBack(RpAtomic* atomic) {
  RwPipeline* pipeline = atomic->pipeline;
  if (pipeline == nullptr) {
    const RwPipelineGlobals* globals = RwPipelineGetGlobals();
    pipeline = globals != nullptr ? globals->defaultAtomicPipeline : nullptr;
  }
  return RwPipelineExecute(pipeline, atomic, TRUE) != nullptr ? atomic : nullptr;
}

RpAtomic* RpAtomicFrameSyncCallBack(RpAtomic* atomic) {
  if ((atomic->interpolator.flags & rpINTERPOLATORDIRTYSPHERE) != 0) {
    RpAtomicInterpolateBoundingSphere(atomic);
  }
  MarkWorldBoundDirty(atomic);
  return atomic;
}

RwInt32 RpAtomicRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB) {
  return RwPluginRegistryAddPlugin(&gAtomicRegistry, size, pluginID, constructCB, destructCB, copyCB);
}

RwInt32 RpAtomicRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                     RwPluginDataChunkWriteCallBack writeCB,
                                     RwPluginDataChunkGetSizeCallBack getSizeCB) {
  return RwPluginRegistryAddPluginStream(&gAtomicRegistry, pluginID, readCB, writeCB, getSizeCB);
}

RwInt32 RpAtomicSetStreamAlwaysCallBack(RwUInt32 pluginID, RwPluginDataChunkAlwaysCallBack alwaysCB) {
  return RwPluginRegistryAddPluginStreamAlwaysCB(&gAtomicRegistry, pluginID, alwaysCB);
}

RwInt32 RpAtomicSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB) {
  return RwPluginRegistryAddPluginStreamRightsCB(&gAtomicRegistry, pluginID, rightsCB);
}

RwInt32 RpAtomicGetPluginOffset(RwUInt32 pluginID) {
  return RwPluginRegistryGetPluginOffset(&gAtomicRegistry, pluginID);
}

const RwPluginRegistry* _rpAtomicRegistry(void) { return &gAtomicRegistry; }
