// The camera functions' view of the Direct3D 8 rasters. Until rasters carry
// the driver's extension, a raster holds no Direct3D object of its own: every
// camera raster draws into the device's back buffer, depth rasters use the
// device's depth surface, and nothing lives in default memory to release.
#include "engine/driver/d3d8/d3d8_camera_internal.h"

RwBool _rwD3D8RasterGetSwapChain(RwRaster* /*raster*/, RwD3D8CameraSwapChain* out) {
  if (out != nullptr) {
    *out = {nullptr, nullptr, nullptr};
  }
  return FALSE;
}

RwBool _rwD3D8RasterSetSwapChain(RwRaster* /*raster*/, const RwD3D8CameraSwapChain* /*chain*/) { return FALSE; }

IDirect3DSurface8* _rwD3D8RasterGetDepthSurface(RwRaster* /*raster*/) { return nullptr; }

IDirect3DSurface8* _rwD3D8RasterGetTextureSurface(RwRaster* /*raster*/) { return nullptr; }

void _rwD3D8RasterReleaseVideoMemory(void) {}

RwBool _rwD3D8RasterRestoreVideoMemory(void) { return TRUE; }
