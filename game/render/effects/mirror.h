// Planar mirrors: a model atomic whose material uses the texture "mirror".
// Before each frame every visible mirror renders the scene from the main
// camera reflected in its plane into a fresh texture raster, softens it and
// lends it to the mirror texture, so that the world pass draws the
// reflection on the mirror's surface; after the frame's layers the texture
// gets its own raster back and the frame's rasters are destroyed.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/render_target.h"

class cScene;

constexpr const char* kMirrorTextureName = "mirror";
constexpr f32 kMirrorPixelsPerUnit = 100.0f;
constexpr u32 kMirrorMaximumRasterSize = 2048;  // pixels a side

class cMirror {
 public:
  // Inert (and not listed) unless a material of the atomic's geometry has
  // the texture "mirror"; sizeShift halves the raster's sides shift - 1
  // times.
  cMirror(RpAtomic* atomic, s32 sizeShift);
  ~cMirror();

  cMirror(const cMirror&) = delete;
  cMirror& operator=(const cMirror&) = delete;

  // Before the main frame: the reflection seen from the main camera.
  void RenderReflection(cCamera* mainCamera);
  // After the main frame's layers: the texture's own raster back, the
  // frame's rasters destroyed.
  void ReleaseFrameRasters();

  RpAtomic* GetAtomic() const { return mAtomic; }
  RpMaterial* GetMaterial() const { return mMaterial; }
  tTargetSize GetPixelSize() const { return tTargetSize{mPixelWidth, mPixelHeight}; }
  tTargetSize GetRasterSize() const { return tTargetSize{mRasterWidth, mRasterHeight}; }
  u8 IsFirstFrame() const { return mFirstFrame; }
  cCamera& GetCamera() { return mCamera; }
  // The reflection of the frame under way; null between frames.
  RwRaster* GetReflection() const { return mTarget.GetColourRaster(); }

 private:
  void Setup(s32 sizeShift);
  bool IsVisible(RwCamera* mainCamera) const;
  void Soften();
  // The camera leaves the world it renders.
  void LeaveWorld();

  RwFrame* mFrame;  // the camera member's
  u32 mPixelWidth;
  u32 mPixelHeight;
  u32 mRasterWidth;
  u32 mRasterHeight;
  cRenderTarget mTarget;
  cCamera mCamera;
  u8 mFirstFrame;
  RwRaster* mSavedRaster;
  RwCamera* mBlurCamera;
  RwRaster* mBlurDepth;
  RwRaster* mWork[2];
  RpAtomic* mAtomic;
  RpMaterial* mMaterial;
  RwTexture* mTexture;
};

// The side of a reflection raster for a mirror side of pixels: its highest
// set bit, at most 2048, halved shift - 1 times (a shift of 1 or less keeps
// it), at least 1.
u32 MirrorRasterSide(u32 pixels, s32 sizeShift);

// Deletes every listed mirror of the atomic, leaving a null entry each.
void UnregisterMirror(RpAtomic* atomic);
// Level load: the scene whose render manager draws the reflections; the
// mirrors still listed are deleted and the list emptied.
void ResetMirrors(cScene* scene);
// Level teardown: deletes every listed mirror.
void DestroyMirrors();
// Frame step 2: each listed mirror renders its reflection.
void RenderMirrors(cCamera* mainCamera);
// Frame step 10.
void ReleaseMirrorRasters();
// Listed mirrors, null entries included.
u32 GetMirrorCount();
cMirror* GetMirror(u32 index);
