#include "game/characters/player/level_stats.h"

#include "game/render/scene/scene.h"

cLevelStats::cLevelStats(cScene* scene) : mCounters{} {
  if (scene != nullptr) {
    scene->GetUpdateList().Append(this);
  }
  SetStartMark(GetMilliseconds());
}

void cLevelStats::CopyFrom(const cLevelStats& other) {
  SetStartMark(other.GetStartMark());
  SetSecondWord(other.GetSecondWord());
  SetMilliseconds(other.GetMilliseconds());
  for (u32 i = 0; i < kLevelCounterCount; i++) {
    mCounters[i] = other.mCounters[i];
  }
}

void cLevelStats::Reset() {
  for (u32 i = 0; i < kLevelCounterCount; i++) {
    mCounters[i] = 0;
  }
  SetStartMark(GetMilliseconds());
}
