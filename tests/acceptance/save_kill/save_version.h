// The versions of "save.dat" that the kill test's writer cycles through:
// version v fills every slot and the brightness with numbers derived from v,
// so that a file mixing two versions, or cut short, is told from a whole one.
#pragma once

#include <cstdio>

#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"

inline void FillVersion(u32 version, cSaveProfiles* profiles, cGameOptions* options) {
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    tProfileSlot& slot = profiles->GetSlot(i);
    std::snprintf(slot.name, kProfileNameSize, "V%u_%u", version % 100000, i);
    slot.levelIndex = (version + i) % (kProfileLastLevelIndex + 1);
    slot.total = version;
    slot.lastTime = version * 3 + i;
    slot.count = version + i;
    slot.difficulty = (version + i) % (kProfileHardest + 1);
  }
  profiles->CountUsed();
  options->SetBrightness(version % (kOptionPercentMax + 1));
}

// The version the table and options hold whole, or 0 for none.
inline u32 WholeVersion(const cSaveProfiles& profiles, const cGameOptions& options) {
  if (profiles.GetUsedCount() != kProfileSlotCount) {
    return 0;
  }
  const u32 version = profiles.GetSlot(0).total;
  cSaveProfiles expected;
  cGameOptions expectedOptions;
  FillVersion(version, &expected, &expectedOptions);
  for (u32 i = 0; i < kProfileSlotCount; i++) {
    const tProfileSlot& a = profiles.GetSlot(i);
    const tProfileSlot& b = expected.GetSlot(i);
    for (u32 c = 0; c < kProfileNameSize; c++) {
      if (a.name[c] != b.name[c]) {
        return 0;
      }
    }
    if (a.levelIndex != b.levelIndex || a.total != b.total || a.lastTime != b.lastTime || a.count != b.count ||
        a.difficulty != b.difficulty) {
      return 0;
    }
  }
  return options.GetBrightness() == expectedOptions.GetBrightness() ? version : 0;
}
