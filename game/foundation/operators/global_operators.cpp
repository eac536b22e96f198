// The global allocation operators of every program that uses the game, over
// the game's allocation (game/foundation/memory.h). Built as objects that each
// such program links directly, never picked from an archive: a run-time
// library linked earlier (the sanitizers') defines these operators too, and
// would otherwise be taken instead.
#include <new>

#include "game/foundation/memory.h"

// Each passes the address it returns to: the code that asked.
void* operator new(size_t size) { return GameAllocate(size, __builtin_return_address(0)); }
void* operator new[](size_t size) { return GameAllocate(size, __builtin_return_address(0)); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return GameTryAllocate(size, __builtin_return_address(0));
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return GameTryAllocate(size, __builtin_return_address(0));
}
void operator delete(void* block) noexcept { GameRelease(block); }
void operator delete[](void* block) noexcept { GameRelease(block); }
void operator delete(void* block, size_t) noexcept { GameRelease(block); }
void operator delete[](void* block, size_t) noexcept { GameRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { GameRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { GameRelease(block); }
