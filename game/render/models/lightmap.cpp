// cLightmap: the four maps' storage and the bilinear sampling between texel
// centres.
#include "game/render/models/lightmap.h"

#include <cstdint>
#include <new>

#include "game/foundation/fatal_error.h"

namespace {

const tLightmapColour kBlack = {0, 0, 0};

// Towards zero, saturated; NaN gives the most negative value, which lies
// outside every map.
s32 Truncate(f32 t) {
  if (!(t > -2147483648.0f)) {
    return INT32_MIN;
  }
  if (t >= 2147483647.0f) {
    return INT32_MAX;
  }
  return static_cast<s32>(t);
}

// a and b mixed with b's weight w; exactly a when the two are equal, so a
// texel blended with itself keeps its colour whatever the weight.
f32 Blend(f32 a, f32 b, f32 w) { return a + (b - a) * w; }

// One channel of the texel, its neighbour across (same row), its neighbour
// along (same column) and the diagonal one, truncated to 0..255.
u8 BlendChannel(u8 own, u8 across, u8 along, u8 diagonal, f32 wx, f32 wz) {
  const f32 value = Blend(Blend(own, across, wx), Blend(along, diagonal, wx), wz);
  if (!(value > 0.0f)) {
    return 0;
  }
  return value >= 255.0f ? 255 : static_cast<u8>(value);
}

}  // namespace

cLightmap::cLightmap()
    : mPalettes{},
      mImages{},
      mImageSizes{},
      mWidth(0),
      mHeight(0),
      mOriginX(0),
      mOriginZ(0),
      mScale(0.0f),
      mDirectionalAddition(0.0f),
      mDirectionalAngle(0) {}

cLightmap::~cLightmap() {
  for (u32 map = 0; map < kLightmapCount; map++) {
    FreeMap(map);
  }
}

bool cLightmap::AllocateMap(u32 map, u32 imageBytes) {
  if (map >= kLightmapCount) {
    return false;
  }
  FreeMap(map);
  tLightmapColour* palette = new (std::nothrow) tLightmapColour[kLightmapPaletteSize]();
  u8* image = new (std::nothrow) u8[imageBytes == 0 ? 1 : imageBytes]();
  if (palette == nullptr || image == nullptr) {
    delete[] palette;
    delete[] image;
    return false;
  }
  mPalettes[map] = palette;
  mImages[map] = image;
  mImageSizes[map] = imageBytes;
  return true;
}

void cLightmap::FreeMap(u32 map) {
  if (map >= kLightmapCount) {
    return;
  }
  delete[] mPalettes[map];
  delete[] mImages[map];
  mPalettes[map] = nullptr;
  mImages[map] = nullptr;
  mImageSizes[map] = 0;
}

const tLightmapColour& cLightmap::Texel(u32 map, int64_t i, int64_t j) const {
  if (i < 0 || j < 0 || i >= mWidth || j >= mHeight) {
    return kBlack;
  }
  const uint64_t offset = static_cast<uint64_t>(mHeight - 1 - j) * mWidth + static_cast<uint64_t>(i);
  if (offset >= mImageSizes[map]) {
    return kBlack;
  }
  return mPalettes[map][mImages[map][offset]];
}

void cLightmap::Sample(u8 colour[3], u32 map, f32 x, f32 z) const {
  colour[0] = colour[1] = colour[2] = 0;
  if (map >= kLightmapCount || mImages[map] == nullptr) {
    return;
  }
  const f32 tx = x * mScale + static_cast<f32>(mOriginX);
  const f32 tz = z * mScale + static_cast<f32>(mOriginZ);
  s32 ix = Truncate(tx);
  s32 iz = Truncate(tz);
  // Fractions within texel (ix, iz); texel centres lie at 0.5.
  f32 fx = tx - static_cast<f32>(ix);
  f32 fz = tz - static_cast<f32>(iz);
  if (ix < 0 || iz < 0 || static_cast<u32>(ix) >= mWidth || static_cast<u32>(iz) >= mHeight) {
    DebugTrace("Out of lightmap(map %d width: %d, height: %d) x = %d y = %d\n", static_cast<int>(map),
               static_cast<int>(mWidth), static_cast<int>(mHeight), ix, iz);
    // The centre of texel (0, 0): fractions measured from a texel far away
    // would blend with weights beyond 0..1.
    ix = 0;
    iz = 0;
    fx = 0.5f;
    fz = 0.5f;
  }
  // The neighbour column and row lie on the side of the position's quadrant;
  // the weight of each neighbour is the distance from the texel's centre.
  const int64_t nx = fx < 0.5f ? int64_t{ix} - 1 : int64_t{ix} + 1;
  const int64_t nz = fz >= 0.5f ? int64_t{iz} + 1 : int64_t{iz} - 1;
  const f32 wx = fx < 0.5f ? 0.5f - fx : fx - 0.5f;
  const f32 wz = fz < 0.5f ? 0.5f - fz : fz - 0.5f;
  const bool columnOut = nx < 0 || nx >= mWidth;
  const bool rowOut = nz < 0 || nz >= mHeight;
  // A neighbour beyond an edge, and the diagonal one whenever either of its
  // lines is beyond an edge, is the texel itself.
  const tLightmapColour& own = Texel(map, ix, iz);
  const tLightmapColour& across = columnOut ? own : Texel(map, nx, iz);
  const tLightmapColour& along = rowOut ? own : Texel(map, ix, nz);
  const tLightmapColour& diagonal = columnOut || rowOut ? own : Texel(map, nx, nz);
  colour[0] = BlendChannel(own.red, across.red, along.red, diagonal.red, wx, wz);
  colour[1] = BlendChannel(own.green, across.green, along.green, diagonal.green, wx, wz);
  colour[2] = BlendChannel(own.blue, across.blue, along.blue, diagonal.blue, wx, wz);
}
