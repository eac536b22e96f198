// Fuzz target for the save file: any bytes read as "save.dat", then the used
// count recomputed; the options and every used slot must stay in range.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/frontend/save/save_profiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cGameOptions options;
  gGameOptions = &options;
  cSaveProfiles profiles;
  const bool whole = profiles.Decode(data, size > kSaveFileSize ? kSaveFileSize : static_cast<u32>(size));
  profiles.CountUsed();
  gGameOptions = nullptr;
  bool bad = whole != (size >= kSaveFileSize) || profiles.GetUsedCount() > kProfileSlotCount ||
             options.GetLanguage() > kLanguageNotChosen || options.GetBrightness() > kOptionPercentMax ||
             options.GetSoundVolume() > kOptionPercentMax;
  for (u32 i = 0; i < profiles.GetUsedCount(); i++) {
    const tProfileSlot& slot = profiles.GetSlot(i);
    bad = bad || memchr(slot.name, '\0', kProfileNameSize) == nullptr || slot.levelIndex > kProfileLastLevelIndex ||
          slot.difficulty > kProfileHardest;
  }
  if (bad) {
    __builtin_trap();
  }
  return 0;
}
