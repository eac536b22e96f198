// The Direct3D 8 driver's native texture format: the body of the native
// texture chunk in texture dictionaries, written straight from the Direct3D
// texture levels and read straight back (DXT levels stay compressed when the
// device holds the format, and are decoded and converted otherwise).
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/stream.h"
#include "engine/src/texture.h"

constexpr RwUInt32 kRwD3D8NativePlatformId = 8;
constexpr RwUInt32 kRwD3D8NativeFixedBytes = 88;  // the struct before the palette
constexpr RwUInt32 kRwD3D8NativePal4Bytes = 128;  // 32 entries of {red, green, blue, alpha}
constexpr RwUInt32 kRwD3D8NativePal8Bytes = 1024;
constexpr RwInt32 kRwD3D8NativeMaxCompression = 5;  // DXT1..DXT5
// The size a texture without a raster reports.
constexpr RwInt32 kRwD3D8NativeSizeWithoutRaster = 84;

// The fixed part of the native texture struct, decoded.
struct RwD3D8NativeTextureHeader {
  RwUInt32 platformId;
  RwUInt32 filterAddressing;
  RwChar name[kRwTextureNameLength];  // always terminated
  RwChar mask[kRwTextureNameLength];  // always terminated
  RwUInt32 rasterFormat;              // format flags (pixel nibble, AUTOMIPMAP, PAL8, PAL4, MIPMAP)
  RwUInt32 hasAlpha;
  RwInt32 width;
  RwInt32 height;
  RwInt32 depth;
  RwInt32 numLevels;
  RwUInt32 rasterType;
  RwInt32 compression;  // 0 none, 1..5 DXT1..DXT5
};

// Where one stored level's bytes lie: rows of rowBytes (block rows for DXT).
struct RwD3D8NativeLevelLayout {
  RwInt32 width;  // pixels
  RwInt32 height;
  RwUInt32 rows;
  RwUInt32 rowBytes;
  RwUInt32 bytes;  // rows x rowBytes: the only size a stored level may have
};

// Reads and checks the struct chunk header and the fixed 88 bytes. The
// struct must lie within chunkLength (the native chunk's length) and be long
// enough for the palette and every level the header announces. False (the
// stream's error or kRwErrBadChunkVersion recorded) on bad or short input.
RwBool _rwD3D8NativeTextureReadHeader(RwStream* stream, RwUInt32 chunkLength, RwD3D8NativeTextureHeader* header,
                                      RwUInt32* structLength);
// Layout of a stored level; false for a level the header cannot have.
RwBool _rwD3D8NativeLevelLayout(const RwD3D8NativeTextureHeader* header, RwInt32 level,
                                RwD3D8NativeLevelLayout* layout);
// Palette bytes that follow the fixed part: 128 (PAL4), 1024 (PAL8) or 0.
RwUInt32 _rwD3D8NativePaletteBytes(RwUInt32 rasterFormat);
// The FOURCC of a compression number 1..5, 0 otherwise; and back.
RwUInt32 _rwD3D8NativeCompressionFormat(RwInt32 compression);
RwInt32 _rwD3D8NativeCompressionOf(RwUInt32 d3dFormat);

// Standard functions 25 (size), 26 (read) and 27 (write).
RwBool RwD3D8NativeTextureGetSize(void* size, void* texture, RwInt32 unused);
RwBool RwD3D8NativeTextureRead(void* stream, void* texture, RwInt32 chunkLength);
RwBool RwD3D8NativeTextureWrite(void* stream, void* texture, RwInt32 nativeSize);
// Puts the three functions into a standard-function table of count slots.
void RwD3D8NativeTextureStandardFunctionsInstall(RwStandardFunc* table, RwInt32 count);

// Whether a texture whose stored format the device refuses is converted to
// one it holds (on) or fails to load (off). On by default.
RwBool RwD3D8NativeTextureSetConversion(RwBool enable);
RwBool RwD3D8NativeTextureGetConversion(void);
