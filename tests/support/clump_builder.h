// Builds clumps in code for tests and seed corpora.
#pragma once

#include "engine/engine.h"

// A new atomic with the geometry (a reference of its own), on the frame, with
// the flags, added to the clump.
inline RpAtomic* AddClumpAtomic(RpClump* clump, RwFrame* frame, RpGeometry* geometry, RwUInt32 flags) {
  RpAtomic* atomic = RpAtomicCreate();
  RpAtomicSetGeometry(atomic, geometry, 0);
  RpAtomicSetFrame(atomic, frame);
  RpAtomicSetFlags(atomic, flags);
  RpClumpAddAtomic(clump, atomic);
  return atomic;
}
