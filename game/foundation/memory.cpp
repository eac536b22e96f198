// Replacement of the global allocation operators.
#include "game/foundation/memory.h"

#include <cstdlib>
#include <new>

#include "engine/engine.h"
#include "game/foundation/fatal_error.h"

// Referenced by name at link time so that this object, and with it the
// operators below, is always part of a program that uses the game.
extern "C" {
int GameAllocatorLinked = 1;
}

namespace {

bool sEngineOpen = false;

// The engine's memory functions while the engine is open; null otherwise.
const RwMemoryFunctions* EngineMemory() {
  if (!sEngineOpen || RwEngineInstance == nullptr || RwEngineInstance->memoryFunctions.rwmalloc == nullptr ||
      RwEngineInstance->memoryFunctions.rwfree == nullptr) {
    return nullptr;
  }
  return &RwEngineInstance->memoryFunctions;
}

// Null when the memory is exhausted.
void* TryAllocate(size_t size) {
  if (size == 0) {
    size = 1;
  }
  const RwMemoryFunctions* engine = EngineMemory();
  return engine != nullptr ? engine->rwmalloc(size) : malloc(size);
}

// The game has no exceptions: running out of memory ends it.
void* Allocate(size_t size) {
  void* block = TryAllocate(size);
  if (block == nullptr) {
    FatalError("operator new : out of memory (%zu bytes)", size);
  }
  return block;
}

// The engine's free passes blocks it did not hand out to the C runtime, so
// blocks from before the engine opened may be freed while it is open. Once the
// flag is cleared (before the engine closes) every block goes to the C
// runtime, never to a closed engine.
void Release(void* block) {
  if (block == nullptr) {
    return;
  }
  const RwMemoryFunctions* engine = EngineMemory();
  if (engine != nullptr) {
    engine->rwfree(block);
  } else {
    free(block);
  }
}

}  // namespace

void SetEngineOpenFlag(bool open) { sEngineOpen = open; }

bool GetEngineOpenFlag() { return sEngineOpen; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return TryAllocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
