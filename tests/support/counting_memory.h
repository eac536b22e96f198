// Memory functions for engine tests that count calls and can be told to fail
// the n-th allocation.
#pragma once

#include "engine/engine.h"

struct CountingMemory {
  int mallocAttempts = 0;
  int mallocs = 0;  // successful ones
  int frees = 0;
  int reallocs = 0;
  int callocs = 0;
  int lastMallocSize = 0;
  // The malloc attempt (1-based) that returns null; 0 never.
  int failMallocNumber = 0;
};

// The counters; reset by CountingMemoryReset.
CountingMemory& CountingMemoryState();
void CountingMemoryReset();
// The four functions as a table for RwEngineInit.
const RwMemoryFunctions* CountingMemoryFunctions();
