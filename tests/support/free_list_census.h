// What the engine's free lists hold, list by list: taken once the engine has
// started and again right before it stops, it tells which objects a program
// left alive. It allocates nothing, so taking it leaves the engine's memory
// as it was.
#pragma once

#include "engine/engine.h"

class FreeListCensus {
 public:
  static constexpr RwUInt32 kMaxLists = 256;

  struct tCount {
    const RwFreeList* list;
    RwUInt32 entrySize;
    RwUInt32 used;
  };

  // Every list on the engine's chain now; false when there are more than
  // kMaxLists (the census then holds the first ones).
  bool Take();
  RwUInt32 GetCount() const { return mCount; }
  const tCount& Get(RwUInt32 index) const { return mCounts[index]; }
  // The entries of the list in use at the census; 0 for a list not on it.
  RwUInt32 UsedOf(const RwFreeList* list) const;
  // One list more, as Take counts it.
  void Add(const RwFreeList* list, RwUInt32 used);

 private:
  tCount mCounts[kMaxLists] = {};
  RwUInt32 mCount = 0;
  bool mOverflow = false;
};

// The entries that lists hold at after beyond what they held at before,
// summed over every list but the ignored ones; each list that grew is
// described in text ("<entry size>-byte entries: +<n>; ...", cut to fit).
RwUInt32 FreeListGrowth(const FreeListCensus& before, const FreeListCensus& after, const RwFreeList* const* ignored,
                        RwUInt32 ignoredCount, char* text, size_t textSize);
