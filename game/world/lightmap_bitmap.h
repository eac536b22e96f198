// The level's lightmap files: 8-bit palettised bitmaps, of which the map
// takes the pixel-data offset, width and height, 255 palette entries and
// the index bytes as the file holds them (row padding included).
#pragma once

#include "game/foundation/types.h"
#include "game/render/models/lightmap.h"

constexpr u32 kLightmapFilePaletteEntries = 255;
constexpr u32 kLightmapFilePaletteOffset = 54;

// Map m of the lightmap from the bytes of a bitmap file; the shared size
// becomes the file's. Bytes the file lacks stay as allocated (black palette
// entries, index 0). An image larger than the whole file leaves the map
// absent and the size unchanged: false then.
bool DecodeLightmapBitmap(const u8* bytes, u32 size, cLightmap* lightmap, u32 map);
