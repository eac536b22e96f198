// Dynamic vertex buffers: a list of buffers pooled by vertex format and size,
// and the shared buffers that immediate-mode and other per-frame vertices are
// appended to with no-overwrite locks, discarded only when full.
#include <cstring>

#include "engine/driver/d3d8/d3d8_device_internal.h"

namespace {

constexpr RwUInt32 kDynamicBuffersPerBlock = 42;
constexpr RwUInt32 kDynamicBufferAlignment = 4;
constexpr DWORD kDynamicUsage = D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC;

RwD3D8DynamicVertexBuffer* FindNode(IDirect3DVertexBuffer8* buffer) {
  for (RwD3D8DynamicVertexBuffer* node = _rwD3D8Driver.dynamicBuffers; node != nullptr; node = node->next) {
    if (node->buffer == buffer) {
      return node;
    }
  }
  return nullptr;
}

RwUInt32 RoundUp(RwUInt32 value, RwUInt32 multiple) { return (value + multiple - 1) / multiple * multiple; }

}  // namespace

RwBool _rwD3D8DynamicVertexBuffersOpen(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (driver.dynamicBufferFreeList == nullptr) {
    driver.dynamicBufferFreeList =
        RwFreeListCreate(sizeof(RwD3D8DynamicVertexBuffer), kDynamicBuffersPerBlock, kDynamicBufferAlignment);
  }
  return driver.dynamicBufferFreeList != nullptr;
}

void _rwD3D8DynamicVertexBuffersClose(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  while (driver.dynamicBuffers != nullptr) {
    RwD3D8DynamicVertexBuffer* node = driver.dynamicBuffers;
    driver.dynamicBuffers = node->next;
    if (node->buffer != nullptr) {
      node->buffer->Release();
    }
    if (node->owner != nullptr) {
      *node->owner = nullptr;
    }
    RwFreeListEntryFree(driver.dynamicBufferFreeList, node);
  }
  if (driver.dynamicBufferFreeList != nullptr) {
    RwFreeListDestroy(driver.dynamicBufferFreeList);
    driver.dynamicBufferFreeList = nullptr;
  }
  std::memset(driver.shared, 0, sizeof driver.shared);
  driver.currentShared = 0;
}

RwBool RwD3D8DynamicVertexBufferCreate(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8** buffer) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (buffer == nullptr || driver.dynamicBufferFreeList == nullptr) {
    return FALSE;
  }
  RwD3D8DynamicVertexBuffer* largestFree = nullptr;
  for (RwD3D8DynamicVertexBuffer* node = driver.dynamicBuffers; node != nullptr; node = node->next) {
    if (node->inUse) {
      continue;
    }
    if (node->fvf == fvf && node->size == size && node->buffer != nullptr) {
      node->inUse = 1;
      node->owner = buffer;
      *buffer = node->buffer;
      return TRUE;
    }
    if (largestFree == nullptr || node->size > largestFree->size) {
      largestFree = node;
    }
  }
  RwD3D8DynamicVertexBuffer* node = largestFree;
  if (node != nullptr) {
    if (node->buffer != nullptr) {
      node->buffer->Release();
      node->buffer = nullptr;
    }
  } else {
    node = static_cast<RwD3D8DynamicVertexBuffer*>(RwFreeListEntryAlloc(driver.dynamicBufferFreeList));
    if (node == nullptr) {
      return FALSE;
    }
    std::memset(node, 0, sizeof *node);
    node->next = driver.dynamicBuffers;
    driver.dynamicBuffers = node;
  }
  const D3DPOOL pool = _rwD3D8HasHardwareTnL() ? D3DPOOL_DEFAULT : D3DPOOL_SYSTEMMEM;
  IDirect3DVertexBuffer8* created = nullptr;
  if (FAILED(driver.device->CreateVertexBuffer(size, kDynamicUsage, fvf, pool, &created)) || created == nullptr) {
    node->inUse = 0;
    node->buffer = nullptr;
    node->owner = nullptr;
    return FALSE;
  }
  node->fvf = fvf;
  node->size = size;
  node->inUse = 1;
  node->buffer = created;
  node->owner = buffer;
  *buffer = created;
  return TRUE;
}

void RwD3D8DynamicVertexBufferDestroy(IDirect3DVertexBuffer8* buffer) {
  RwD3D8DynamicVertexBuffer* node = buffer != nullptr ? FindNode(buffer) : nullptr;
  if (node == nullptr) {
    return;
  }
  node->inUse = 0;
  if (node->owner != nullptr) {
    *node->owner = nullptr;
    node->owner = nullptr;
  }
}

