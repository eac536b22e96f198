// The pools of shared vertex buffers. A pool's free ranges are kept in a
// list, newest first; a request takes the first range that holds it, and a
// returned range joins every free range of its buffer it touches.
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"

#include <initializer_list>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/memory.h"
#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager_internal.h"

namespace {

constexpr RwUInt32 kPoolsPerBlock = 16;
constexpr RwUInt32 kRangesPerBlock = 100;
constexpr RwUInt32 kBuffersPerBlock = 100;
// A vertex format names at most this many texture-coordinate sets.
constexpr RwUInt32 kMaxTexCoordSets = 8;

struct FreeRange {
  RwUInt32 offset;  // bytes
  RwUInt32 size;    // bytes
  IDirect3DVertexBuffer8* vertexBuffer;
  FreeRange* next;
  FreeRange* previous;
};

struct BufferRecord {
  IDirect3DVertexBuffer8* vertexBuffer;
  BufferRecord* next;
};

struct Pool {
  RwUInt32 key;
  FreeRange* freeRanges;
  BufferRecord* buffers;
  Pool* next;
};

struct Manager {
  Pool* pools;
  RwFreeList* poolList;
  RwFreeList* rangeList;
  RwFreeList* bufferList;
};

Manager sManager = {nullptr, nullptr, nullptr, nullptr};

Pool* FindPool(RwUInt32 key) {
  for (Pool* pool = sManager.pools; pool != nullptr; pool = pool->next) {
    if (pool->key == key) {
      return pool;
    }
  }
  return nullptr;
}

void LinkRange(Pool* pool, FreeRange* range) {
  range->previous = nullptr;
  range->next = pool->freeRanges;
  if (pool->freeRanges != nullptr) {
    pool->freeRanges->previous = range;
  }
  pool->freeRanges = range;
}

void UnlinkRange(Pool* pool, FreeRange* range) {
  if (range->previous != nullptr) {
    range->previous->next = range->next;
  } else {
    pool->freeRanges = range->next;
  }
  if (range->next != nullptr) {
    range->next->previous = range->previous;
  }
  RwFreeListEntryFree(sManager.rangeList, range);
}

// Bytes to skip from the range's start to its first whole vertex.
RwUInt32 AlignmentGap(const FreeRange* range, RwUInt32 stride) {
  const RwUInt32 remainder = range->offset % stride;
  return remainder == 0 ? 0 : stride - remainder;
}

// The first range that holds size bytes from a whole vertex on.
FreeRange* FirstFit(Pool* pool, RwUInt32 stride, RwUInt32 size) {
  for (FreeRange* range = pool->freeRanges; range != nullptr; range = range->next) {
    const RwUInt64 needed = static_cast<RwUInt64>(AlignmentGap(range, stride)) + size;
    if (needed <= range->size) {
      return range;
    }
  }
  return nullptr;
}

// A new buffer for the pool, all of it one free range.
FreeRange* AddBuffer(Pool* pool, RwUInt32 stride, RwUInt32 size) {
  RwUInt32 bytes = (kRpD3D8VertexBufferDefaultSize + stride - 1) / stride * stride;
  if (size > bytes) {
    bytes = size;
  }
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  BufferRecord* record = static_cast<BufferRecord*>(RwFreeListEntryAlloc(sManager.bufferList));
  FreeRange* range = static_cast<FreeRange*>(RwFreeListEntryAlloc(sManager.rangeList));
  IDirect3DVertexBuffer8* vertexBuffer = nullptr;
  const DWORD fvf = pool->key < kRpD3D8PoolKeyNoFVF ? pool->key : 0;
  if (device == nullptr || record == nullptr || range == nullptr ||
      FAILED(device->CreateVertexBuffer(bytes, D3DUSAGE_WRITEONLY, fvf, D3DPOOL_MANAGED, &vertexBuffer)) ||
      vertexBuffer == nullptr) {
    if (record != nullptr) {
      RwFreeListEntryFree(sManager.bufferList, record);
    }
    if (range != nullptr) {
      RwFreeListEntryFree(sManager.rangeList, range);
    }
    return nullptr;
  }
  record->vertexBuffer = vertexBuffer;
  record->next = pool->buffers;
  pool->buffers = record;
  range->offset = 0;
  range->size = bytes;
  range->vertexBuffer = vertexBuffer;
  LinkRange(pool, range);
  return range;
}

// A free range of the buffer that ends where [offset, end) begins or begins
// where it ends, other than `except`.
FreeRange* FindNeighbour(Pool* pool, IDirect3DVertexBuffer8* vertexBuffer, RwUInt32 offset, RwUInt32 end,
                         const FreeRange* except) {
  for (FreeRange* range = pool->freeRanges; range != nullptr; range = range->next) {
    if (range == except || range->vertexBuffer != vertexBuffer) {
      continue;
    }
    if (range->offset + range->size == offset || range->offset == end) {
      return range;
    }
  }
  return nullptr;
}

// Makes range cover [offset, offset + size) as well; the two touch.
void Grow(FreeRange* range, RwUInt32 offset, RwUInt32 size) {
  if (offset < range->offset) {
    range->offset = offset;
  }
  range->size += size;
}

void FreePool(Pool* pool) {
  while (pool->freeRanges != nullptr) {
    UnlinkRange(pool, pool->freeRanges);
  }
  while (pool->buffers != nullptr) {
    BufferRecord* record = pool->buffers;
    pool->buffers = record->next;
    record->vertexBuffer->Release();
    RwFreeListEntryFree(sManager.bufferList, record);
  }
  RwFreeListEntryFree(sManager.poolList, pool);
}

}  // namespace

