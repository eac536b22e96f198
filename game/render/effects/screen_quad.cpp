// DrawScreenQuad.
#include "game/render/effects/screen_quad.h"

#include "engine/engine.h"

namespace {

constexpr RwUInt32 kOpaqueWhite = 0xFFFFFFFFu;

}  // namespace

bool DrawScreenQuad(f32 x0, f32 y0, f32 x1, f32 y1, f32 z, f32 rhw, f32 uvOffset) {
  const f32 o = uvOffset;
  RwIm2DVertex quad[4] = {{x0, y0, z, rhw, kOpaqueWhite, o, o},
                          {x0, y1, z, rhw, kOpaqueWhite, o, o + 1.0f},
                          {x1, y0, z, rhw, kOpaqueWhite, o + 1.0f, o},
                          {x1, y1, z, rhw, kOpaqueWhite, o + 1.0f, o + 1.0f}};
  return RwIm2DRenderPrimitive(kRwPrimTypeTriStrip, quad, 4) != FALSE;
}
