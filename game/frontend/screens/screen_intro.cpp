// The intro screen: logos, the first start's language menu, save.dat read.
#include "game/frontend/screens/screen_intro.h"

#include "game/app/event.h"
#include "game/app/screens/screen_stack.h"
#include "game/frontend/save/save_profiles.h"

namespace {

const char* const kLogoTextures[kIntroLogoCount] = {"data/menu/vux_logo", "data/menu/zid_logo",
                                                    "data/menu/engine_logo"};

bool LanguageChosen() { return gGameOptions != nullptr && gGameOptions->IsLanguageChosen(); }

void RelayoutStack() {
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

// Only while the intro is the top: a late tick must not take off the game.
void PopIntro(const cScreen* intro) {
  if (gScreenStack != nullptr && gScreenStack->GetTopScreen() == intro) {
    gScreenStack->Pop();
  }
}

}  // namespace

cScreen_Intro::cScreen_Intro() : mLogoIndex(0), mLogo(nullptr), mLanguageMenu(nullptr) {
  ShowLogo(0);
  if (gSaveProfiles != nullptr) {
    gSaveProfiles->Read();
  }
}

cScreen_Intro::~cScreen_Intro() {
  delete mLanguageMenu;
  delete mLogo;
}

void cScreen_Intro::ShowLogo(u32 index) {
  delete mLogo;
  mLogo = new cWgLogo(tWgPlacement(), kLogoTextures[index < kIntroLogoCount ? index : 0], kIntroLogoStandingTime);
  PrependChild(mLogo);
  RelayoutStack();
}

void cScreen_Intro::ShowLanguageMenu() {
  if (mLanguageMenu == nullptr) {
    mLanguageMenu = new cWgMenu_Language(this);
  }
  mLanguageMenu->Show();
  RelayoutStack();
}

bool cScreen_Intro::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    cScreen::OnEvent(event);
    OnTick();
  } else if (mLogoIndex < kIntroLogoCount && ((event->type == kEventKey && event->key.pressed) ||
                                              (event->type == kEventPadButton && event->padButton.pressed))) {
    HurryLogo();
  }
  return false;
}

void cScreen_Intro::OnTick() {
  if (mLogoIndex < kIntroLogoCount - 1) {
    if (mLogo->IsDone()) {
      mLogoIndex++;
      ShowLogo(mLogoIndex);
    }
  } else if (mLogoIndex == kIntroLogoCount - 1) {
    if (mLogo->IsDone()) {
      mLogoIndex = kIntroLogoCount;
      if (LanguageChosen()) {
        PopIntro(this);
      } else {
        ShowLanguageMenu();
      }
    }
  } else if (mLanguageMenu == nullptr || !mLanguageMenu->IsShown()) {
    PopIntro(this);
  }
}

void cScreen_Intro::HurryLogo() {
  if (mLogoIndex == kIntroLogoCount - 1 && LanguageChosen()) {
    mLogo->SetState(kLogoDone);
    return;
  }
  mLogo->SetSpeed(kLogoHurriedSpeed);
  mLogo->SetState(kLogoFadingOut);
}