RwBool RpD3D8VertexBufferManagerOpen(void) {
  RpD3D8VertexBufferManagerClose();
  sManager.poolList = RwFreeListCreate(sizeof(Pool), kPoolsPerBlock, alignof(Pool));
  sManager.rangeList = RwFreeListCreate(sizeof(FreeRange), kRangesPerBlock, alignof(FreeRange));
  sManager.bufferList = RwFreeListCreate(sizeof(BufferRecord), kBuffersPerBlock, alignof(BufferRecord));
  if (sManager.poolList == nullptr || sManager.rangeList == nullptr || sManager.bufferList == nullptr) {
    RpD3D8VertexBufferManagerClose();
    return FALSE;
  }
  return TRUE;
}

void RpD3D8VertexBufferManagerClose(void) {
  while (sManager.pools != nullptr) {
    Pool* pool = sManager.pools;
    sManager.pools = pool->next;
    FreePool(pool);
  }
  for (RwFreeList** list : {&sManager.poolList, &sManager.rangeList, &sManager.bufferList}) {
    if (*list != nullptr) {
      RwFreeListDestroy(*list);
      *list = nullptr;
    }
  }
}

void _rpD3D8VertexBufferManagerFreeLists(const RwFreeList* lists[kRpD3D8VertexBufferManagerFreeLists]) {
  lists[0] = sManager.poolList;
  lists[1] = sManager.rangeList;
  lists[2] = sManager.bufferList;
}

RwBool RpD3D8VertexBufferManagerCreate(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8** vertexBuffer,
                                       RwUInt32* baseIndex) {
  return RpD3D8VertexBufferManagerCreateInPool(fvf, RpD3D8GetFVFVertexSize(fvf), size, vertexBuffer, baseIndex);
}

