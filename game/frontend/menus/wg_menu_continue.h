// The list of used save profiles: CONTINUE resumes the chosen one at its
// level; DELETE_MENU, when a new game finds every slot used, marks the
// chosen one to be overwritten. DELETE_WINDOW asks what to do then.
#pragma once

#include "game/frontend/menus/wg_menu.h"
#include "game/frontend/menus/wg_menu_window.h"
#include "game/frontend/save/save_profiles.h"

class cScreen_MainMenu;

constexpr f32 kSlotTextSize = 23.0f;
constexpr RwRGBA kSlotSelectedColour = {255, 0, 0, 255};
constexpr RwRGBA kSlotColour = {255, 255, 255, 255};

// "Name, <level>, <difficulty>, <percent>%, <minutes>:<seconds> " of a used
// slot (the percent of 9 levels, 10 while hard is chosen), empty for a free
// one; the level and difficulty words from the group "text" (LEVEL_ITEMnn,
// DIFFICULTY_ITEMnn), fatal when missing.
cString ProfileLine(const cPropertyFile* texts, const tProfileSlot& slot, u32 hard);

class cWgMenu_Continue : public cWgMenu_Menu {
 public:
  explicit cWgMenu_Continue(cScreen_MainMenu* owner);
  ~cWgMenu_Continue() override;

  // Base handling; false.
  bool OnEvent(const tEvent* event) override;
  // The slot's profile made current, its difficulty chosen, its level
  // started.
  void OnSelect(u32 slot) override;
  void OnBack() override;
  // Around the used slots, wrapping; nothing while none is used.
  void Next() override;
  void Prev() override;
  void Layout() override;
  void Hide() override;
  void Show() override;
  // The slot's line red, the previous one white.
  void SetCurrent(u32 slot) override;

  // The ten lines made and filled, slot 0 selected.
  void InitItems();
  // The line of slot i filled from the profiles.
  void ConstInit(u32 slot);
  cWgText* GetLine(u32 slot) const { return mLines[slot]; }

 protected:
  cWgMenu_Continue(cScreen_MainMenu* owner, const char* name);

  cWgText* mLines[kProfileSlotCount];  // owned
  cScreen_MainMenu* mScreen;
};

// The same list for picking the profile a new one replaces.
class cWgMenu_Delete : public cWgMenu_Continue {
 public:
  explicit cWgMenu_Delete(cScreen_MainMenu* owner);
  ~cWgMenu_Delete() override;

  // Base handling; it stands over the name entry, so keys and pad stop
  // here (true), even when they hid it. Ticks go on (false).
  bool OnEvent(const tEvent* event) override;

  // The slot marked for overwriting and made current, the new game asked
  // for; the list hides itself.
  void OnSelect(u32 slot) override;
  // Back to MAIN, the list hidden.
  void OnBack() override;
};

// Cancel, choose a profile to replace, or play without a profile.
class cWgMenu_DeleteWindow : public cWgMenu_Window {
 public:
  explicit cWgMenu_DeleteWindow(cScreen_MainMenu* owner);
  ~cWgMenu_DeleteWindow() override;

  void OnSelect(u32 item) override;

 private:
  cScreen_MainMenu* mScreen;
};
