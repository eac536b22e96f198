// The intro: three full-screen logos one after the other, then, at the first
// start (no language stored), the language menu. Building it reads
// "save.dat". It leaves the stack after the last logo or the language choice.
#pragma once

#include "game/frontend/menus/screen_menu.h"
#include "game/frontend/menus/wg_menu_language.h"
#include "game/frontend/screens/wg_logo.h"

constexpr u32 kIntroLogoCount = 3;
// Seconds each logo stands between its fades.
constexpr f32 kIntroLogoStandingTime = 2.0f;

class cScreen_Intro : public cScreen_Menu {
 public:
  // The first logo shown; the options and profiles read from "save.dat".
  cScreen_Intro();
  ~cScreen_Intro() override;

  // Ticks run the logos and the language menu's end; a key or pad press
  // hurries the current logo. False.
  bool OnEvent(const tEvent* event) override;

  // The logo of the index replaces the current one, first among the children.
  void ShowLogo(u32 index);
  void ShowLanguageMenu();

  u32 GetLogoIndex() const { return mLogoIndex; }
  cWgLogo* GetLogo() const { return mLogo; }
  cWgMenu_Language* GetLanguageMenu() const { return mLanguageMenu; }

 private:
  void OnTick();
  void HurryLogo();

  u32 mLogoIndex;                   // kIntroLogoCount once the logos are over
  cWgLogo* mLogo;                   // owned
  cWgMenu_Language* mLanguageMenu;  // owned; null until shown
};
