// What the raster module's files share: the device values rasters depend on,
// the current context raster, error helpers and the device-reset list.
#pragma once

#include "engine/driver/d3d8/d3d8_device_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"

constexpr RwUInt32 kRwRasterPaletteFormats = rwRASTERFORMATPAL8 | rwRASTERFORMATPAL4;

// One entry of the pixel-format table, indexed by the format nibble.
struct RwD3D8RasterFormatInfo {
  RwUInt32 d3dFormat;
  RwInt32 depth;
  RwUInt8 hasAlpha;
};
constexpr RwInt32 kRwD3D8RasterFormatCount = 11;

// Table entry of a format nibble index (format flags >> 8 & 0xF); null
// beyond the table.
const RwD3D8RasterFormatInfo* _rwD3D8RasterFormatInfo(RwUInt32 formatFlags);

// The raster's extension; null while the extension is not registered.
RwD3D8RasterExtension* _rwD3D8RasterExtensionGet(RwRaster* raster);

inline IDirect3DDevice8* _rwD3D8RasterDevice() { return _rwD3D8Driver.device; }
inline RwUInt32 _rwD3D8RasterFormatFlags(const RwRaster* raster) { return static_cast<RwUInt32>(raster->format) << 8; }
inline RwUInt32 _rwD3D8RasterNibble(RwUInt32 flags) { return flags & rwRASTERFORMATPIXELFORMATMASK; }
inline bool _rwD3D8RasterIsPalettised(const RwRaster* raster) {
  return (_rwD3D8RasterFormatFlags(raster) & kRwRasterPaletteFormats) != 0;
}

// Whether the device takes textures of a pixel format (a format nibble).
inline bool _rwD3D8RasterTextureFormatSupported(RwUInt32 nibble) {
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(nibble);
  return info != nullptr && info->d3dFormat != D3DFMT_UNKNOWN && RwD3D8CheckTextureFormat(info->d3dFormat);
}

void _rwD3D8RasterRaiseCore(RwInt32 code);
void _rwD3D8RasterRaiseDriver(const char* message);

// The format of the display and the depths rasters are made for.
D3DFORMAT _rwD3D8RasterDisplayFormat(void);
RwInt32 _rwD3D8RasterDisplayDepth(void);
RwInt32 _rwD3D8RasterZBufferDepth(void);
// Client size of the device window; false without one.
bool _rwD3D8RasterClientSize(RwInt32* width, RwInt32* height);

// The raster last given to set context.
RwRaster* _rwD3D8RasterGetContext(void);

// Lower mip levels of a texture raster rebuilt from level 0.
void _rwD3D8RasterRegenerateMipLevels(RwRaster* raster);

// Level size: shifted, at least 1.
inline RwInt32 _rwD3D8LevelSize(RwInt32 size, RwUInt32 level) {
  const RwInt32 shifted = size >> level;
  return shifted > 0 ? shifted : 1;
}
