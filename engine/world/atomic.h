// Atomics: the unit the engine draws, one geometry placed by one frame, with
// a local and a cached world bounding sphere, a render callback and an
// optional pipeline. Clumps group them (clump.h); stored as atomic chunks
// (0x14) inside clump chunks.
#pragma once

#include "engine/src/frame.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/plugin_registry.h"

struct RpAtomic;
struct RpClump;
struct RpGeometry;
struct RpWorld;
struct RwPipeline;
struct RwResEntry;

constexpr RwUInt8 kRpAtomicObjectType = 1;
constexpr RwUInt32 kRwChunkAtomic = 0x14;
// The world-object plugin, whose atomic extension starts with the atomic's world.
constexpr RwUInt32 kRpPluginIdWorldObject = 0x509;
// RpClumpClone met a source atomic without a frame (world module code).
constexpr RwInt32 kRpErrAtomicWithoutFrame = 5;

// The atomic's object flags. The engine tests only these two; the other six
// bits belong to the game and are kept by creation, cloning and streams.
enum RpAtomicFlag : RwUInt8 {
  rpATOMICCOLLISIONTEST = 0x1,  // takes part in collision and intersection queries
  rpATOMICRENDER = 0x4,         // drawn by RpClumpRender and world rendering
};

// The atomic's object private flags.
constexpr RwUInt8 kRpAtomicPrivateWorldBoundDirty = 0x1;  // the world sphere must be recomputed

// Interpolator flags.
enum RpInterpolatorFlag : RwInt32 {
  rpINTERPOLATORDIRTYINSTANCE = 0x1,  // the pipeline must re-instance the morphed vertices
  rpINTERPOLATORDIRTYSPHERE = 0x2,    // the local sphere must be re-interpolated from the morph targets
  rpINTERPOLATORNOFRAMEDIRTY = 0x4,   // the game: changes need no frame synchronisation
};

// Morphing between two of the geometry's morph targets; public because the
// game sets it directly.
struct RpInterpolator {
  RwInt32 flags;  // RpInterpolatorFlag
  RwInt16 startMorphTarget;
  RwInt16 endMorphTarget;
  RwReal time;
  RwReal recipTime;
  RwReal position;  // position x recipTime is the blend factor from start to end
};

typedef RpAtomic* (*RpAtomicCallBackRender)(RpAtomic* atomic);
typedef RpAtomic* (*RpAtomicCallBack)(RpAtomic* atomic, void* data);

struct RpAtomic {
  RwObjectHasFrame object;  // flags: RpAtomicFlag; parent: the frame
  RwResEntry* repEntry;     // instance data of the atomic pipeline, or null
  RpGeometry* geometry;     // holds one reference, or null
  RwSphere boundingSphere;  // local (model space)
  RwSphere worldBoundingSphere;
  RpClump* clump;        // owning clump, or null
  RwLLLink inClumpLink;  // link in the clump's atomic list
  RpAtomicCallBackRender renderCallBack;
  RpInterpolator interpolator;
  RwUInt16 renderFrame;               // render frame at which world rendering last considered it
  RwLinkList llWorldSectorsInAtomic;  // ties to the world sectors it overlaps
  RwPipeline* pipeline;               // null: the default atomic pipeline
  // plugin data follows (atomic plugin registry)
};

// Flags collision test and render, no geometry, no frame, the default render
// callback; null when the free list or a plugin constructor fails.
RpAtomic* RpAtomicCreate(void);
// Unlinks the atomic from its clump, releases its geometry and instance data
// and detaches it from its frame.
RwBool RpAtomicDestroy(RpAtomic* atomic);
// Same geometry, sphere, flags, callback, pipeline, interpolator and plugin
// data; no frame and no clump.
RpAtomic* RpAtomicClone(RpAtomic* atomic);

// Holds a reference to the new geometry and releases the old one; unless
// flags bit 0 is set, the atomic takes morph target 0's sphere.
RpAtomic* RpAtomicSetGeometry(RpAtomic* atomic, RpGeometry* geometry, RwUInt32 flags);
RpGeometry* RpAtomicGetGeometry(const RpAtomic* atomic);
RpAtomic* RpAtomicSetFrame(RpAtomic* atomic, RwFrame* frame);
RwFrame* RpAtomicGetFrame(const RpAtomic* atomic);
RpAtomic* RpAtomicSetFlags(RpAtomic* atomic, RwUInt32 flags);
RwUInt32 RpAtomicGetFlags(const RpAtomic* atomic);
RpAtomic* RpAtomicSetRenderCallBack(RpAtomic* atomic, RpAtomicCallBackRender callBack);
RpAtomicCallBackRender RpAtomicGetRenderCallBack(const RpAtomic* atomic);
RpAtomic* RpAtomicSetPipeline(RpAtomic* atomic, RwPipeline* pipeline);
RwPipeline* RpAtomicGetPipeline(const RpAtomic* atomic);
RpClump* RpAtomicGetClump(const RpAtomic* atomic);
// The world the world-object plugin placed the atomic in; null while that
// plugin is not attached.
RpWorld* RpAtomicGetWorld(const RpAtomic* atomic);

// The local sphere in world space through the frame's LTM, cached until the
// frame moves or the sphere changes. An atomic without a frame answers its
// local sphere.
const RwSphere* RpAtomicGetWorldBoundingSphere(RpAtomic* atomic);
// Re-interpolates the local sphere from the geometry's morph targets.
void RpAtomicInterpolateBoundingSphere(RpAtomic* atomic);
// Executes the atomic's pipeline, or the default atomic pipeline; null when
// the execution fails.
RpAtomic* RpAtomicDefaultRenderCallBack(RpAtomic* atomic);
// What frame synchronisation does for an atomic whose frame moved.
RpAtomic* RpAtomicFrameSyncCallBack(RpAtomic* atomic);

RwInt32 RpAtomicRegisterPlugin(RwInt32 size, RwUInt32 pluginID, RwPluginObjectConstructor constructCB,
                               RwPluginObjectDestructor destructCB, RwPluginObjectCopy copyCB);
RwInt32 RpAtomicRegisterPluginStream(RwUInt32 pluginID, RwPluginDataChunkReadCallBack readCB,
                                     RwPluginDataChunkWriteCallBack writeCB,
                                     RwPluginDataChunkGetSizeCallBack getSizeCB);
RwInt32 RpAtomicSetStreamAlwaysCallBack(RwUInt32 pluginID, RwPluginDataChunkAlwaysCallBack alwaysCB);
// The callback receives the data word of a right-to-render sub-chunk naming the plugin.
RwInt32 RpAtomicSetStreamRightsCallBack(RwUInt32 pluginID, RwPluginDataChunkRightsCallBack rightsCB);
RwInt32 RpAtomicGetPluginOffset(RwUInt32 pluginID);
