// tWgBorder: the background and six pieces built once.
#include "game/frontend/hud/wg_border.h"

#include "game/frontend/hud/hud_widget.h"

namespace {

struct tBorderRect {
  f32 width;
  f32 height;
  f32 x;
  f32 y;
};

constexpr tBorderRect kBackgroundRect = {0.690625f, 0.49375f, 0.13125f, 0.24375f};
constexpr tBorderRect kPieceRects[kBorderPieceCount] = {
    {0.4f, 0.1f, 0.11875f, 0.2f}, {0.4f, 0.1f, 0.51875f, 0.2f}, {0.1f, 0.4f, 0.81875f, 0.3f},
    {0.4f, 0.1f, 0.51875f, 0.7f}, {0.4f, 0.1f, 0.11875f, 0.7f}, {0.025f, 0.4f, 0.11875f, 0.3f},
};

}  // namespace

tWgBorder::tWgBorder(bool hackStyle)
    : background(new cSprite2D), pieces(new cSprite2D*[kBorderPieceCount]), count(kBorderPieceCount) {
  background->SetTexture(hackStyle ? kBorderPanelBackground : kBorderTabBackground);
  SetSpriteRect(*background, kBackgroundRect.x, kBackgroundRect.y, kBackgroundRect.width, kBackgroundRect.height);
  char name[32];
  for (u32 i = 0; i < count; i++) {
    pieces[i] = new cSprite2D;
    NameWithDigit(name, sizeof(name), kBorderPieceName, i + 1);
    pieces[i]->SetTexture(name);
    pieces[i]->SetTextureFilter(kHudFilterNearest);
    const tBorderRect& rect = kPieceRects[i];
    SetSpriteRect(*pieces[i], rect.x, rect.y, rect.width, rect.height);
  }
}

tWgBorder::~tWgBorder() {
  delete background;
  for (u32 i = 0; i < count; i++) {
    delete pieces[i];
  }
  delete[] pieces;
}

void tWgBorder::PlaceInWidthUnits(f32 w, f32 h) {
  SetSpriteRectInWidthUnits(*background, w, h, kBackgroundRect.x, kBackgroundRect.y, kBackgroundRect.width,
                            kBackgroundRect.height);
  for (u32 i = 0; i < count; i++) {
    const tBorderRect& rect = kPieceRects[i];
    SetSpriteRectInWidthUnits(*pieces[i], w, h, rect.x, rect.y, rect.width, rect.height);
  }
}

void tWgBorder::Render() {
  background->Render();
  for (u32 i = 0; i < count; i++) {
    pieces[i]->Render();
  }
}
