// The copy raster, the screen quad, and the trail and overlay blends.
#include "game/render/effects/screen_effects.h"

#include <cstdio>

#include "game/render/colour.h"
#include "game/render/scene/render_state.h"

namespace {

constexpr RwUInt32 kTrailColour = 0xE6FFFFFFu;  // white at alpha 230
constexpr RwInt32 kQuadVertexCount = 4;
constexpr RwInt32 kQuadIndexCount = 6;
RwUInt16 sQuadIndices[kQuadIndexCount] = {0, 1, 2, 0, 2, 3};

struct tCopyState {
  RwRaster* raster = nullptr;
  RwIm2DVertex quad[kQuadVertexCount] = {};
  // The frame-buffer size the quad and the raster were made for.
  RwInt32 width = 0;
  RwInt32 height = 0;
  // The copy holds the frame finished just before the one being drawn.
  bool holdsLastFrame = false;
};

tCopyState sCopy;

// Texture coordinates address texel centres of a raster of rw x rh: the
// quad covers W x H pixels, each pixel centre on its own texel's centre.
void BuildQuad(RwCamera* camera, RwInt32 width, RwInt32 height, RwInt32 rasterWidth, RwInt32 rasterHeight) {
  const f32 w = static_cast<f32>(width);
  const f32 h = static_cast<f32>(height);
  const f32 rw = static_cast<f32>(rasterWidth);
  const f32 rh = static_cast<f32>(rasterHeight);
  const f32 z = RwIm2DGetNearScreenZ();
  const f32 recipZ = 1.0f / RwCameraGetNearClipPlane(camera);
  const f32 corners[kQuadVertexCount][2] = {{0.0f, 0.0f}, {0.0f, h}, {w, h}, {w, 0.0f}};
  for (RwInt32 i = 0; i < kQuadVertexCount; i++) {
    RwIm2DVertex& vertex = sCopy.quad[i];
    vertex.x = corners[i][0];
    vertex.y = corners[i][1];
    vertex.z = z;
    vertex.recipZ = recipZ;
    vertex.emissiveColor = kTrailColour;
    vertex.u = (corners[i][0] + 0.5f) / rw;
    vertex.v = (corners[i][1] + 0.5f) / rh;
  }
}

void DrawQuad(RwUInt32 colour, RwRaster* raster) {
  for (RwIm2DVertex& vertex : sCopy.quad) {
    vertex.emissiveColor = colour;
  }
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterNearest);
  SetRenderState(kRwRenderStateFogEnable, 0);
  SetRenderState(kRwRenderStateZTestEnable, 0);
  SetRenderState(kRwRenderStateZWriteEnable, 0);
  SetTextureRaster(raster);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 1);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcAlpha);
  RwIm2DRenderIndexedPrimitive(kRwPrimTypeTriList, sCopy.quad, kQuadVertexCount, sQuadIndices, kQuadIndexCount);
  SetRenderState(kRwRenderStateFogEnable, 0);
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateZWriteEnable, 1);
  SetTextureRaster(nullptr);
  SetRenderState(kRwRenderStateVertexAlphaEnable, 0);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcAlpha);
}

}  // namespace

bool CreateCopyRaster(RwCamera* camera) {
  DestroyCopyRaster();
  RwRaster* frameBuffer = RwCameraGetRaster(camera);
  const RwInt32 width = frameBuffer->width;
  const RwInt32 height = frameBuffer->height;
  sCopy.width = width;
  sCopy.height = height;
  const RwUInt32 format = (static_cast<RwUInt32>(frameBuffer->format) << 8) & rwRASTERFORMATPIXELFORMATMASK;
  sCopy.raster = RwRasterCreate(width, height, 0, rwRASTERTYPECAMERATEXTURE | format);
  BuildQuad(camera, width, height, width, height);
  // A device that rounds texture sizes to powers of two cannot hold the
  // frame unscaled, and the copy is an unscaled surface copy.
  if (sCopy.raster == nullptr || sCopy.raster->width != width || sCopy.raster->height != height ||
      !RefreshCopyRaster(camera)) {
    std::printf("Error creating raster\n");
    DestroyCopyRaster();
    return false;
  }
  return true;
}

bool RefreshCopyRaster(RwCamera* camera) {
  if (sCopy.raster == nullptr || RwRasterPushContext(sCopy.raster) == nullptr) {
    return false;
  }
  const bool copied = RwRasterRender(RwCameraGetRaster(camera), 0, 0) != nullptr;
  RwRasterPopContext();
  return copied;
}

void DrawTrailQuad(RwCamera* /*camera*/) { DrawQuad(kTrailColour, sCopy.raster); }

void DrawOverlayQuad(RwCamera* /*camera*/, const RwRGBA& colour) {
  DrawQuad(PackColour(colour.red, colour.green, colour.blue, colour.alpha), nullptr);
}

void DestroyCopyRaster() {
  if (sCopy.raster != nullptr) {
    RwRasterDestroy(sCopy.raster);
    sCopy.raster = nullptr;
  }
  sCopy.holdsLastFrame = false;
}

RwRaster* GetCopyRaster() { return sCopy.raster; }

void RenderScreenEffects(RwCamera* camera, tScreenEffects* effects) {
  if (effects->trail == 0) {
    sCopy.holdsLastFrame = false;
  }
  if (effects->trail == 0 && effects->overlay == 0) {
    return;
  }
  const RwRaster* frameBuffer = RwCameraGetRaster(camera);
  if (effects->trail != 0 && (frameBuffer->width != sCopy.width || frameBuffer->height != sCopy.height)) {
    // A screen-size change made a new frame buffer. The overlay takes no
    // copy: frames of two sizes (the view and a capture of it) both get it.
    effects->copyRasterReady = 0;
  }
  if (effects->copyRasterReady == 0) {
    sCopy.holdsLastFrame = CreateCopyRaster(camera);
    effects->copyRasterReady = 1;
    return;
  }
  if (effects->trail != 0) {
    if (sCopy.holdsLastFrame) {
      DrawTrailQuad(camera);
    }
    sCopy.holdsLastFrame = RefreshCopyRaster(camera);
  }
  if (effects->overlay != 0) {
    DrawOverlayQuad(camera, effects->overlayColour);
  }
}
