// The player's record of a level: a timer (milliseconds) whose start mark is
// when the level (or its restart) began, and the five counters the level's
// end statistics show.
#pragma once

#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cScene;

// Counters in their stored order.
enum eLevelCounter : u32 {
  kCounterSecurityAlerts = 0,  // sensors raising the alarm
  kCounterEnemyAlerts = 1,     // enemies alerted by the player
  kCounterHitsTaken = 2,
  kCounterCivilianAlerts = 3,
  kCounterEnemiesNeutralised = 4,  // knock-downs
  kLevelCounterCount
};

class cLevelStats : public cTimer {
 public:
  // Zeroed; linked into the scene's update list when one is given, with the
  // start mark at the current time.
  explicit cLevelStats(cScene* scene);

  // The mark, second word, current time and counters of another record.
  void CopyFrom(const cLevelStats& other);
  // Counters zeroed and the start mark moved to the current time.
  void Reset();

  u32 GetCounter(eLevelCounter counter) const { return mCounters[counter]; }
  void AddToCounter(eLevelCounter counter, u32 amount = 1) { mCounters[counter] += amount; }
  void SetCounter(eLevelCounter counter, u32 value) { mCounters[counter] = value; }

 private:
  u32 mCounters[kLevelCounterCount];
};
