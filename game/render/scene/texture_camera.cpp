// Texture cameras and the raster-to-raster quad.
#include "game/render/scene/texture_camera.h"

#include "game/render/scene/render_state.h"
#include "game/render/effects/screen_quad.h"

RwCamera* CreateTextureCamera(RwInt32 width, RwInt32 height, RwRaster** depth) {
  *depth = nullptr;
  RwCamera* camera = RwCameraCreate();
  if (camera == nullptr) {
    return nullptr;
  }
  RwCameraSetFrame(camera, RwFrameCreate());
  RwCameraSetProjection(camera, kRwCameraParallel);
  *depth = RwRasterCreate(width, height, 0, rwRASTERTYPEZBUFFER);
  RwCameraSetZRaster(camera, *depth);
  return camera;
}

void DestroyTextureCamera(RwCamera* camera, RwRaster* depth) {
  if (camera != nullptr) {
    RwFrame* frame = RwCameraGetFrame(camera);
    RwCameraSetFrame(camera, nullptr);
    if (frame != nullptr) {
      RwFrameDestroy(frame);
    }
    RwCameraSetRaster(camera, nullptr);
    RwCameraSetZRaster(camera, nullptr);
    RwCameraDestroy(camera);
  }
  if (depth != nullptr) {
    RwRasterDestroy(depth);
  }
}

void DrawRasterInto(RwCamera* camera, RwRaster* source, RwRaster* target, f32 uvOffset) {
  RwCameraSetRaster(camera, target);
  if (RwCameraBeginUpdate(camera) == nullptr) {
    RwCameraSetRaster(camera, nullptr);
    return;
  }
  SetRenderState(kRwRenderStateZTestEnable, 0);
  SetRenderState(kRwRenderStateSrcBlend, kBlendOne);
  SetRenderState(kRwRenderStateDestBlend, kBlendZero);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterLinear);
  SetTextureRaster(source);
  const f32 far = RwCameraGetFarClipPlane(camera);
  DrawScreenQuad(0.0f, 0.0f, static_cast<f32>(target->width), static_cast<f32>(target->height), RwIm2DGetFarScreenZ(),
                 1.0f / far, uvOffset);
  SetTextureRaster(nullptr);
  SetRenderState(kRwRenderStateZTestEnable, 1);
  SetRenderState(kRwRenderStateSrcBlend, kBlendSrcAlpha);
  SetRenderState(kRwRenderStateDestBlend, kBlendInvSrcAlpha);
  RwCameraEndUpdate(camera);
  RwCameraSetRaster(camera, nullptr);
}
