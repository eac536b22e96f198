// The base of every screen that shows menus: the menu text file of the
// chosen language, the menu font, the three menu sounds and a music engine
// for the menu music.
#pragma once

#include "game/app/audio/music_engine.h"
#include "game/app/audio/sound.h"
#include "game/app/screens/screen.h"
#include "game/foundation/property.h"
#include "game/render/text/font.h"

constexpr char kMenuFontFolder[] = "data/font/";
constexpr char kMenuFontName[] = "gothic13";
constexpr char kMenuMoveSound[] = "sfx/me_move";
constexpr char kMenuSelectSound[] = "sfx/me_select";
constexpr char kMenuScreenSound[] = "sfx/me_screen";
constexpr char kMenuMusicTrack[] = "INTRO";
// The group of the menu text file that holds every menu's texts.
constexpr char kMenuTextGroup[] = "text";

// The language code of the menu text file: "d" for 0, "eng" for 1; a
// language not chosen yet (or any other index) reads "d".
const char* MenuLanguageCode(u32 language);

class cScreen_Menu : public cScreen {
 public:
  // Loads the font, the sounds and the text file of the options' language
  // (fatal when it cannot be read), applies the options' sound volume and
  // starts the music engine (without a track).
  cScreen_Menu();
  ~cScreen_Menu() override;

  cScreen_Menu(const cScreen_Menu&) = delete;
  cScreen_Menu& operator=(const cScreen_Menu&) = delete;

  // The text file of the options' language replaces the one held; fatal
  // "cScreen_Menu : unable to load text file" when it cannot be read.
  void LoadTexts();
  // Nothing unless the options' music flag is set; on plays "INTRO" and
  // applies the sound volume again, off stops the music.
  void SwitchMusic(bool on);

  const cPropertyFile* GetTexts() const { return mTexts; }
  cFont* GetFont() { return &mFont; }
  MusicEngine& GetMusic() { return mMusic; }
  cSndEngWin& GetMoveSound() { return mMoveSound; }
  cSndEngWin& GetSelectSound() { return mSelectSound; }
  cSndEngWin& GetScreenSound() { return mScreenSound; }

 private:
  MusicEngine mMusic;
  cFont mFont;
  cPropertyFile* mTexts;  // owned
  cSndEngWin mMoveSound;
  cSndEngWin mSelectSound;
  cSndEngWin mScreenSound;
};
