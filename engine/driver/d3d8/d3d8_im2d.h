// Immediate-mode 2D: screen-space vertices drawn straight into the raster of
// the camera in update. The engine entry points forward through the device
// record to the Direct3D 8 driver, which copies the vertices into a dynamic
// vertex buffer and draws them.
#pragma once

#include "engine/src/plcore/base_types.h"

// A pre-transformed vertex: pixels, screen z, reciprocal camera z, colour
// (A << 24 | R << 16 | G << 8 | B) and texture coordinates; 28 bytes.
struct RwIm2DVertex {
  RwReal x;
  RwReal y;
  RwReal z;
  RwReal recipZ;
  RwUInt32 emissiveColor;
  RwReal u;
  RwReal v;
};

// Primitive types of immediate mode (engine values): 1 line list,
// 2 poly-line, 3 triangle list, 4 triangle strip, 5 triangle fan,
// 6 point list.

RwReal RwIm2DGetNearScreenZ(void);
RwReal RwIm2DGetFarScreenZ(void);
// Only while a camera update is under way; otherwise error 16 and false.
RwBool RwRenderStateSet(RwInt32 state, void* value);
RwBool RwRenderStateGet(RwInt32 state, void* value);
RwBool RwIm2DRenderLine(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2);
RwBool RwIm2DRenderTriangle(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2,
                            RwInt32 vertex3);
RwBool RwIm2DRenderPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices);
RwBool RwIm2DRenderIndexedPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices,
                                    RwUInt16* indices, RwInt32 numIndices);

// The driver's side (device record fields 7 to 10) and its set-up at device
// start and release at stop.
RwBool RwD3D8Im2DRenderLine(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2);
RwBool RwD3D8Im2DRenderTriangle(RwIm2DVertex* vertices, RwInt32 numVertices, RwInt32 vertex1, RwInt32 vertex2,
                                RwInt32 vertex3);
RwBool RwD3D8Im2DRenderPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices);
RwBool RwD3D8Im2DRenderIndexedPrimitive(RwInt32 primitiveType, RwIm2DVertex* vertices, RwInt32 numVertices,
                                        RwUInt16* indices, RwInt32 numIndices);
RwBool RwD3D8Im2DRenderOpen(void);
void RwD3D8Im2DRenderClose(void);
