// The world-sector pipeline node "nodeD3D8WorldSectorAllInOne.csl": a
// sector's static geometry instanced once into the vertex-buffer pools (or
// read as native data), lit by the world's lights and drawn untransformed.
#pragma once

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/world/pipe/p2/d3d8/d3d8_all_in_one.h"

RwNodeDefinition* RpNodeDefinitionGetD3D8WorldSectorAllInOne(void);
// Fills the node's private data with the sector callbacks.
RwBool RpD3D8WorldSectorAllInOnePipelineInit(RwPipelineNode* node);
// The node body; the pipeline's data is the sector, drawn with the current
// world's flags.
RwInt32 RpD3D8WorldSectorAllInOneNode(RwPipelineNode* node, const RwPipelineNodeParams* params);

// Vertex format of a world's sector vertices: positions, normals and colours
// as the world has them, and one or two texture-coordinate sets.
RwUInt32 RpD3D8WorldSectorVertexFormat(RwUInt32 worldFlags);
RwBool RpD3D8WorldSectorInstanceCallBack(void* sector, RpD3D8InstanceData* instanceData, RwBool reinstance);
