// The driver's standard-function table. The raster, camera, image and native
// texture jobs are not supported by this driver yet: their slots hold named
// functions that answer "not supported" until those modules arrive.
#include "engine/driver/d3d8/d3d8_device_internal.h"

namespace {

RwBool D3D8NotSupported(void* /*target*/, void* /*object*/, RwInt32 /*number*/) { return FALSE; }

#define TK_D3D8_NOT_YET_SUPPORTED(name) \
  RwBool name(void* /*target*/, void* /*object*/, RwInt32 /*number*/) { return FALSE; }

TK_D3D8_NOT_YET_SUPPORTED(D3D8CameraBeginUpdateNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RGBToPixelNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8PixelToRGBNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterCreateNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterDestroyNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8ImageGetFromRasterNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterSetFromImageNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8TextureSetRasterNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8ImageFindRasterFormatNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8CameraEndUpdateNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8SetRasterContextNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterSubRasterNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterClearRectNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterClearNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterLockNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterUnlockNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterRenderNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterRenderScaledNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterRenderFastNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterShowRasterNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8CameraClearNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterLockPaletteNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterUnlockPaletteNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8NativeTextureGetSizeNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8NativeTextureReadNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8NativeTextureWriteNotSupported)
TK_D3D8_NOT_YET_SUPPORTED(D3D8RasterGetMipLevelsNotSupported)

#undef TK_D3D8_NOT_YET_SUPPORTED

struct StandardFunction {
  RwInt32 slot;
  RwStandardFunc function;
};

// Slots 0 and 22 stay with the shared not-supported function.
const StandardFunction kDriverFunctions[] = {
    {kRwStdCameraBeginUpdate, D3D8CameraBeginUpdateNotSupported},
    {kRwStdRGBToPixel, D3D8RGBToPixelNotSupported},
    {kRwStdPixelToRGB, D3D8PixelToRGBNotSupported},
    {kRwStdRasterCreate, D3D8RasterCreateNotSupported},
    {kRwStdRasterDestroy, D3D8RasterDestroyNotSupported},
    {kRwStdImageGetRaster, D3D8ImageGetFromRasterNotSupported},
    {kRwStdRasterSetImage, D3D8RasterSetFromImageNotSupported},
    {kRwStdTextureSetRaster, D3D8TextureSetRasterNotSupported},
    {kRwStdImageFindRasterFormat, D3D8ImageFindRasterFormatNotSupported},
    {kRwStdCameraEndUpdate, D3D8CameraEndUpdateNotSupported},
    {kRwStdSetRasterContext, D3D8SetRasterContextNotSupported},
    {kRwStdRasterSubRaster, D3D8RasterSubRasterNotSupported},
    {kRwStdRasterClearRect, D3D8RasterClearRectNotSupported},
    {kRwStdRasterClear, D3D8RasterClearNotSupported},
    {kRwStdRasterLock, D3D8RasterLockNotSupported},
    {kRwStdRasterUnlock, D3D8RasterUnlockNotSupported},
    {kRwStdRasterRender, D3D8RasterRenderNotSupported},
    {kRwStdRasterRenderScaled, D3D8RasterRenderScaledNotSupported},
    {kRwStdRasterRenderFast, D3D8RasterRenderFastNotSupported},
    {kRwStdRasterShowRaster, D3D8RasterShowRasterNotSupported},
    {kRwStdCameraClear, D3D8CameraClearNotSupported},
    {kRwStdRasterLockPalette, D3D8RasterLockPaletteNotSupported},
    {kRwStdRasterUnlockPalette, D3D8RasterUnlockPaletteNotSupported},
    {kRwStdNativeTextureGetSize, D3D8NativeTextureGetSizeNotSupported},
    {kRwStdNativeTextureRead, D3D8NativeTextureReadNotSupported},
    {kRwStdNativeTextureWrite, D3D8NativeTextureWriteNotSupported},
    {kRwStdRasterGetMipLevels, D3D8RasterGetMipLevelsNotSupported},
};

}  // namespace

RwBool RwD3D8StandardFunctionsSet(RwStandardFunc* table, RwInt32 count) {
  if (table == nullptr) {
    return TRUE;
  }
  for (RwInt32 i = 0; i < count; i++) {
    table[i] = D3D8NotSupported;
  }
  if (count > 1) {
    for (const StandardFunction& entry : kDriverFunctions) {
      if (entry.slot < count) {
        table[entry.slot] = entry.function;
      }
    }
  }
  return TRUE;
}

// Rasters carry no Direct3D texture until the raster extension exists.
RwBool _rwD3D8RasterGetTexture(RwRaster* /*raster*/, RwD3D8RasterTexture* out) {
  if (out != nullptr) {
    *out = {nullptr, FALSE, -1, 1};
  }
  return FALSE;
}
