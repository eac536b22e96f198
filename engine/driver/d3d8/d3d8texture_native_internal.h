// The native texture struct decoded and checked, shared by the reader and
// writer of native texture chunks.
#pragma once

#include "engine/driver/d3d8/d3d8texture_native.h"

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
