// Immediate-mode 3D: arrays of world-space vertices transformed through a
// transform pipeline and drawn, indexed or not, through one render pipeline
// per primitive type. The Direct3D 8 side of the submit node is reached
// through RwIm3DSubmitDevice, which the driver installs.
#pragma once

#include "engine/src/pipe/p2/pipeline.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/vector.h"

struct RwMatrix;

struct RwIm3DVertex {
  RwV3d objVertex;
  RwV3d objNormal;  // not used by the unlit submit
  RwUInt32 color;   // A << 24 | R << 16 | G << 8 | B
  RwReal u;
  RwReal v;
};

enum RwIm3DTransformFlags : RwUInt32 {
  kRwIm3DVertexUV = 0x1,            // the vertices carry texture coordinates
  kRwIm3DNoVertexAlpha = 0x2,       // blending for vertex alpha off
  kRwIm3DNoClip = 0x4,              // the vertices need no clipping
  kRwIm3DEngineFlags = 0x8 | 0x10,  // added to every transform
};

enum RwPrimitiveType : RwUInt32 {
  kRwPrimTypeLineList = 1,
  kRwPrimTypePolyLine = 2,
  kRwPrimTypeTriList = 3,
  kRwPrimTypeTriStrip = 4,
  kRwPrimTypeTriFan = 5,
  kRwPrimTypePointList = 6,  // a render-pipeline slot only; not drawable
};

constexpr RwUInt32 kRwIm3DMaxVertices = 65536;
constexpr RwUInt32 kRwIm3DPluginId = 0x40A;

// The pending primitive: what the last transform recorded, and what the
// render call adds. The vertex count is 32 bits so 65536 vertices fit.
struct RwIm3DState {
  RwUInt32 numVertices;
  RwIm3DVertex* vertices;
  RwUInt32 stride;  // bytes per caller vertex (36)
  RwUInt32 flags;   // RwIm3DTransformFlags
  RwMatrix* matrix;
  RwPipeline* renderPipeline;
  RwUInt32 primType;
  RwUInt16* indices;  // null when not indexed
  RwUInt32 numIndices;
};

// The module's data in the engine instance.
struct RwIm3DGlobals {
  RwPipeline* currentTransform;
  RwPipeline* currentRender[6];  // by primitive type 1..6
  RwPipeline* defaultTransform;
  RwPipeline* defaultRender[6];
  RwIm3DState pending;
};

RwIm3DVertex* RwIm3DTransform(RwIm3DVertex* vertices, RwUInt32 numVertices, RwMatrix* matrix, RwUInt32 flags);
RwBool RwIm3DRenderIndexedPrimitive(RwUInt32 primType, RwUInt16* indices, RwUInt32 numIndices);
RwBool RwIm3DRenderPrimitive(RwUInt32 primType);
RwBool RwIm3DEnd(void);

// Null restores the default; both return the current pipeline afterwards.
RwPipeline* RwIm3DSetTransformPipeline(RwPipeline* pipeline);
RwPipeline* RwIm3DSetRenderPipeline(RwPipeline* pipeline, RwUInt32 primType);
RwPipeline* RwIm3DGetTransformPipeline(void);
RwPipeline* RwIm3DGetRenderPipeline(RwUInt32 primType);
// The record the transform pipeline's node stored last (null outside a draw).
const RwIm3DState* RwIm3DGetTransformState(void);

RwNodeDefinition* RwNodeDefinitionGetImmInstance(void);
RwNodeDefinition* RwNodeDefinitionGetD3D8SubmitNoLight(void);

// --- The submit node and its Direct3D 8 seam ---------------------------------

// Direct3D 8 primitive types and vertex formats the submit uses.
enum : RwUInt32 {
  kRwD3DPtLineList = 2,
  kRwD3DPtLineStrip = 3,
  kRwD3DPtTriangleList = 4,
  kRwD3DPtTriangleStrip = 5,
  kRwD3DPtTriangleFan = 6,
  kRwIm3DFvfColour = 0x42,            // XYZ | DIFFUSE, 16 bytes a vertex
  kRwIm3DFvfColourUV = 0x142,         // XYZ | DIFFUSE | TEX1, 24 bytes
  kRwIm3DFvfCallerVertex = 0x152,     // XYZ | NORMAL | DIFFUSE | TEX1: the caller's 36-byte vertices
  kRwIm3DIndexBufferIndices = 65535,  // 16-bit indices in the shared index buffer
  kRwIm3DExpandMaxIndices = 8,        // shorter index lists are expanded, not indexed
};

enum RwIm3DSubmitPath : RwUInt32 {
  kRwIm3DSubmitVertices = 0,     // DrawPrimitive over copied vertices
  kRwIm3DSubmitIndexed = 1,      // vertices copied, indices appended to the shared index buffer
  kRwIm3DSubmitExpanded = 2,     // the vertices the indices name, copied in index order
  kRwIm3DSubmitUserPointer = 3,  // straight from the caller's vertices (no shared index buffer)
};

// One draw as the submit node prepared it.
struct RwIm3DSubmission {
  const RwIm3DState* state;
  RwUInt32 d3dPrimType;
  RwUInt32 fvf;     // of the copied vertices
  RwUInt32 stride;  // bytes per copied vertex (16 or 24)
  RwUInt32 numPrimitives;
  RwUInt32 path;              // RwIm3DSubmitPath
  RwUInt32 indexStart;        // kRwIm3DSubmitIndexed: where the indices go in the shared buffer
  RwBool discardIndexBuffer;  // lock with discard (restart at 0) rather than no-overwrite
  RwBool vertexAlpha;
  RwBool clipping;
};

// The Direct3D 8 side: the driver creates and releases the shared index
// buffer, and draws a prepared submission (falling back to user-pointer draws
// itself when vertex room, the index buffer or the draw fails). draw returns
// true when the indices went into the shared index buffer.
struct RwIm3DSubmitDevice {
  RwBool (*openIndexBuffer)(void);
  void (*closeIndexBuffer)(void);
  RwBool (*draw)(const RwIm3DSubmission* submission);
};

// Installs the driver's side (null removes it); without one the submit node
// prepares each draw and hands it to nobody.
void RwIm3DSetSubmitDevice(const RwIm3DSubmitDevice* device);

// Helpers for the driver's draw.
RwUInt32 RwIm3DPrimitiveCount(RwUInt32 primType, RwUInt32 count);
RwUInt32 RwIm3DD3DPrimitiveType(RwUInt32 primType);
// Writes the state's vertices in the submission's layout; dest holds
// numVertices x stride bytes.
void RwIm3DCopyVertices(void* dest, const RwIm3DSubmission* submission);
// Writes the vertices the indices name, in index order; dest holds
// numIndices x stride bytes.
void RwIm3DCopyIndexedVertices(void* dest, const RwIm3DSubmission* submission);
