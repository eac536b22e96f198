// The small-block pools behind the engine's memory functions: size classes,
// the pointer table, what goes to the C runtime, and realloc and calloc.
#include "game/app/small_block_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/foundation/memory.h"
#include "tests/support/fake_driver.h"

namespace {

TEST(PoolClassTest, SizeBoundaries) {
  struct tCase {
    size_t size;
    s32 sizeClass;
  };
  const tCase cases[] = {{0, 0},  {1, 0},   {8, 0},   {9, 1},    {16, 1},   {17, 2},   {64, 3},
                         {65, 4}, {512, 6}, {513, 7}, {2048, 8}, {2049, 9}, {4096, 9}, {4097, -1}};
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.size);
    EXPECT_EQ(test.sizeClass, PoolSizeClass(test.size));
  }
}

TEST(PoolClassTest, HashUsesTheLowAddressBits) {
  // ((0x80 - 0x40 + 0x100 + 0x200) & 0x3FFF) + 12
  EXPECT_EQ(844u, PoolHash(reinterpret_cast<void*>(uintptr_t{0x1000})));
  EXPECT_EQ(844u, PoolHash(reinterpret_cast<void*>(uintptr_t{0x123400001000})));
  EXPECT_EQ(12u, PoolHash(nullptr));
}

// The engine started on the fake driver with the pools behind its memory
// functions, and its stop in the game's order: the pools go after the close.
bool StartPooledEngine() {
  FakeDriverInstall();
  RwEngineOpenParams params = {nullptr};
  if (!RwEngineInit(InstallMemoryHooks(), 0, 0x10000) || !RwEngineOpen(&params) || !RwEngineStart() ||
      !CreateSmallBlockPools()) {
    return false;
  }
  EnableSmallBlockPools();
  return true;
}

void StopPooledEngine() {
  DisableSmallBlockPools();
  RwEngineStop();
  RwEngineClose();
  DestroySmallBlockPools();
  RwEngineTerm();
  FakeDriverUninstall();
}

class SmallBlockPoolTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(StartPooledEngine()); }
  void TearDown() override { StopPooledEngine(); }
};

TEST_F(SmallBlockPoolTest, EveryClassServesItsSizes) {
  EXPECT_TRUE(ArePoolsSetUp());
  EXPECT_EQ(10u * 16384u, GetPoolBytes());
  const size_t sizes[] = {1, 8, 9, 16, 100, 1024, 2049, 4096};
  std::vector<void*> blocks;
  for (size_t size : sizes) {
    SCOPED_TRACE(size);
    void* block = PoolMalloc(size);
    ASSERT_NE(nullptr, block);
    EXPECT_EQ(PoolSizeClass(size), PoolBlockClass(block));
    memset(block, 0xAB, PoolClassSize(static_cast<u32>(PoolBlockClass(block))));
    blocks.push_back(block);
  }
  EXPECT_EQ(blocks.size(), GetPoolLiveCount());
  for (void* block : blocks) {
    PoolFree(block);
  }
  EXPECT_EQ(0u, GetPoolLiveCount());
}

TEST_F(SmallBlockPoolTest, LargeAndForeignBlocksUseTheCRuntime) {
  void* large = PoolMalloc(4097);
  ASSERT_NE(nullptr, large);
  EXPECT_EQ(-1, PoolBlockClass(large));
  EXPECT_EQ(0u, GetPoolLiveCount());
  PoolFree(large);

  void* foreign = malloc(32);
  PoolFree(foreign);  // the sanitizer reports a block freed to the wrong place
  PoolFree(nullptr);
  EXPECT_EQ(0u, GetPoolLiveCount());
}

// Recorded blocks are compared on their whole address.
TEST_F(SmallBlockPoolTest, PointerTableComparesWholeAddresses) {
  void* block = PoolMalloc(32);
  ASSERT_GE(PoolFindPointer(block), 0);
  void* alias = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(block) ^ (uintptr_t{1} << 40));
  EXPECT_EQ(-1, PoolFindPointer(alias));
  void* highBits = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(block) ^ (uintptr_t{1} << 29));
  EXPECT_EQ(-1, PoolFindPointer(highBits));
  PoolFree(block);
}