RwBool RpD3D8VertexBufferManagerCreateInPool(RwUInt32 poolKey, RwUInt32 stride, RwUInt32 size,
                                             IDirect3DVertexBuffer8** vertexBuffer, RwUInt32* baseIndex) {
  if (stride == 0 || sManager.poolList == nullptr) {
    return FALSE;
  }
  Pool* pool = FindPool(poolKey);
  if (pool == nullptr) {
    pool = static_cast<Pool*>(RwFreeListEntryAlloc(sManager.poolList));
    if (pool == nullptr) {
      return FALSE;
    }
    *pool = {poolKey, nullptr, nullptr, sManager.pools};
    sManager.pools = pool;
  }
  FreeRange* range = FirstFit(pool, stride, size);
  if (range == nullptr) {
    range = AddBuffer(pool, stride, size);
    if (range == nullptr) {
      return FALSE;
    }
  }
  const RwUInt32 gap = AlignmentGap(range, stride);
  *vertexBuffer = range->vertexBuffer;
  *baseIndex = (range->offset + gap) / stride;
  range->offset += gap + size;
  range->size -= gap + size;
  if (range->size == 0) {
    UnlinkRange(pool, range);
  }
  return TRUE;
}

void RpD3D8VertexBufferManagerDestroy(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8* vertexBuffer,
                                      RwUInt32 baseIndex) {
  RpD3D8VertexBufferManagerDestroyInPool(fvf, RpD3D8GetFVFVertexSize(fvf), size, vertexBuffer, baseIndex);
}

void RpD3D8VertexBufferManagerDestroyNoFVF(RwUInt32 stride, RwUInt32 size, IDirect3DVertexBuffer8* vertexBuffer,
                                           RwUInt32 baseIndex) {
  RpD3D8VertexBufferManagerDestroyInPool(stride << kRpD3D8PoolKeyStrideShift, stride, size, vertexBuffer, baseIndex);
}

void RpD3D8VertexBufferManagerDestroyInPool(RwUInt32 poolKey, RwUInt32 stride, RwUInt32 size,
                                            IDirect3DVertexBuffer8* vertexBuffer, RwUInt32 baseIndex) {
  Pool* pool = sManager.poolList != nullptr ? FindPool(poolKey) : nullptr;
  if (pool == nullptr || size == 0) {
    return;
  }
  const RwUInt32 offset = stride * baseIndex;
  FreeRange* grown = FindNeighbour(pool, vertexBuffer, offset, offset + size, nullptr);
  if (grown == nullptr) {
    FreeRange* range = static_cast<FreeRange*>(RwFreeListEntryAlloc(sManager.rangeList));
    if (range != nullptr) {
      range->offset = offset;
      range->size = size;
      range->vertexBuffer = vertexBuffer;
      LinkRange(pool, range);
    }
    return;
  }
  Grow(grown, offset, size);
  // The grown range may now touch one more on its other side.
  for (FreeRange* other = FindNeighbour(pool, vertexBuffer, grown->offset, grown->offset + grown->size, grown);
       other != nullptr; other = FindNeighbour(pool, vertexBuffer, grown->offset, grown->offset + grown->size, grown)) {
    Grow(other, grown->offset, grown->size);
    UnlinkRange(pool, grown);
    grown = other;
  }
}

RwUInt32 RpD3D8GetFVFVertexSize(RwUInt32 fvf) {
  static const RwUInt32 kPositionSizes[8] = {0, 12, 16, 16, 20, 24, 28, 32};
  RwUInt32 size = kPositionSizes[(fvf & D3DFVF_POSITION_MASK) >> 1];
  if (fvf & D3DFVF_NORMAL) {
    size += 12;
  }
  if (fvf & D3DFVF_PSIZE) {
    size += 4;
  }
  if (fvf & D3DFVF_DIFFUSE) {
    size += 4;
  }
  if (fvf & D3DFVF_SPECULAR) {
    size += 4;
  }
  // Two format bits per set from bit 16: two, three, four or one float.
  static const RwUInt32 kTexCoordSizes[4] = {8, 12, 16, 4};
  const RwUInt32 sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > kMaxTexCoordSets) {
    return 0;
  }
  for (RwUInt32 i = 0; i < sets; i++) {
    size += kTexCoordSizes[(fvf >> (16 + 2 * i)) & 3];
  }
  return size;
}
