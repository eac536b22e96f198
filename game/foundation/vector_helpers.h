// Small vector helpers shared by characters, devices and the camera, on the
// engine's vector and matrix types.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// The two coordinates that remain when axis (0 x, 1 y, 2 z) is dropped.
void V3dDropAxis(const RwV3d* v, RwV2d* out, u32 axis);
// Divided by its length; the zero vector (or a length not above 0) gives zero.
void V3dNormalize(RwV3d* v);
void V3dNormalized(const RwV3d* v, RwV3d* out);
void V2dNormalized(const RwV2d* v, RwV2d* out);
f32 V3dLengthSquared(const RwV3d* v);
f32 V3dDistanceSquared(const RwV3d* a, const RwV3d* b);
void ScalarTimesV3d(RwV3d* out, f32 s, const RwV3d* v);
void V3dTimesScalar(const RwV3d* v, RwV3d* out, f32 s);
void V3dAdd(const RwV3d* a, RwV3d* out, const RwV3d* b);
void V3dSub(const RwV3d* a, RwV3d* out, const RwV3d* b);
void V3dCross(const RwV3d* a, RwV3d* out, const RwV3d* b);

// A 2D segment: origin, unit direction and length.
struct tSegment2d {
  tSegment2d(const RwV2d& p0, const RwV2d& p1);

  // Where other's line meets this segment's line, as the distance t along
  // this one; false for lines parallel within a small tolerance.
  bool Intersect(f32* t, const tSegment2d& other) const;
  // Other's line meets this segment between its ends (both included).
  bool CrossesWithin(const tSegment2d& other) const;
  RwV2d EndPoint() const;

  RwV2d origin;
  RwV2d direction;
  f32 length;
};

// Turns matrix to look along at (kept as given, not normalised), keeping
// its position: right = normalise(at.z, 0, -at.x), or (1, 0, 0) for a
// direction along world up; up = at x right.
void MatrixSetDirection(RwMatrix* matrix, const RwV3d* at);
// Turns matrix to look from its position at target, keeping up on the side
// of world up; nothing when target is the position.
void MatrixLookAt(RwMatrix* matrix, const RwV3d* target);

struct tEvent;

// The shared slot of updates that never ask for deletion.
bool ReturnFalse(f32 argument);
// Does nothing: the shared body of the input slots a listener leaves empty.
void EmptyInputSlot(const tEvent* event);
// Stores object into *out and stops a walk at the first object.
void* StoreFirstCB(void* object, void* out);
