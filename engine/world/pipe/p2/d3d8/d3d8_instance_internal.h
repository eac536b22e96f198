// What the instance callbacks of atomics and world sectors share: pre-lit
// colours as Direct3D colour words, modulated by their material's colour.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/rgba.h"

struct RpMaterial;

// Geometries and worlds flagged pre-lit without colours draw this.
constexpr RwUInt32 kRpD3D8OpaqueWhite = 0xFFFFFFFF;

// The colour a pre-lit vertex is modulated by: the material's, when the
// flags ask for it (0x40) and it is not opaque white; else null.
const RwRGBA* _rpD3D8ModulationColor(RwUInt32 flags, const RpMaterial* material);
// A as alpha << 24 | red << 16 | green << 8 | blue, each channel scaled by
// (modulation + 1) / 256 when a modulation colour is given.
RwUInt32 _rpD3D8VertexColor(const RwRGBA& color, const RwRGBA* modulate);
