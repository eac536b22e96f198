// Geometric routines behind the collision volumes and the world queries:
// lines and segments, closest points, slab clipping against boxes and
// triangles projected to a plane. Single precision throughout.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/collision/segment3d.h"

// A line through origin along a unit direction.
struct tRay {
  RwV3d origin;
  RwV3d direction;
};

// The points p with normal . p = d; the normal is unit.
struct tPlane {
  f32 d;
  RwV3d normal;
};

// Its normal is (v1 - v0) x (v2 - v0), not normalised.
struct tTriangle {
  RwV3d vertices[3];
};

// Below this the 2D lines of a coplanar intersection count as parallel.
constexpr f32 kParallelLimit = 1e-7f;

// 0 x, 1 y, 2 z: the axis of the largest absolute component; ties go to the lower axis.
u32 DominantAxis(const RwV3d& v);
// Origin p0, direction the normalised p1 - p0.
void MakeRay(tRay* out, const RwV3d& p0, const RwV3d& p1);
// origin + direction x length.
RwV3d SegmentEnd(const tSegment3d& segment);
// The point of the segment nearest to p.
void ClosestPointOnSegment(const tSegment3d& segment, RwV3d* out, const RwV3d& p);
void PlaneFromPointNormal(tPlane* out, const RwV3d& point, const RwV3d& normal);
// Parameter along a where the lines a and b (taken to share a plane) cross;
// false when they are parallel.
bool IntersectCoplanarLines(const tRay& a, f32* t, const tRay& b);
// Parameter along a of its closest approach to the line b; false when parallel.
bool ClosestPointOnLineToLine(const tRay& a, f32* t, const tRay& b);
// Parameter along s (within s, and within the projection of q on s) of the
// closest approach of q; false when the two are parallel and overlap.
bool ClosestParameterOnSegment(const tSegment3d& s, f32* t, const tSegment3d& q);
// One slab face against a parametric segment: den > 0 enters at num / den,
// den < 0 leaves there; den 0 keeps the segment only when num is negative.
// False when the segment lies wholly outside.
bool ClipSlab(f32 den, f32 num, f32* tEnter, f32* tExit);
// Whether p0 + (p1 - p0) t, t in 0..1, meets the box.
bool SegmentHitsBox(const RwBBox& box, const RwV3d& p0, const RwV3d& p1);
void TriangleNormal(const tTriangle& triangle, RwV3d* out);
// The triangle without the dominant axis of its normal (0 keeps (y, z),
// 1 (x, z), 2 (x, y)); returns the dropped axis.
u32 ProjectTriangle(const tTriangle& triangle, RwV2d out[3]);
// Inside when the three edge values share a sign (0 counts as non-negative).
bool PointInTriangle2D(const RwV2d& p0, const RwV2d& p1, const RwV2d& p2, const RwV2d& p);
// p projected along the triangle's dominant normal axis lies inside it.
bool PointInTriangle(const tTriangle& triangle, const RwV3d& p);
