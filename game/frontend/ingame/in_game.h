// The screen of one running level. It owns the level world, draws the world
// under the HUD, opens the pause menu on Escape, the pad's start button or a
// long idle time, runs the death sequence and opens the death menu, and pops
// itself once the world has finished the level.
#pragma once

#include "game/frontend/flow/game_phases.h"
#include "game/frontend/ingame/in_game_renderer.h"
#include "game/frontend/save/game_options.h"
#include "game/world/qx_world.h"

class cWgMenu_Died;
class cWgMenu_Pause;

// Ten minutes without input open the pause menu.
constexpr u32 kIdlePauseMs = 600000;
// The death fade to black, in rendered frames.
constexpr u32 kDeathFadeFrames = 75;

class cInGame : public cLevelPhase {
 public:
  // The menu screen's base, then the world of the options' level over the
  // configuration (not owned); the idle timer starts now.
  cInGame(cPropertyFile* config, cGameOptions* options);
  // The menus (hidden first), the renderer, the world.
  ~cInGame() override;

  cInGame(const cInGame&) = delete;
  cInGame& operator=(const cInGame&) = delete;

  cLoadable* GetLoadable() override { return &mWorld; }
  // The renderer first, then the HUD widgets the world holds, the fader
  // last; widgets the world does not hold are skipped.
  void AttachHud() override;
  bool IsQuitRequested() const override { return mQuit != 0; }
  // The framed panels (searching, hacking) open on this screen's menu side.
  cScreen_Menu* GetMenuScreen() override { return this; }
  // Level end, idle timer, pause and death. False.
  bool OnEvent(const tEvent* event) override;

  // The level's activity stopped before a menu opens.
  void Suspend();
  // The menus made by the world's load; owned from here on.
  void SetMenus(cWgMenu_Pause* pause, cWgMenu_Died* died);
  void RequestQuit() { mQuit = 1; }

  cQXWorld& GetWorld() { return mWorld; }
  cInGameRenderer& GetRenderer() { return mRenderer; }
  cWgMenu_Pause* GetPauseMenu() const { return mPauseMenu; }
  cWgMenu_Died* GetDeathMenu() const { return mDeathMenu; }

 private:
  // Before the level's first frame, what play shows later drawn once (the
  // world's play preview): under the loading picture, which stays on the
  // screen until the first frame is presented, software GL compiles for it
  // then and not in the first seconds of play.
  void DrawPlayOnce();
  void RestartIdleTimer();
  bool IsPauseRequest(const tEvent* event) const;
  void OpenPauseMenu();
  // The death sequence: its start on the first event, the death menu once
  // the fade is done and game time runs.
  void HandleDeath();
  void OpenDeathMenu();
  void Link(cWgWidget* widget);

  cQXWorld mWorld;
  cInGameRenderer mRenderer;
  u32 mIdleStartMs;
  cWgMenu_Pause* mPauseMenu;  // owned
  cWgMenu_Died* mDeathMenu;   // owned
  u8 mQuit;
  u8 mPlayDrawn;
};

// The level's screen for the game flow.
cLevelPhase* MakeInGame(cPropertyFile* config, cGameOptions* options);
