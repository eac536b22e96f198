// The compound collision volume of a moving body: spheres and capsules fixed
// in the body's frame, built from a list of shape records.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/render/collision/collision_primitive.h"
#include "game/render/collision/collision_shape.h"

// One primitive of a volume; a list of them ends at the first negative type.
// Positions are in the owner frame's space, relative to origin.
struct tCollisionShapeRecord {
  s32 type;  // kCollisionSphere, kCollisionCapsule, negative ends the list
  RwV3d origin;
  f32 radius;
  RwV3d pointA;  // sphere centre, or the capsule's first tip
  RwV3d pointB;  // the capsule's second tip
};

// Contact records a volume starts with per shape record.
constexpr u32 kContactsPerRecord = 2;

class cCollisionVolume : public cCollisionShape {
 public:
  cCollisionVolume(RwFrame* frame, u32 recordCount);
  ~cCollisionVolume() override;

  u32 Collide(cCollisionShape* other, bool firstOnly) override;
  bool IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) override;
  bool ContainsPoint(const RwV3d& p) const override;

  // Appends the primitive, which the volume then owns, and grows the local
  // box around it.
  void AddPrimitive(cCollisionPrimitive* primitive);
  const cList& GetPrimitives() const { return mPrimitives; }

 private:
  cList mPrimitives;  // cCollisionPrimitive, in record order
};

// The volume of the records up to the first negative type, on frame; null
// when the first record ends the list. A record of another type ends the
// build, keeping the primitives built so far.
cCollisionVolume* BuildCollisionShapes(const tCollisionShapeRecord* records, RwFrame* frame);
