// The all-in-one pipeline nodes of atomics and world sectors: one node that
// instances its object, lights it and draws it, through four callbacks kept
// in the node's private data so that plugins can replace them.
#pragma once

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/base_types.h"
#include "engine/world/pipe/p2/d3d8/d3d8_instance.h"

struct RpMaterial;

// Object kinds the render callback is told.
constexpr RwUInt8 kRpD3D8ObjectAtomic = 1;
constexpr RwUInt8 kRpD3D8ObjectWorldSector = 255;

// Refreshes existing instance data (whose header still matches); false when
// it cannot.
typedef RwBool (*RpD3D8AllInOneReinstanceCallBack)(void* object, RwResEntry* repEntry, const RpMeshHeader* meshHeader,
                                                   RpD3D8AllInOneInstanceCallBack instanceCallBack);
// Sets the Direct3D lights for the object.
typedef void (*RpD3D8AllInOneLightingCallBack)(void* object);
// Draws the instance data; flags are the geometry's or the world's.
typedef void (*RpD3D8AllInOneRenderCallBack)(RwResEntry* repEntry, void* object, RwUInt8 type, RwUInt32 flags);

// The node's private data.
struct RpD3D8AllInOnePrivateData {
  RpD3D8AllInOneInstanceCallBack instanceCallBack;
  RpD3D8AllInOneReinstanceCallBack reinstanceCallBack;  // null: never refreshed
  RpD3D8AllInOneLightingCallBack lightingCallBack;
  RpD3D8AllInOneRenderCallBack renderCallBack;
};

// What render callbacks share. Whether the object (of the type the callback
// is told) lies wholly inside the current camera's frustum, so that
// Direct3D need not clip it: an atomic by its world bounding sphere, a world
// sector by its bounding box.
RwBool RpD3D8AllInOneFullyInsideFrustum(void* object, RwUInt8 type);
// Colour and lighting coefficients of a mesh's material (white and 1.0
// without one); flags are the geometry's or the world's.
void RpD3D8AllInOneSetMaterial(const RpMaterial* material, RwUInt32 flags);
// Draws the mesh from its vertex range, or from another buffer's vertices
// at baseIndex with the same indices.
void RpD3D8AllInOneDrawMesh(const RpD3D8InstanceData* record);
void RpD3D8AllInOneDrawMeshFrom(const RpD3D8InstanceData* record, IDirect3DVertexBuffer8* buffer, RwUInt32 stride,
                                RwUInt32 baseIndex);

// Replaces the node's render callback; returns the node.
RwPipelineNode* RpD3D8AllInOneNodeSetRenderCallBack(RwPipelineNode* node, RpD3D8AllInOneRenderCallBack callBack);

// Draws every mesh of the instance data with its material's colour and
// texture. Unlit objects without pre-lit colours draw black; clipping is
// switched off for objects wholly inside the current camera's frustum.
void RpD3D8DefaultRenderCallBack(RwResEntry* repEntry, void* object, RwUInt8 type, RwUInt32 flags);
