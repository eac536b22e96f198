// Brushes: the corner colours and texture coordinates that strokes and text
// interpolate, and the vertex buffer both fill before handing it to
// immediate-mode 3D.
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/tool/2d/rt2d_internal.h"

namespace {

constexpr RwUInt32 kBrushesPerBlock = 8;
constexpr RwUInt32 kBrushAlignment = 16;
constexpr RwReal kDefaultHalfWidth = 0.5f;
constexpr RwUInt8 kOpaqueWhite = 255;

struct BrushModule {
  RwFreeList* pool;
  RwIm3DVertex* vertices;  // kRt2dVertexBufferSize of them
};

BrushModule gBrushes = {nullptr, nullptr};

// The corner's colour, or its difference from another corner.
void SetColour(Rt2dBrushCorner* corner, const RwRGBA* colour, const RwRGBA* from) {
  const RwRGBA zero = {0, 0, 0, 0};
  const RwRGBA& base = from != nullptr ? *from : zero;
  corner->red = static_cast<RwReal>(colour->red) - static_cast<RwReal>(base.red);
  corner->green = static_cast<RwReal>(colour->green) - static_cast<RwReal>(base.green);
  corner->blue = static_cast<RwReal>(colour->blue) - static_cast<RwReal>(base.blue);
  corner->alpha = static_cast<RwReal>(colour->alpha) - static_cast<RwReal>(base.alpha);
}

bool SameColour(const RwRGBA* a, const RwRGBA* b) {
  return a->red == b->red && a->green == b->green && a->blue == b->blue && a->alpha == b->alpha;
}

bool ColourZero(const Rt2dBrushCorner& c) {
  return c.red == 0.0f && c.green == 0.0f && c.blue == 0.0f && c.alpha == 0.0f;
}

// A channel at t, truncated and kept to 8 bits.
RwUInt32 Channel(RwReal start, RwReal delta, RwReal t) {
  return static_cast<RwUInt32>(static_cast<RwInt32>(start + delta * t)) & 0xFFu;
}

RwUInt32 Pack(RwUInt32 red, RwUInt32 green, RwUInt32 blue, RwUInt32 alpha) {
  return alpha << 24 | red << 16 | green << 8 | blue;
}

// Keeps t within the edge; a t that is not a number is the edge's start.
RwReal ClampT(RwReal t) {
  if (!(t >= 0.0f)) {
    return 0.0f;
  }
  return t > 1.0f ? 1.0f : t;
}

void ReleaseUsedBrush(void* entry, void*) {
  Rt2dBrush* brush = static_cast<Rt2dBrush*>(entry);
  if (brush->texture != nullptr) {
    RwTextureDestroy(brush->texture);
  }
}

}  // namespace

RwBool Rt2dBrushModuleOpen(void) {
  gBrushes.pool = RwFreeListCreateAndPreallocate(sizeof(Rt2dBrush), kBrushesPerBlock, kBrushAlignment, 1, nullptr);
  gBrushes.vertices =
      static_cast<RwIm3DVertex*>(RwMalloc(sizeof(RwIm3DVertex) * static_cast<size_t>(kRt2dVertexBufferSize)));
  return gBrushes.pool != nullptr && gBrushes.vertices != nullptr;
}

void Rt2dBrushModuleClose(void) {
  // Brushes still in use let go of their textures.
  if (gBrushes.pool != nullptr) {
    RwFreeListForAllUsed(gBrushes.pool, ReleaseUsedBrush, nullptr);
    RwFreeListDestroy(gBrushes.pool);
  }
  EngineFree(gBrushes.vertices);
  gBrushes = {nullptr, nullptr};
}

RwIm3DVertex* _rt2dBrushVertexBuffer(void) { return gBrushes.vertices; }

