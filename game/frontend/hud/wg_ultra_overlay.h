// The Ultra implant's trail: while on, each frame of the level is also
// captured into a small picture, and the last captures are drawn over the
// view, the newest opaque and the older ones translucent.
#pragma once

#include "game/frontend/hud/hud_widget.h"

constexpr u32 kUltraCaptureWidth = 256;
constexpr u32 kUltraCaptureHeight = 128;
constexpr s32 kUltraDefaultOverlays = 10;
constexpr s32 kUltraDefaultAlpha = 50;

class cWgUltraOverlay : public cWgHudWidget {
 public:
  // world is not owned. overlays: the captures kept (at least 1); alpha:
  // the older captures' alpha.
  cWgUltraOverlay(const tWgPlacement& placement, cHudWorld* world, s32 overlays = kUltraDefaultOverlays,
                  s32 alpha = kUltraDefaultAlpha);
  ~cWgUltraOverlay() override;

  void Enable() { mOn = 1; }
  // Off, and every capture freed.
  void Disable();
  bool IsEnabled() const { return mOn != 0; }
  // The oldest capture, when present, is freed; the others move down and
  // capture (owned from then on) becomes the newest.
  void PushCapture(cRenderTarget* capture);
  void Render() override;

  u32 GetCaptureCount() const { return mCount; }
  const cRenderTarget* GetCapture(u32 index) const { return mCaptures[index]; }

 private:
  // The oldest capture taken out of a full ring for reuse, else a new one;
  // null when none can be made.
  cRenderTarget* NextCaptureTarget();
  void DrawCapture(const cRenderTarget& capture, u8 alpha);

  u8 mOn;
  cHudWorld* mWorld;
  cRenderTarget** mCaptures;
  u32 mCount;
  cSprite2D mSprite;
  s32 mOverlays;
  s32 mAlpha;
};
