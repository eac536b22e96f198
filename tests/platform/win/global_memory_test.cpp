// Global memory: moveable blocks are reached through their lock, found again
// from their address, and bad handles are refused rather than followed.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/win/win32.h"

namespace {

TEST(GlobalMemory, MoveableBlockLocksCountAndFindsItsHandle) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_SHARE, 64);
  ASSERT_NE(block, nullptr);
  BYTE* data = static_cast<BYTE*>(GlobalLock(block));
  ASSERT_NE(data, nullptr);
  EXPECT_NE(static_cast<void*>(data), block);
  memset(data, 0xAB, 64);  // the whole size is usable
  EXPECT_EQ(GlobalLock(block), data);
  EXPECT_EQ(GlobalHandle(data), block);

  EXPECT_TRUE(GlobalUnlock(block));  // one lock left
  SetLastError(ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_FALSE(GlobalUnlock(block));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));

  EXPECT_EQ(GlobalFree(block), nullptr);
  // The handle and the address are gone with the block.
  EXPECT_EQ(GlobalLock(block), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(GlobalHandle(data), nullptr);
  EXPECT_EQ(GlobalFree(block), block);
}

TEST(GlobalMemory, FlagsZeroingAndFixedBlocks) {
  HGLOBAL zeroed = GlobalAlloc(GHND, 4096);
  ASSERT_NE(zeroed, nullptr);
  const BYTE* bytes = static_cast<const BYTE*>(GlobalLock(zeroed));
  ASSERT_NE(bytes, nullptr);
  for (int i = 0; i < 4096; ++i) {
    ASSERT_EQ(bytes[i], 0) << i;
  }
  EXPECT_EQ(GlobalFree(zeroed), nullptr);  // freeing a locked block is allowed

  HGLOBAL fixed = GlobalAlloc(GPTR, 8);
  ASSERT_NE(fixed, nullptr);
  EXPECT_EQ(GlobalLock(fixed), fixed);
  EXPECT_EQ(GlobalHandle(fixed), fixed);
  EXPECT_FALSE(GlobalUnlock(fixed));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_LOCKED));
  EXPECT_EQ(GlobalFree(fixed), nullptr);

  int local = 0;
  EXPECT_EQ(GlobalLock(&local), nullptr);
  EXPECT_EQ(GlobalHandle(&local), nullptr);
  EXPECT_FALSE(GlobalUnlock(&local));
  EXPECT_EQ(GlobalFree(&local), static_cast<HGLOBAL>(&local));
}

}  // namespace
