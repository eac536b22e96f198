// The options menu.
#include "game/frontend/menus/wg_menu_options.h"

#include <cstdio>

#include "game/app/event.h"
#include "game/app/frame_tick.h"
#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/save/save_profiles.h"

namespace {

constexpr char kOptionsTag[] = "cWgMenu_Options::cWgMenu_Options";
const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
constexpr u32 kLanguageMenu = 5;
constexpr u32 kMainMenu = 0;
constexpr f32 kTimerStart = 0.0001f;
constexpr f32 kFooterY = 0.1f;
constexpr f32 kInGameItemTop = 0.1f;
constexpr f32 kInGameItemStep = 0.14f;

cString Numbered(const cString& label, u32 value) {
  char number[16];
  snprintf(number, sizeof number, ": %02u", value);
  return label + cString(number);
}

cString Switched(const cString& label, bool on, const cString& onText, const cString& offText) {
  return label + cString(": ") + (on ? onText : offText);
}

}  // namespace

cWgMenu_Options::cWgMenu_Options(cMainMenuPhase* mainMenu)
    : cWgMenu_Menu(mainMenu, "OPTION", kOptionItemCount, tWgPlacement(), kTextPlacement),
      mInGameScreen(nullptr),
      mPauseMenu(nullptr),
      mMainMenu(mainMenu),
      mInGame(0) {
  Build();
}

cWgMenu_Options::cWgMenu_Options(cScreen_Menu* inGame, cWgMenu_Menu* pauseMenu)
    : cWgMenu_Menu(inGame, "OPTION", kOptionItemCount, tWgPlacement(), kTextPlacement),
      mInGameScreen(inGame),
      mPauseMenu(pauseMenu),
      mMainMenu(nullptr),
      mInGame(1) {
  EnableItem(kOptionLanguage, false);
  mItems[kOptionLanguage]->SetText(cString(""));
  Build();
}

cWgMenu_Options::~cWgMenu_Options() {}

void cWgMenu_Options::Build() {
  mBrightnessDownTimer = 0.0f;
  mBrightnessUpTimer = 0.0f;
  mVolumeDownTimer = 0.0f;
  mVolumeUpTimer = 0.0f;
  mLastTimeMs = GetTimeMs();
  mBrightnessLabel = mItems[kOptionBrightness]->GetText();
  mVolumeLabel = mItems[kOptionVolume]->GetText();
  mAxisInversionLabel = mItems[kOptionAxisInversion]->GetText();
  mMusicLabel = mItems[kOptionMusic]->GetText();
  ShowBrightness();
  ShowVolume();
  const cPropertyGroup* group =
      mOwner->GetTexts() != nullptr ? mOwner->GetTexts()->FindGroup(cString(kMenuTextGroup)) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kOptionsTag, mOwner->GetTexts(), kMenuTextGroup);
  }
  cString* const targets[] = {&mOnText, &mOffText, &mLeftRightFooter, &mPlainFooter};
  const char* const keys[] = {"ON", "OFF", "OPTION_FOOTER_LEFT_RIGHT", "OPTION_FOOTER"};
  for (u32 i = 0; i < 4; i++) {
    const cProperty* property = group->FindProperty(cString(keys[i]));
    if (property == nullptr) {
      FatalPropertyNotFound(kOptionsTag, group, keys[i]);
    }
    *targets[i] = property->GetValue();
  }
  ShowMusic();
  ShowAxisInversion();
  if (mInGame) {
    mFooter.SetText(mLeftRightFooter);
  }
}

void cWgMenu_Options::ShowBrightness() {
  mItems[kOptionBrightness]->SetText(Numbered(mBrightnessLabel, gGameOptions->GetBrightness()));
}

void cWgMenu_Options::ShowVolume() {
  mItems[kOptionVolume]->SetText(Numbered(mVolumeLabel, gGameOptions->GetSoundVolume()));
}

void cWgMenu_Options::ShowMusic() {
  mItems[kOptionMusic]->SetText(Switched(mMusicLabel, gGameOptions->IsMusicOn(), mOnText, mOffText));
}

void cWgMenu_Options::ShowAxisInversion() {
  mItems[kOptionAxisInversion]->SetText(
      Switched(mAxisInversionLabel, gGameOptions->IsAxisInverted(), mOnText, mOffText));
}

void cWgMenu_Options::BrightnessUp() {
  if (gGameOptions->GetBrightness() < kOptionPercentMax) {
    gGameOptions->SetBrightness(gGameOptions->GetBrightness() + 1);
  }
  ShowBrightness();
}

void cWgMenu_Options::BrightnessDown() {
  if (gGameOptions->GetBrightness() != 0) {
    gGameOptions->SetBrightness(gGameOptions->GetBrightness() - 1);
  }
  ShowBrightness();
}

void cWgMenu_Options::VolumeUp() {
  if (gGameOptions->GetSoundVolume() < kOptionPercentMax) {
    gGameOptions->SetEffectsVolume(gGameOptions->GetSoundVolume() + 1);
  }
  ShowVolume();
}

void cWgMenu_Options::VolumeDown() {
  if (gGameOptions->GetSoundVolume() != 0) {
    gGameOptions->SetEffectsVolume(gGameOptions->GetSoundVolume() - 1);
  }
  ShowVolume();
}

void cWgMenu_Options::ToggleMusic() {
  // The music switch acts only while the flag is set.
  if (gGameOptions->IsMusicOn()) {
    mOwner->SwitchMusic(false);
    gGameOptions->SetMusic(false);
  } else {
    gGameOptions->SetMusic(true);
    mOwner->SwitchMusic(true);
  }
  ShowMusic();
}

void cWgMenu_Options::ToggleAxisInversion() {
  gGameOptions->SetAxisInversion(!gGameOptions->IsAxisInverted());
  ShowAxisInversion();
}

void cWgMenu_Options::StepLeft(bool pressed) { Step(pressed, false); }

void cWgMenu_Options::StepRight(bool pressed) { Step(pressed, true); }

void cWgMenu_Options::Step(bool pressed, bool up) {
  f32* brightnessTimer = up ? &mBrightnessUpTimer : &mBrightnessDownTimer;
  f32* volumeTimer = up ? &mVolumeUpTimer : &mVolumeDownTimer;
  if (pressed) {
    switch (mCurrent) {
      case kOptionBrightness:
        if (up) {
          BrightnessUp();
        } else {
          BrightnessDown();
        }
        *brightnessTimer = *brightnessTimer == 0.0f ? kTimerStart : *brightnessTimer;
        break;
      case kOptionVolume:
        if (up) {
          VolumeUp();
        } else {
          VolumeDown();
        }
        *volumeTimer = *volumeTimer == 0.0f ? kTimerStart : *volumeTimer;
        break;
      case kOptionMusic:
        ToggleMusic();
        break;
      case kOptionAxisInversion:
        ToggleAxisInversion();
        break;
      default:
        break;
    }
  } else if (mCurrent == kOptionBrightness) {
    *brightnessTimer = 0.0f;
  } else if (mCurrent == kOptionVolume) {
    *volumeTimer = 0.0f;
    mOwner->GetMoveSound().Play();
  }
}

bool cWgMenu_Options::RunTimer(f32* timer, f32 seconds) {
  if (*timer == 0.0f) {
    return false;
  }
  const s32 tenths = static_cast<s32>(*timer / kOptionRepeatPeriod);
  *timer += seconds;
  return *timer > kOptionRepeatDelay && static_cast<s32>(*timer / kOptionRepeatPeriod) > tenths;
}

bool cWgMenu_Options::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    const u32 now = GetTimeMs();
    const f32 seconds = static_cast<f32>(now - mLastTimeMs) / 1000.0f;
    if (mCurrent == kOptionBrightness) {
      if (RunTimer(&mBrightnessDownTimer, seconds)) {
        BrightnessDown();
      }
      if (RunTimer(&mBrightnessUpTimer, seconds)) {
        BrightnessUp();
      }
      mVolumeDownTimer = 0.0f;
      mVolumeUpTimer = 0.0f;
    } else if (mCurrent == kOptionVolume) {
      if (RunTimer(&mVolumeDownTimer, seconds)) {
        VolumeDown();
      }
      if (RunTimer(&mVolumeUpTimer, seconds)) {
        VolumeUp();
      }
      mBrightnessDownTimer = 0.0f;
      mBrightnessUpTimer = 0.0f;
    } else {
      mBrightnessDownTimer = 0.0f;
      mBrightnessUpTimer = 0.0f;
      mVolumeDownTimer = 0.0f;
      mVolumeUpTimer = 0.0f;
    }
    mLastTimeMs = now;
  } else if (event->type == kEventKey) {
    if (event->key.keyCode == kKeyLeft) {
      StepLeft(event->key.pressed != 0);
    } else if (event->key.keyCode == kKeyRight) {
      StepRight(event->key.pressed != 0);
    }
  } else if (event->type == kEventPadButton) {
    if (event->padButton.buttonMask == kPadLeft) {
      StepLeft(event->padButton.pressed != 0);
    } else if (event->padButton.buttonMask == kPadRight) {
      StepRight(event->padButton.pressed != 0);
    }
  }
  const u32 before = mCurrent;
  cWgMenu_Menu::OnEvent(event);
  if (before == kOptionLanguage && mCurrent == kOptionBrightness) {
    ShowFooter(mLeftRightFooter);
  } else if (before == kOptionBrightness && mCurrent == kOptionLanguage) {
    ShowFooter(mPlainFooter);
  }
  return false;
}

void cWgMenu_Options::ShowFooter(const cString& text) {
  mFooter.SetText(text);
  mFooter.SetTextHeight(kMenuFooterSize);
  mFooter.SetPlacement(0.0f, kFooterY, 1, 0, 1, 1, 0);
}

void cWgMenu_Options::OnSelect(u32 item) {
  if (mMainMenu != nullptr && item == kOptionLanguage) {
    mMainMenu->SwitchMenu(kLanguageMenu);
  }
}

void cWgMenu_Options::OnBack() {
  if (mMainMenu != nullptr) {
    mMainMenu->SwitchMenu(kMainMenu);
    if (gSaveProfiles != nullptr) {
      gSaveProfiles->Write();
    }
    return;
  }
  SetCurrent(kOptionBrightness);
  Hide();
  if (mPauseMenu != nullptr) {
    mPauseMenu->Show();
    mPauseMenu->SetCurrent(0);
  }
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
  mOwner->GetScreenSound().Play();
}

void cWgMenu_Options::Layout() {
  cWgMenu_Menu::Layout();
  if (!mInGame) {
    return;
  }
  for (u32 i = 0; i < mItemCount; i++) {
    mItems[i]->SetPlacement(0.0f, kInGameItemTop + kInGameItemStep * static_cast<f32>(i), 1, 0, 0, 1, 0);
  }
}
