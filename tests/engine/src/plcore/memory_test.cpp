// Free lists in block mode (plain mode is covered with the lifecycle), the
// default memory functions and EngineFree.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "engine/engine.h"
#include "engine/src/plcore/memory_internal.h"
#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"

namespace {

class FreeListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    CountingMemoryReset();
    ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  }
  void TearDown() override {
    FakeEngineShutdown();
    FakeDriverUninstall();
    EXPECT_EQ(CountingMemoryState().mallocs, CountingMemoryState().frees);
  }
};

int CountBlocks(RwFreeList* list) {
  int count = 0;
  for (RwLLLink* link = rwLinkListGetFirstLLLink(&list->blockList); link != rwLinkListGetTerminator(&list->blockList);
       link = link->next) {
    count++;
  }
  return count;
}

RwFreeListBlock* FirstBlock(RwFreeList* list) {
  return rwLLLinkGetData(rwLinkListGetFirstLLLink(&list->blockList), RwFreeListBlock, link);
}

TEST_F(FreeListTest, EntrySizeAndAlignment) {
  struct Case {
    RwUInt32 size;
    RwUInt32 alignment;
    RwUInt32 entrySize;
    RwUInt32 storedAlignment;
  };
  const Case cases[] = {{10, 8, 16, 8}, {10, 0, 16, 8}, {4, 4, 8, 8}, {24, 16, 32, 16}, {64, 16, 64, 16}, {0, 8, 8, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "size " << c.size << " alignment " << c.alignment);
    RwFreeList* list = RwFreeListCreate(c.size, 5, c.alignment);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->entrySize, c.entrySize);
    EXPECT_EQ(list->alignment, c.storedAlignment);
    for (int i = 0; i < 7; i++) {
      void* entry = RwFreeListAlloc(list);
      ASSERT_NE(entry, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(entry) % c.storedAlignment, 0u);
    }
    RwFreeListDestroy(list);
  }
}

TEST_F(FreeListTest, BlocksHandOutEachEntryOnceAndGrowAtTheHead) {
  RwFreeList* list = RwFreeListCreate(12, 20, 8);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->bitmapBytes, 3u);
  EXPECT_EQ(CountBlocks(list), 1);
  RwFreeListBlock* firstBlock = FirstBlock(list);

  std::set<RwUInt8*> entries;
  RwUInt8* lowest = nullptr;
  for (int i = 0; i < 20; i++) {
    RwUInt8* entry = static_cast<RwUInt8*>(RwFreeListAlloc(list));
    ASSERT_NE(entry, nullptr);
    EXPECT_TRUE(entries.insert(entry).second);
    if (i == 0) {
      lowest = entry;
    }
    // Entries are contiguous in order of their bits.
    EXPECT_EQ(entry, lowest + i * 16);
  }
  EXPECT_EQ(CountBlocks(list), 1);
  // Bits past entry 19 are never handed out: the 21st entry needs a new block.
  RwUInt8* extra = static_cast<RwUInt8*>(RwFreeListAlloc(list));
  ASSERT_NE(extra, nullptr);
  EXPECT_EQ(entries.count(extra), 0u);
  EXPECT_EQ(CountBlocks(list), 2);
  EXPECT_NE(FirstBlock(list), firstBlock);

  // Freeing the only entry of the new block releases it; freeing every entry
  // of the last block keeps that block.
  EXPECT_EQ(RwFreeListFree(list, extra), list);
  EXPECT_EQ(CountBlocks(list), 1);
  for (RwUInt8* entry : entries) {
    EXPECT_EQ(RwFreeListFree(list, entry), list);
  }
  EXPECT_EQ(CountBlocks(list), 1);
  // The freed entries are handed out again, first address first.
  EXPECT_EQ(RwFreeListAlloc(list), lowest);
  RwFreeListDestroy(list);
}

TEST_F(FreeListTest, SteadyCreateAndDestroyNeverReachTheMemoryFunctions) {
  RwFreeList* list = RwFreeListCreate(48, 8, 8);
  void* held = RwFreeListAlloc(list);
  const CountingMemory before = CountingMemoryState();
  for (int i = 0; i < 100; i++) {
    void* entry = RwFreeListAlloc(list);
    ASSERT_NE(entry, nullptr);
    ASSERT_EQ(RwFreeListFree(list, entry), list);
  }
  // Emptying the only block keeps it too.
  RwFreeListFree(list, held);
  RwFreeListFree(list, RwFreeListAlloc(list));
  EXPECT_EQ(CountingMemoryState().mallocAttempts, before.mallocAttempts);
  EXPECT_EQ(CountingMemoryState().frees, before.frees);
  RwFreeListDestroy(list);
}

