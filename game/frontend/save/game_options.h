// The player's settings and the name of the level to play: one record for
// the whole run, reached through gGameOptions. The settings (everything but
// the level name) are stored at the head of "save.dat" by cSaveProfiles.
#pragma once

#include "game/foundation/string.h"
#include "game/foundation/types.h"

// Language indices of the menu text files; kLanguageNotChosen until the
// player picks one (the intro then offers the language menu).
constexpr u32 kLanguageCount = 2;
constexpr u32 kLanguageNotChosen = 2;
// Brightness and sound volume run from 0 to this.
constexpr u32 kOptionPercentMax = 100;
constexpr u32 kOptionPercentDefault = 50;
// Levels 1 to kCompletedLevelCount have a completed flag.
constexpr u32 kCompletedLevelCount = 5;
constexpr char kFirstLevelName[] = "level01";
// The level number stands in the level name from this character on.
constexpr u32 kLevelNumberOffset = 5;

// The level number of a level name: the decimal number from its sixth
// character on ("level01" gives 1); 0 when there is none. Digits beyond
// what a level number can be are not read.
s32 LevelNumberOf(const char* levelName);

class cGameOptions {
 public:
  // "level01", no language chosen, brightness and volume 50, music, axis
  // inversion and hit flash on, no level completed.
  cGameOptions();

  cGameOptions(const cGameOptions&) = delete;
  cGameOptions& operator=(const cGameOptions&) = delete;

  // Stores the volume (0..100) and sets the sound engine's effects volume to
  // volume / 100.
  void SetEffectsVolume(u32 volume);
  // Sets the completed flag of level number 1 to 5; other numbers do nothing.
  void SetLevelCompleted(s32 levelNumber);
  bool IsLevelCompleted(u32 flagIndex) const { return flagIndex < kCompletedLevelCount && mLevelCompleted[flagIndex]; }

  const cString& GetLevelName() const { return mLevelName; }
  void SetLevelName(const cString& name) { mLevelName = name; }
  u32 GetLanguage() const { return mLanguage; }
  void SetLanguage(u32 language) { mLanguage = language; }
  bool IsLanguageChosen() const { return mLanguage < kLanguageCount; }
  u32 GetBrightness() const { return mBrightness; }
  void SetBrightness(u32 brightness) { mBrightness = brightness; }
  u32 GetSoundVolume() const { return mSoundVolume; }
  bool IsMusicOn() const { return mMusic != 0; }
  void SetMusic(bool on) { mMusic = on ? 1 : 0; }
  bool IsAxisInverted() const { return mAxisInversion != 0; }
  void SetAxisInversion(bool on) { mAxisInversion = on ? 1 : 0; }
  bool IsHitFlashOn() const { return mHitFlash != 0; }
  void SetHitFlash(bool on) { mHitFlash = on ? 1 : 0; }

  // The stored part, as "save.dat" holds it.
  void WriteStored(u8* bytes) const;
  // The stored part read back; a language above kLanguageNotChosen becomes
  // kLanguageNotChosen, a brightness or volume above 100 becomes 100.
  void ReadStored(const u8* bytes);

 private:
  cString mLevelName;
  u32 mLanguage;
  u32 mBrightness;   // 0..100
  u32 mSoundVolume;  // 0..100
  u8 mMusic;
  u8 mAxisInversion;
  u8 mHitFlash;
  u8 mLevelCompleted[kCompletedLevelCount];
};

// Bytes of the stored part: language, brightness, volume (u32 each), the
// three flags and the five completed flags.
constexpr u32 kStoredOptionsSize = 20;

// Set by the game object for the whole run; null before and after.
extern cGameOptions* gGameOptions;
