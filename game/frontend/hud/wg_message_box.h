// Message boxes: a text that fades in and out, highlighted ("^"), numbered
// ("#1" to "#9", with a number icon in a framed box) or plain, in a framed
// box over a backdrop with optional prompt icons, or plain; and two-column
// pages with a side text.
#pragma once

#include "game/foundation/string.h"
#include "game/frontend/hud/hud_widget.h"
#include "game/render/text/font.h"

constexpr u32 kMessageNumberIcons = 3;
constexpr const char* kMessageNumberTexture = "data/textures/message0";
constexpr const char* kDialoguePromptTexture = "data/textures/txtdelicon";
// The top of the text box, in pixels of the widget.
constexpr s32 kMessageTop = 82;

enum eMessageKind : u32 {
  kMessagePlain = 0,
  kMessageHighlighted = 1,
  kMessageNumbered = 2,
};

// How a text reads: its kind, where its words start and the number icon it
// shows (-1 none).
struct tMessageKind {
  eMessageKind kind;
  u32 skip;
  s32 icon;
};

class cWgMessageBox : public cWgHudWidget {
 public:
  // promptIcon: the prompt icon's texture (framed boxes only), or null.
  cWgMessageBox(const tWgPlacement& placement, bool framed, const char* promptIcon);
  ~cWgMessageBox() override;

  void SetFont(cFont* font) { mFont = font; }
  // A non-empty text shows (fading in) with that many display lines (0 to
  // 2 give 3), flag showing the prompt icons; null hides a shown text,
  // dropping it at once when flag is set, else fading it out; an empty
  // text changes nothing.
  void SetMessage(const cString* text, s32 displayLines, bool flag);
  // The second column: non-empty shows, null hides, empty does nothing.
  void SetSideText(const cString* text);
  // The second column goes; the text stays as it is.
  void ClearSideText() { mSideText = cString(); }
  void Render() override;

  static tMessageKind ReadKind(const cString& text);

  const cString& GetText() const { return mText; }
  const cString& GetSideText() const { return mSideText; }
  bool IsShowing() const { return mShowing != 0; }
  s32 GetDisplayLines() const { return mDisplayLines; }
  u8 GetTextAlpha() const { return mTextColour.alpha; }
  u8 GetHighlightAlpha() const { return mHighlightColour.alpha; }
  // The backdrop's top in widget pixels at the last framed render.
  s32 GetBackdropTop() const { return mBackdropTop; }

 private:
  // One fade step of the alpha; true when a fade-out has ended.
  bool StepFade(u8* alpha);
  void DrawFrame(const tMessageKind& kind, s32 top);
  void RenderOneColumn();
  void RenderTwoColumns();

  u8 mFramed;
  cSprite2D* mBackdrop;
  cSprite2D** mNumberIcons;
  u32 mNumberIconCount;
  cSprite2D* mPrompt;
  cSprite2D* mSecondPrompt;
  cFont* mFont;
  cString mText;
  cString mSideText;
  s32 mDisplayLines;
  RwRGBA mBackdropColour;
  RwRGBA mTextColour;
  RwRGBA mHighlightColour;
  u8 mShowing;
  u8 mPrompting;
  s32 mBackdropTop;
  u8 mDrawing;  // the camera update of this render began
};
