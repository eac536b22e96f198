// cWgTabPanel: the active tab drawn in its "be" picture.
#include "game/frontend/hud/wg_tab_panel.h"

namespace {

constexpr const char* kTabTextures[4] = {"data/textures/fula_be", "data/textures/fula_ki", "data/textures/fulb_be",
                                         "data/textures/fulb_ki"};
constexpr f32 kTabRows[4] = {0.2f, 0.2f, 0.4f, 0.4f};
constexpr f32 kTabX = 0.06875f;
constexpr f32 kTabWidth = 0.05f;
constexpr f32 kTabHeight = 0.2f;
constexpr s32 kTextBoxWidth = 512;

}  // namespace

cWgTabPanel::cWgTabPanel(const tWgPlacement& placement)
    : cWgHudWidget(placement),
      mInUse{nullptr, nullptr},
      mBorder(false),
      mOpen(0),
      mTab(kHudTabMap),
      mFont(nullptr),
      mText(nullptr),
      mPlacedWidth(0),
      mPlacedHeight(0) {
  for (u32 i = 0; i < 4; i++) {
    mTabs[i].SetTexture(kTabTextures[i]);
    mTabs[i].SetTextureFilter(kHudFilterNearest);
  }
}

void cWgTabPanel::SetText(cFont* font, const cString* text) {
  mFont = font;
  mText = text;
}

void cWgTabPanel::Render() {
  if (!mOpen) {
    return;
  }
  // The tabs and border are laid out in width units, so that the frame
  // keeps its shape on a screen that is not square and its bottom band
  // holds the main mission text.
  if (PixelWidth() != mPlacedWidth || PixelHeight() != mPlacedHeight) {
    mPlacedWidth = PixelWidth();
    mPlacedHeight = PixelHeight();
    for (u32 i = 0; i < 4; i++) {
      PlaceInWidthUnits(mTabs[i], kTabX, kTabRows[i], kTabWidth, kTabHeight);
    }
    mBorder.PlaceInWidthUnits(static_cast<f32>(mPlacedWidth), static_cast<f32>(mPlacedHeight));
  }
  mInUse[0] = &mTabs[mTab == kHudTabMissions ? 0 : 1];
  mInUse[1] = &mTabs[mTab == kHudTabMissions ? 3 : 2];
  if (!BeginDraw()) {
    return;
  }
  mInUse[0]->Render();
  mInUse[1]->Render();
  mBorder.Render();
  if (mFont != nullptr && mText != nullptr) {
    const s32 w = PixelWidth();
    const s32 h = PixelHeight();
    const RwRect box = {w / 2 - w * 228 / 640, h / 2 + w * 164 / 640 - 16, kTextBoxWidth, 1};
    mFont->RenderInBox(&mCamera, mText->CStr(), box, kTextAlignLeft, 0.0f);
  }
  EndDraw();
}
