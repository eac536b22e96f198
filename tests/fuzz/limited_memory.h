// Memory functions for fuzz targets that refuse very large blocks, so that a
// huge size declared by the input fails the read instead of exhausting memory.
#pragma once

#include <cstddef>
#include <cstdlib>

#include "engine/engine.h"

namespace limitedmemory {

constexpr size_t kMaximumBlock = 64u << 20;

inline void* Malloc(size_t size) { return size > kMaximumBlock ? nullptr : std::malloc(size); }
inline void* Realloc(void* block, size_t size) { return size > kMaximumBlock ? nullptr : std::realloc(block, size); }
inline void* Calloc(size_t count, size_t size) {
  return (size != 0 && count > kMaximumBlock / size) ? nullptr : std::calloc(count, size);
}

inline const RwMemoryFunctions* Functions() {
  static const RwMemoryFunctions functions = {Malloc, std::free, Realloc, Calloc};
  return &functions;
}

}  // namespace limitedmemory
