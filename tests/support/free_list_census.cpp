// The census of the engine's free lists and what grew between two.
#include "tests/support/free_list_census.h"

#include <cstdio>

#include "engine/src/plcore/memory_internal.h"

namespace {

void CountList(const RwFreeList* list, RwUInt32 used, void* data) {
  auto* census = static_cast<FreeListCensus*>(data);
  census->Add(list, used);
}

bool IsIgnored(const RwFreeList* list, const RwFreeList* const* ignored, RwUInt32 ignoredCount) {
  for (RwUInt32 i = 0; i < ignoredCount; i++) {
    if (ignored[i] == list) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool FreeListCensus::Take() {
  mCount = 0;
  mOverflow = false;
  _rwFreeListForAllLists(CountList, this);
  return !mOverflow;
}

void FreeListCensus::Add(const RwFreeList* list, RwUInt32 used) {
  if (mCount == kMaxLists) {
    mOverflow = true;
    return;
  }
  mCounts[mCount++] = {list, list->entrySize, used};
}

RwUInt32 FreeListCensus::UsedOf(const RwFreeList* list) const {
  for (RwUInt32 i = 0; i < mCount; i++) {
    if (mCounts[i].list == list) {
      return mCounts[i].used;
    }
  }
  return 0;
}

RwUInt32 FreeListGrowth(const FreeListCensus& before, const FreeListCensus& after, const RwFreeList* const* ignored,
                        RwUInt32 ignoredCount, char* text, size_t textSize) {
  RwUInt32 grown = 0;
  size_t written = 0;
  if (textSize > 0) {
    text[0] = '\0';
  }
  for (RwUInt32 i = 0; i < after.GetCount(); i++) {
    const FreeListCensus::tCount& count = after.Get(i);
    const RwUInt32 was = before.UsedOf(count.list);
    if (count.used <= was || IsIgnored(count.list, ignored, ignoredCount)) {
      continue;
    }
    grown += count.used - was;
    if (written < textSize) {
      const int n = std::snprintf(text + written, textSize - written, "%s%u-byte entries: +%u", written ? "; " : "",
                                  count.entrySize, count.used - was);
      written += n > 0 ? static_cast<size_t>(n) : 0;
    }
  }
  return grown;
}
