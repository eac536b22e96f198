// The shared vertex buffers' internals, for the engine and its tests: the
// free lists that hold the manager's records.
#pragma once

#include "engine/world/pipe/p2/d3d8/d3d8_vertex_buffer_manager.h"

// The free lists of the manager's records (pools, free ranges, buffers): the
// pools stay, empty, until the manager closes.
constexpr RwUInt32 kRpD3D8VertexBufferManagerFreeLists = 3;
void _rpD3D8VertexBufferManagerFreeLists(const RwFreeList* lists[kRpD3D8VertexBufferManagerFreeLists]);
