// Memory functions for engine tests that count calls and can be told to fail
// the n-th allocation.
#pragma once

#include <functional>
#include <string>

#include "engine/engine.h"

struct CountingMemory {
  int mallocAttempts = 0;
  int mallocs = 0;  // successful ones
  int frees = 0;
  int reallocs = 0;
  int reallocsOfNull = 0;  // those that made a new block
  int callocs = 0;
  int lastMallocSize = 0;
  // The malloc attempt (1-based) that returns null; 0 never.
  int failMallocNumber = 0;
};

// The counters; reset by CountingMemoryReset.
CountingMemory& CountingMemoryState();
void CountingMemoryReset();
// Blocks handed out (by malloc, calloc or a realloc of null) and not yet taken back.
int CountingMemoryLiveBlocks();
// The four functions as a table for RwEngineInit.
const RwMemoryFunctions* CountingMemoryFunctions();

// Runs attempt with the first, then the second, ... malloc failing until an
// attempt succeeds. Every failed attempt must leave as many blocks live as it
// found, and the attempt with malloc number failureLimit failing must succeed
// at the latest. A successful attempt releases whatever it made.
void ExpectFailedMallocsLeakNothing(const std::function<bool()>& attempt, int failureLimit);

// The same walk for an image reader on a file; a read that succeeds destroys
// its image.
inline void ExpectFailedImageReadsLeakNothing(RwImageCallBackRead read, const std::string& path, int failureLimit) {
  ExpectFailedMallocsLeakNothing(
      [read, &path] {
        RwImage* image = read(path.c_str());
        if (image == nullptr) {
          return false;
        }
        RwImageDestroy(image);
        return true;
      },
      failureLimit);
}
