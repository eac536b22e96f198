// Replacement of the global allocation operators.
#include "game/foundation/memory.h"

#include <cstdlib>
#include <new>

#include "game/foundation/fatal_error.h"

// Referenced by name at link time so that this object, and with it the
// operators below, is always part of a program that uses the game.
extern "C" {
int GameAllocatorLinked = 1;
}

namespace {

bool sEngineOpen = false;

void* Allocate(size_t size) {
  if (size == 0) {
    size = 1;
  }
  void* block = malloc(size);
  if (block == nullptr) {
    FatalError("operator new : out of memory (%zu bytes)", size);
  }
  return block;
}

void Release(void* block) {
  if (block == nullptr) {
    return;
  }
  free(block);
}

}  // namespace

void SetEngineOpenFlag(bool open) { sEngineOpen = open; }

bool GetEngineOpenFlag() { return sEngineOpen; }

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }
