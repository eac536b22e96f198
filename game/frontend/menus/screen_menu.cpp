// The menu screen base: texts by language, font, sounds and menu music.
#include "game/frontend/menus/screen_menu.h"

#include <cstdio>

#include "game/foundation/fatal_error.h"
#include "game/frontend/save/game_options.h"

namespace {

const char* const kLanguageCodes[kLanguageCount] = {"d", "eng"};
constexpr char kTextFileFormat[] = "data/menu/text_%s.txt";
constexpr size_t kTextFileNameSize = 64;

void ApplySoundVolume() {
  if (gGameOptions != nullptr) {
    gGameOptions->SetEffectsVolume(gGameOptions->GetSoundVolume());
  }
}

}  // namespace

const char* MenuLanguageCode(u32 language) {
  return language < kLanguageCount ? kLanguageCodes[language] : kLanguageCodes[0];
}

cScreen_Menu::cScreen_Menu() : mTexts(nullptr) {
  mFont.Load(kMenuFontFolder, kMenuFontName, 0.0f);
  mMoveSound.Create(kMenuMoveSound);
  mSelectSound.Create(kMenuSelectSound);
  mScreenSound.Create(kMenuScreenSound);
  LoadTexts();
  ApplySoundVolume();
  mMusic.Init();
}

cScreen_Menu::~cScreen_Menu() {
  mMusic.Release();
  delete mTexts;
  mFont.Release();
}

void cScreen_Menu::LoadTexts() {
  const u32 language = gGameOptions != nullptr ? gGameOptions->GetLanguage() : kLanguageNotChosen;
  char name[kTextFileNameSize];
  snprintf(name, sizeof name, kTextFileFormat, MenuLanguageCode(language));
  delete mTexts;
  mTexts = new cPropertyFile;
  if (!mTexts->Load(cString(name))) {
    FatalError("cScreen_Menu : unable to load text file %s", name);
  }
}

void cScreen_Menu::SwitchMusic(bool on) {
  if (gGameOptions == nullptr || !gGameOptions->IsMusicOn()) {
    return;
  }
  if (on) {
    mMusic.Play(kMenuMusicTrack);
    ApplySoundVolume();
  } else {
    mMusic.Stop();
  }
}
