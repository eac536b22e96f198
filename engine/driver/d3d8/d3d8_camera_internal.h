// What the camera functions need from the Direct3D 8 rasters: the objects a
// camera, depth or camera-texture raster holds. Kept in one place so the
// camera code reads raster extensions only through these calls.
#pragma once

#include "engine/driver/d3d8/d3d8_camera.h"
#include "engine/src/raster.h"

// A camera raster's own swap chain (bound to another window), or null.
struct RwD3D8CameraSwapChain {
  IDirect3DSwapChain8* swapChain;
  IDirect3DSurface8* backBuffer;
  HWND window;
};
RwBool _rwD3D8RasterGetSwapChain(RwRaster* raster, RwD3D8CameraSwapChain* out);
// Stores the swap chain, its back buffer (with the caller's reference) and
// window in a camera raster; the raster's destruction releases both.
RwBool _rwD3D8RasterSetSwapChain(RwRaster* raster, const RwD3D8CameraSwapChain* chain);

// The depth-stencil surface of a z-buffer raster (no reference added), or null.
IDirect3DSurface8* _rwD3D8RasterGetDepthSurface(RwRaster* raster);

// Level 0 of a camera texture's top-level raster (the raster's face of a cube
// texture), with a reference the caller releases; null without a texture.
IDirect3DSurface8* _rwD3D8RasterGetTextureSurface(RwRaster* raster);

// Forgets the scene and the camera in update; called when the device starts.
void _rwD3D8CameraStateReset(void);
