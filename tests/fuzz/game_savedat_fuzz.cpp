// Fuzz target for the save file: any bytes read as "save.dat", then the used
// count recomputed; the options and every used slot must stay in range.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cGameOptions options;
  gGameOptions = &options;
  cSaveProfiles profiles;
  const u32 length = size > kSaveFileSize * 2 ? kSaveFileSize * 2 : static_cast<u32>(size);
  const bool whole = profiles.Decode(data, length);
  profiles.CountUsed();
  gGameOptions = nullptr;
  if (whole != (size >= kSaveFileSize) || profiles.GetUsedCount() > kProfileSlotCount) {
    __builtin_trap();
  }
  if (options.GetLanguage() > kLanguageNotChosen || options.GetBrightness() > kOptionPercentMax ||
      options.GetSoundVolume() > kOptionPercentMax) {
    __builtin_trap();
  }
  for (u32 i = 0; i < profiles.GetUsedCount(); i++) {
    const tProfileSlot& slot = profiles.GetSlot(i);
    if (memchr(slot.name, '\0', kProfileNameSize) == nullptr || slot.levelIndex > kProfileLastLevelIndex ||
        slot.difficulty > kProfileHardest) {
      __builtin_trap();
    }
  }
  return 0;
}
