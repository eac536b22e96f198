// Global memory blocks: every block is kept in a table by handle and by
// address, so that a stale or foreign handle is refused instead of followed.
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <new>

#include "platform/win/win32.h"

namespace {

constexpr UINT kKnownFlags = GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE;

struct GlobalBlock {
  void* address;
  bool moveable;
  unsigned locks;  // moveable blocks only
};

struct GlobalTable {
  std::mutex lock;
  std::map<HGLOBAL, GlobalBlock*> byHandle;
  std::map<const void*, HGLOBAL> byAddress;
};

GlobalTable& Table() {
  static GlobalTable* table = new GlobalTable;  // never destroyed: used until exit
  return *table;
}

// The block of a handle, with the table's lock held; null and
// ERROR_INVALID_HANDLE when unknown.
GlobalBlock* FindLocked(GlobalTable& table, HGLOBAL memory) {
  auto found = table.byHandle.find(memory);
  if (found == table.byHandle.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second;
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  if ((flags & ~kKnownFlags) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // One byte at least, so that every block has an address of its own.
  const size_t size = bytes == 0 ? 1 : bytes;
  void* address = (flags & GMEM_ZEROINIT) != 0 ? calloc(1, size) : malloc(size);
  GlobalBlock* block = address == nullptr ? nullptr : new (std::nothrow) GlobalBlock{address, false, 0};
  if (block == nullptr) {
    free(address);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  block->moveable = (flags & GMEM_MOVEABLE) != 0;
  HGLOBAL handle = block->moveable ? static_cast<HGLOBAL>(block) : address;
  GlobalTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  table.byHandle[handle] = block;
  table.byAddress[address] = handle;
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
  GlobalTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  GlobalBlock* block = FindLocked(table, memory);
  if (block == nullptr) {
    return nullptr;
  }
  if (block->moveable) {
    ++block->locks;
  }
  return block->address;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
  GlobalTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  GlobalBlock* block = FindLocked(table, memory);
  if (block == nullptr) {
    return FALSE;
  }
  if (block->locks == 0) {
    SetLastError(ERROR_NOT_LOCKED);
    return FALSE;
  }
  if (--block->locks != 0) {
    return TRUE;
  }
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

HGLOBAL WINAPI GlobalHandle(LPCVOID address) {
  GlobalTable& table = Table();
  std::lock_guard<std::mutex> guard(table.lock);
  auto found = table.byAddress.find(address);
  if (found == table.byAddress.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return found->second;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
  GlobalBlock* block = nullptr;
  {
    GlobalTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    block = FindLocked(table, memory);
    if (block == nullptr) {
      return memory;
    }
    table.byHandle.erase(memory);
    table.byAddress.erase(block->address);
  }
  free(block->address);
  delete block;
  return nullptr;
}
