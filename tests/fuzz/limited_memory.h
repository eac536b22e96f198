// Memory functions for fuzz targets that refuse very large blocks, so that
// huge sizes read from the input fail instead of exhausting memory.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "engine/engine.h"

namespace fuzzmemory {

constexpr size_t kMaximumBlock = 64u << 20;

inline void* LimitedMalloc(size_t size) { return size > kMaximumBlock ? nullptr : std::malloc(size); }
inline void* LimitedRealloc(void* block, size_t size) {
  return size > kMaximumBlock ? nullptr : std::realloc(block, size);
}
inline void* LimitedCalloc(size_t count, size_t size) {
  return (size != 0 && count > kMaximumBlock / size) ? nullptr : std::calloc(count, size);
}

inline const RwMemoryFunctions* Functions() {
  static const RwMemoryFunctions memory = {LimitedMalloc, std::free, LimitedRealloc, LimitedCalloc};
  return &memory;
}

}  // namespace fuzzmemory
