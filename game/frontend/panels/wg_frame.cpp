// cWgFrame: construction, opening and closing on the in-game screen, the
// digits, breathing and wobbling, and drawing.
#include "game/frontend/panels/wg_frame.h"

#include <cmath>

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/panels/panel_host.h"

namespace {

constexpr char kFrameTag[] = "cWgFrame::cWgFrame";
const RwRGBA kDigitColour = {0, 255, 0, 100};
// The frame's geometry.
constexpr f32 kFrameX = 0.13125f;
constexpr f32 kFrameY = 0.24375f;
constexpr f32 kFrameWidth = 0.690625f;
constexpr f32 kFrameHeight = 0.49375f;
// The inner area of the tiles and digits, inside the frame.
constexpr f32 kInnerMarginX = 0.04f;
constexpr f32 kInnerMarginY = 0.05f;
constexpr u32 kTileColumns = 4;
constexpr u32 kTileRows = 6;
// The progress bar and the digits, in screen fractions at r = 1 (r: how
// much wider than 4:3 the screen is).
constexpr f32 kBarX = 0.14f;
constexpr f32 kBarY = 0.323f;
constexpr f32 kBarWidth = 0.625f;
constexpr f32 kBarHeight = 0.041f;
constexpr f32 kDigitsY = 0.27f;
constexpr f32 kDigitsHeight = 0.37f;
constexpr f32 kTitleFromBottom = 0.15f;
// The phase runs at 1/12 a second; the tiles' paths have amplitude 0.01.
constexpr f32 kPhaseRate = 1.0f / 12.0f;
constexpr f32 kWobble = 0.01f;

}  // namespace

f32 FrameScreenRatio() {
  if (gScreenStack == nullptr) {
    return 1.0f;
  }
  const tTargetSize size = gScreenStack->GetTarget().GetSize();
  if (size.width == 0 || size.height == 0) {
    return 1.0f;
  }
  return static_cast<f32>(size.width) * 480.0f / (static_cast<f32>(size.height) * 640.0f);
}

namespace {

cFont* ScreenFont(cScreen_Menu* screen) { return screen != nullptr ? screen->GetFont() : nullptr; }

// The title's text: the name's value in the group "text" of the screen's
// menu texts.
cString TitleText(cScreen_Menu* screen, const cString& name) {
  const cPropertyFile* texts = screen != nullptr ? screen->GetTexts() : nullptr;
  const cPropertyGroup* group = texts != nullptr ? texts->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kFrameTag, texts, kMenuTextGroup);
  }
  const cProperty* property = group->FindProperty(name);
  if (property == nullptr) {
    FatalPropertyNotFound(kFrameTag, group, name.CStr());
  }
  return property->GetValue();
}

void Detach(cTreeNode* node) {
  if (node->GetOwner() != nullptr) {
    node->GetOwner()->RemoveChild(node);
  } else {
    node->Unlink();
  }
}

}  // namespace

tWgPlacement FramePlacement() { return tWgPlacement::Fractions(kFrameX, kFrameY, kFrameWidth, kFrameHeight); }

tWgPlacement FrameBarPlacement(f32 r) {
  return tWgPlacement::Fractions(kBarX, 0.5f + kBarY * r, kBarWidth, kBarHeight * r);
}

tWgPlacement FrameTitlePlacement(const tWgPlacement& frame, f32 r) {
  // Width units to screen fractions: the screen is 4r/3 as wide as high.
  const f32 stretch = r * 4.0f / 3.0f;
  return tWgPlacement::Fractions(frame.x.fraction, 0.5f + (frame.y.fraction - 0.5f) * stretch, frame.width.fraction,
                                 frame.height.fraction * stretch);
}

tWgPlacement FrameDigitsPlacement(const tWgPlacement& frame, f32 r) {
  const f32 innerWidth = frame.width.fraction - 2.0f * kInnerMarginX;
  return tWgPlacement::Fractions(frame.x.fraction + kInnerMarginX + 3.0f * innerWidth / kTileColumns,
                                 0.5f - kDigitsY * r, innerWidth / kTileColumns, kDigitsHeight * r);
}

