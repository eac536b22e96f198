// The 3D segment shared by collision, visibility tests, doors, beams, the
// camera and the waypoint graph: an origin, a unit direction and a length.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

struct tSegment3d {
  tSegment3d() : origin{0.0f, 0.0f, 0.0f}, direction{0.0f, 0.0f, 0.0f}, length(0.0f) {}
  // From p0 to p1; equal points give the zero direction and length 0.
  tSegment3d(const RwV3d& p0, const RwV3d& p1);

  // origin + t x direction.
  RwV3d PointAt(f32 t) const;
  // Parameter of the point's projection on the line: (point - origin) . direction.
  f32 Project(const RwV3d& point) const;
  // Project limited to 0 .. length.
  f32 ProjectClamped(const RwV3d& point) const;

  RwV3d origin;
  RwV3d direction;  // unit
  f32 length;
};
