// Emboss bump-map vertices: each vertex of a mesh gets a second set of
// texture coordinates shifted towards the light along its triangle's tangent
// and binormal, so that drawing the bump heights once plainly and once
// shifted, subtracted, shades the bumps by the light's direction.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/vector.h"

struct RwFrame;

// The vertex the bump passes draw: position, normal, colour and two sets of
// texture coordinates (Direct3D 8 vertex format 0x252), 44 bytes.
struct RpMatFXBumpVertex {
  RwV3d position;
  RwV3d normal;
  RwUInt32 color;  // 0xAARRGGBB
  RwReal u0;
  RwReal v0;
  RwReal u1;  // shifted towards the light
  RwReal v1;
};
static_assert(sizeof(RpMatFXBumpVertex) == 44, "bump vertices are 44 bytes");
constexpr RwUInt32 kRpMatFXBumpVertexFvf = 0x252;

// A mesh's vertices as instanced: vertex format, stride, and the triangle
// list (4) or strip (5) they make, through 16-bit indices when given.
struct RpMatFXBumpSource {
  const RwUInt8* vertices;
  RwUInt32 stride;
  RwUInt32 fvf;
  RwUInt32 numVertices;
  const RwUInt16* indices;  // null: the vertices in order
  RwUInt32 numIndices;
  RwUInt32 primType;
};

// The light in the mesh's object space: a direction towards it for
// directional and spot lights, else a position.
struct RpMatFXBumpLight {
  RwV3d value;
  RwBool isDirection;
};

// The light of the frame (the first light among its objects) in the object
// space of the world transform's inverse.
RpMatFXBumpLight _rpMatFXBumpLightInObjectSpace(RwFrame* frame, const RwMatrix* inverseWorld);

// Fills numVertices bump vertices; shift is the bump coefficient times
// 1 / the bump texture's width. Each vertex takes its tangent frame from the
// first triangle it appears in; a vertex in none keeps its coordinates.
// False (out of memory recorded) when the walk cannot be made.
RwBool _rpMatFXBumpFillVertices(const RpMatFXBumpSource* source, const RpMatFXBumpLight* light, RwReal shift,
                                RpMatFXBumpVertex* out);
