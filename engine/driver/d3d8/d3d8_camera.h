// The Direct3D 8 driver's camera functions: begin and end of a camera update,
// camera clear and show raster (standard functions 1, 10, 21 and 20), the
// window-size follow-up in windowed mode, vertical sync and the recovery of a
// lost device; and the immediate-mode 3D submit through the cached wrappers.
#pragma once

#include "engine/src/engine_lifecycle.h"
#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "platform/d3d8/d3d8.h"

struct RwBBox;
struct RwCamera;
struct RwSphere;
struct RwIm3DSubmitDevice;

// Standard functions (target, object, number).
// (ignored, camera, ignored): render target, viewport, transforms, scene.
RwBool RwD3D8CameraBeginUpdate(void* unused, void* camera, RwInt32 unusedNumber);
// (ignored, camera, ignored): copy-back of a camera texture, render target back.
RwBool RwD3D8CameraEndUpdate(void* unused, void* camera, RwInt32 unusedNumber);
// (camera, colour {R, G, B, A}, flags: 1 colour, 2 depth, 4 stencil).
RwBool RwD3D8CameraClear(void* camera, void* colour, RwInt32 flags);
// (raster, window (ignored), flags: bit 0 waits for vertical sync). False for
// a frame the device lost or was reset in.
RwBool RwD3D8RasterShowRaster(void* raster, void* window, RwInt32 flags);

// Gives the camera its own swap chain on another window of a windowed device
// (new frame-buffer and z-buffer rasters); false otherwise.
RwBool RwD3D8CameraAttachWindow(RwCamera* camera, HWND window);

// Whether a world-space sphere or box lies wholly inside the camera's
// frustum, by the frustum planes of its last frame sync.
RwBool RwD3D8CameraIsSphereFullyInsideFrustum(const RwCamera* camera, const RwSphere* sphere);
RwBool RwD3D8CameraIsBBoxFullyInsideFrustum(const RwCamera* camera, const RwBBox* box);

// Puts the four camera functions into a standard-function table of count slots.
void RwD3D8CameraFunctionsSet(RwStandardFunc* table, RwInt32 count);

// Everything made in default device memory, released before a Reset and made
// again after a successful one; false when a restore step fails.
void RwD3D8DeviceReleaseVideoMemory(void);
RwBool RwD3D8DeviceRestoreVideoMemory(void);

// Immediate-mode 3D: the shared dynamic index buffer and the submit device
// through which the immediate-mode render node draws.
RwBool RwD3D8Im3DIndexBufferCreate(void);
void RwD3D8Im3DIndexBufferRelease(void);
const RwIm3DSubmitDevice* RwD3D8Im3DSubmitDeviceGet(void);
