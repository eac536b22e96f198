// The HUD's decorative pieces: the corner frames, the bars along the top
// and bottom edges, and the backdrop under the HUD map. Each has a visible
// flag (set at construction) and draws nothing while it is clear.
#pragma once

#include "game/frontend/hud/hud_widget.h"

// A frame piece made of up to three fixed textured sprites.
class cWgHudFramePiece : public cWgHudWidget {
 public:
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  bool IsVisible() const { return mVisible != 0; }
  void Render() override;
  u32 GetSpriteCount() const { return mCount; }
  const cSprite2D& GetSprite(u32 index) const { return mSprites[index]; }

  // Size, corner position, texture, and whether the texture is mirrored
  // both ways.
  struct tPiece {
    f32 width;
    f32 height;
    f32 x;
    f32 y;
    const char* texture;
    u8 mirrored;
  };

 protected:
  cWgHudFramePiece(const tWgPlacement& placement, const tPiece* pieces, u32 count);

  static constexpr u32 kMaxPieces = 3;
  cSprite2D mSprites[kMaxPieces];
  u32 mCount;
  u8 mVisible;
};

// Bottom-left corner.
class cWgHudFrameBa : public cWgHudFramePiece {
 public:
  explicit cWgHudFrameBa(const tWgPlacement& placement);
};

// Top-left corner.
class cWgHudFrameBf : public cWgHudFramePiece {
 public:
  explicit cWgHudFrameBf(const tWgPlacement& placement);
};

// Bottom-right corner.
class cWgHudFrameJa : public cWgHudFramePiece {
 public:
  explicit cWgHudFrameJa(const tWgPlacement& placement);
};

// The two thin bars along the top and bottom edges of the screen, placed
// from the widget's pixel size at each render.
class cWgHudFrameKot : public cWgHudWidget {
 public:
  explicit cWgHudFrameKot(const tWgPlacement& placement);
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  void Render() override;
  const cSprite2D& GetSprite(u32 index) const { return mSprites[index]; }

 private:
  cSprite2D mSprites[2];
  u8 mVisible;
};

// An untextured square in the backdrop colour under the HUD map.
class cWgHudBackdrop : public cWgHudWidget {
 public:
  explicit cWgHudBackdrop(const tWgPlacement& placement);
  void SetVisible(bool visible) { mVisible = visible ? 1 : 0; }
  void Render() override;

 private:
  cSprite2D mSprite;
  u8 mVisible;
};
