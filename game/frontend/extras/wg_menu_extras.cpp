// The extras menus.
#include "game/frontend/extras/wg_menu_extras.h"

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/startup/main_window.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/screens/screen_end.h"
#include "game/frontend/screens/screen_main_menu.h"

namespace {

constexpr char kExtrasTag[] = "cWgMenu_Extras::cWgMenu_Extras(";
const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
const char* const kActors[kActorsItemCount] = {"VOSTEK", "PIRENA", "HALDO"};
const char* const kEpisodes[kEpisodesItemCount] = {"TESKLO", "ORDAN", "SALVERN", "KUMB"};
constexpr u32 kPlayMovie = 1;

}  // namespace

cWgMenu_Extras::cWgMenu_Extras(cScreen_MainMenu* owner)
    : cWgMenu_Menu(owner, "EXTRAS", kExtrasItemCount, tWgPlacement(), kTextPlacement),
      mConcept(owner, "CONCEPT"),
      mScreen(owner),
      mCredits(nullptr) {
  mConcept.GetFooter().SetColour(kConceptFooterColour);
  const cPropertyGroup* group =
      owner->GetTexts() != nullptr ? owner->GetTexts()->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kExtrasTag, owner->GetTexts(), kMenuTextGroup);
  }
  const cProperty* locked = group->FindProperty(cString("LOCKED"));
  if (locked == nullptr) {
    FatalPropertyNotFound(kExtrasTag, group, "LOCKED");
  }
  for (u32 k = 0; k < kCompletedLevelCount; k++) {
    if (gGameOptions == nullptr || !gGameOptions->IsLevelCompleted(k)) {
      mItems[k + 1]->SetText(locked->GetValue());
      EnableItem(k + 1, false);
    }
  }
}

cWgMenu_Extras::~cWgMenu_Extras() { delete mCredits; }

bool cWgMenu_Extras::OnEvent(const tEvent* event) {
  if (event->type == kEventTick && mCredits != nullptr) {
    delete mCredits;
    mCredits = nullptr;
  }
  cWgMenu_Menu::OnEvent(event);
  return false;
}

void cWgMenu_Extras::PlayExtraMovie(const char* name) {
  mOwner->SwitchMusic(false);
  PlayMovie(name, kPlayMovie);
  mOwner->SwitchMusic(true);
  SetCurrent(0);
}

void cWgMenu_Extras::OnSelect(u32 item) {
  switch (item) {
    case 0: {
      const cPropertyGroup* group =
          mScreen->GetConfig() != nullptr ? mScreen->GetConfig()->FindGroup(cString("credit_list")) : nullptr;
      if (group == nullptr) {
        FatalGroupNotFound("cGame : group not found in config file (credit_list)", mScreen->GetConfig(), "credit_list");
      }
      mOwner->SwitchMusic(false);
      mScreen->SetMusicCountdown(kMainMenuMusicTicks);
      delete mCredits;
      mCredits = new cScreen_Credits(group);
      if (gScreenStack != nullptr) {
        gScreenStack->Push(mCredits);
      }
      break;
    }
    case 1:
      mScreen->SwitchMenu(kMenuActors);
      break;
    case 2:
      mScreen->SwitchMenu(kMenuEpisodes);
      break;
    case 3:
      mConcept.Show();
      SetCurrent(0);
      break;
    case 4:
      PlayExtraMovie(kInterviewMovie);
      break;
    case 5:
      PlayExtraMovie(kStuntsMovie);
      break;
    default:
      break;
  }
}

void cWgMenu_Extras::OnBack() { mScreen->SwitchMenu(kMenuMain); }

cWgMenu_TextPages::cWgMenu_TextPages(cScreen_MainMenu* owner, const char* name, const char* const* viewers, u32 count)
    : cWgMenu_Menu(owner, name, count, tWgPlacement(), kTextPlacement),
      mViewers(new cWgMenuText*[count]),
      mScreen(owner) {
  for (u32 i = 0; i < count; i++) {
    mViewers[i] = new cWgMenuText(owner, viewers[i]);
  }
}

cWgMenu_TextPages::~cWgMenu_TextPages() {
  for (u32 i = 0; i < mItemCount; i++) {
    delete mViewers[i];
  }
  delete[] mViewers;
}

void cWgMenu_TextPages::OnSelect(u32 item) {
  if (item < mItemCount) {
    mViewers[item]->Show();
    SetCurrent(0);
  }
}

void cWgMenu_TextPages::OnBack() { mScreen->SwitchMenu(kMenuExtras); }

cWgMenu_Actors::cWgMenu_Actors(cScreen_MainMenu* owner)
    : cWgMenu_TextPages(owner, "ACTORS", kActors, kActorsItemCount) {}

cWgMenu_Episodes::cWgMenu_Episodes(cScreen_MainMenu* owner)
    : cWgMenu_TextPages(owner, "EPISODES", kEpisodes, kEpisodesItemCount) {}
