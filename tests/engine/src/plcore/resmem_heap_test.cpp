// The resource arena's block heap: splitting, best fit, merging and the
// lowest-free-block hint.
#include "engine/src/plcore/resmem_heap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

class ResHeapTest : public ::testing::Test {
 protected:
  RwResHeap* Init(RwUInt32 bytes) {
    memory_.assign(bytes + kResHeapAlignment, 0);
    // Start one word past a 32-byte boundary so that the first block must be aligned up.
    uintptr_t p = reinterpret_cast<uintptr_t>(memory_.data());
    p = ((p + kResHeapAlignment - 1) & ~uintptr_t{kResHeapAlignment - 1}) + 8;
    base_ = reinterpret_cast<void*>(p);
    if (!RwResHeapInit(base_, bytes)) {
      return nullptr;
    }
    return static_cast<RwResHeap*>(base_);
  }

  static RwResHeapBlock* Header(void* data) { return static_cast<RwResHeapBlock*>(data) - 1; }

  std::vector<RwUInt8> memory_;
  void* base_ = nullptr;
};

TEST_F(ResHeapTest, InitPlacesOneAlignedFreeBlock) {
  RwResHeap* heap = Init(1024 + 8);
  ASSERT_NE(heap, nullptr);
  RwResHeapBlock* first = heap->first;
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first) % kResHeapAlignment, 0u);
  EXPECT_EQ(heap->freeHint, first);
  EXPECT_EQ(first->next, nullptr);
  // Usable: (end rounded down) - first block - one header.
  const uintptr_t end = (reinterpret_cast<uintptr_t>(base_) + 1024 + 8) & ~uintptr_t{kResHeapAlignment - 1};
  EXPECT_EQ(first->size, end - reinterpret_cast<uintptr_t>(first) - kResHeapAlignment);
}

TEST_F(ResHeapTest, InitRefusesTooSmallMemory) { EXPECT_EQ(Init(48), nullptr); }

TEST_F(ResHeapTest, AllocationsAreAlignedAndRoundedUp) {
  RwResHeap* heap = Init(4096);
  ASSERT_NE(heap, nullptr);
  void* a = RwResHeapAlloc(heap, 1);
  void* b = RwResHeapAlloc(heap, 33);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(a) % kResHeapAlignment, 0u);
  EXPECT_EQ(Header(a)->size, 32u);
  EXPECT_EQ(Header(b)->size, 64u);
  EXPECT_EQ(static_cast<RwUInt8*>(b) - static_cast<RwUInt8*>(a), 64);
  EXPECT_EQ(Header(a)->flags & kResHeapBlockUsed, kResHeapBlockUsed);
}

TEST_F(ResHeapTest, FreeingNeighboursMergesHeaders) {
  RwResHeap* heap = Init(4096);
  void* a = RwResHeapAlloc(heap, 64);
  void* b = RwResHeapAlloc(heap, 64);
  void* c = RwResHeapAlloc(heap, 64);
  ASSERT_NE(c, nullptr);
  RwResHeapFree(a);
  RwResHeapFree(b);
  // a absorbed b, including b's header.
  EXPECT_EQ(Header(a)->size, 64u + 32u + 64u);
  EXPECT_EQ(Header(a)->next, Header(c));
  EXPECT_EQ(heap->freeHint, Header(a));
  // Freeing c joins everything into one block again.
  RwResHeapFree(c);
  EXPECT_EQ(heap->first->next, nullptr);
  EXPECT_EQ(heap->first->flags, 0u);
}

TEST_F(ResHeapTest, BestFitPrefersTheSmallestFreeBlock) {
  RwResHeap* heap = Init(8192);
  void* big = RwResHeapAlloc(heap, 512);
  void* sep1 = RwResHeapAlloc(heap, 32);
  void* small = RwResHeapAlloc(heap, 128);
  void* sep2 = RwResHeapAlloc(heap, 32);
  ASSERT_NE(sep2, nullptr);
  RwResHeapFree(big);
  RwResHeapFree(small);
  EXPECT_EQ(RwResHeapAlloc(heap, 100), small);
  EXPECT_EQ(RwResHeapAlloc(heap, 500), big);
  (void)sep1;
}

TEST_F(ResHeapTest, ExhaustionReturnsNullAndFreeingRestores) {
  RwResHeap* heap = Init(1024);
  std::vector<void*> blocks;
  for (void* p = RwResHeapAlloc(heap, 32); p != nullptr; p = RwResHeapAlloc(heap, 32)) {
    blocks.push_back(p);
  }
  ASSERT_FALSE(blocks.empty());
  EXPECT_EQ(heap->freeHint, nullptr);
  for (void* p : blocks) {
    RwResHeapFree(p);
  }
  EXPECT_EQ(heap->first->next, nullptr);
  EXPECT_NE(RwResHeapAlloc(heap, heap->first->size), nullptr);
}

TEST_F(ResHeapTest, SmallRemainderIsNotSplitOff) {
  RwResHeap* heap = Init(4096);
  const RwUInt32 whole = heap->first->size;
  // Leaves exactly 64 bytes: not more than the split slack, so the block stays whole.
  void* p = RwResHeapAlloc(heap, whole - 64);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(Header(p)->size, whole);
  EXPECT_EQ(Header(p)->next, nullptr);
}

}  // namespace
