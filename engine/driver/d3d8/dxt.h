// Decoders of DXT-compressed texture levels into 32-bit pixels {red, green,
// blue, alpha}, for textures whose compressed format the device cannot hold.
#pragma once

#include "engine/src/plcore/base_types.h"

constexpr RwInt32 kRwDxtBlockEdge = 4;         // texels per block edge
constexpr RwInt32 kRwDxt1BlockBytes = 8;       // colour block only
constexpr RwInt32 kRwDxtAlphaBlockBytes = 16;  // alpha block, then colour block

// Each decoder reads (width / 4) x (height / 4) blocks row by row and fills
// 4 x 4 texels of a destination of width x height pixels (4 bytes each, rows
// of width pixels). Texels outside whole blocks are left as they are.

// True when a transparent texel was produced.
RwBool RwD3D8DecompressDXT1(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks);
// Explicit 4-bit alpha (DXT2 and DXT3).
void RwD3D8DecompressDXT3(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks);
// Interpolated alpha (DXT4 and DXT5).
void RwD3D8DecompressDXT5(RwInt32 width, RwInt32 height, RwUInt32* pixels, const RwUInt8* blocks);

// Bytes of one level of a compressed texture: whole blocks covering it.
RwUInt32 RwD3D8DxtLevelBytes(RwInt32 width, RwInt32 height, RwInt32 blockBytes);
