// The animation table that every man of a level shares: 42 slots read from
// the group "animdata" of the level's men file, each loaded only when a man
// type uses it, with the times at which the feet touch the ground.
#pragma once

#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/render/models/anim_model.h"

constexpr u32 kManAnimCount = 42;
// Nodes of the men's skeleton; hit reactions are made relative over them.
constexpr u32 kManNodeCount = 21;
// A foot time that never fires.
constexpr f32 kNoFootTime = -1.0f;

// The slots the men start by number.
enum eManAnim : u32 {
  kManAnimStand = 0,
  kManAnimCrouch = 3,
  kManAnimSneak = 4,
  kManAnimSneakBackward = 5,
  kManAnimRun = 8,
  kManAnimRunBackward = 9,
  kManAnimWalk = 10,
  kManAnimWalkBackward = 11,
  kManAnimUse = 16,  // also the boss's lightning discharge
  kManAnimLookAround = 20,
  kManAnimBlock = 21,
  kManAnimShotPause = 23,
  kManAnimShoot = 24,
  kManAnimHitFront = 31,  // hit reactions: relative to their first pose
  kManAnimHitBack = 32,
  kManAnimCollapse = 33,
  kManAnimFallBackward = 34,
  kManAnimFallForward = 35,
  kManAnimFallForward2 = 36,
  kManAnimLieCollapsed = 37,  // the still poses after 33 to 36
  kManAnimLieBackward = 38,
  kManAnimLieForward = 39,
  kManAnimLieForward2 = 40,
  kManAnimShockAttack = 41,
};

// The slots a man type uses, as read from its USED_ANIMS list.
class cUsedAnimList {
 public:
  cUsedAnimList() : mSlots(nullptr), mCount(0) {}
  ~cUsedAnimList() { delete[] mSlots; }

  cUsedAnimList(const cUsedAnimList&) = delete;
  cUsedAnimList& operator=(const cUsedAnimList&) = delete;

  // count slots, not set; the former ones are freed.
  void Allocate(u32 count);
  u32 GetCount() const { return mCount; }
  u32 Get(u32 index) const { return mSlots[index]; }
  void Set(u32 index, u32 slot) { mSlots[index] = slot; }

 private:
  u32* mSlots;
  u32 mCount;
};

class cManAnimData {
 public:
  cManAnimData();
  // The level releases the animations (ReleaseAnims) while the engine runs.
  ~cManAnimData() = default;

  cManAnimData(const cManAnimData&) = delete;
  cManAnimData& operator=(const cManAnimData&) = delete;

  // Reads "animdata" and loads every used slot (fatal for a missing group
  // or key, or an ANM list of another length than the table). A used
  // animation that cannot be read leaves its slot empty.
  void LoadAnims(const cPropertyFile* file);
  // Every used slot loses its animation, root motion and foot times, and
  // is no longer used.
  void ReleaseAnims();

  void MarkUsed(u32 slot) { mUsed[slot] = 1; }
  bool IsUsed(u32 slot) const { return mUsed[slot] != 0; }
  // Seconds into the slot's animation; kNoFootTime for none.
  f32 GetLeftFootTime(u32 slot) const { return mLeftFoot[slot]; }
  f32 GetRightFootTime(u32 slot) const { return mRightFoot[slot]; }
  cAnimTable* GetTable() { return &mSlots; }

 private:
  void ReleaseSlot(u32 slot);

  cAnimTable mSlots;  // kManAnimCount slots while animations are loaded
  u32 mUsed[kManAnimCount];
  f32 mLeftFoot[kManAnimCount];
  f32 mRightFoot[kManAnimCount];
};

// The one table of the running level.
cManAnimData& ManAnimData();
