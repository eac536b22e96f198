// Render targets: screen, texture and sub-rectangle rasters.
#include "game/render/scene/render_target.h"

tTargetSize cRenderTarget::GetSize() const {
  if (mColour == nullptr) {
    return tTargetSize{0, 0};
  }
  return tTargetSize{static_cast<u32>(mColour->width), static_cast<u32>(mColour->height)};
}

void cRenderTarget::Release() {
  if (mColour != nullptr) {
    RwRasterDestroy(mColour);
    mColour = nullptr;
  }
  if (mDepth != nullptr) {
    RwRasterDestroy(mDepth);
    mDepth = nullptr;
  }
}

bool cRenderTarget::CreateSized(const tTargetSize& size, RwUInt32 colourType) {
  Release();
  const RwInt32 width = static_cast<RwInt32>(size.width);
  const RwInt32 height = static_cast<RwInt32>(size.height);
  mColour = RwRasterCreate(width, height, 0, colourType);
  mDepth = RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER);
  return mColour != nullptr && mDepth != nullptr;
}

bool cRenderTarget::CreateScreen(const tTargetSize& size) { return CreateSized(size, rwRASTERTYPECAMERA); }

bool cRenderTarget::Create(const tTargetSize& size) { return CreateSized(size, rwRASTERTYPECAMERATEXTURE); }

RwRect ClipRectToParent(const RwRect& rect, s32 width, s32 height) {
  RwRect clipped = rect;
  if (clipped.x < 0) {
    clipped.w += clipped.x;
    clipped.x = 0;
  }
  if (clipped.y < 0) {
    clipped.h += clipped.y;
    clipped.y = 0;
  }
  if (clipped.x + clipped.w > width) {
    clipped.w = width - clipped.x;
  }
  if (clipped.y + clipped.h > height) {
    clipped.h = height - clipped.y;
  }
  // Wholly outside: an empty rectangle at the nearest edge inside.
  if (clipped.w < 0) {
    clipped.w = 0;
  }
  if (clipped.h < 0) {
    clipped.h = 0;
  }
  if (clipped.x > width) {
    clipped.x = width;
  }
  if (clipped.y > height) {
    clipped.y = height;
  }
  return clipped;
}

namespace {

RwRaster* CreateSubRaster(RwRaster* parent, RwUInt32 type, const RwRect& rect) {
  if (parent == nullptr) {
    return nullptr;
  }
  RwRaster* raster = RwRasterCreate(0, 0, 0, type | rwRASTERDONTALLOCATE);
  if (raster == nullptr) {
    return nullptr;
  }
  if (RwRasterSubRaster(raster, parent, &rect) == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  return raster;
}

}  // namespace

bool cRenderTarget::CreateSubTarget(const cRenderTarget& parent, const RwRect& rect) {
  Release();
  if (parent.mColour == nullptr) {
    return false;
  }
  const RwRect clipped = ClipRectToParent(rect, parent.mColour->width, parent.mColour->height);
  mColour = CreateSubRaster(parent.mColour, rwRASTERTYPECAMERA, clipped);
  mDepth = CreateSubRaster(parent.mDepth, rwRASTERTYPEZBUFFER, clipped);
  return mColour != nullptr;
}
