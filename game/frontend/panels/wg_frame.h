// The framed pop-up panel shown over the running level while the player is
// busy with a device: a bordered window with a title from the menu texts, a
// column of wobbling highlight tiles, scrolling binary digits, a progress bar
// and a breathing border. It links itself into the running in-game screen's
// tree while it is open. The panel's target covers the screen; its sprites
// are in width units of it (1.0 the screen's width, the screen's middle row
// at 0.5), the bar, title and digits in screen fractions placed to match.
#pragma once

#include "game/app/screens/screen_loader.h"
#include "game/app/screens/widget.h"
#include "game/foundation/string.h"
#include "game/frontend/hud/wg_border.h"
#include "game/render/scene/camera.h"
#include "game/render/text/sprite2d.h"
#include "game/render/text/wg_text.h"

class cScreen_Menu;

constexpr u32 kFrameBlinkTiles = 4;
// The border breathes by this much on each side, at kFrameBreathingRate
// (fraction per second).
constexpr f32 kFrameBreathingLimit = 0.002f;
constexpr f32 kFrameBreathingRate = 1.0f / 160.0f;
constexpr u32 kFrameDigitLines = 20;
constexpr u32 kFrameDigitColumns = 9;
constexpr f32 kFrameTextSize = 40.0f;
constexpr char kFrameBorderTexture[] = "data/hack/panelBorder";
constexpr char kFrameBlinkTexture[] = "data/hack/panelBlink";
constexpr char kFrameBarOverlay[] = "data/hack/blue";
// The frame's camera updates keep no view window: it follows the target's
// shape, which makes the sprites' units width units.
constexpr u8 kFrameFollowsTargetShape = 0;

// The geometry of the frames of both panels, as fractions of the screen.
tWgPlacement FramePlacement();
// (screen width x 480) / (screen height x 640): 1 on a 4:3 screen (and
// without a screen stack).
f32 FrameScreenRatio();
// The progress bar and the digits' column of a frame on a screen of ratio r.
tWgPlacement FrameBarPlacement(f32 r);
tWgPlacement FrameDigitsPlacement(const tWgPlacement& frame, f32 r);
// The title's target: the frame's rectangle, given in width units, in
// screen fractions on a screen of ratio r.
tWgPlacement FrameTitlePlacement(const tWgPlacement& frame, f32 r);

class cWgFrame : public tWgBorder, public cWgWidget {
 public:
  // name: the key of the title in the in-game screen's menu texts (fatal
  // when it or the group "text" is missing); frame: the border's rectangle
  // in width units;
  // placement: the widget's own, the whole parent by default.
  cWgFrame(const cString& name, const tWgPlacement& frame, const tWgPlacement& placement = tWgPlacement());
  ~cWgFrame() override;

  cWgFrame(const cWgFrame&) = delete;
  cWgFrame& operator=(const cWgFrame&) = delete;

  // The panel, its bar, title and digits appended to the in-game screen's
  // children, then the stack's tree laid out again. Nothing without a
  // running in-game screen.
  void Show();
  // Unlinks the four again; nothing when the panel is not shown.
  void Hide();
  bool IsShown() const { return IsLinked(); }
  // 20 lines of 9 random binary digits into the side text.
  void ScrambleDigits();

  // Ticks animate the digits, the border and the tiles; never taken.
  bool OnEvent(const tEvent* event) override;
  // The border, the border sprite and both tile sets (the texts and the bar
  // draw themselves); the texts placed at the first render.
  void Render() override;
  // Places the title (centred, near the bottom of the frame) and the digits.
  virtual void Layout();
  using cWgWidget::Layout;

  cWgLoaderProgress& GetProgressBar() { return mProgressBar; }
  cWgText& GetTitle() { return mTitle; }
  cWgText* GetSideText() const { return mSideText; }
  f32 GetBreathingOffset() const { return mBreathing.x; }
  const cSprite2D& GetBorderSprite() const { return mBorderSprite; }
  const cSprite2D& GetBlinkTile(u32 set, u32 index) const { return set == 0 ? mBlinkA[index] : mBlinkB[index]; }

 protected:
  cCamera& GetCamera() { return mCamera; }
  cScreen_Menu* GetScreen() const { return mScreen; }

 private:
  u32 mGrowing;  // 0 shrinking, 1 growing
  cSprite2D mBorderSprite;
  cSprite2D mBlinkA[kFrameBlinkTiles];
  cSprite2D mBlinkB[kFrameBlinkTiles];
  RwV2d mBlinkBase[kFrameBlinkTiles];
  RwV2d mWobbleA;
  RwV2d mWobbleB;
  RwV2d mBorderPosition;
  tSpriteSize mBorderSize;
  RwV2d mBreathing;  // both always equal
  f32 mPhase;
  u8 mLayoutPending;
  cScreen_Menu* mScreen;  // not owned; the screen the panel opens on
  cWgText mTitle;
  cWgText* mSideText;  // owned
  cWgLoaderProgress mProgressBar;
  cCamera mCamera;
};