TEST_F(SmallBlockPoolTest, DisabledPoolsStillTakeTheirBlocksBack) {
  void* pooled = PoolMalloc(64);
  ASSERT_GE(PoolBlockClass(pooled), 0);
  DisableSmallBlockPools();
  void* plain = PoolMalloc(64);
  EXPECT_EQ(-1, PoolBlockClass(plain));
  PoolFree(pooled);
  EXPECT_EQ(0u, GetPoolLiveCount());
  PoolFree(plain);
}

TEST_F(SmallBlockPoolTest, ReallocMovesBetweenClassesAndKeepsTheBytes) {
  char* block = static_cast<char*>(PoolMalloc(16));
  ASSERT_NE(nullptr, block);
  memcpy(block, "0123456789abcde", 16);
  char* grown = static_cast<char*>(PoolRealloc(block, 100));
  ASSERT_NE(nullptr, grown);
  EXPECT_EQ(4, PoolBlockClass(grown));
  EXPECT_EQ(-1, PoolFindPointer(block));
  EXPECT_STREQ("0123456789abcde", grown);
  EXPECT_EQ(1u, GetPoolLiveCount());

  char* huge = static_cast<char*>(PoolRealloc(grown, 10000));
  ASSERT_NE(nullptr, huge);
  EXPECT_EQ(-1, PoolBlockClass(huge));
  EXPECT_STREQ("0123456789abcde", huge);
  EXPECT_EQ(0u, GetPoolLiveCount());

  char* back = static_cast<char*>(PoolRealloc(huge, 20000));
  ASSERT_NE(nullptr, back);
  EXPECT_STREQ("0123456789abcde", back);
  PoolFree(back);

  void* fresh = PoolRealloc(nullptr, 8);
  EXPECT_EQ(0, PoolBlockClass(fresh));
  PoolFree(fresh);
}

TEST_F(SmallBlockPoolTest, CallocZeroesAndRefusesOverflow) {
  unsigned char* block = static_cast<unsigned char*>(PoolCalloc(10, 30));
  ASSERT_NE(nullptr, block);
  EXPECT_EQ(6, PoolBlockClass(block));
  for (int i = 0; i < 300; i++) {
    ASSERT_EQ(0, block[i]);
  }
  PoolFree(block);
  EXPECT_EQ(nullptr, PoolCalloc(SIZE_MAX / 2, 4));
}

// Pools that hold no block when the engine closes are destroyed.
TEST(SmallBlockPoolCloseTest, EmptyPoolsAreDestroyedAndKeepNothing) {
  ASSERT_TRUE(StartPooledEngine());
  EXPECT_NE(nullptr, GetPoolFreeList(0));
  PoolFree(PoolMalloc(40));
  StopPooledEngine();
  EXPECT_FALSE(ArePoolsSetUp());
  EXPECT_EQ(0u, GetPoolBlocksKept());
  EXPECT_EQ(nullptr, GetPoolFreeList(0));
}

TEST_F(SmallBlockPoolTest, LiveCountLimitSendsFurtherBlocksToTheCRuntime) {
  std::vector<void*> blocks;
  for (u32 i = 0; i < kPoolLiveLimit + 50; i++) {
    blocks.push_back(PoolMalloc(24));
  }
  EXPECT_EQ(kPoolLiveLimit, GetPoolLiveCount());
  EXPECT_EQ(-1, PoolBlockClass(blocks.back()));
  for (void* block : blocks) {
    PoolFree(block);
  }
  EXPECT_EQ(0u, GetPoolLiveCount());
}

// A block another library still holds when the engine closes stays valid,
// and its late release, with no engine left, neither frees pool memory to
// the C runtime nor touches the gone engine. Alone in its suite: the pools
// stay retired for the rest of the program.
TEST(SmallBlockPoolRetireTest, BlocksHeldPastTheEngineStayValidAndReleaseLater) {
  ASSERT_TRUE(StartPooledEngine());
  unsigned char* held = static_cast<unsigned char*>(PoolMalloc(40));
  ASSERT_LE(0, PoolBlockClass(held));
  StopPooledEngine();
  memset(held, 0x5A, 40);
  EXPECT_EQ(1u, GetPoolLiveCount());
  EXPECT_EQ(1u, GetPoolBlocksKept());
  EXPECT_TRUE(ArePoolsSetUp());
  GameRelease(held);
  EXPECT_EQ(0u, GetPoolLiveCount());
  EXPECT_EQ(1u, GetPoolBlocksKept()) << "the count tells what the close found";
  void* later = PoolMalloc(40);
  EXPECT_EQ(-1, PoolBlockClass(later));
  GameRelease(later);
}

}  // namespace
