// The extras: the credits, the actors' and episodes' text pages, the concept
// pictures and two movies; all but the credits unlock level by level.
#pragma once

#include "game/frontend/extras/wg_menu_pages.h"
#include "game/frontend/menus/wg_menu.h"

class cScreen_MainMenu;

constexpr u32 kExtrasItemCount = 6;
constexpr u32 kActorsItemCount = 3;
constexpr u32 kEpisodesItemCount = 4;
constexpr char kInterviewMovie[] = "intervie";
constexpr char kStuntsMovie[] = "stunts";
constexpr RwRGBA kConceptFooterColour = {0, 0, 100, 255};

class cWgMenu_Extras : public cWgMenu_Menu {
 public:
  // Item k + 1 reads LOCKED and is disabled until level k + 1 is completed.
  explicit cWgMenu_Extras(cScreen_MainMenu* owner);
  ~cWgMenu_Extras() override;

  // The first tick back after the credits deletes them; then the menu's
  // own handling. False.
  bool OnEvent(const tEvent* event) override;
  // 0 the credits, 1 actors, 2 episodes, 3 concept pictures, 4 and 5 the
  // movies (the menu music stopped while they play).
  void OnSelect(u32 item) override;
  void OnBack() override;

  cWgMenuPages& GetConcept() { return mConcept; }
  cScreen* GetCredits() const { return mCredits; }

 private:
  void PlayExtraMovie(const char* name);

  cWgMenuPages mConcept;
  cScreen_MainMenu* mScreen;
  cScreen* mCredits;  // owned while pushed
};

// A menu whose items open text page viewers; back to the extras.
class cWgMenu_TextPages : public cWgMenu_Menu {
 public:
  cWgMenu_TextPages(cScreen_MainMenu* owner, const char* name, const char* const* viewers, u32 count);
  ~cWgMenu_TextPages() override;

  void OnSelect(u32 item) override;
  void OnBack() override;

  cWgMenuText* GetViewer(u32 item) const { return item < mItemCount ? mViewers[item] : nullptr; }

 private:
  cWgMenuText** mViewers;  // owned, one per item
  cScreen_MainMenu* mScreen;
};

// VOSTEK, PIRENA and HALDO.
class cWgMenu_Actors : public cWgMenu_TextPages {
 public:
  explicit cWgMenu_Actors(cScreen_MainMenu* owner);
};

// TESKLO, ORDAN, SALVERN and KUMB.
class cWgMenu_Episodes : public cWgMenu_TextPages {
 public:
  explicit cWgMenu_Episodes(cScreen_MainMenu* owner);
};
