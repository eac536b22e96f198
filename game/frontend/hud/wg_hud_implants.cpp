// cWgHudImplants: icons, bracket and name placed from the implant in hand.
#include "game/frontend/hud/wg_hud_implants.h"

#include <cmath>

#include "game/render/scene/render_state.h"

namespace {

constexpr f32 kIconSize = 0.0625f;
constexpr f32 kSelectedSize = 0.078125f;
constexpr f32 kPitch = 0.071875f;
constexpr f32 kAboveTop = 0.9375f;
constexpr f32 kBelowTop = 0.921875f;
constexpr f32 kCorner = 0.9609375f;
constexpr f32 kHalfSelected = 0.0390625f;
constexpr RwRGBA kUnavailable = {128, 128, 128, 128};
constexpr RwV2d kNamePoint = {38.0f, 312.0f};
constexpr const char* kSelectedTextures[2] = {"data/textures/implantsel3", "data/textures/implantsel4"};
enum eLine : u32 { kLineB = 0, kLineD, kLineC, kLineA, kLineE };

}  // namespace

cWgHudImplants::cWgHudImplants(const tWgPlacement& placement)
    : cWgHudWidget(placement),
      mPlayer(nullptr),
      mFont(nullptr),
      mIcons(new cSprite2D*[kHudImplantCount]),
      mIconCount(kHudImplantCount),
      mSelectedTexture(-1),
      mVisible(1) {
  char name[32];
  for (u32 i = 0; i < mIconCount; i++) {
    mIcons[i] = new cSprite2D(tSpriteSize{kIconSize, kIconSize});
    NameWithDigit(name, sizeof(name), kImplantIconTexture, i);
    mIcons[i]->SetTexture(name);
  }
  SetSpriteRect(mLines[kLineD], 0.1f, kCorner, 0.0125f, 0.003125f);
  SetSpriteRect(mLines[kLineE], 0.1125f, kBelowTop, 0.003125f, 0.078125f);
  for (cSprite2D& line : mLines) {
    SetSpriteColour(line, kHudBlue);
  }
}

cWgHudImplants::~cWgHudImplants() {
  for (u32 i = 0; i < mIconCount; i++) {
    delete mIcons[i];
  }
  delete[] mIcons;
}

void cWgHudImplants::SetOwner(const cHudPlayer* player, cFont* font) {
  mPlayer = player;
  mFont = font;
}

f32 cWgHudImplants::IconY(u32 index, u32 current) {
  return (index < current ? kAboveTop : kBelowTop) - kPitch * static_cast<f32>(index);
}

f32 cWgHudImplants::SelectedY(u32 current) { return kBelowTop - kPitch * static_cast<f32>(current); }

void cWgHudImplants::ChooseSelectedTexture(u32 current) {
  if (mSelectedTexture == static_cast<s32>(current)) {
    return;
  }
  mSelectedTexture = static_cast<s32>(current);
  char name[32];
  if (current == 3 || current == 4) {
    mSelected.SetTexture(kSelectedTextures[current - 3]);
  } else {
    NameWithDigit(name, sizeof(name), kImplantIconTexture, current);
    mSelected.SetTexture(name);
  }
}

void cWgHudImplants::DrawName(u32 current) {
  const RwInt32 filter = GetRenderState(kRwRenderStateTextureFilter);
  SetRenderState(kRwRenderStateTextureFilter, kRwFilterNearest);
  mFont->RenderString(&mCamera, kImplantNames[current], kNamePoint, 0.0f);
  SetRenderState(kRwRenderStateTextureFilter, filter);
}

void cWgHudImplants::Render() {
  if (!mVisible || mPlayer == nullptr) {
    return;
  }
  const u32 current = mPlayer->GetHudImplant();
  if (current >= mIconCount) {
    return;
  }
  const f32 y = SelectedY(current);
  for (u32 i = 0; i < mIconCount; i++) {
    SetSpriteRect(*mIcons[i], 0.0f, IconY(i, current), kIconSize, kIconSize);
  }
  SetSpriteRect(mLines[kLineA], 0.1f, y, 0.003125f, 0.078125f);
  SetSpriteRect(mLines[kLineB], 0.1f, y + kHalfSelected, 0.009375f, 0.003125f);
  SetSpriteRect(mLines[kLineC], 0.1125f, y + kHalfSelected, 0.003125f, std::fabs(kCorner - y - kHalfSelected));
  ChooseSelectedTexture(current);
  SetSpriteRect(mSelected, 0.0f, y, kSelectedSize, kSelectedSize);
  mSelected.ResetTexCoords();
  const bool available = mPlayer->IsHudImplantAvailable(current);
  SetSpriteColour(mSelected, available ? kHudWhite : kUnavailable);
  if (!BeginDraw()) {
    return;
  }
  for (u32 i = 0; i < mIconCount; i++) {
    if (i == current) {
      continue;
    }
    SetSpriteColour(*mIcons[i], mPlayer->IsHudImplantAvailable(i) ? kHudBlue : kHudDim);
    mIcons[i]->Render();
  }
  mSelected.Render();
  constexpr eLine kDrawOrder[] = {kLineA, kLineB, kLineC, kLineD, kLineE};
  for (eLine line : kDrawOrder) {
    mLines[line].Render();
  }
  if (mFont != nullptr) {
    mFont->SetColour(available ? kHudWhite : kUnavailable);
    DrawName(current);
  }
  EndDraw();
}
