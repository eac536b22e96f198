// Exact overlap tests between a triangle and a sphere or an axis-aligned box,
// for the collision queries. Stateless; cheap rejections on sign bits and
// outcodes come before any multiplication-heavy work.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/matrix.h"
#include "engine/src/plcore/vector.h"

// 1 when the sphere and the triangle overlap. Once the triangle is known not
// to be degenerate the unit normal (p1 - p0) x (p2 - p0) goes to *normal, and
// once the sphere reaches the triangle's plane the centre's signed distance
// from it (positive on the normal's side) goes to *distance.
RwBool RtIntersectionSphereTriangle(const RwSphere* sphere, const RwV3d* p0, const RwV3d* p1, const RwV3d* p2,
                                    RwV3d* normal, RwReal* distance);
// 1 when the box (bounds included) and the triangle overlap.
RwBool RtIntersectionBoxTriangle(const RwBBox* box, const RwV3d* p0, const RwV3d* p1, const RwV3d* p2);
