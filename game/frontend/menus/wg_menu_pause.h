// The pause menu of a running level: resume, restart, the level's options
// menu and back to the main menu. Every item but the options ends the pause
// by undoing what the in-game screen did when it opened the menu.
#pragma once

#include "game/frontend/menus/wg_menu.h"

class cInGame;
class cWgMenu_Options;

enum ePauseItem : u32 {
  kPauseResume = 0,
  kPauseRestart = 1,
  kPauseOptions = 2,
  kPauseQuit = 3,
  kPauseItemCount = 4,
};

class cWgMenu_Pause : public cWgMenu_Menu {
 public:
  // Builds its options menu (the level's instance) too.
  explicit cWgMenu_Pause(cInGame* inGame);
  // The options menu first.
  ~cWgMenu_Pause() override;

  // Just before the menu is shown: the camera's brightness remembered, the
  // player's death-handled flag saved and then set.
  void Open();
  // The end of the pause: menu music off, the twin timer back on (with hit
  // flash), the world running, the player's dying flag cleared and its next
  // implant press skipped, a changed brightness applied, game time back.
  void Resume();
  void OnSelect(u32 item) override;
  // Escape and pad back do nothing here.
  void OnBack() override {}

  cWgMenu_Options* GetOptionsMenu() const { return mOptions; }
  // How often a changed brightness reached the game camera.
  u32 GetBrightnessApplications() const { return mBrightnessApplications; }

 private:
  // The game camera's brightness factor, which follows the options'
  // brightness (0..100) as a fraction.
  f32 CurrentBrightnessFactor() const;
  void ApplyBrightness();

  cInGame* mInGame;
  cWgMenu_Options* mOptions;  // owned
  u8 mSavedDeathHandled;
  f32 mBrightnessFactor;
  u32 mBrightnessApplications;
};
