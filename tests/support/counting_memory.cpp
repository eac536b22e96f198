// Counting memory functions for engine tests.
#include "tests/support/counting_memory.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

CountingMemory sCounts;

void* CountingMalloc(size_t size) {
  sCounts.mallocAttempts++;
  sCounts.lastMallocSize = static_cast<int>(size);
  if (sCounts.failMallocNumber != 0 && sCounts.mallocAttempts == sCounts.failMallocNumber) {
    return nullptr;
  }
  sCounts.mallocs++;
  return std::malloc(size);
}

void CountingFree(void* block) {
  if (block != nullptr) {
    sCounts.frees++;
  }
  std::free(block);
}

void* CountingRealloc(void* block, size_t size) {
  sCounts.reallocs++;
  void* result = std::realloc(block, size);
  if (block == nullptr && result != nullptr) {
    sCounts.reallocsOfNull++;
  }
  return result;
}

void* CountingCalloc(size_t count, size_t size) {
  sCounts.callocs++;
  return std::calloc(count, size);
}

const RwMemoryFunctions kFunctions = {CountingMalloc, CountingFree, CountingRealloc, CountingCalloc};

}  // namespace

CountingMemory& CountingMemoryState() { return sCounts; }

void CountingMemoryReset() { sCounts = CountingMemory(); }

int CountingMemoryLiveBlocks() { return sCounts.mallocs + sCounts.callocs + sCounts.reallocsOfNull - sCounts.frees; }

const RwMemoryFunctions* CountingMemoryFunctions() { return &kFunctions; }

void ExpectFailedMallocsLeakNothing(const std::function<bool()>& attempt, int failureLimit) {
  for (int n = 1;; ++n) {
    SCOPED_TRACE(n);
    sCounts.mallocAttempts = 0;
    sCounts.failMallocNumber = n;
    const int live = CountingMemoryLiveBlocks();
    const bool succeeded = attempt();
    sCounts.failMallocNumber = 0;
    if (succeeded) {
      break;
    }
    ASSERT_EQ(CountingMemoryLiveBlocks(), live);
    ASSERT_LT(n, failureLimit);
  }
}
