// cWgUltraOverlay: a ring of capture targets, the oldest reused for the
// newest once the ring is full.
#include "game/frontend/hud/wg_ultra_overlay.h"

cWgUltraOverlay::cWgUltraOverlay(const tWgPlacement& placement, cHudWorld* world, s32 overlays, s32 alpha)
    : cWgHudWidget(placement),
      mOn(0),
      mWorld(world),
      mCaptures(nullptr),
      mCount(0),
      mOverlays(overlays < 1 ? 1 : overlays),
      mAlpha(alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha)) {
  mCount = static_cast<u32>(mOverlays);
  mCaptures = new cRenderTarget*[mCount];
  for (u32 i = 0; i < mCount; i++) {
    mCaptures[i] = nullptr;
  }
  mSprite.SetColour(255, 255, 255, 10);
  SetSpriteRect(mSprite, 0.0f, 0.0f, 1.0f, 1.0f);
  mSprite.SetTextureFilter(kHudFilterLinear);
}

cWgUltraOverlay::~cWgUltraOverlay() {
  Disable();
  delete[] mCaptures;
}

void cWgUltraOverlay::Disable() {
  mOn = 0;
  for (u32 i = 0; i < mCount; i++) {
    delete mCaptures[i];  // releases its rasters
    mCaptures[i] = nullptr;
  }
  mSprite.SetOverrideRaster(nullptr, 0);
}

void cWgUltraOverlay::PushCapture(cRenderTarget* capture) {
  delete mCaptures[0];
  for (u32 i = 0; i + 1 < mCount; i++) {
    mCaptures[i] = mCaptures[i + 1];
  }
  mCaptures[mCount - 1] = capture;
}

cRenderTarget* cWgUltraOverlay::NextCaptureTarget() {
  if (mCaptures[0] != nullptr) {
    cRenderTarget* oldest = mCaptures[0];
    mCaptures[0] = nullptr;
    return oldest;
  }
  cRenderTarget* capture = new cRenderTarget;
  if (!capture->Create(tTargetSize{kUltraCaptureWidth, kUltraCaptureHeight})) {
    delete capture;
    return nullptr;
  }
  return capture;
}

void cWgUltraOverlay::DrawCapture(const cRenderTarget& capture, u8 alpha) {
  mSprite.SetColour(255, 255, 255, alpha);
  mSprite.SetOverrideRaster(capture.GetColourRaster(), 1);
  mSprite.SetTextureFilter(kHudFilterLinear);
  mSprite.ResetTexCoords();
  mSprite.Render();
}

void cWgUltraOverlay::Render() {
  if (!mOn) {
    return;
  }
  cRenderTarget* capture = NextCaptureTarget();
  if (capture == nullptr) {
    return;
  }
  if (mWorld != nullptr) {
    mWorld->RenderHudCapture(*capture);
  }
  PushCapture(capture);
  if (!BeginDraw()) {
    return;
  }
  DrawCapture(*mCaptures[mCount - 1], 255);
  for (u32 i = 0; i + 1 < mCount; i++) {
    if (mCaptures[i] != nullptr) {
      DrawCapture(*mCaptures[i], static_cast<u8>(mAlpha));
    }
  }
  mSprite.SetOverrideRaster(nullptr, 0);
  EndDraw();
}