Rt2dBrush* Rt2dBrushCreate(void) {
  if (gBrushes.pool == nullptr) {
    return nullptr;
  }
  Rt2dBrush* brush = static_cast<Rt2dBrush*>(RwFreeListEntryAlloc(gBrushes.pool));
  if (brush == nullptr) {
    return nullptr;
  }
  std::memset(brush, 0, sizeof *brush);
  const RwRGBA white = {kOpaqueWhite, kOpaqueWhite, kOpaqueWhite, kOpaqueWhite};
  SetColour(&brush->top, &white, nullptr);
  SetColour(&brush->bottom, &white, nullptr);
  brush->lastColour = white;
  brush->halfWidth = kDefaultHalfWidth;
  brush->refCount = 1;
  return brush;
}

RwBool Rt2dBrushDestroy(Rt2dBrush* brush) {
  if (brush == nullptr) {
    return FALSE;
  }
  brush->refCount--;
  if (brush->refCount >= 1) {
    return FALSE;
  }
  if (brush->texture != nullptr) {
    RwTextureDestroy(brush->texture);
  }
  RwFreeListEntryFree(gBrushes.pool, brush);
  return TRUE;
}

Rt2dBrush* Rt2dBrushSetRGBA(Rt2dBrush* brush, const RwRGBA* corner0, const RwRGBA* corner1, const RwRGBA* corner2,
                            const RwRGBA* corner3) {
  SetColour(&brush->top, corner3, nullptr);
  SetColour(&brush->topDelta, corner2, corner3);
  SetColour(&brush->bottom, corner0, nullptr);
  SetColour(&brush->bottomDelta, corner1, corner0);
  brush->lastColour = *corner3;
  if (SameColour(corner0, corner3) && ColourZero(brush->topDelta) && ColourZero(brush->bottomDelta)) {
    brush->flags &= ~kRt2dBrushColoursVary;
  } else {
    brush->flags |= kRt2dBrushColoursVary;
  }
  return brush;
}

Rt2dBrush* Rt2dBrushSetUV(Rt2dBrush* brush, const RwV2d* corner0, const RwV2d* corner1, const RwV2d* corner2,
                          const RwV2d* corner3) {
  brush->top.u = corner3->x;
  brush->top.v = corner3->y;
  brush->topDelta.u = corner2->x - corner3->x;
  brush->topDelta.v = corner2->y - corner3->y;
  brush->bottom.u = corner0->x;
  brush->bottom.v = corner0->y;
  brush->bottomDelta.u = corner1->x - corner0->x;
  brush->bottomDelta.v = corner1->y - corner0->y;
  // Corner 0 is not compared with corner 3: a texture may run across the edges.
  if (brush->topDelta.u == 0.0f && brush->topDelta.v == 0.0f && brush->bottomDelta.u == 0.0f &&
      brush->bottomDelta.v == 0.0f) {
    brush->flags &= ~kRt2dBrushUVsVary;
  } else {
    brush->flags |= kRt2dBrushUVsVary;
  }
  return brush;
}

RwUInt32 _rt2dBrushColour(const Rt2dBrush* brush, RwBool topEdge, RwReal t) {
  if ((brush->flags & kRt2dBrushColoursVary) == 0) {
    const RwRGBA& c = brush->lastColour;
    return Pack(c.red, c.green, c.blue, c.alpha);
  }
  const Rt2dBrushCorner& start = topEdge ? brush->top : brush->bottom;
  const Rt2dBrushCorner& delta = topEdge ? brush->topDelta : brush->bottomDelta;
  t = ClampT(t);
  return Pack(Channel(start.red, delta.red, t), Channel(start.green, delta.green, t),
              Channel(start.blue, delta.blue, t), Channel(start.alpha, delta.alpha, t));
}

void _rt2dBrushUV(const Rt2dBrush* brush, RwBool topEdge, RwReal t, RwReal* u, RwReal* v) {
  const Rt2dBrushCorner& start = topEdge ? brush->top : brush->bottom;
  const Rt2dBrushCorner& delta = topEdge ? brush->topDelta : brush->bottomDelta;
  t = ClampT(t);
  *u = start.u + delta.u * t;
  *v = start.v + delta.v * t;
}
