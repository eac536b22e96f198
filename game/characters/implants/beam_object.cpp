// The beam objects' shared geometry: aiming, the hit test and the effect.
#include "game/characters/implants/beam_object.h"

#include <cmath>

#include "game/render/collision/world_collision.h"
#include "game/render/particles/particle_system.h"
#include "game/world/qx_world.h"

namespace {

f32 Dot(const RwV3d& a, const RwV3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

RwV3d Scaled(const RwV3d& v, f32 s) { return RwV3d{v.x * s, v.y * s, v.z * s}; }

RwV3d Normalised(const RwV3d& v) {
  const f32 length = std::sqrt(Dot(v, v));
  return length > 0.0f ? Scaled(v, 1.0f / length) : RwV3d{0.0f, 0.0f, 1.0f};
}

RwV3d Cross(const RwV3d& a, const RwV3d& b) {
  return RwV3d{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

// The vector's components along the matrix's axes, each axis counted by its
// own length.
RwV3d IntoAxes(const RwMatrix* m, const RwV3d& v) {
  const f32 r = Dot(m->right, m->right);
  const f32 u = Dot(m->up, m->up);
  const f32 a = Dot(m->at, m->at);
  return RwV3d{r > 0.0f ? Dot(v, m->right) / r : 0.0f, u > 0.0f ? Dot(v, m->up) / u : 0.0f,
               a > 0.0f ? Dot(v, m->at) / a : 0.0f};
}

}  // namespace

void AimBeamFrame(RwFrame* beam, RwFrame* parent, const RwV3d& origin, const RwV3d& target, f32 width, f32 height,
                  f32 lengthScale) {
  if (beam == nullptr) {
    return;
  }
  if (parent != nullptr && RwFrameGetParent(beam) != parent) {
    RwFrameAddChild(parent, beam);
  }
  const RwV3d towards = {target.x - origin.x, target.y - origin.y, target.z - origin.z};
  const f32 distance = std::sqrt(Dot(towards, towards));
  const RwV3d at = Normalised(parent != nullptr ? IntoAxes(RwFrameGetLTM(parent), towards) : towards);
  const RwV3d hint = std::fabs(at.y) > 0.99f ? RwV3d{1.0f, 0.0f, 0.0f} : RwV3d{0.0f, 1.0f, 0.0f};
  const RwV3d right = Normalised(Cross(hint, at));
  const RwV3d up = Cross(at, right);
  RwMatrix* matrix = RwFrameGetMatrix(beam);
  matrix->right = Scaled(right, width);
  matrix->up = Scaled(up, height);
  matrix->at = Scaled(at, lengthScale * distance);
  matrix->pos = RwV3d{0.0f, 0.0f, 0.0f};
  RwMatrixUpdate(matrix);
  RwFrameMarkDirty(beam);
}

bool FindBeamHit(cQXWorld* world, const RwV3d& origin, const RwV3d& end, RwV3d* point, RwV3d* normal,
                 RpAtomic** atomic) {
  *atomic = nullptr;
  cWorldCollision* collision = world->GetWorldObject();
  if (collision != nullptr &&
      collision->IntersectSegment(tSegment3d(origin, end), point, normal, atomic, true, false, 0, false)) {
    return true;
  }
  *atomic = nullptr;
  *point = end;
  *normal = Normalised(RwV3d{origin.x - end.x, origin.y - end.y, origin.z - end.z});
  return false;
}

void LoadBeamParticles(cMultiParticleSystem* particles, cQXWorld* world, const char* file) {
  const RwV3d origin = {0.0f, 0.0f, 0.0f};
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  particles->Load(world, file, origin, up);
  particles->RemoveFromWorld();
}
