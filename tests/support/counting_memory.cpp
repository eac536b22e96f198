// Counting memory functions for engine tests.
#include "tests/support/counting_memory.h"

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
  return std::realloc(block, size);
}

void* CountingCalloc(size_t count, size_t size) {
  sCounts.callocs++;
  return std::calloc(count, size);
}

const RwMemoryFunctions kFunctions = {CountingMalloc, CountingFree, CountingRealloc, CountingCalloc};

}  // namespace

CountingMemory& CountingMemoryState() { return sCounts; }

void CountingMemoryReset() { sCounts = CountingMemory(); }

const RwMemoryFunctions* CountingMemoryFunctions() { return &kFunctions; }
