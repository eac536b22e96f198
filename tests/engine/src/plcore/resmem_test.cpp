// The resource arena on a started engine: allocation into owner slots,
// eviction order across age steps, destroy callbacks, emptying and the
// failures when the arena cannot hold a request.
#include "engine/src/plcore/resmem.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"

namespace {

std::vector<RwResEntry*> gDestroyed;

void NoteDestroy(RwResEntry* entry) { gDestroyed.push_back(entry); }

RwUInt32 HeapBlockBytes(RwInt32 dataBytes) {
  const RwUInt32 n = static_cast<RwUInt32>(sizeof(RwResEntry)) + static_cast<RwUInt32>(dataBytes);
  return (n + kResHeapAlignment - 1) & ~(kResHeapAlignment - 1);
}

class ResourcesTest : public ::testing::Test {
 protected:
  void Start(RwUInt32 arenaSize) {
    gDestroyed.clear();
    ASSERT_TRUE(FakeImageEngineStart(arenaSize));
    TakeError();
  }
  void TearDown() override { FakeImageEngineStop(); }

  static RwResourcesGlobals* Globals() {
    return RwPluginDataGet(RwResourcesGlobals, RwEngineInstance, RwEngineGetPluginOffset(kResourcesPluginId));
  }
  // Room for exactly `count` entries of `dataBytes` each (with the heap
  // record, alignment slack and one block header per entry).
  static RwUInt32 ArenaFor(RwInt32 count, RwInt32 dataBytes) {
    return 2 * kResHeapAlignment + count * (HeapBlockBytes(dataBytes) + kResHeapAlignment) - kResHeapAlignment;
  }
};

TEST_F(ResourcesTest, OneByteTakesOneRoundedBlock) {
  Start(4096);
  RwResEntry* slot = nullptr;
  int owner = 0;
  RwResEntry* entry = RwResourcesAllocateResEntry(&owner, &slot, 1, nullptr);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(slot, entry);
  EXPECT_EQ(entry->owner, &owner);
  EXPECT_EQ(entry->size, 1);
  EXPECT_EQ(reinterpret_cast<RwResHeapBlock*>(entry)[-1].size, HeapBlockBytes(1));
  EXPECT_EQ(RwResEntryGetData(entry), static_cast<void*>(entry + 1));
  EXPECT_EQ(Globals()->inUse, 1u);
  RwResourcesFreeResEntry(entry);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(Globals()->inUse, 0u);
}

TEST_F(ResourcesTest, FullArenaEvictsAgedEntriesOldestFirst) {
  constexpr RwInt32 kData = 100;
  Start(ArenaFor(3, kData) + 16);
  RwResEntry* slots[4] = {};
  // Frame 1: entry 0; frame 2: entry 1; frame 3: entry 2.
  for (int i = 0; i < 3; ++i) {
    ASSERT_NE(RwResourcesAllocateResEntry(&slots[i], &slots[i], kData, NoteDestroy), nullptr) << i;
    RwResourcesAgeEntries();
  }
  ASSERT_NE(RwResourcesAllocateResEntry(&slots[3], &slots[3], kData, NoteDestroy), nullptr);
  ASSERT_EQ(gDestroyed.size(), 1u);
  EXPECT_EQ(slots[0], nullptr);
  EXPECT_NE(slots[1], nullptr);
  EXPECT_NE(slots[2], nullptr);
  EXPECT_EQ(Globals()->evicted, 0u);  // taken from the aged list
  // A request for two blocks evicts the next two oldest.
  RwResEntry* big = nullptr;
  ASSERT_NE(RwResourcesAllocateResEntry(&big, &big, 2 * kData, NoteDestroy), nullptr);
  EXPECT_EQ(slots[1], nullptr);
  EXPECT_EQ(slots[2], nullptr);
  EXPECT_NE(slots[3], nullptr);
}

TEST_F(ResourcesTest, EntriesOfTheLastFrameGoAfterOlderOnes) {
  constexpr RwInt32 kData = 64;
  Start(ArenaFor(3, kData) + 16);
  RwResEntry* older = nullptr;
  RwResEntry* newer = nullptr;
  RwResEntry* current = nullptr;
  RwResourcesAllocateResEntry(&older, &older, kData, NoteDestroy);
  RwResourcesAgeEntries();
  RwResourcesAllocateResEntry(&newer, &newer, kData, NoteDestroy);
  RwResourcesAgeEntries();
  RwResourcesAllocateResEntry(&current, &current, kData, NoteDestroy);
  RwResEntry* extra = nullptr;
  ASSERT_NE(RwResourcesAllocateResEntry(&extra, &extra, kData, NoteDestroy), nullptr);
  EXPECT_EQ(older, nullptr);
  EXPECT_NE(newer, nullptr);
  ASSERT_NE(RwResourcesAllocateResEntry(&extra, nullptr, kData, NoteDestroy), nullptr);
  EXPECT_EQ(newer, nullptr);
  EXPECT_NE(current, nullptr);
}

TEST_F(ResourcesTest, EntriesUsedThisFrameGoAfterUnusedOnes) {
  constexpr RwInt32 kData = 64;
  Start(ArenaFor(3, kData) + 16);
  RwResEntry* used = nullptr;
  RwResEntry* unused = nullptr;
  RwResourcesAllocateResEntry(&used, &used, kData, NoteDestroy);
  RwResourcesAllocateResEntry(&unused, &unused, kData, NoteDestroy);
  RwResourcesAgeEntries();
  RwResourcesUseResEntry(used);
  RwResEntry* extra = nullptr;
  RwResourcesAllocateResEntry(&extra, &extra, kData, NoteDestroy);
  ASSERT_NE(RwResourcesAllocateResEntry(&extra, nullptr, kData, NoteDestroy), nullptr);
  EXPECT_EQ(unused, nullptr);
  EXPECT_NE(used, nullptr);
  // An entry made outside the arena (no links) is left where it is.
  RwResEntry outside = {};
  RwResourcesUseResEntry(&outside);
  EXPECT_EQ(outside.link.next, nullptr);
}

TEST_F(ResourcesTest, WithoutAgedEntriesTheCurrentFrameIsEvictedAndCounted) {
  constexpr RwInt32 kData = 64;
  Start(ArenaFor(2, kData) + 16);
  RwResEntry* a = nullptr;
  RwResEntry* b = nullptr;
  RwResEntry* c = nullptr;
  RwResourcesAllocateResEntry(&a, &a, kData, NoteDestroy);
  RwResourcesAllocateResEntry(&b, &b, kData, NoteDestroy);
  ASSERT_NE(RwResourcesAllocateResEntry(&c, &c, kData, NoteDestroy), nullptr);
  EXPECT_EQ(a, nullptr);
  EXPECT_NE(b, nullptr);
  EXPECT_EQ(Globals()->evicted, static_cast<RwUInt32>(kData));
  RwResourcesAgeEntries();
  EXPECT_EQ(Globals()->evicted, 0u);
}

TEST_F(ResourcesTest, RequestLargerThanTheArenaFailsWithError12) {
  Start(1024);
  RwResEntry* kept = nullptr;
  RwResourcesAllocateResEntry(&kept, &kept, 16, NoteDestroy);
  RwResEntry* slot = reinterpret_cast<RwResEntry*>(&kept);  // any non-null value
  EXPECT_EQ(RwResourcesAllocateResEntry(&slot, &slot, 4096, nullptr), nullptr);
  EXPECT_EQ(slot, nullptr);
  const RwErrorRecord e = TakeError();
  EXPECT_EQ(e.pluginID, kRwPluginIdCore);
  EXPECT_EQ(e.errorCode, kRwErrArenaFull);
  // Everything was evicted in the attempt.
  EXPECT_EQ(kept, nullptr);
  EXPECT_EQ(Globals()->inUse, 0u);
  EXPECT_EQ(RwResourcesAllocateResEntry(&slot, &slot, -1, nullptr), nullptr);
}

TEST_F(ResourcesTest, NoArenaMeansEveryAllocationFails) {
  Start(0);
  RwResEntry* slot = reinterpret_cast<RwResEntry*>(&slot);
  EXPECT_EQ(RwResourcesAllocateResEntry(&slot, &slot, 1, nullptr), nullptr);
  EXPECT_EQ(slot, nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrArenaFull);
}

TEST_F(ResourcesTest, EmptyArenaAndStopReleaseEveryEntry) {
  Start(8192);
  RwResEntry* slots[4] = {};
  for (int i = 0; i < 4; ++i) {
    RwResourcesAllocateResEntry(&slots[i], &slots[i], 32, NoteDestroy);
    if (i == 1) {
      RwResourcesAgeEntries();
    }
  }
  EXPECT_TRUE(RwResourcesEmptyArena());
  EXPECT_EQ(gDestroyed.size(), 4u);
  for (RwResEntry* s : slots) {
    EXPECT_EQ(s, nullptr);
  }
  EXPECT_EQ(Globals()->inUse, 0u);
  // The whole arena is one free block again.
  RwResEntry* all = RwResourcesAllocateResEntry(
      &slots[0], &slots[0], 8192 - 4 * kResHeapAlignment - static_cast<RwInt32>(sizeof(RwResEntry)), nullptr);
  EXPECT_NE(all, nullptr);
  // Stopping the engine frees live entries through their callbacks.
  gDestroyed.clear();
  RwResourcesFreeResEntry(all);
  RwResourcesAllocateResEntry(&slots[1], &slots[1], 0, NoteDestroy);
  RwResourcesAllocateResEntry(&slots[2], &slots[2], 16, NoteDestroy);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(gDestroyed.size(), 2u);
  EXPECT_EQ(slots[1], nullptr);
  EXPECT_EQ(slots[2], nullptr);
}

TEST(ResourcesStartTest, ArenaTooSmallForOneBlockFailsTheStart) {
  ASSERT_FALSE(FakeImageEngineStart(40));
  FakeImageEngineStop();
}

}  // namespace
