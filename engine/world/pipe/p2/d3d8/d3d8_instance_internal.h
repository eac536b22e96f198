// What the instance callbacks of atomics and world sectors share: pre-lit
// colours as Direct3D colour words, modulated by their material's colour,
// and the writing of a vertex's parts one after another; and the block of
// instance data kept outside the resource arena.
#pragma once

#include <cstring>

#include "engine/src/plcore/base_types.h"
#include "engine/src/rgba.h"

struct RpMaterial;
struct RwResEntry;

// Geometries and worlds flagged pre-lit without colours draw this.
constexpr RwUInt32 kRpD3D8OpaqueWhite = 0xFFFFFFFF;

// The colour a pre-lit vertex is modulated by: the material's, when the
// flags ask for it (0x40) and it is not opaque white; else null.
const RwRGBA* _rpD3D8ModulationColor(RwUInt32 flags, const RpMaterial* material);
// A as alpha << 24 | red << 16 | green << 8 | blue, each channel scaled by
// (modulation + 1) / 256 when a modulation colour is given.
RwUInt32 _rpD3D8VertexColor(const RwRGBA& color, const RwRGBA* modulate);

// Copies one part of a vertex and moves past it.
inline void _rpD3D8PutVertexPart(RwUInt8*& out, const void* value, size_t size) {
  std::memcpy(out, value, size);
  out += size;
}

// An instance data entry made outside the resource arena, header and size
// bytes of data zeroed: no list links, so freeing it goes back to the
// engine's free function, and it lives until its owner frees it. Named by
// *ownerSlot when given; null when memory runs out.
RwResEntry* _rpD3D8InstanceDataAllocatePersistent(void* owner, RwResEntry** ownerSlot, RwUInt32 size);
