// The colour module: an engine plugin without data that only counts how
// often it was opened.
#include "engine/src/engine_internal.h"

namespace {
RwInt32 sColorModuleOpenCount = 0;
}

void* _rwColorOpen(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  sColorModuleOpenCount++;
  return instance;
}

void* _rwColorClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  sColorModuleOpenCount--;
  return instance;
}