// The list as the block walk sees it: blocks head first, each with its used
// entries. Predicts every allocation, release and purge the list makes.
class FreeListModel {
 public:
  explicit FreeListModel(RwFreeList* list) : list_(list) {}

  void Alloc() {
    void* entry = RwFreeListAlloc(list_);
    ASSERT_NE(entry, nullptr);
    for (Block& block : blocks_) {
      for (size_t i = 0; i < block.used.size(); i++) {
        if (!block.used[i]) {
          ASSERT_EQ(entry, block.first + i * list_->entrySize) << "the first clear entry in walk order";
          block.used[i] = true;
          return;
        }
      }
    }
    // Every block full: a new one at the head hands out its first entry.
    Block block = {FirstBlock(list_), nullptr, std::vector<bool>(list_->entriesPerBlock, false)};
    block.first = static_cast<RwUInt8*>(entry);
    block.used[0] = true;
    for (const Block& known : blocks_) {
      ASSERT_NE(known.block, block.block) << "a new block is linked at the head";
    }
    blocks_.insert(blocks_.begin(), block);
  }

  // A run starts at the first clear entry in walk order and takes the clear
  // entries after it in its block; with none clear, a new block at the head.
  void AllocRun(RwUInt32 count) {
    RwUInt32 taken = 0;
    auto* run = static_cast<RwUInt8*>(_rwFreeListAllocRun(list_, count, &taken));
    ASSERT_NE(run, nullptr);
    auto take = [&](Block& block, size_t first) {
      size_t n = 0;
      while (n < count && first + n < block.used.size() && !block.used[first + n]) {
        block.used[first + n++] = true;
      }
      ASSERT_EQ(run, block.first + first * list_->entrySize);
      ASSERT_EQ(taken, n);
    };
    for (Block& block : blocks_) {
      for (size_t i = 0; i < block.used.size(); i++) {
        if (!block.used[i]) {
          take(block, i);
          return;
        }
      }
    }
    blocks_.insert(blocks_.begin(), {FirstBlock(list_), run, std::vector<bool>(list_->entriesPerBlock, false)});
    take(blocks_.front(), 0);
  }

  void Free(size_t pick) {
    std::vector<std::pair<size_t, size_t>> used;
    for (size_t b = 0; b < blocks_.size(); b++) {
      for (size_t i = 0; i < blocks_[b].used.size(); i++) {
        if (blocks_[b].used[i]) used.emplace_back(b, i);
      }
    }
    if (used.empty()) return;
    const auto [b, i] = used[pick % used.size()];
    ASSERT_EQ(RwFreeListFree(list_, blocks_[b].first + i * list_->entrySize), list_);
    blocks_[b].used[i] = false;
    if (blocks_.size() > 1 && std::none_of(blocks_[b].used.begin(), blocks_[b].used.end(), [](bool u) { return u; })) {
      blocks_.erase(blocks_.begin() + static_cast<std::ptrdiff_t>(b));
    }
  }

  void Purge() {
    RwFreeListPurge(list_);
    const std::vector<Block> walk = blocks_;
    for (const Block& block : walk) {
      auto at = std::find_if(blocks_.begin(), blocks_.end(), [&](const Block& b) { return b.block == block.block; });
      blocks_.erase(at);
      const bool keep = std::any_of(block.used.begin(), block.used.end(), [](bool u) { return u; });
      if (blocks_.empty() || keep) {
        blocks_.insert(blocks_.begin(), block);
        if (blocks_.size() == 1 && !keep) break;
      }
    }
  }

  // The list's blocks are the model's, in the model's order.
  void Check() const {
    std::vector<RwFreeListBlock*> listed;
    for (RwLLLink* link = rwLinkListGetFirstLLLink(&list_->blockList);
         link != rwLinkListGetTerminator(&list_->blockList); link = link->next) {
      listed.push_back(rwLLLinkGetData(link, RwFreeListBlock, link));
    }
    ASSERT_EQ(listed.size(), blocks_.size());
    for (size_t b = 0; b < listed.size(); b++) {
      ASSERT_EQ(listed[b], blocks_[b].block) << b;
    }
  }

