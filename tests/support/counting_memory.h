// Memory functions for engine tests that count calls and can be told to fail
// the n-th allocation.
#pragma once

#include "engine/engine.h"

struct CountingMemory {
  int mallocs = 0;
  int frees = 0;
  int reallocs = 0;
  int callocs = 0;
  // Sizes of every malloc, in order.
  int lastMallocSize = 0;
  // The allocation (1-based, counting mallocs only) that returns null; 0 never.
  int failMallocNumber = 0;
};

// The counters; reset by CountingMemoryReset.
CountingMemory& CountingMemoryState();
void CountingMemoryReset();
// The four functions as a table for RwEngineInit.
const RwMemoryFunctions* CountingMemoryFunctions();
