// Fuzz target for the level's lightmap files: any bytes as one map's bitmap,
// decoded into the level's lightmap record and sampled across the map.
#include <cstdint>
#include <cstdlib>

#include "game/foundation/fatal_error.h"
#include "game/world/lightmap_bitmap.h"

// The decoder has no fatal path: reaching one is a finding.
u32 gFatalErrorFlag = 0;

void FatalError(const char*, ...) { abort(); }

void DebugTrace(const char*, ...) {}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  if (size > (1u << 20)) {
    return 0;
  }
  cLightmap lightmap;
  DecodeLightmapBitmap(bytes, static_cast<u32>(size), &lightmap, 0);
  u8 colour[3];
  for (f32 x = -2.0f; x < 70000.0f; x = x * 2.0f + 3.0f) {
    lightmap.Sample(colour, 0, x, x * 0.5f);
  }
  return 0;
}
