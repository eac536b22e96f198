// Delta-morph internals shared by the plugin's files and its tests: the
// geometry record and the application of weights. Nothing in the engine
// sets an atomic's weights but the atomic copier, so tests reach them here.
#pragma once

#include "engine/plugin/dmorph/rpdmorph.h"
#include "engine/world/atomic.h"

struct RpDMorphGeometryData {
  RwUInt32 numTargets;
  RpDMorphDeltaTarget* targets;  // numTargets records, then the applied weights, in one block
  RwReal* appliedWeights;        // the weights the geometry's vertex data reflects
};

// The atomic extension.
struct RpDMorphAtomicData {
  RwReal* weights;  // owned, numWeights of them, or null
  RwUInt32 numWeights;
  RwReal* second;                         // owned; nothing fills it
  RpAtomicCallBackRender renderCallBack;  // the atomic's own, kept while the plugin's is installed
};

// The geometry's record, or null without delta data.
RpDMorphGeometryData* _rpDMorphGeometryGetData(const RpGeometry* geometry);
// Moves the geometry's vertex data from its applied weights to weights (one
// per target, count of them) for each target whose weight changed.
void _rpDMorphGeometryApplyWeights(RpGeometry* geometry, const RwReal* weights, RwUInt32 count);
// The atomic's extension; null while the plugin is not attached.
RpDMorphAtomicData* _rpDMorphAtomicGetData(const RpAtomic* atomic);
// Gives the atomic a copy of count weights; null (out of memory) otherwise.
RpAtomic* _rpDMorphAtomicSetWeights(RpAtomic* atomic, const RwReal* weights, RwUInt32 count);
// The render callback the plugin installs.
RpAtomic* _rpDMorphAtomicRender(RpAtomic* atomic);

// Frees a record with its targets' names, control bytes and delta blocks.
void _rpDMorphGeometryDataDestroy(RpDMorphGeometryData* data);
// Bytes of one delta of the flagged kinds.
RwUInt32 _rpDMorphDeltaSize(RwUInt32 dataTypeFlags);

// Stream callbacks of the geometry extension (sub-chunk 0x122).
struct RwStream;
RwStream* _rpDMorphGeometryStreamRead(RwStream* stream, RwInt32 length, void* object, RwInt32 offset, RwInt32 size);
RwStream* _rpDMorphGeometryStreamWrite(RwStream* stream, RwInt32 length, const void* object, RwInt32 offset,
                                       RwInt32 size);
RwInt32 _rpDMorphGeometryStreamGetSize(const void* object, RwInt32 offset, RwInt32 size);
