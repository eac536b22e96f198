// The ten save profiles with their progress, the profile in use and the
// chosen difficulty, and the file "save.dat" that stores them after the
// options' stored part: 340 bytes, little-endian, no header.
#pragma once

#include "game/foundation/types.h"
#include "game/frontend/save/game_options.h"

constexpr u32 kProfileSlotCount = 10;
// A name holds at most kProfileNameSize - 1 characters and its NUL.
constexpr u32 kProfileNameSize = 12;
constexpr u32 kProfileSlotSize = 32;
// The current slot while the player plays without a profile.
constexpr u32 kNoProfileSlot = kProfileSlotCount;
// The level index runs from 0 to this and then wraps to 0.
constexpr u32 kProfileLastLevelIndex = 4;
// Difficulties: 0 normal, 1 hard.
constexpr u32 kProfileHardest = 1;
constexpr u32 kSaveFileSize = kStoredOptionsSize + kProfileSlotCount * kProfileSlotSize;
constexpr char kSaveFileName[] = "save.dat";
// Written whole first, then renamed over kSaveFileName.
constexpr char kSaveTempFileName[] = "save.tmp";

// One profile; an empty name marks a free slot.
struct tProfileSlot {
  char name[kProfileNameSize];
  u32 levelIndex;  // 0..kProfileLastLevelIndex
  u32 total;       // sum of the totals credited at each completed level
  u32 lastTime;    // seconds of the last completed level
  u32 count;       // sum of the counts credited at each completed level
  u32 difficulty;  // the hard word when the profile was made
};

class cSaveProfiles {
 public:
  // Every slot free, counts, current slot, overwrite flag and hard word 0.
  cSaveProfiles();

  cSaveProfiles(const cSaveProfiles&) = delete;
  cSaveProfiles& operator=(const cSaveProfiles&) = delete;

  // Into the first free slot, which becomes current; with every slot used,
  // into the current slot (chosen for overwriting), clearing the overwrite
  // flag. The name is copied bounded; the difficulty becomes the hard word;
  // the slot's other numbers stay as they are. A full table without a
  // current slot changes nothing.
  void NewProfile(const char* name);
  bool HasFreeSlot() const { return mUsedCount < kProfileSlotCount; }
  // The used count becomes the index of the first free slot, or 10.
  void CountUsed();
  // Credits a completed level to the current slot (totals added, last time
  // set, level index raised, 4 wrapping to 0), then writes the file. With
  // no current slot only the file is written.
  bool CompleteLevel(u32 total, u32 seconds, u32 count);

  // The options (gGameOptions, defaults when none) and the slots written to
  // kSaveTempFileName, which then replaces kSaveFileName. False, the old
  // file left whole, when any step fails.
  bool Write() const;
  // kSaveFileName read into gGameOptions and the slots (Decode); true when
  // the whole file was there. False when it does not open.
  bool Read();
  // What Read makes of the file's first size bytes. Shorter than the stored
  // part: nothing changes. Else the options (gGameOptions, when set) take the
  // stored part, and the slots become the whole, valid, named ones that
  // follow, in order, the rest free: a slot cut short, or whose name is
  // unterminated, whose level index is above 4 or whose difficulty is above
  // 1, is dropped. The used count is recomputed in every case. True when
  // size reaches kSaveFileSize.
  bool Decode(const u8* bytes, u32 size);
  // The file's 340 bytes.
  void Encode(u8* bytes) const;

  const tProfileSlot& GetSlot(u32 index) const { return mSlots[index]; }
  tProfileSlot& GetSlot(u32 index) { return mSlots[index]; }
  // An empty slot while there is no current one.
  const tProfileSlot& GetCurrent() const;
  u32 GetUsedCount() const { return mUsedCount; }
  u32 GetCurrentSlot() const { return mCurrentSlot; }
  // Fatal outside the table.
  void SetCurrentSlot(u32 slot);
  // No profile in play: nothing is credited.
  void ClearCurrentSlot() { mCurrentSlot = kNoProfileSlot; }
  bool IsOverwritePending() const { return mOverwritePending != 0; }
  void SetOverwritePending(bool pending) { mOverwritePending = pending ? 1 : 0; }
  u32 GetHard() const { return mHard; }
  void SetHard(u32 hard) { mHard = hard; }

 private:
  tProfileSlot mSlots[kProfileSlotCount];
  u32 mUsedCount;
  u32 mCurrentSlot;
  u8 mOverwritePending;
  u32 mHard;
};

// Set by the game object for the whole run; null before and after.
extern cSaveProfiles* gSaveProfiles;
