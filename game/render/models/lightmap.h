// The level's four top-down lightmaps (0 north, 1 south, 2 west, 3 east):
// 8-bit palettised images over the ground plane (world x and z) with one
// shared size and placement. The level loader fills them; objects, characters
// and shadows sample their colour from them.
#pragma once

#include <cstdint>

#include "game/foundation/types.h"

constexpr u32 kLightmapCount = 4;
// Entries of a map's palette. The bitmaps hold 255; index 255 stays black
// unless the loader fills it.
constexpr u32 kLightmapPaletteSize = 256;

struct tLightmapColour {
  u8 red;
  u8 green;
  u8 blue;
};

class cLightmap {
 public:
  cLightmap();
  ~cLightmap();

  cLightmap(const cLightmap&) = delete;
  cLightmap& operator=(const cLightmap&) = delete;

  // Gives map m a black palette and an index image of imageBytes zero bytes
  // (replacing what it held); false for a bad index or a failed allocation,
  // which leaves the map absent.
  bool AllocateMap(u32 map, u32 imageBytes);
  void FreeMap(u32 map);
  // Null while the map is absent.
  tLightmapColour* GetPalette(u32 map) const { return map < kLightmapCount ? mPalettes[map] : nullptr; }
  u8* GetImage(u32 map) const { return map < kLightmapCount ? mImages[map] : nullptr; }
  u32 GetImageSize(u32 map) const { return map < kLightmapCount ? mImageSizes[map] : 0; }

  // The bilinear colour of map m at the ground position; black for an absent
  // map. A position outside the maps takes the colour of texel (0, 0).
  void Sample(u8 colour[3], u32 map, f32 x, f32 z) const;

  void SetSize(u32 width, u32 height) {
    mWidth = width;
    mHeight = height;
  }
  // Texels of the world origin within the maps.
  void SetOrigin(u32 x, u32 z) {
    mOriginX = x;
    mOriginZ = z;
  }
  // Texels per world unit.
  void SetScale(f32 scale) { mScale = scale; }
  void SetDirectionalLight(f32 addition, s32 angle) {
    mDirectionalAddition = addition;
    mDirectionalAngle = angle;
  }

  u32 GetOriginX() const { return mOriginX; }
  u32 GetOriginZ() const { return mOriginZ; }
  u32 GetWidth() const { return mWidth; }
  u32 GetHeight() const { return mHeight; }
  f32 GetScale() const { return mScale; }
  f32 GetDirectionalAddition() const { return mDirectionalAddition; }
  s32 GetDirectionalAngle() const { return mDirectionalAngle; }

 private:
  // Palette colour of texel (i, j): image byte (height - 1 - j) x width + i,
  // the images keeping the bitmap's bottom-up rows, so that row 0 is the
  // picture's top row. Black beyond the map's own image.
  const tLightmapColour& Texel(u32 map, int64_t i, int64_t j) const;

  tLightmapColour* mPalettes[kLightmapCount];
  u8* mImages[kLightmapCount];
  u32 mImageSizes[kLightmapCount];  // bytes; a map may be smaller than the shared size
  u32 mWidth;
  u32 mHeight;
  u32 mOriginX;
  u32 mOriginZ;
  f32 mScale;
  f32 mDirectionalAddition;
  s32 mDirectionalAngle;
};
