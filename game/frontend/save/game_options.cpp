// The options record, its stored part and the level number of a level name.
#include "game/frontend/save/game_options.h"

#include "engine/engine.h"
#include "game/app/audio/sound_engine.h"

cGameOptions* gGameOptions = nullptr;

namespace {

// No level number has more digits; further ones are not read.
constexpr u32 kLevelNumberMaxDigits = 6;

// Offsets in the stored part.
constexpr u32 kLanguageOffset = 0;
constexpr u32 kBrightnessOffset = 4;
constexpr u32 kSoundVolumeOffset = 8;
constexpr u32 kMusicOffset = 12;
constexpr u32 kAxisInversionOffset = 13;
constexpr u32 kHitFlashOffset = 14;
constexpr u32 kLevelCompletedOffset = 15;

u32 AtMost(u32 value, u32 limit) { return value > limit ? limit : value; }

}  // namespace

s32 LevelNumberOf(const char* levelName) {
  if (levelName == nullptr) {
    return 0;
  }
  for (u32 i = 0; i < kLevelNumberOffset; i++) {
    if (levelName[i] == '\0') {
      return 0;
    }
  }
  const char* digits = levelName + kLevelNumberOffset;
  bool negative = false;
  if (*digits == '-' || *digits == '+') {
    negative = *digits == '-';
    digits++;
  }
  s32 number = 0;
  for (u32 i = 0; i < kLevelNumberMaxDigits && digits[i] >= '0' && digits[i] <= '9'; i++) {
    number = number * 10 + (digits[i] - '0');
  }
  return negative ? -number : number;
}

cGameOptions::cGameOptions()
    : mLevelName(kFirstLevelName),
      mLanguage(kLanguageNotChosen),
      mBrightness(kOptionPercentDefault),
      mSoundVolume(kOptionPercentDefault),
      mMusic(1),
      mAxisInversion(1),
      mHitFlash(1),
      mLevelCompleted{0, 0, 0, 0, 0} {}

void cGameOptions::SetEffectsVolume(u32 volume) {
  mSoundVolume = volume;
  CSoundEngine::SetEffectsVolume(static_cast<f32>(volume) / static_cast<f32>(kOptionPercentMax));
}

void cGameOptions::SetLevelCompleted(s32 levelNumber) {
  if (levelNumber >= 1 && levelNumber <= static_cast<s32>(kCompletedLevelCount)) {
    mLevelCompleted[levelNumber - 1] = 1;
  }
}

void cGameOptions::WriteStored(u8* bytes) const {
  RwWriteLittleEndianUInt32(bytes + kLanguageOffset, mLanguage);
  RwWriteLittleEndianUInt32(bytes + kBrightnessOffset, mBrightness);
  RwWriteLittleEndianUInt32(bytes + kSoundVolumeOffset, mSoundVolume);
  bytes[kMusicOffset] = mMusic;
  bytes[kAxisInversionOffset] = mAxisInversion;
  bytes[kHitFlashOffset] = mHitFlash;
  for (u32 i = 0; i < kCompletedLevelCount; i++) {
    bytes[kLevelCompletedOffset + i] = mLevelCompleted[i];
  }
}

void cGameOptions::ReadStored(const u8* bytes) {
  // The language indexes the text files, brightness and volume scale the
  // picture and the sound: values past their ranges are brought back.
  mLanguage = AtMost(RwReadLittleEndianUInt32(bytes + kLanguageOffset), kLanguageNotChosen);
  mBrightness = AtMost(RwReadLittleEndianUInt32(bytes + kBrightnessOffset), kOptionPercentMax);
  mSoundVolume = AtMost(RwReadLittleEndianUInt32(bytes + kSoundVolumeOffset), kOptionPercentMax);
  mMusic = bytes[kMusicOffset];
  mAxisInversion = bytes[kAxisInversionOffset];
  mHitFlash = bytes[kHitFlashOffset];
  for (u32 i = 0; i < kCompletedLevelCount; i++) {
    mLevelCompleted[i] = bytes[kLevelCompletedOffset + i];
  }
}
