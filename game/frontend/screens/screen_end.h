// The screens after the last level: three pictures with the texts of the
// ending the player earned, then the credits scrolling over a picture. Each
// fades in and out with a fader of its own and leaves the stack black.
#pragma once

#include "game/app/screens/screen.h"
#include "game/foundation/property.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/scene/camera.h"
#include "game/render/text/font.h"
#include "game/render/text/sprite2d.h"

enum eEndState : u32 {
  kEndFadingIn = 0,
  kEndWaiting = 1,
  kEndFadingOut = 2,
};

constexpr u32 kEndPictureCount = 3;
constexpr u32 kEndTextCount = 6;
// The complete ending: this many levels counted, one more on hard.
constexpr u32 kEndCompleteCount = 9;
constexpr u32 kEndShortFade = 16;
constexpr u32 kEndLongFade = 128;
constexpr f32 kCreditLineSize = 32.0f;
// Of a line's size, per rendered frame.
constexpr f32 kCreditScrollStep = 0.06f;
constexpr RwRGBA kCreditHeadingColour = {0, 190, 255, 255};

// The text file a screen's property names: value + "_" + language code +
// ".txt"; fatal "No text file: %s" when it cannot be read.
void LoadScreenTexts(cPropertyFile* file, const cString& baseName);

class cScreen_End : public cScreen {
 public:
  // The texts of the file named by ENDTEXTS of group (fatal when missing);
  // the first picture fading in.
  explicit cScreen_End(const cPropertyGroup* group);
  ~cScreen_End() override;

  cScreen_End(const cScreen_End&) = delete;
  cScreen_End& operator=(const cScreen_End&) = delete;

  // Fade in, wait for a key, mouse or pad button, fade out; after the third
  // picture the black is held and the screen pops itself. False.
  bool OnEvent(const tEvent* event) override;
  void Render() override;

  // 3 for the complete ending (see kEndCompleteCount), else 0.
  static u32 EndingOffset();
  u32 GetState() const { return mState; }
  u32 GetPicture() const { return mPicture; }
  const cString& GetText(u32 index) const { return mTexts[index]; }
  cWgScreenFader* GetFader() const { return mFader; }

 private:
  cCamera mCamera;
  u32 mState;
  cWgScreenFader* mFader;  // owned, first child
  cSprite2D mPictures[kEndPictureCount];
  u32 mPicture;
  cFont mFont;
  cString mTexts[kEndTextCount];
};

class cScreen_Credits : public cScreen {
 public:
  // The lines of CREDITLIST in the file named by group's CREDITLIST (fatal
  // when missing), fading in.
  explicit cScreen_Credits(const cPropertyGroup* group);
  ~cScreen_Credits() override;

  cScreen_Credits(const cScreen_Credits&) = delete;
  cScreen_Credits& operator=(const cScreen_Credits&) = delete;

  // Scrolls until the last line left the top or a key, mouse or pad button,
  // then fades out for 128 frames, holds the black and pops. False.
  bool OnEvent(const tEvent* event) override;
  // The picture and the lines; one scroll step per call.
  void Render() override;

  u32 GetState() const { return mState; }
  f32 GetScroll() const { return mScroll; }
  bool IsDone() const { return mDone != 0; }
  u32 GetLineCount() const { return mLineCount; }
  const cString& GetLine(u32 index) const { return mLines[index]; }
  cWgScreenFader* GetFader() const { return mFader; }

 private:
  cCamera mCamera;
  u32 mState;
  cWgScreenFader* mFader;  // owned, first child
  cSprite2D mPicture;
  cFont mFont;
  f32 mLineSize;
  f32 mScroll;
  u8 mDone;
  cString* mLines;  // owned
  u32 mLineCount;
};

cScreen* MakeEndScreen(const cPropertyGroup* group);
cScreen* MakeCreditsScreen(const cPropertyGroup* group);
