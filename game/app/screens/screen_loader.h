// The loading screen: runs one load step of its source per tick, shows the
// level picture, the level text and a progress bar that also follows the
// bytes read meanwhile, and leaves the stack one event after the source
// reports completion.
#pragma once

#include "engine/engine.h"
#include "game/app/loadable.h"
#include "game/app/screens/screen.h"
#include "game/foundation/string.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"

// Bytes a level load is expected to read, unless the owner sets another.
constexpr u32 kLoaderExpectedBytes = 60000000;
// Byte progress redraws the bar at most once per this fraction.
constexpr f32 kLoaderRedrawStep = 0.002f;
// The byte progress stops short of completion; only the source ends it.
constexpr f32 kLoaderByteProgressLimit = 0.99999f;
// A full bar repeats its texture this many times.
constexpr f32 kLoaderBarRepeats = 60.0f;

class cWgLoaderProgress : public cWgWidget {
 public:
  // overlay: the texture of a sprite drawn over the bar, or null.
  cWgLoaderProgress(const tWgPlacement& placement, const char* overlay);
  ~cWgLoaderProgress() override;

  // The bar covers min(fraction, 1) of the widget; tiled, its texture
  // repeats kLoaderBarRepeats times across a full bar.
  void SetProgress(f32 fraction, u8 tile);
  // Nothing while the bar is empty.
  void Render() override;

  const cSprite2D& GetBar() const { return mBar; }

 private:
  cSprite2D mBar;
  cSprite2D* mOverlay;
  cCamera mCamera;
  tTargetSize mLastSize;
};

class cScreen_Loader : public cScreen {
 public:
  // source may be null (the screen then takes no event); withText creates
  // the loader charset for the level text.
  cScreen_Loader(cLoadable* source, u8 withText);
  ~cScreen_Loader() override;

  // Progress, bytes and bar back to 0, the picture back to the default.
  void Reset();
  // Counts bytes read while loading; true when the bar moved (the caller
  // then renders the progress widget and presents twice).
  bool AddBytesRead(u32 bytes);

  bool OnEvent(const tEvent* event) override;
  void Render() override;

  void SetSource(cLoadable* source) { mSource = source; }
  void SetExpectedBytes(u32 bytes) { mExpectedBytes = bytes; }
  u32 GetExpectedBytes() const { return mExpectedBytes; }
  u32 GetBytesRead() const { return mBytesRead; }
  f32 GetProgress() const { return mProgress; }
  void SetLevelText(const cString& text) { mLevelText = text; }
  cSprite2D& GetPicture() { return mPicture; }
  cWgLoaderProgress& GetProgressWidget() { return mProgressWidget; }

 private:
  cLoadable* mSource;
  f32 mProgress;
  f32 mLastFraction;
  f32 mByteAccumulator;
  u32 mExpectedBytes;
  u32 mBytesRead;
  cSprite2D mPicture;
  cCamera mCamera;
  tTargetSize mLastSize;
  cString mLevelText;
  RtCharset* mCharset;
  cWgLoaderProgress mProgressWidget;
};