cWgFrame::cWgFrame(const cString& name, const tWgPlacement& frame, const tWgPlacement& placement)
    : tWgBorder(true),
      cWgWidget(placement),
      mGrowing(1),
      mBlinkBase{},
      mWobbleA{0.0f, 0.0f},
      mWobbleB{0.0f, 0.0f},
      mBorderPosition{frame.x.fraction, frame.y.fraction},
      mBorderSize{frame.width.fraction, frame.height.fraction},
      mBreathing{0.0f, 0.0f},
      mPhase(0.0f),
      mLayoutPending(1),
      mScreen(FindPanelScreen()),
      mTitle(ScreenFont(mScreen), FrameTitlePlacement(frame, FrameScreenRatio())),
      mSideText(nullptr),
      mProgressBar(FrameBarPlacement(FrameScreenRatio()), kFrameBarOverlay) {
  const f32 r = FrameScreenRatio();
  mProgressBar.SetProgress(0.0f, 0);
  mCamera.SetClipPlanes(kWidgetNearClip, kWidgetFarClip);
  SetSpriteRect(mBorderSprite, mBorderPosition.x, mBorderPosition.y, mBorderSize.width, mBorderSize.height);
  mBorderSprite.SetTexture(kFrameBorderTexture);
  const f32 tileWidth = (mBorderSize.width - 2.0f * kInnerMarginX) / kTileColumns;
  const f32 tileHeight = (mBorderSize.height - 2.0f * kInnerMarginY) / kTileRows;
  for (u32 i = 0; i < kFrameBlinkTiles; i++) {
    mBlinkBase[i] =
        RwV2d{mBorderPosition.x + kInnerMarginX, mBorderPosition.y + kInnerMarginY + static_cast<f32>(i) * tileHeight};
    for (cSprite2D* tile : {&mBlinkA[i], &mBlinkB[i]}) {
      SetSpriteRect(*tile, mBlinkBase[i].x, mBlinkBase[i].y, tileWidth, tileHeight);
      tile->SetTexture(kFrameBlinkTexture);
    }
  }
  mSideText = new cWgText(ScreenFont(mScreen), FrameDigitsPlacement(frame, r));
  ScrambleDigits();
  mSideText->SetTextHeight(kFrameTextSize);
  mSideText->SetColour(kDigitColour);
  mTitle.SetText(TitleText(mScreen, name));
  mTitle.SetTextHeight(kFrameTextSize);
}

cWgFrame::~cWgFrame() {
  Hide();
  delete mSideText;
}

void cWgFrame::Show() {
  if (mScreen == nullptr) {
    return;
  }
  for (cWgWidget* widget : {static_cast<cWgWidget*>(this), static_cast<cWgWidget*>(&mProgressBar),
                            static_cast<cWgWidget*>(&mTitle), static_cast<cWgWidget*>(mSideText)}) {
    mScreen->AddWidget(widget);
  }
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

void cWgFrame::Hide() {
  if (!IsShown()) {
    return;
  }
  Detach(mSideText);
  Detach(&mTitle);
  Detach(&mProgressBar);
  Detach(this);
}

void cWgFrame::ScrambleDigits() {
  char digits[kFrameDigitLines * (kFrameDigitColumns + 1) + 1];
  u32 at = 0;
  for (u32 line = 0; line < kFrameDigitLines; line++) {
    for (u32 column = 0; column < kFrameDigitColumns; column++) {
      digits[at++] = (RpRandomNext() & 1) != 0 ? '1' : '0';
    }
    digits[at++] = '\n';
  }
  digits[at] = '\0';
  mSideText->SetText(cString(digits));
}

bool cWgFrame::OnEvent(const tEvent* event) {
  if (event->type != kEventTick) {
    return false;
  }
  const f32 dt = event->tick.frameTime;
  ScrambleDigits();
  f32 d = mBreathing.x;
  if (mGrowing == 0) {
    d -= dt * kFrameBreathingRate;
    if (d < -kFrameBreathingLimit) {
      d = -kFrameBreathingLimit;
      mGrowing = 1;
    }
  } else {
    d += dt * kFrameBreathingRate;
    if (d > kFrameBreathingLimit) {
      d = kFrameBreathingLimit;
      mGrowing = 0;
    }
  }
  mBreathing = RwV2d{d, d};
  SetSpriteRect(mBorderSprite, mBorderPosition.x + d, mBorderPosition.y + d, mBorderSize.width - 2.0f * d,
                mBorderSize.height - 2.0f * d);
  mPhase += dt * kPhaseRate;
  mWobbleA = RwV2d{std::sin(3.0f * mPhase) * kWobble, std::cos(5.0f * mPhase) * kWobble};
  mWobbleB = RwV2d{std::cos(7.0f * mPhase) * kWobble, std::sin(3.0f * mPhase) * kWobble};
  for (u32 i = 0; i < kFrameBlinkTiles; i++) {
    mBlinkA[i].SetPosition(RwV2d{mBlinkBase[i].x + mWobbleA.x, mBlinkBase[i].y + mWobbleA.y}, 0);
    mBlinkB[i].SetPosition(RwV2d{mBlinkBase[i].x + mWobbleB.x, mBlinkBase[i].y + mWobbleB.y}, 0);
  }
  return false;
}

void cWgFrame::Render() {
  if (mLayoutPending != 0) {
    Layout();
    mLayoutPending = 0;
  }
  // The sprites are in width units (1.0 the target's width, its middle row
  // at half its height): the view window follows the target's shape, so
  // the frame keeps its shape on a screen that is not square and encloses
  // the bar, title and digits placed for it.
  if (mCamera.BeginUpdate(mTarget, kFrameFollowsTargetShape) == nullptr) {
    return;
  }
  tWgBorder::Render();
  mBorderSprite.Render();
  for (cSprite2D& tile : mBlinkB) {
    tile.Render();
  }
  for (cSprite2D& tile : mBlinkA) {
    tile.Render();
  }
  mCamera.EndUpdate();
}

void cWgFrame::Layout() {
  mTitle.SetPlacement(0.0f, kTitleFromBottom, 1, 0, 1, 1, 0);
  mSideText->SetPlacement(0.0f, 0.0f, 1, 0, 0, 0, 0);
}
