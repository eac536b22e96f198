// The atomic a clump lists first, for tests that build or read one-atomic
// clumps.
#pragma once

#include "engine/engine.h"

// Null for a clump without atomics.
inline RpAtomic* FirstAtomic(RpClump* clump) {
  RpAtomic* first = nullptr;
  RpClumpForAllAtomics(
      clump,
      [](RpAtomic* atomic, void* data) {
        *static_cast<RpAtomic**>(data) = atomic;
        return static_cast<RpAtomic*>(nullptr);
      },
      &first);
  return first;
}
