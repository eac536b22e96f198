// Vector helpers in the game's argument order, on the engine's vector functions.
#include "game/foundation/vector_helpers.h"

#include <cmath>

void V3dDropAxis(const RwV3d* v, RwV2d* out, u32 axis) {
  if (axis == 0) {
    *out = RwV2d{v->y, v->z};
  } else if (axis == 1) {
    *out = RwV2d{v->x, v->z};
  } else {
    *out = RwV2d{v->x, v->y};
  }
}

void V3dNormalize(RwV3d* v) { V3dNormalized(v, v); }

void V3dNormalized(const RwV3d* v, RwV3d* out) {
  f32 length = sqrtf(V3dLengthSquared(v));
  if (!(length > 0.0f)) {
    *out = RwV3d{0.0f, 0.0f, 0.0f};
    return;
  }
  *out = RwV3d{v->x / length, v->y / length, v->z / length};
}

void V2dNormalized(const RwV2d* v, RwV2d* out) {
  f32 length = sqrtf(v->x * v->x + v->y * v->y);
  if (!(length > 0.0f)) {
    *out = RwV2d{0.0f, 0.0f};
    return;
  }
  *out = RwV2d{v->x / length, v->y / length};
}

f32 V3dLengthSquared(const RwV3d* v) { return RwV3dDotProduct(v, v); }

f32 V3dDistanceSquared(const RwV3d* a, const RwV3d* b) {
  RwV3d d;
  V3dSub(a, &d, b);
  return V3dLengthSquared(&d);
}

void ScalarTimesV3d(RwV3d* out, f32 s, const RwV3d* v) { RwV3dScale(out, v, s); }

void V3dTimesScalar(const RwV3d* v, RwV3d* out, f32 s) { RwV3dScale(out, v, s); }

void V3dAdd(const RwV3d* a, RwV3d* out, const RwV3d* b) { RwV3dAdd(out, a, b); }

void V3dSub(const RwV3d* a, RwV3d* out, const RwV3d* b) { RwV3dSub(out, a, b); }

void V3dCross(const RwV3d* a, RwV3d* out, const RwV3d* b) { RwV3dCrossProduct(out, a, b); }

tSegment2d::tSegment2d(const RwV2d& p0, const RwV2d& p1) : origin(p0) {
  RwV2d delta{p1.x - p0.x, p1.y - p0.y};
  length = sqrtf(delta.x * delta.x + delta.y * delta.y);
  V2dNormalized(&delta, &direction);
}

bool tSegment2d::Intersect(f32* t, const tSegment2d& other) const {
  const f32 cross = other.direction.x * direction.y - other.direction.y * direction.x;
  if (fabsf(cross) < 1e-7f) {
    return false;
  }
  *t = ((other.origin.y - origin.y) * other.direction.x - (other.origin.x - origin.x) * other.direction.y) / cross;
  return true;
}

bool tSegment2d::CrossesWithin(const tSegment2d& other) const {
  f32 t = 0.0f;
  return Intersect(&t, other) && t >= 0.0f && t <= length;
}

RwV2d tSegment2d::EndPoint() const {
  return RwV2d{origin.x + length * direction.x, origin.y + length * direction.y};
}

void MatrixSetDirection(RwMatrix* matrix, const RwV3d* at) {
  RwV3d right{at->z, 0.0f, -at->x};
  V3dNormalize(&right);
  if (right.x == 0.0f && right.z == 0.0f) {
    right = RwV3d{1.0f, 0.0f, 0.0f};  // looking straight up or down
  }
  RwV3d up;
  V3dCross(at, &up, &right);
  matrix->right = right;
  matrix->up = up;
  matrix->at = *at;
  RwMatrixOptimize(matrix, nullptr);
}

void MatrixLookAt(RwMatrix* matrix, const RwV3d* target) {
  const RwV3d& position = matrix->pos;
  if (target->x == position.x && target->y == position.y && target->z == position.z) {
    return;
  }
  RwV3d at;
  V3dSub(target, &at, &position);
  V3dNormalize(&at);
  MatrixSetDirection(matrix, &at);
}

bool ReturnFalse(f32) { return false; }

void EmptyInputSlot(const tEvent*) {}

void* StoreFirstCB(void* object, void* out) {
  *static_cast<void**>(out) = object;
  return nullptr;
}