 private:
  struct Block {
    RwFreeListBlock* block;
    RwUInt8* first;
    std::vector<bool> used;
  };
  RwFreeList* list_;
  std::vector<Block> blocks_;
};

TEST_F(FreeListTest, ManyBlocksHandOutWhatTheBlockWalkWould) {
  // Entries taken one at a time, then also in runs as readers take them.
  const std::pair<RwUInt32, bool> cases[] = {{1, false}, {3, false}, {20, false}, {1, true}, {3, true}, {20, true}};
  for (const auto& [perBlock, runs] : cases) {
    SCOPED_TRACE(perBlock);
    SCOPED_TRACE(runs ? "with runs" : "single entries");
    RwFreeList* list = RwFreeListCreateAndPreallocate(24, perBlock, 8, 0, nullptr);
    ASSERT_NE(list, nullptr);
    FreeListModel model(list);
    std::mt19937 random(perBlock);
    for (int step = 0; step < 6000 && !HasFatalFailure(); step++) {
      // Phases that grow, shrink and churn the list, and a purge now and then.
      const int phase = (step / 500) % 3;
      const unsigned roll = random() % 100;
      if (roll == 0) {
        model.Purge();
      } else if (runs && roll < 8) {
        model.AllocRun(1 + static_cast<RwUInt32>(random() % 45));
      } else if (roll < (phase == 0 ? 75u : phase == 1 ? 25u : 50u)) {
        model.Alloc();
      } else {
        model.Free(random());
      }
      model.Check();
    }
    RwFreeListDestroy(list);
  }
}

TEST_F(FreeListTest, FreeRefusesForeignAndMisplacedPointers) {
  RwFreeList* list = RwFreeListCreate(16, 4, 8);
  RwUInt8* entry = static_cast<RwUInt8*>(RwFreeListAlloc(list));
  ASSERT_NE(entry, nullptr);
  int outside = 0;
  EXPECT_EQ(RwFreeListFree(list, &outside), nullptr);
  EXPECT_EQ(RwFreeListFree(list, entry + 4), nullptr);
  // The entry is still in use: the next allocation is a different one.
  EXPECT_NE(RwFreeListAlloc(list), entry);
  RwFreeListDestroy(list);
}

