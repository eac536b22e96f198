// cMan: the player's search of a fallen man's body.
#include "game/characters/man.h"
#include "game/world/devices/searchable.h"

bool cMan::SearchBody(f32 dt) {
  // A speed of 0 (or less) would divide by zero: such a search is over at once.
  const f32 seconds = GetSearchSpeed();
  mBodySearchLeft = seconds > 0.0f ? mBodySearchLeft - dt * kSearchAmount / seconds : -1.0f;
  if (mBodySearchLeft < 0.0f) {
    mSearchableBody = 0;
    return true;
  }
  return false;
}
