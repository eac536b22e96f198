// The HUD's frame pieces and backdrop.
#include "game/frontend/hud/wg_hud_frames.h"

namespace {

using tPiece = cWgHudFramePiece::tPiece;

constexpr tPiece kBaPieces[] = {{0.198f, 0.4f, 0.025f, 0.375f, "data/textures/ba1", 0},
                                {0.4f, 0.2f, 0.025f, 0.775f, "data/textures/ba2", 0}};
constexpr tPiece kBfPieces[] = {{0.4f, 0.2f, 0.025f, 0.025f, "data/textures/bf", 0},
                                {0.051f, 0.05f, 0.424f, 0.024f, "data/textures/kot1", 1}};
constexpr tPiece kJaPieces[] = {{0.2f, 0.05f, 0.775f, 0.725f, "data/textures/ja1", 0},
                                {0.2f, 0.2f, 0.775f, 0.775f, "data/textures/ja2", 0},
                                {0.05f, 0.05f, 0.725f, 0.925f, "data/textures/kot1", 0}};
constexpr const char* kBarTexture = "data/textures/kot2";

template <size_t N>
constexpr u32 CountOf(const tPiece (&)[N]) {
  return static_cast<u32>(N);
}

void Mirror(cSprite2D& sprite) { sprite.SetTexCoords(tTexCoord{1.0f, 1.0f}, tTexCoord{0.0f, 0.0f}); }

}  // namespace

cWgHudFramePiece::cWgHudFramePiece(const tWgPlacement& placement, const tPiece* pieces, u32 count)
    : cWgHudWidget(placement), mCount(count < kMaxPieces ? count : kMaxPieces), mVisible(1) {
  for (u32 i = 0; i < mCount; i++) {
    const tPiece& piece = pieces[i];
    mSprites[i].SetTexture(piece.texture);
    mSprites[i].SetTextureFilter(kHudFilterNearest);
    SetSpriteRect(mSprites[i], piece.x, piece.y, piece.width, piece.height);
    if (piece.mirrored) {
      Mirror(mSprites[i]);
    }
  }
}

void cWgHudFramePiece::Render() {
  if (!mVisible || !BeginDraw()) {
    return;
  }
  for (u32 i = 0; i < mCount; i++) {
    mSprites[i].Render();
  }
  EndDraw();
}

cWgHudFrameBa::cWgHudFrameBa(const tWgPlacement& placement)
    : cWgHudFramePiece(placement, kBaPieces, CountOf(kBaPieces)) {}

cWgHudFrameBf::cWgHudFrameBf(const tWgPlacement& placement)
    : cWgHudFramePiece(placement, kBfPieces, CountOf(kBfPieces)) {}

cWgHudFrameJa::cWgHudFrameJa(const tWgPlacement& placement)
    : cWgHudFramePiece(placement, kJaPieces, CountOf(kJaPieces)) {}

cWgHudFrameKot::cWgHudFrameKot(const tWgPlacement& placement) : cWgHudWidget(placement), mVisible(1) {
  for (cSprite2D& sprite : mSprites) {
    sprite.SetTexture(kBarTexture);
    sprite.SetTextureFilter(kHudFilterNearest);
  }
  Mirror(mSprites[0]);
}

void cWgHudFrameKot::Render() {
  if (!mVisible || !BeginDraw()) {
    return;
  }
  // In pixels: the top bar 7 pixels down from x 152 to 160 pixels before the
  // right edge, the bottom bar 12 pixels (scaled to 4:3) above the bottom
  // edge from x 135; both 6 pixels high.
  const f32 w = static_cast<f32>(PixelWidth());
  const f32 h = static_cast<f32>(PixelHeight());
  const f32 barHeight = 6.0f / h;
  SetSpriteRect(mSprites[0], 152.0f / w, 7.0f / h, (w - 312.0f) / w, barHeight);
  SetSpriteRect(mSprites[1], 135.0f / w, 1.0f - 12.0f * w / (h * h), (w - 223.0f) / w, barHeight);
  mSprites[0].Render();
  mSprites[1].Render();
  EndDraw();
}

cWgHudBackdrop::cWgHudBackdrop(const tWgPlacement& placement) : cWgHudWidget(placement), mVisible(1) {
  SetSpriteColour(mSprite, kHudBackdrop);
}

void cWgHudBackdrop::Render() {
  if (!mVisible || !BeginDraw()) {
    return;
  }
  mSprite.Render();
  EndDraw();
}
