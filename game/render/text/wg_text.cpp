// cWgText, cWgLabel, cWgCounter and AverageSamples.
#include "game/render/text/wg_text.h"

#include <cmath>
#include <cstdio>

namespace {

constexpr RwRGBA kWhite = {255, 255, 255, 255};
constexpr u8 kKeepViewWindow = 1;
constexpr f32 kLabelBaseline = 13.0f;
constexpr double kMillisecondsPerSecond = 1000.0;
// "label: value" for any label the counters are given.
constexpr size_t kCounterTextSize = 128;

s32 RoundToInt(double value) { return static_cast<s32>(std::lround(value)); }

}  // namespace

cWgText::cWgText(cFont* font, const tWgPlacement& placement)
    : cWgWidget(placement),
      mFont(font),
      mX(0.0f),
      mY(0.0f),
      mCentred(0),
      mTextHeight(0.0f),
      mDefaultColour(kWhite),
      mColour(kWhite) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgText::~cWgText() { mTarget.Release(); }

void cWgText::SetPlacement(f32 x, f32 y, u8 relative, u8 fromRight, u8 fromBottom, u8 centred, u8 middle) {
  const tTargetSize size = mTarget.GetSize();
  const f32 width = static_cast<f32>(size.width);
  const f32 height = static_cast<f32>(size.height);
  mX = x;
  mY = y;
  if (relative) {
    mX = width * x;
    mY = height * y;
    mTextHeight = height * mTextHeight / kTextReferenceHeight;
  }
  if (centred) {
    mCentred = 1;
  }
  if (middle) {
    mY = (height + mTextHeight) / 2.0f + mY;
  }
  if (fromBottom) {
    mY = height - mY;
  }
  if (fromRight) {
    mX = width - mX;
  }
}

void cWgText::Render() {
  if (mText.IsEmpty() || mFont == nullptr) {
    return;
  }
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  const tTargetSize size = mTarget.GetSize();
  mFont->SetColour(mColour);
  const RwRect box = {mCentred ? 0 : RoundToInt(mX), RoundToInt(mY), static_cast<RwInt32>(size.width),
                      static_cast<RwInt32>(size.height)};
  mFont->RenderInBox(&mCamera, mText.CStr(), box, mCentred ? kTextAlignCentre : kTextAlignLeft, mTextHeight);
  mFont->SetColour(mDefaultColour);
  mCamera.EndUpdate();
}

cWgLabel::cWgLabel(const tWgPlacement& placement, cFont* font) : cWgWidget(placement), mFont(font) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgLabel::~cWgLabel() { mTarget.Release(); }

void cWgLabel::Render() {
  if (mFont == nullptr || mText.IsEmpty()) {
    return;
  }
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  mFont->RenderString(&mCamera, mText.CStr(), RwV2d{0.0f, kLabelBaseline}, 0.0f);
  mCamera.EndUpdate();
}

double AverageSamples(const tSampleSource* source) {
  if (source == nullptr || source->count == 0) {
    return 0.0;
  }
  uint64_t sum = 0;
  for (u32 i = 0; i < source->count; i++) {
    sum += source->samples[i];
  }
  return static_cast<double>(sum) / static_cast<double>(source->count);
}

cWgCounter::cWgCounter(const tWgPlacement& placement, const tSampleSource* source, cFont* font, const char* label,
                       u8 perSecond)
    : cWgWidget(placement), mSource(source), mFont(font), mLabel(label), mPerSecond(perSecond) {
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
}

cWgCounter::~cWgCounter() { mTarget.Release(); }

s32 cWgCounter::GetValue() const {
  const double average = AverageSamples(mSource);
  if (!mPerSecond) {
    return RoundToInt(average);
  }
  return average == 0.0 ? 0 : RoundToInt(kMillisecondsPerSecond / average);
}

void cWgCounter::Render() {
  if (mFont == nullptr) {
    return;
  }
  if (mCamera.BeginUpdate(mTarget, kKeepViewWindow) == nullptr) {
    return;
  }
  char text[kCounterTextSize];
  snprintf(text, sizeof text, "%s: %d", mLabel != nullptr ? mLabel : "", GetValue());
  const RwRect box = {0, 0, mRect.w, mRect.h};
  mFont->RenderInBox(&mCamera, text, box, kTextAlignLeft, 0.0f);
  mCamera.EndUpdate();
}
