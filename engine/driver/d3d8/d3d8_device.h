// The Direct3D 8 driver's device layer: the device record and system handler
// through which the core opens, starts and queries the display, and the cached
// wrappers over the device that every other driver and pipeline module calls.
#pragma once

#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/matrix.h"
#include "platform/d3d8/d3d8.h"

struct RwRGBA;

// One entry of the driver's video-mode list.
struct RwD3D8VideoMode {
  RwUInt32 width;
  RwUInt32 height;
  RwUInt32 refreshRate;  // Hz
  RwUInt32 format;       // D3DFORMAT
  RwUInt32 flags;        // kRwVideoModeExclusive for full screen
};

// Lighting coefficients of a surface.
struct RwSurfaceProperties {
  RwReal ambient;
  RwReal specular;
  RwReal diffuse;
};

// Makes this driver the engine's display driver, with the pipeline and
// immediate-mode 3D modules it draws through. A program calls it before
// RwEngineInit; false once the engine is initialised.
RwBool RwD3D8DriverInstall(void);
// The driver's request handler.
RwBool RwD3D8SystemHandler(RwInt32 request, void* out, void* in, RwInt32 inNumber);
// Creates the device in the selected mode (the start request).
RwBool RwD3D8DeviceStart(void);
// Lists the adapter's video modes again: the desktop as the windowed mode when
// the adapter can render windowed, then each full-screen size and format once.
RwBool RwD3D8VideoModeListBuild(void);
// Fills slots 0..count-1 of a standard-function table; always 1.
RwBool RwD3D8StandardFunctionsSet(RwStandardFunc* table, RwInt32 count);

// The device while the engine is started, else null.
IDirect3DDevice8* RwD3D8GetCurrentD3DDevice(void);
// The capabilities of the adapter in use.
const D3DCAPS8* RwD3D8GetCaps(void);
// Device Resets survived so far: what lay in default device memory before
// the last one (dynamic vertex buffers) was made again empty.
RwUInt32 RwD3D8GetResetCount(void);

// Whether the processor has SSE (or SSE2).
RwBool RwCpuHasSSE(void);

// Cached device wrappers: each call reaches the device only when the value
// differs from the one last sent. False when the device call fails.
RwBool RwD3D8SetVertexShader(RwUInt32 handle);
RwBool RwD3D8SetPixelShader(RwUInt32 handle);
RwBool RwD3D8SetStreamSource(RwUInt32 stream, IDirect3DVertexBuffer8* buffer, RwUInt32 stride);
RwBool RwD3D8SetIndices(IDirect3DIndexBuffer8* buffer, RwUInt32 baseVertexIndex);
// Both flush the queued render states first and take vertex and index counts.
RwBool RwD3D8DrawIndexedPrimitive(RwUInt32 primitiveType, RwUInt32 minIndex, RwUInt32 numVertices, RwUInt32 startIndex,
                                  RwUInt32 numIndices);
RwBool RwD3D8DrawPrimitive(RwUInt32 primitiveType, RwUInt32 startVertex, RwUInt32 numVertices);
// A null matrix stands for the identity; states run 0..259.
RwBool RwD3D8SetTransform(RwUInt32 state, const D3DMATRIX* matrix);
void RwD3D8GetTransform(RwUInt32 state, D3DMATRIX* matrix);
RwBool RwD3D8SetTransformWorld(const RwMatrix* matrix);
RwBool RwD3D8SetSurfaceProperties(const RwRGBA* color, const RwSurfaceProperties* surfaceProperties, RwBool modulate);
// The ambient light colour the surface properties scale (set by the lighting).
void RwD3D8SetAmbientLightColor(const D3DCOLORVALUE* color);
RwBool RwD3D8SetLight(RwInt32 index, const D3DLIGHT8* light);
RwBool RwD3D8EnableLight(RwInt32 index, RwBool enable);
RwBool RwD3D8LightsEqual(const D3DLIGHT8* a, const D3DLIGHT8* b);
RwBool RwD3D8IndexBufferCreate(RwUInt32 numIndices, IDirect3DIndexBuffer8** buffer);
RwBool RwD3D8CreatePixelShader(const RwUInt32* function, RwUInt32* handle);
void RwD3D8DeletePixelShader(RwUInt32 handle);
RwBool RwD3D8SetPixelShaderConstant(RwUInt32 reg, const void* data, RwUInt32 count);
RwBool RwD3D8CheckZBufferFormat(RwUInt32 format);
RwBool RwD3D8CheckTextureFormat(RwUInt32 format);
RwBool RwD3D8CheckRenderTargetFormat(RwUInt32 format);

// Dynamic vertex buffers: pooled by vertex format and size; the out slot is
// cleared when its buffer is destroyed or lost.
RwBool RwD3D8DynamicVertexBufferCreate(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8** buffer);
void RwD3D8DynamicVertexBufferDestroy(IDirect3DVertexBuffer8* buffer);
// Room for count vertices of stride bytes in the shared buffers.
RwBool RwD3D8DynamicVertexBufferLock(RwUInt32 stride, RwUInt32 numVertices, IDirect3DVertexBuffer8** buffer,
                                     void** memory, RwUInt32* baseVertexIndex);
RwBool RwD3D8DynamicVertexBufferUnlock(IDirect3DVertexBuffer8* buffer);

// Release before and restore after a device Reset.
RwBool RwD3D8SharedVertexBuffersCreate(void);
void RwD3D8SharedVertexBuffersForget(void);
void RwD3D8DynamicVertexBuffersRelease(void);
RwBool RwD3D8DynamicVertexBuffersRestore(void);
void RwD3D8PixelShadersRelease(void);
RwBool RwD3D8PixelShadersRestore(void);
RwBool RwD3D8LightsRestore(void);
RwBool RwD3D8TransformCacheReset(void);
