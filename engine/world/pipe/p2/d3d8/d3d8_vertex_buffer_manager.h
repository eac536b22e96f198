// Shared vertex buffers for instanced geometry: managed write-only buffers in
// pools keyed by vertex format, handed out as byte ranges first fit and merged
// again on return. A pool keeps every buffer it made until the manager closes.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "platform/d3d8/d3d8.h"

struct RwFreeList;

// Bytes of a new pool buffer (rounded up to whole vertices), unless one
// request needs more.
constexpr RwUInt32 kRpD3D8VertexBufferDefaultSize = 0x20000;
// A pool key at or above this is a stride << 16: buffers drawn through a
// vertex-shader declaration, which carry no vertex format.
constexpr RwUInt32 kRpD3D8PoolKeyNoFVF = 0x10000;
constexpr RwUInt32 kRpD3D8PoolKeyStrideShift = 16;

// Opening closes whatever was open first; false when the record lists
// cannot be made.
RwBool RpD3D8VertexBufferManagerOpen(void);
// Releases every buffer of every pool.
void RpD3D8VertexBufferManagerClose(void);
// A range of size bytes for vertices of the format: the buffer and the index
// of the range's first vertex in it. False when no buffer can be made.
RwBool RpD3D8VertexBufferManagerCreate(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8** vertexBuffer,
                                       RwUInt32* baseIndex);
RwBool RpD3D8VertexBufferManagerCreateInPool(RwUInt32 poolKey, RwUInt32 stride, RwUInt32 size,
                                             IDirect3DVertexBuffer8** vertexBuffer, RwUInt32* baseIndex);
// Returns a range; ranges of an unknown pool are ignored.
void RpD3D8VertexBufferManagerDestroy(RwUInt32 fvf, RwUInt32 size, IDirect3DVertexBuffer8* vertexBuffer,
                                      RwUInt32 baseIndex);
void RpD3D8VertexBufferManagerDestroyNoFVF(RwUInt32 stride, RwUInt32 size, IDirect3DVertexBuffer8* vertexBuffer,
                                           RwUInt32 baseIndex);
void RpD3D8VertexBufferManagerDestroyInPool(RwUInt32 poolKey, RwUInt32 stride, RwUInt32 size,
                                            IDirect3DVertexBuffer8* vertexBuffer, RwUInt32 baseIndex);

// Bytes of one vertex of a flexible vertex format; 0 for more than eight
// texture-coordinate sets.
RwUInt32 RpD3D8GetFVFVertexSize(RwUInt32 fvf);
