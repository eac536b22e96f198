// cSearchable: the search's start, its progress and its end.
#include "game/world/devices/searchable.h"

namespace {

const char* const kSearchSound = "sfx/pl_searchstart";
// An object with this much or less left starts no search sound.
constexpr f32 kSearchStartMinimum = 1.0f;

f32 sSearchSpeed = kDefaultSearchSpeed;

}  // namespace

f32 GetSearchSpeed() { return sSearchSpeed; }
void SetSearchSpeed(f32 seconds) { sSearchSpeed = seconds; }

cSearchable::cSearchable(const char* modelPath, cLightmap* lightmap)
    : cOpenerDevice(modelPath, lightmap),
      mRemaining(kSearchAmount),
      mWorld(nullptr),
      mStarted(0),
      mSavedRemaining(kSearchAmount),
      mSavedStarted(0) {
  SetType(kDeviceSearchable);
}

cSearchable::cSearchable(const cSearchable& prototype)
    : cOpenerDevice(prototype),
      mRemaining(kSearchAmount),
      mWorld(nullptr),
      mStarted(0),
      mSavedRemaining(kSearchAmount),
      mSavedStarted(0) {
  SetType(kDeviceSearchable);
}

void cSearchable::CreateSounds(cQXWorld* world) {
  mWorld = world;
  mUseSound.Create(kSearchSound);
}

bool cSearchable::CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool) {
  return mUsed == 0 && BaseCanUse(position, direction, triggerId, world, false);
}

bool cSearchable::Use(cQXWorld*, u32) {
  if (mUsed == 0 && mRemaining > kSearchStartMinimum) {
    mStarted = 1;
    PlaySoundAt(mUseSound, GetFrame());
  }
  return false;
}

bool cSearchable::UpdateSearch(f32 dt) {
  // A speed of 0 (or less) would divide by zero: such a search is over at once.
  const f32 seconds = GetSearchSpeed();
  mRemaining = seconds > 0.0f ? mRemaining - dt * kSearchAmount / seconds : -1.0f;
  if (mRemaining < 0.0f) {
    mUsed = 1;
    SetIcon(0);
    return true;
  }
  return false;
}

void cSearchable::Reset() {
  mRemaining = kSearchAmount;
  mStarted = 0;
  cOpenerDevice::Reset();
}

void cSearchable::SaveState() {
  cOpenerDevice::SaveState();
  mSavedRemaining = mRemaining;
  mSavedStarted = mStarted;
}

void cSearchable::RestoreCheckpoint() {
  cOpenerDevice::RestoreCheckpoint();
  mRemaining = mSavedRemaining;
  mStarted = mSavedStarted;
}
