// The atomic pipeline node "nodeD3D8AtomicAllInOne.csl": instances an
// atomic's geometry (shared by the geometry, or the atomic's own when it
// morphs), refreshes it when the geometry or the morph changes, lights the
// atomic and draws it at its frame.
#pragma once

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"

struct RpAtomic;
struct RpGeometry;
struct RpInterpolator;

// Pipelines tagged with this owner keep morphing atomics in the pools.
constexpr RwUInt32 kRpD3D8PoolOnlyPipelineOwner = 302;

RwNodeDefinition* RpNodeDefinitionGetD3D8AtomicAllInOne(void);
// Fills the node's private data with the atomic callbacks.
RwBool RpD3D8AtomicAllInOnePipelineInit(RwPipelineNode* node);
// The node body; the pipeline's data is the atomic.
RwInt32 RpD3D8AtomicAllInOneNode(RwPipelineNode* node, const RwPipelineNodeParams* params);

// Vertex format of an atomic's vertices: positions, normals with the
// geometry's, colours when pre-lit, and its texture-coordinate sets.
RwUInt32 RpD3D8AtomicVertexFormat(const RpGeometry* geometry);

RwBool RpD3D8AtomicInstanceCallBack(void* atomic, RpD3D8InstanceData* instanceData, RwBool reinstance);
RwBool RpD3D8AtomicReinstanceCallBack(void* atomic, RwResEntry* repEntry, const RpMeshHeader* meshHeader,
                                      RpD3D8AllInOneInstanceCallBack instanceCallBack);
// Writes every mesh's morphed positions and normals again, with the parts
// the geometry's lock flags name (everything into dynamic buffers).
void RpD3D8AtomicMorphReinstance(RwResEntry* repEntry, const RpMeshHeader* meshHeader, RpGeometry* geometry,
                                 const RpInterpolator* interpolator);
