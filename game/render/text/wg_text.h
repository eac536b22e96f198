// Text widgets: a text element placed in absolute or relative coordinates
// with its own colour, a one-line label, and a counter showing the average
// of a sample buffer (or the rate it gives).
#pragma once

#include "game/app/screens/widget.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/render/scene/camera.h"
#include "game/render/text/font.h"

// Text sizes are given for a 480-pixel-high screen.
constexpr f32 kTextReferenceHeight = 480.0f;

class cWgText : public cWgWidget {
 public:
  // font is not owned.
  cWgText(cFont* font, const tWgPlacement& placement);
  ~cWgText() override;

  // Positions the text in the widget's target (W x H): relative takes x and
  // y as fractions and scales the text height by H / 480; centred centres
  // it across the whole target; middle puts y below the vertical middle;
  // from bottom and from right measure from those edges.
  void SetPlacement(f32 x, f32 y, u8 relative, u8 fromRight, u8 fromBottom, u8 centred, u8 middle);
  void SetText(const cString& text) { mText = text; }
  const cString& GetText() const { return mText; }
  // 0: the font's natural height.
  void SetTextHeight(f32 height) { mTextHeight = height; }
  f32 GetTextHeight() const { return mTextHeight; }
  void SetColour(const RwRGBA& colour) { mColour = colour; }
  void SetFont(cFont* font) { mFont = font; }
  f32 GetX() const { return mX; }
  f32 GetY() const { return mY; }
  bool IsCentred() const { return mCentred != 0; }

  // Nothing for an empty text; else the text in its colour, wrapped in the
  // target from (x, y).
  void Render() override;

 private:
  cCamera mCamera;
  cFont* mFont;
  cString mText;
  f32 mX;  // pixels
  f32 mY;
  u8 mCentred;
  f32 mTextHeight;
  RwRGBA mDefaultColour;
  RwRGBA mColour;
};

class cWgLabel : public cWgWidget {
 public:
  cWgLabel(const tWgPlacement& placement, cFont* font);
  ~cWgLabel() override;

  void SetText(const cString& text) { mText = text; }
  // One line at (0, 13) at the font's natural height.
  void Render() override;

 private:
  cCamera mCamera;
  cFont* mFont;
  cString mText;
};

// A buffer of samples the counter averages (milliseconds for frame times).
struct tSampleSource {
  u32 count;
  const u32* samples;
};

// The sum of the samples over their count, both unsigned; 0 without samples.
double AverageSamples(const tSampleSource* source);

class cWgCounter : public cWgWidget {
 public:
  // perSecond shows 1000 / average (a rate from milliseconds).
  cWgCounter(const tWgPlacement& placement, const tSampleSource* source, cFont* font, const char* label, u8 perSecond);
  ~cWgCounter() override;

  // The value shown: the rounded average, or with the per-second flag the
  // rounded 1000 / average (0 for an average of 0).
  s32 GetValue() const;
  // "label: value" in the widget's own rectangle.
  void Render() override;

 private:
  const tSampleSource* mSource;
  cCamera mCamera;
  cFont* mFont;
  const char* mLabel;
  u8 mPerSecond;
};
