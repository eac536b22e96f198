// The raster extension's registration and the pixel-format table shared by
// raster creation and the pixel conversions.
#include <cstring>

#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

RwInt32 sExtensionOffset = -1;

const RwD3D8RasterFormatInfo kFormats[kRwD3D8RasterFormatCount] = {
    {D3DFMT_UNKNOWN, 0, 0},    // default
    {D3DFMT_A1R5G5B5, 16, 1},  // 1555
    {D3DFMT_R5G6B5, 16, 0},    // 565
    {D3DFMT_A4R4G4B4, 16, 1},  // 4444
    {D3DFMT_L8, 8, 0},         // LUM8
    {D3DFMT_A8R8G8B8, 32, 1},  // 8888
    {D3DFMT_X8R8G8B8, 32, 0},  // 888
    {D3DFMT_UNKNOWN, 0, 0},    // 16-bit depth
    {D3DFMT_UNKNOWN, 0, 0},    // not produced
    {D3DFMT_UNKNOWN, 0, 0},    // 32-bit depth
    {D3DFMT_X1R5G5B5, 16, 0},  // 555
};

// Releases the additional swap chain of a camera raster with its own window,
// and the reference the raster holds on that swap chain's back buffer.
void* ExtensionDestroy(void* object, RwInt32 offset, RwInt32 /*size*/) {
  RwD3D8RasterExtension* extension = RwPluginDataGet(RwD3D8RasterExtension, object, offset);
  if (extension->swapChain != nullptr) {
    if (extension->surface != nullptr) {
      extension->surface->Release();
      extension->surface = nullptr;
    }
    extension->swapChain->Release();
    extension->swapChain = nullptr;
  }
  return object;
}

}  // namespace

const RwD3D8RasterFormatInfo* _rwD3D8RasterFormatInfo(RwUInt32 formatFlags) {
  const RwUInt32 index = (formatFlags & rwRASTERFORMATPIXELFORMATMASK) >> 8;
  return index < kRwD3D8RasterFormatCount ? &kFormats[index] : nullptr;
}

RwUInt32 RwD3D8FormatToRasterFormat(RwUInt32 d3dFormat) {
  for (RwUInt32 i = 0; i < kRwD3D8RasterFormatCount; ++i) {
    if (kFormats[i].d3dFormat == d3dFormat) {
      return i << 8;
    }
  }
  RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrInvalidRasterFormat));
  return 0;
}

RwD3D8RasterExtension* _rwD3D8RasterExtensionGet(RwRaster* raster) {
  if (sExtensionOffset < 0 || raster == nullptr) {
    return nullptr;
  }
  return RwPluginDataGet(RwD3D8RasterExtension, raster, sExtensionOffset);
}

// The driver's create fills the extension: raster plugin constructors run
// after it, so the extension has no constructor.
RwBool RwD3D8RasterPluginAttach(void) {
  sExtensionOffset =
      RwRasterRegisterPlugin(sizeof(RwD3D8RasterExtension), kRwD3D8RasterPluginId, nullptr, ExtensionDestroy, nullptr);
  return sExtensionOffset >= 0;
}
