// Screen text: one font of the engine's 2D toolkit with its brush, drawn at
// a point or word-wrapped in a box, in pixels with the origin at the
// top-left of the camera's raster.
#pragma once

#include "engine/engine.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"

class cCamera;

// Bytes of the text buffer that boxed texts are copied into (longer texts
// get a buffer of their own).
constexpr u32 kFontTextBufferSize = 1024;

enum eTextAlignment : u32 {
  kTextAlignLeft = 0,
  kTextAlignCentre = 1,
};

class cFont {
 public:
  cFont();
  ~cFont();

  cFont(const cFont&) = delete;
  cFont& operator=(const cFont&) = delete;

  // Reads the font name from the folder (a game path), sets its character
  // gap and makes an opaque white brush; false when the font cannot be read.
  bool Load(const char* folder, const char* name, f32 characterGap);
  // Destroys the brush and the font.
  void Release();

  // Draws text from point {x, y} in pixels (the baseline's start) through
  // the camera in update; a height of 0 is the font's natural height.
  void RenderString(cCamera* camera, const char* text, const RwV2d& point, f32 height);
  // Word-wraps text into the box {x, y, w, h} in pixels, from its top.
  void RenderInBox(cCamera* camera, const char* text, const RwRect& box, u32 alignment, f32 height);
  // The lines text takes when wrapped at width pixels at the natural height,
  // measured on the screen stack's target.
  u32 CountWrappedLines(cCamera* camera, const cString& text, f32 width);

  // The brush's four corners.
  void SetColour(const RwRGBA& colour);

  Rt2dFont* GetFont() const { return mFont; }
  bool IsLoaded() const { return mFont != nullptr; }

 private:
  // Points the toolkit at the camera's raster in pixels and saves the
  // states that drawing changes; false without a font or raster.
  bool BeginDraw(cCamera* camera);
  void EndDraw();
  f32 HeightOrNatural(f32 height);

  RwInt32 mSavedZTest;
  RwInt32 mSavedZWrite;
  RwInt32 mSavedVertexAlpha;
  Rt2dFont* mFont;
  Rt2dBrush* mBrush;
  f32 mHeight;  // working height
  f32 mRasterHeight;
  char* mText;  // kFontTextBufferSize bytes
};
