// The options menu: language, brightness, sound volume, music and axis
// inversion, changed in place with left and right (the two numbers repeat
// while held) and written straight into the options. One lives in the main
// menu screen, which stores the options when it is left; one in the pause
// menu of a level, where the language cannot be changed.
#pragma once

#include "game/foundation/string.h"
#include "game/frontend/flow/game_phases.h"
#include "game/frontend/menus/wg_menu.h"

enum eOptionItem : u32 {
  kOptionLanguage = 0,
  kOptionBrightness = 1,
  kOptionVolume = 2,
  kOptionMusic = 3,
  kOptionAxisInversion = 4,
  kOptionItemCount = 5,
};

// A held left or right steps again every tenth of a second once it has been
// held this long.
constexpr f32 kOptionRepeatDelay = 0.5f;
constexpr f32 kOptionRepeatPeriod = 0.1f;

class cWgMenu_Options : public cWgMenu_Menu {
 public:
  // The main menu screen's instance.
  explicit cWgMenu_Options(cMainMenuPhase* mainMenu);
  // A level's instance: item 0 blank and disabled, the left-right footer;
  // its back returns to pauseMenu (when given) with its first item current.
  cWgMenu_Options(cScreen_Menu* inGame, cWgMenu_Menu* pauseMenu);
  ~cWgMenu_Options() override;

  // Ticks run the hold timers; left and right step the current item; then
  // the menu's own handling and the footer for the language item. False.
  bool OnEvent(const tEvent* event) override;
  // Only the main menu's language item: the language choice.
  void OnSelect(u32 item) override;
  // The main menu: back to MAIN and "save.dat" written. A level: back to the
  // pause menu.
  void OnBack() override;
  void Layout() override;

  void BrightnessUp();
  void BrightnessDown();
  void VolumeUp();
  void VolumeDown();
  void ToggleMusic();
  void ToggleAxisInversion();
  // The current item stepped on a press; a release stops its repeat.
  void StepLeft(bool pressed);
  void StepRight(bool pressed);
  // One press or release of left (up false) or right (up true).
  void Step(bool pressed, bool up);

  bool IsInGame() const { return mInGame != 0; }
  void SetPauseMenu(cWgMenu_Menu* pauseMenu) { mPauseMenu = pauseMenu; }

 private:
  void Build();
  void ShowBrightness();
  void ShowVolume();
  void ShowMusic();
  void ShowAxisInversion();
  void ShowFooter(const cString& text);
  // One hold timer advanced by seconds; true when it crossed a tenth past
  // the repeat delay.
  static bool RunTimer(f32* timer, f32 seconds);

  cScreen_Menu* mInGameScreen;
  cWgMenu_Menu* mPauseMenu;
  cMainMenuPhase* mMainMenu;
  cString mBrightnessLabel;
  cString mVolumeLabel;
  cString mAxisInversionLabel;
  cString mMusicLabel;
  cString mLeftRightFooter;
  cString mPlainFooter;
  cString mOnText;
  cString mOffText;
  f32 mBrightnessDownTimer;
  f32 mBrightnessUpTimer;
  f32 mVolumeDownTimer;
  f32 mVolumeUpTimer;
  u8 mInGame;
  u32 mLastTimeMs;
};
