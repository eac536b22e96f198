// The camera functions' view of the Direct3D 8 rasters: the swap chain of a
// camera raster bound to another window, the surface of a depth raster, the
// level-0 surface of a camera texture, and the rasters' device memory around
// a Reset.
#include "engine/driver/d3d8/d3d8_camera_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"

RwBool _rwD3D8RasterGetSwapChain(RwRaster* raster, RwD3D8CameraSwapChain* out) {
  RwD3D8RasterExtension* extension = raster != nullptr ? _rwD3D8RasterExtensionGet(raster->parent) : nullptr;
  if (extension == nullptr || raster->parent->type != rwRASTERTYPECAMERA || extension->swapChain == nullptr ||
      extension->surface == nullptr) {
    if (out != nullptr) {
      *out = {nullptr, nullptr, nullptr};
    }
    return FALSE;
  }
  if (out != nullptr) {
    *out = {extension->swapChain, extension->surface, extension->window};
  }
  return TRUE;
}

RwBool _rwD3D8RasterSetSwapChain(RwRaster* raster, const RwD3D8CameraSwapChain* chain) {
  RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(raster);
  if (extension == nullptr || chain == nullptr || raster->type != rwRASTERTYPECAMERA) {
    return FALSE;
  }
  extension->swapChain = chain->swapChain;
  extension->surface = chain->backBuffer;
  extension->window = chain->window;
  return TRUE;
}

IDirect3DSurface8* _rwD3D8RasterGetDepthSurface(RwRaster* raster) {
  RwD3D8RasterExtension* extension = raster != nullptr ? _rwD3D8RasterExtensionGet(raster->parent) : nullptr;
  if (extension == nullptr || raster->parent->type != rwRASTERTYPEZBUFFER) {
    return nullptr;
  }
  return extension->surface;
}

IDirect3DSurface8* _rwD3D8RasterGetTextureSurface(RwRaster* raster) {
  if (raster == nullptr) {
    return nullptr;
  }
  RwD3D8RasterExtension* face = _rwD3D8RasterExtensionGet(raster);
  IDirect3DBaseTexture8* texture = RwD3D8RasterGetD3DTexture(raster);
  if (face == nullptr || texture == nullptr) {
    return nullptr;
  }
  IDirect3DSurface8* surface = nullptr;
  HRESULT result;
  if (RwD3D8RasterIsCubeMap(raster->parent)) {
    result = static_cast<IDirect3DCubeTexture8*>(texture)->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(face->face),
                                                                             0, &surface);
  } else {
    result = static_cast<IDirect3DTexture8*>(texture)->GetSurfaceLevel(0, &surface);
  }
  return SUCCEEDED(result) ? surface : nullptr;
}
