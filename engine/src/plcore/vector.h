// 2D and 3D vectors, table-driven square roots and the replaceable routines
// that transform arrays of points and vectors by a matrix.
#pragma once

#include "engine/src/plcore/base_types.h"

struct RwV2d {
  RwReal x;
  RwReal y;
};

struct RwV3d {
  RwReal x;
  RwReal y;
  RwReal z;
};

struct RwMatrix;

// (out, in, count, matrix) -> out.
typedef RwV3d* (*RwV3dTransformFunction)(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix);

// Engine plugin data of the vector module.
struct RwVectorModule {
  RwUInt32* sqrtTable;
  RwUInt32* invSqrtTable;
  RwV3dTransformFunction transformPoints;
  RwV3dTransformFunction transformVectors;
};

// Entries of each square-root table: 2048 mantissas for [1, 2) and 2048 for [2, 4).
constexpr RwInt32 kRwSqrtTableEntries = 4096;

RwReal RwSqrt(RwReal value);
RwReal RwInvSqrt(RwReal value);

RwReal RwV3dLength(const RwV3d* in);
RwReal RwV2dLength(const RwV2d* in);
// Returns the length; a zero vector stays zero and records error 25.
RwReal RwV3dNormalize(RwV3d* out, const RwV3d* in);
inline RwReal RwV3dDotProduct(const RwV3d* a, const RwV3d* b) { return a->x * b->x + a->y * b->y + a->z * b->z; }
void RwV3dCrossProduct(RwV3d* out, const RwV3d* a, const RwV3d* b);
void RwV3dAdd(RwV3d* out, const RwV3d* a, const RwV3d* b);
void RwV3dSub(RwV3d* out, const RwV3d* a, const RwV3d* b);
void RwV3dScale(RwV3d* out, const RwV3d* in, RwReal scale);

// out[i] = in[i] x matrix, with (points) or without (vectors) the translation.
RwV3d* RwV3dTransformPoints(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix);
RwV3d* RwV3dTransformVectors(RwV3d* out, const RwV3d* in, RwInt32 count, const RwMatrix* matrix);
// Null installs the portable routine.
RwBool RwV3dSetTransformFunctions(RwV3dTransformFunction points, RwV3dTransformFunction vectors);
