// The game's allocation: the engine's memory functions while the engine is
// open, the C runtime before and after. The global allocation operators that
// call it are in game/foundation/operators.
#include "game/foundation/memory.h"

#include <cstdlib>

#include "engine/engine.h"
#include "game/foundation/fatal_error.h"
#include "platform/win/win32.h"

namespace {

bool sEngineOpen = false;
void (*sLateRelease)(void* block) = nullptr;

// The engine's memory functions while the engine is open; null otherwise.
const RwMemoryFunctions* EngineMemory() {
  if (!sEngineOpen || RwEngineInstance == nullptr || RwEngineInstance->memoryFunctions.rwmalloc == nullptr ||
      RwEngineInstance->memoryFunctions.rwfree == nullptr) {
    return nullptr;
  }
  return &RwEngineInstance->memoryFunctions;
}

// Whether the code at the address belongs to the program itself. An
// allocation leaves the thread's last error as it was.
bool IsProgramCode(const void* caller) {
  const DWORD lastError = GetLastError();
  HMODULE module = nullptr;
  const DWORD flags = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  const bool own =
      GetModuleHandleExA(flags, static_cast<LPCSTR>(caller), &module) && module == GetModuleHandleA(nullptr);
  SetLastError(lastError);
  return own;
}

}  // namespace

void* GameTryAllocate(size_t size, const void* caller) {
  if (size == 0) {
    size = 1;
  }
  const RwMemoryFunctions* engine = EngineMemory();
  return engine != nullptr && IsProgramCode(caller) ? engine->rwmalloc(size) : malloc(size);
}

void* GameAllocate(size_t size, const void* caller) {
  void* block = GameTryAllocate(size, caller);
  if (block == nullptr) {
    FatalError("operator new : out of memory (%zu bytes)", size);
  }
  return block;
}

// The engine's free passes blocks it did not hand out to the C runtime, so
// blocks from before the engine opened may be freed while it is open. Once the
// flag is cleared (before the engine closes) every block goes to the C
// runtime, never to a closed engine.
void GameRelease(void* block) {
  if (block == nullptr) {
    return;
  }
  const RwMemoryFunctions* engine = EngineMemory();
  if (engine != nullptr) {
    engine->rwfree(block);
  } else if (sLateRelease != nullptr) {
    sLateRelease(block);
  } else {
    free(block);
  }
}

void SetLateRelease(void (*release)(void* block)) { sLateRelease = release; }

void SetEngineOpenFlag(bool open) { sEngineOpen = open; }

bool GetEngineOpenFlag() { return sEngineOpen; }
