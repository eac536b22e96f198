// A 2D sprite: a textured, coloured quad placed in screen fractions (0 to 1
// across and down the target), anchored at its top-left corner or centre,
// rotated and scaled, drawn on the plane z = 1 of a widget camera whose 1 x 1
// view window makes that plane span the target.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tSpriteSize {
  f32 width;  // fractions of the target
  f32 height;
};

struct tTexCoord {
  f32 u;
  f32 v;
};

constexpr u32 kSpriteVertexCount = 4;

class cSprite2D {
 public:
  // 1 x 1 at (0, 0), untextured, white, anchored at its corner.
  cSprite2D();
  explicit cSprite2D(const tSpriteSize& size);
  cSprite2D(const char* texture, const tSpriteSize& size);
  ~cSprite2D();

  cSprite2D(const cSprite2D&) = delete;
  cSprite2D& operator=(const cSprite2D&) = delete;

  void SetPosition(const RwV2d& position, u8 centred);
  // The position as given; returns the centred flag.
  u8 GetPosition(RwV2d* position) const;
  void SetSize(const tSpriteSize& size);
  // Twice the size given (the stored form).
  tSpriteSize GetSizeRaw() const { return mSize; }
  void SetRotation(const f32* radians);
  const f32* GetRotation() const { return &mRotation; }
  void SetScale(f32 x, f32 y);
  // Rebuilds the vertices from position, size, rotation and scale.
  void UpdateVertices();

  void SetColour(u8 red, u8 green, u8 blue, u8 alpha);
  // One colour per vertex, in vertex order (top-left, bottom-left,
  // top-right, bottom-right), each {red, green, blue, alpha}.
  void SetCornerColours(const RwRGBA colours[kSpriteVertexCount]);
  void SetTexCoords(const tTexCoord& topLeft, const tTexCoord& bottomRight);
  void ResetTexCoords();

  // Reads the named texture without a mask, replacing the one held.
  void SetTexture(const char* name);
  void ReleaseTexture();
  RwTexture* GetTexture() const { return mTexture; }
  void SetTextureFilter(u32 filter) { mFilter = filter; }
  void SetTextureAddressing(u32 addressing) { mAddressing = addressing; }
  // Drawn instead of the texture's raster while the flag is set.
  void SetOverrideRaster(RwRaster* raster, u8 enabled) {
    mOverrideRaster = raster;
    mOverrideEnabled = enabled;
  }

  // Draws through the camera whose update the caller has begun. Leaves
  // vertex alpha on; the blend states are not touched.
  void Render();

  const RwIm3DVertex* GetVertices() const { return mVertices; }

 private:
  RwIm3DVertex mVertices[kSpriteVertexCount];
  RwV2d mPosition;    // twice the screen fraction
  tSpriteSize mSize;  // twice the fractions
  RwTexture* mTexture;
  u8 mCentred;
  f32 mRotation;  // radians
  f32 mScaleX;
  f32 mScaleY;
  u32 mFilter;      // render-state value, 2 linear
  u32 mAddressing;  // render-state value, 3 clamp
  u8 mOverrideEnabled;
  RwRaster* mOverrideRaster;
};
