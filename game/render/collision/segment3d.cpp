// The 3D segment record.
#include "game/render/collision/segment3d.h"

#include <cmath>

#include "game/foundation/vector_helpers.h"

tSegment3d::tSegment3d(const RwV3d& p0, const RwV3d& p1) : origin(p0) {
  RwV3d delta;
  V3dSub(&p1, &delta, &p0);
  length = sqrtf(V3dLengthSquared(&delta));
  V3dNormalized(&delta, &direction);
}

RwV3d tSegment3d::PointAt(f32 t) const {
  return RwV3d{origin.x + direction.x * t, origin.y + direction.y * t, origin.z + direction.z * t};
}

f32 tSegment3d::Project(const RwV3d& point) const {
  RwV3d offset;
  V3dSub(&point, &offset, &origin);
  return RwV3dDotProduct(&offset, &direction);
}

f32 tSegment3d::ProjectClamped(const RwV3d& point) const {
  f32 t = Project(point);
  if (t < 0.0f) {
    return 0.0f;
  }
  if (t > length) {
    return length;
  }
  return t;
}
