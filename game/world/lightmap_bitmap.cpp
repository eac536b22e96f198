// DecodeLightmapBitmap: the fields of a lightmap bitmap, little-endian.
#include "game/world/lightmap_bitmap.h"

#include "game/foundation/fatal_error.h"

namespace {

constexpr u32 kPixelOffsetField = 10;
constexpr u32 kWidthField = 18;
constexpr u32 kHeightField = 22;
constexpr u32 kFilePaletteEntrySize = 4;  // blue, green, red, reserved

// The 16-bit field at offset; 0 for the bytes the file lacks.
u32 ReadU16(const u8* bytes, u32 size, u32 offset) {
  const u32 low = offset < size ? bytes[offset] : 0;
  const u32 high = offset + 1 < size ? bytes[offset + 1] : 0;
  return low | (high << 8);
}

}  // namespace

bool DecodeLightmapBitmap(const u8* bytes, u32 size, cLightmap* lightmap, u32 map) {
  const u32 pixels = ReadU16(bytes, size, kPixelOffsetField);
  const u32 width = ReadU16(bytes, size, kWidthField);
  const u32 height = ReadU16(bytes, size, kHeightField);
  const uint64_t imageBytes = static_cast<uint64_t>(width) * height;
  if (imageBytes > size) {
    DebugTrace("Map %d: %d x %d is larger than its file (%u bytes)\n", static_cast<int>(map), static_cast<int>(width),
               static_cast<int>(height), size);
    lightmap->FreeMap(map);
    return false;
  }
  lightmap->SetSize(width, height);
  DebugTrace("Map %d w = %d h = %d\n", static_cast<int>(map), static_cast<int>(width), static_cast<int>(height));
  if (!lightmap->AllocateMap(map, static_cast<u32>(imageBytes))) {
    return false;
  }
  tLightmapColour* palette = lightmap->GetPalette(map);
  for (u32 i = 0; i < kLightmapFilePaletteEntries; i++) {
    const u32 entry = kLightmapFilePaletteOffset + i * kFilePaletteEntrySize;
    if (entry + 3 > size) {
      break;
    }
    palette[i] = tLightmapColour{bytes[entry + 2], bytes[entry + 1], bytes[entry]};
  }
  u8* image = lightmap->GetImage(map);
  for (u32 i = 0; i < imageBytes && pixels + i < size; i++) {
    image[i] = bytes[pixels + i];
  }
  return true;
}
