// The loading screen and its progress bar.
#include "game/app/screens/screen_loader.h"

#include "game/app/app_events.h"
#include "game/app/screens/charset_print.h"
#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"

namespace {

constexpr char kLoaderPicture[] = "data/screens/level00";
constexpr char kLoaderBar[] = "data/screens/barpiece";
constexpr char kCharsetError[] = "Cannot create loader charset.";
constexpr RwRGBA kLoaderTextColour = {255, 0, 0, 255};
constexpr RwRGBA kLoaderTextBackground = {0, 0, 0, 0};
constexpr u8 kOverlayAlpha = 120;
constexpr u8 kBarTiled = 1;
constexpr u8 kKeepViewWindow = 1;

// The bar's place on the loading screen, in fractions of the screen.
tWgPlacement LoaderBarPlacement() { return tWgPlacement::Fractions(0.15f, 0.91f, 0.69f, 0.02f); }

bool SameSize(const tTargetSize& a, const tTargetSize& b) { return a.width == b.width && a.height == b.height; }

}  // namespace

cWgLoaderProgress::cWgLoaderProgress(const tWgPlacement& placement, const char* overlay)
    : cWgWidget(placement), mBar(kLoaderBar, tSpriteSize{0.0f, 1.0f}), mOverlay(nullptr), mLastSize{0, 0} {
  // The bar piece repeats across the bar.
  mBar.SetTextureAddressing(kRwTextureAddressWrap);
  if (overlay != nullptr) {
    mOverlay = new cSprite2D(overlay, tSpriteSize{1.0f, 1.0f});
    mOverlay->SetColour(255, 255, 255, kOverlayAlpha);
  }
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgLoaderProgress::~cWgLoaderProgress() { delete mOverlay; }

void cWgLoaderProgress::SetProgress(f32 fraction, u8 tile) {
  const f32 f = fraction < 1.0f ? fraction : 1.0f;
  mBar.SetSize(tSpriteSize{f, 1.0f});
  if (tile) {
    mBar.SetTexCoords(tTexCoord{0.0f, 0.0f}, tTexCoord{f * kLoaderBarRepeats, 1.0f});
  }
}

void cWgLoaderProgress::Render() {
  if (mBar.GetSizeRaw().width <= 0.0f) {
    return;
  }
  const tTargetSize size = mTarget.GetSize();
  if (!SameSize(size, mLastSize)) {
    mLastSize = size;
    mBar.UpdateVertices();
    if (mOverlay != nullptr) {
      mOverlay->UpdateVertices();
    }
  }
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mBar.Render();
  if (mOverlay != nullptr) {
    mOverlay->Render();
  }
  mCamera.EndUpdate();
}

cScreen_Loader::cScreen_Loader(cLoadable* source, u8 withText)
    : mSource(source),
      mProgress(0.0f),
      mLastFraction(0.0f),
      mByteAccumulator(0.0f),
      mExpectedBytes(kLoaderExpectedBytes),
      mBytesRead(0),
      mLastSize{0, 0},
      mCharset(nullptr),
      mProgressWidget(LoaderBarPlacement(), nullptr) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  if (withText) {
    mCharset = RtCharsetCreate(&kLoaderTextColour, &kLoaderTextBackground);
    if (mCharset == nullptr) {
      ShowStartupError(kCharsetError);
    }
  }
  AddWidget(&mProgressWidget);
  Reset();
}

cScreen_Loader::~cScreen_Loader() {
  RemoveChild(&mProgressWidget);
  if (mCharset != nullptr) {
    RtCharsetDestroy(mCharset);
  }
}

void cScreen_Loader::Reset() {
  mBytesRead = 0;
  mByteAccumulator = 0.0f;
  mProgress = 0.0f;
  mLastFraction = 0.0f;
  mProgressWidget.SetProgress(0.0f, kBarTiled);
  mPicture.SetTexture(kLoaderPicture);
}

bool cScreen_Loader::AddBytesRead(u32 bytes) {
  mBytesRead += bytes;
  if (mProgress >= 1.0f || mExpectedBytes == 0) {
    return false;
  }
  mByteAccumulator += static_cast<f32>(bytes) / static_cast<f32>(mExpectedBytes);
  if (mByteAccumulator <= kLoaderRedrawStep) {
    return false;
  }
  mProgress += mByteAccumulator;
  mByteAccumulator = 0.0f;
  if (mProgress <= 1.0f) {
    mProgressWidget.SetProgress(mProgress, kBarTiled);
    return true;
  }
  mProgress = kLoaderByteProgressLimit;
  return false;
}

bool cScreen_Loader::OnEvent(const tEvent* event) {
  if (mSource == nullptr) {
    return false;
  }
  if (mProgress >= 1.0f) {
    Render();
    if (gScreenStack != nullptr) {
      gScreenStack->Pop();
    }
    return true;
  }
  if (event->type != kEventTick) {
    return true;
  }
  const f32 fraction = mSource->Load();
  if (fraction >= 1.0f) {
    mProgress = 1.0f;
  } else if (mByteAccumulator == 0.0f && mProgress == mLastFraction) {
    mProgress = fraction;
    mLastFraction = fraction;
    mProgressWidget.SetProgress(fraction, kBarTiled);
  }
  if (gScreenStack != nullptr && gScreenStack->GetActiveScreen() != nullptr) {
    cWgNode::RenderTree(gScreenStack->GetActiveScreen());
    gScreenStack->Present();
  }
  return true;
}

void cScreen_Loader::Render() {
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  const tTargetSize size = mTarget.GetSize();
  if (!SameSize(size, mLastSize)) {
    mLastSize = size;
    mPicture.UpdateVertices();
  }
  mPicture.Render();
  if (!mLevelText.IsEmpty() && mCharset != nullptr) {
    PrintCharsetAligned(mCharset, mLevelText.CStr(), 0, 0, kCharsetAlignBottom);
  }
  mCamera.EndUpdate();
}
