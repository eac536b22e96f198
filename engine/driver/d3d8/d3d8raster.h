// The Direct3D 8 driver's rasters: the raster extension, the table of pixel
// formats, the standard functions that create, lock, draw and clear rasters,
// and the release and restore of video memory around a device reset.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/raster.h"
#include "platform/d3d8/d3d8.h"

struct RwTexture;

constexpr RwUInt32 kRwD3D8RasterPluginId = 0x40C;
constexpr RwInt32 kRwD3D8PaletteEntries = 256;
constexpr RwUInt32 kRwD3D8NoLockedLevel = 0xFF;

// Driver error codes: core codes (plugin id 0) and the driver's own code
// reported under plugin id 1.
constexpr RwInt32 kRwErrInvalidRasterDepth = static_cast<RwInt32>(0x8000000Cu);
constexpr RwInt32 kRwErrInvalidRasterFormat = static_cast<RwInt32>(0x8000000Du);
constexpr RwInt32 kRwErrRasterCannotLock = static_cast<RwInt32>(0x8000000Eu);
constexpr RwInt32 kRwErrRasterCannotUnlock = static_cast<RwInt32>(0x80000011u);
constexpr RwInt32 kRwErrD3D8Driver = 2;

// A palettised raster's palette: PALETTEENTRY {red, green, blue, alpha}
// entries, then the Direct3D palette slot.
struct RwD3D8Palette {
  RwUInt8 entries[kRwD3D8PaletteEntries][4];
  RwUInt32 paletteNumber;
};

// The extension every raster carries (plugin kRwD3D8RasterPluginId).
struct RwD3D8RasterExtension {
  // Texture or cube texture of normal, texture and camera-texture rasters.
  IDirect3DBaseTexture8* texture;
  // The depth surface of a depth raster, or the back buffer of a camera
  // raster with its own swap chain; null otherwise.
  IDirect3DSurface8* surface;
  RwD3D8Palette* palette;
  RwUInt8 hasAlpha;
  RwUInt8 maxAnisotropy;
  RwUInt8 cube;
  RwUInt8 face;
  IDirect3DSurface8* lockedSurface;
  D3DLOCKED_RECT lockedRect;
  RwUInt32 lockedLevel;  // kRwD3D8NoLockedLevel when none
  RwUInt32 d3dFormat;    // D3DFORMAT or FOURCC
  HWND window;           // of a camera raster with its own swap chain
  IDirect3DSwapChain8* swapChain;
  // Whether a camera texture's texture has render-target usage (otherwise it
  // fell back to a plain texture and is filled by copies from the back buffer).
  RwUInt8 renderTarget;
  // Whether a depth raster uses the device's own depth-stencil surface.
  RwUInt8 deviceDepthSurface;
};

// The raster format (index << 8) of a D3DFORMAT; records
// kRwErrInvalidRasterFormat and returns 0 when the table lacks it.
RwUInt32 RwD3D8FormatToRasterFormat(RwUInt32 d3dFormat);

// Registers the extension; called by the engine's initialisation.
RwBool RwD3D8RasterPluginAttach(void);

// Driver start and stop: the device-reset list, palette numbers and records.
RwBool RwD3D8RasterOpen(void);
void RwD3D8RasterClose(void);
// Around a device Reset: what lives in default device memory is released
// before and created again after (false when a creation failed).
void RwD3D8RasterReleaseVideoMemory(void);
RwBool RwD3D8RasterRestoreVideoMemory(void);

// Puts this module's functions and the conversions into the raster slots of
// a standard-function table of count slots.
void RwD3D8RasterStandardFunctionsInstall(RwStandardFunc* table, RwInt32 count);

// Clamps the raster's size to the device's limits and rounds it as the
// device's texture capabilities demand for the raster type.
void RwD3D8RasterAdjustSize(RwRaster* raster, RwUInt32 type);
// Gives the raster the type, flags, supported format and depth for flags.
RwBool RwD3D8RasterSetFormat(RwRaster* raster, RwUInt32 flags);
// The requested format downgraded to one the device supports (type | format).
RwUInt32 RwD3D8RasterFindSupportedFormat(RwUInt32 type, RwUInt32 flags);
RwBool RwD3D8RasterIsCubeMap(RwRaster* raster);
// The Direct3D texture of a raster for binding: null without one.
IDirect3DBaseTexture8* RwD3D8RasterGetD3DTexture(RwRaster* raster);
// The has-alpha mark of the texture's raster; false without a raster.
RwBool RwD3D8TextureHasAlpha(const RwTexture* texture);

// Standard functions (target, object, number).
RwBool RwD3D8RasterCreate(void* unused, void* raster, RwInt32 flags);
RwBool RwD3D8RasterDestroy(void* unused, void* raster, RwInt32 unusedNumber);
// Stores the raster in the texture.
RwBool RwD3D8TextureSetRaster(void* texture, void* raster, RwInt32 unusedNumber);
RwBool RwD3D8RasterSetContext(void* unused, void* raster, RwInt32 unusedNumber);
RwBool RwD3D8RasterSubRaster(void* subRaster, void* parent, RwInt32 unused);
RwBool RwD3D8RasterClearRect(void* unused, void* rect, RwInt32 value);
RwBool RwD3D8RasterClear(void* unused, void* unusedObject, RwInt32 value);
RwBool RwD3D8RasterLock(void* pixels, void* raster, RwInt32 levelAndMode);
RwBool RwD3D8RasterUnlock(void* unused, void* raster, RwInt32 unusedNumber);
RwBool RwD3D8RasterRender(void* raster, void* position, RwInt32 unused);
RwBool RwD3D8RasterRenderScaled(void* raster, void* rect, RwInt32 unused);
RwBool RwD3D8RasterRenderFast(void* raster, void* position, RwInt32 unused);
RwBool RwD3D8RasterLockPalette(void* palette, void* raster, RwInt32 mode);
RwBool RwD3D8RasterUnlockPalette(void* unused, void* raster, RwInt32 unusedNumber);
RwBool RwD3D8RasterGetNumLevels(void* levels, void* raster, RwInt32 unused);