RwBool RwD3D8DynamicVertexBufferLock(RwUInt32 stride, RwUInt32 numVertices, IDirect3DVertexBuffer8** buffer,
                                     void** memory, RwUInt32* baseVertexIndex) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  if (stride == 0 || numVertices == 0 || buffer == nullptr || memory == nullptr || baseVertexIndex == nullptr) {
    return FALSE;
  }
  const RwUInt64 wantedBytes = static_cast<RwUInt64>(stride) * numVertices;
  if (wantedBytes > 0x7FFFFFFFu) {
    return FALSE;
  }
  const RwUInt32 bytes = static_cast<RwUInt32>(wantedBytes);
  RwUInt32 offset = 0;
  if (_rwD3D8HasHardwareTnL()) {
    offset = RoundUp(driver.shared[driver.currentShared].used, stride);
    if (offset + bytes > driver.shared[driver.currentShared].size) {
      RwBool found = FALSE;
      for (RwInt32 i = 0; i < kRwD3D8SharedVertexBufferCount; i++) {
        const RwUInt32 candidate = RoundUp(driver.shared[i].used, stride);
        if (candidate + bytes <= driver.shared[i].size) {
          driver.currentShared = i;
          offset = candidate;
          found = TRUE;
          break;
        }
      }
      if (!found) {
        driver.currentShared = (driver.currentShared + 1) % kRwD3D8SharedVertexBufferCount;
        offset = 0;
      }
    }
  }
  RwD3D8SharedVertexBuffer& slot = driver.shared[driver.currentShared];
  if (slot.size < bytes) {
    // Too small for this lock: the slot gets a buffer of the needed size.
    RwD3D8DynamicVertexBufferDestroy(slot.buffer);
    slot.buffer = nullptr;
    slot.used = 0;
    slot.size = bytes;
    if (!RwD3D8DynamicVertexBufferCreate(0, bytes, &slot.buffer)) {
      slot.size = 0;
      return FALSE;
    }
    offset = 0;
  }
  if (slot.buffer == nullptr) {
    return FALSE;
  }
  BYTE* locked = nullptr;
  HRESULT result;
  if (offset == 0) {
    result = slot.buffer->Lock(0, bytes, &locked, kRwD3D8LockDiscard);
    slot.used = bytes;
    *baseVertexIndex = 0;
  } else {
    result = slot.buffer->Lock(offset, bytes, &locked, kRwD3D8LockAppend);
    slot.used = offset + bytes;
    *baseVertexIndex = offset / stride;
  }
  *buffer = slot.buffer;
  *memory = locked;
  return SUCCEEDED(result);
}

RwBool RwD3D8DynamicVertexBufferUnlock(IDirect3DVertexBuffer8* buffer) {
  return buffer != nullptr && SUCCEEDED(buffer->Unlock());
}

RwBool RwD3D8SharedVertexBuffersCreate(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.currentShared = 0;
  const RwInt32 count = _rwD3D8HasHardwareTnL() ? kRwD3D8SharedVertexBufferCount : 1;
  for (RwInt32 i = 0; i < count; i++) {
    RwD3D8SharedVertexBuffer& slot = driver.shared[i];
    slot.used = 0;
    slot.size = kRwD3D8SharedVertexBufferSize;
    if (!RwD3D8DynamicVertexBufferCreate(0, kRwD3D8SharedVertexBufferSize, &slot.buffer)) {
      slot.size = 0;
      return FALSE;
    }
  }
  return TRUE;
}

void RwD3D8SharedVertexBuffersForget(void) {
  RwD3D8Driver& driver = _rwD3D8Driver;
  driver.currentShared = 0;
  for (RwD3D8SharedVertexBuffer& slot : driver.shared) {
    slot.used = 0;
    slot.size = 0;
    if (slot.buffer != nullptr) {
      RwD3D8DynamicVertexBuffer* node = FindNode(slot.buffer);
      if (node != nullptr) {
        node->inUse = 0;
        node->owner = nullptr;
      }
      slot.buffer = nullptr;
    }
  }
}

void RwD3D8DynamicVertexBuffersRelease(void) {
  // The stream and index caches may name buffers about to go; a new buffer
  // at a freed address must not pass for the one the device had.
  _rwD3D8ForgetStreamAndIndices();
  if (!_rwD3D8HasHardwareTnL()) {
    return;
  }
  for (RwD3D8DynamicVertexBuffer* node = _rwD3D8Driver.dynamicBuffers; node != nullptr; node = node->next) {
    if (node->buffer != nullptr) {
      node->buffer->Release();
      node->buffer = nullptr;
    }
    if (node->owner != nullptr) {
      *node->owner = nullptr;
    }
  }
}

RwBool RwD3D8DynamicVertexBuffersRestore(void) {
  if (!_rwD3D8HasHardwareTnL()) {
    return TRUE;
  }
  for (RwD3D8DynamicVertexBuffer* node = _rwD3D8Driver.dynamicBuffers; node != nullptr; node = node->next) {
    if (node->buffer != nullptr) {
      continue;
    }
    if (FAILED(_rwD3D8Driver.device->CreateVertexBuffer(node->size, kDynamicUsage, node->fvf, D3DPOOL_DEFAULT,
                                                        &node->buffer))) {
      node->buffer = nullptr;
      return FALSE;
    }
    if (node->owner != nullptr) {
      *node->owner = node->buffer;
    }
  }
  return TRUE;
}