TEST_F(FreeListTest, PurgeReleasesEmptyBlocksButKeepsOne) {
  RwFreeList* list = RwFreeListCreateAndPreallocate(8, 2, 8, 3, nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(CountBlocks(list), 3);
  EXPECT_EQ(RwFreeListPurge(list), 2 * 8);
  EXPECT_EQ(CountBlocks(list), 1);
  EXPECT_EQ(RwFreeListPurge(list), 0);
  EXPECT_EQ(CountBlocks(list), 1);

  // A block with a used entry survives; the empty one goes.
  std::vector<void*> used;
  for (int i = 0; i < 3; i++) {
    used.push_back(RwFreeListAlloc(list));
  }
  ASSERT_EQ(CountBlocks(list), 2);
  RwFreeListFree(list, used[2]);
  RwFreeListFree(list, used[0]);
  RwFreeListFree(list, used[1]);
  ASSERT_EQ(CountBlocks(list), 1);
  void* keep = RwFreeListAlloc(list);
  RwFreeList* other = RwFreeListCreateAndPreallocate(32, 1, 8, 2, nullptr);
  EXPECT_EQ(RwFreeListPurgeAllFreeLists(), 32);
  EXPECT_EQ(CountBlocks(other), 1);
  EXPECT_EQ(CountBlocks(list), 1);
  RwFreeListFree(list, keep);
  RwFreeListDestroy(other);
  RwFreeListDestroy(list);
}

void FreeEveryOther(void* entry, void* data) {
  auto* seen = static_cast<std::vector<void*>*>(data);
  seen->push_back(entry);
  if (seen->size() % 2 == 0) {
    RwFreeListFree(*reinterpret_cast<RwFreeList**>(entry), entry);
  }
}

TEST_F(FreeListTest, ForAllUsedVisitsUsedEntriesAndAllowsFreeing) {
  RwFreeList* list = RwFreeListCreate(sizeof(RwFreeList*), 4, 8);
  std::vector<void*> entries;
  for (int i = 0; i < 10; i++) {
    void* entry = RwFreeListAlloc(list);
    *static_cast<RwFreeList**>(entry) = list;
    entries.push_back(entry);
  }
  RwFreeListFree(list, entries[3]);
  std::vector<void*> seen;
  EXPECT_EQ(RwFreeListForAllUsed(list, FreeEveryOther, &seen), list);
  EXPECT_EQ(seen.size(), 9u);
  EXPECT_EQ(std::set<void*>(seen.begin(), seen.end()).count(entries[3]), 0u);

  std::vector<void*> left;
  RwFreeListForAllUsed(
      list, [](void* entry, void* data) { static_cast<std::vector<void*>*>(data)->push_back(entry); }, &left);
  EXPECT_EQ(left.size(), 5u);
  RwFreeListDestroy(list);
}

TEST_F(FreeListTest, FailedPreallocationUndoesEverything) {
  CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + 3;  // the third block
  EXPECT_EQ(RwFreeListCreateAndPreallocate(16, 8, 8, 4, nullptr), nullptr);
  CountingMemoryState().failMallocNumber = 0;
  // The blocks already made were freed (checked in TearDown), and a list can
  // still be made.
  RwFreeList* list = RwFreeListCreate(16, 8, 8);
  ASSERT_NE(list, nullptr);
  RwFreeListDestroy(list);
}

TEST_F(FreeListTest, GrowthFailureReturnsNull) {
  RwFreeList* list = RwFreeListCreate(16, 1, 8);
  ASSERT_NE(RwFreeListAlloc(list), nullptr);
  CountingMemoryState().failMallocNumber = CountingMemoryState().mallocAttempts + 1;
  EXPECT_EQ(RwFreeListAlloc(list), nullptr);
  CountingMemoryState().failMallocNumber = 0;
  EXPECT_NE(RwFreeListAlloc(list), nullptr);
}

TEST_F(FreeListTest, StaticRecordIsNeverFreed) {
  RwFreeList record;
  RwFreeList* list = RwFreeListCreateAndPreallocate(16, 4, 8, 1, &record);
  ASSERT_EQ(list, &record);
  EXPECT_EQ(record.flags, kRwFreeListStatic | kRwFreeListReleaseEmpty);
  ASSERT_NE(RwFreeListAlloc(list), nullptr);
  EXPECT_TRUE(RwFreeListDestroy(list));
}

TEST_F(FreeListTest, ListsLeftOnTheChainAreFreedAtTerm) {
  RwFreeList* list = RwFreeListCreateAndPreallocate(100, 3, 8, 2, nullptr);
  for (int i = 0; i < 7; i++) {
    ASSERT_NE(RwFreeListAlloc(list), nullptr);
  }
  // TearDown terminates the engine and checks that every malloc was freed.
}

TEST_F(FreeListTest, EngineFreeUsesTheFreeFunctionAndIgnoresNull) {
  void* block = RwMalloc(32);
  const int frees = CountingMemoryState().frees;
  EngineFree(nullptr);
  EXPECT_EQ(CountingMemoryState().frees, frees);
  EngineFree(block);
  EXPECT_EQ(CountingMemoryState().frees, frees + 1);
}

TEST(DefaultMemoryTest, CallocZeroesAndRefusesOverflow) {
  FakeDriverInstall();
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  unsigned char* block = static_cast<unsigned char*>(RwCalloc(10, 3));
  ASSERT_NE(block, nullptr);
  for (int i = 0; i < 30; i++) {
    EXPECT_EQ(block[i], 0);
  }
  RwFree(block);
  EXPECT_EQ(RwCalloc(SIZE_MAX / 2 + 2, 2), nullptr);
  EXPECT_EQ(RwCalloc(SIZE_MAX, SIZE_MAX), nullptr);
  void* grown = RwRealloc(RwMalloc(4), 64);
  EXPECT_NE(grown, nullptr);
  RwFree(grown);
  FakeEngineShutdown();
  FakeDriverUninstall();
}

}  // namespace
