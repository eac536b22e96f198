// Reads and clears the engine's pending error, for tests that check which
// error a call reported.
#pragma once

#include "engine/engine.h"

inline RwErrorRecord TakeError() {
  RwErrorRecord e = {};
  RwErrorGet(&e);
  return e;
}
