// The primitives of a collision volume, spheres and capsules, each in the
// space of the volume's frame. A pair of primitives is tested by the one
// whose type orders later (the pair table); the other hands the test over.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/render/collision/segment3d.h"

constexpr u32 kCollisionSphere = 0;
constexpr u32 kCollisionCapsule = 2;
// Types 1 and 3 are kept for further primitive kinds; the pair table orders them.
constexpr u32 kCollisionPrimitiveTypes = 4;

// Whether a primitive of type hands a test against otherType to the other
// primitive, which then runs it in its own space.
bool CollisionPairHandsOver(u32 type, u32 otherType);

class cCollisionPrimitive : public cListItem {
 public:
  explicit cCollisionPrimitive(u32 type) : mType(type) {}

  u32 GetType() const { return mType; }

  // Contact with other, whose space otherToThis maps into this one's. The
  // point and normal are in this space, the normal pointing from other
  // towards this; depth may be null and is only ever raised.
  virtual bool Collide(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point, RwV3d* normal,
                       f32* depth) const = 0;
  // Where the segment p0 to p1 (this space) meets the primitive.
  virtual bool IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) const = 0;
  virtual bool ContainsPoint(const RwV3d& p) const = 0;
  // The axis-aligned box around the primitive.
  virtual void GetBox(RwBBox* out) const = 0;

 protected:
  // other runs the test with this primitive (otherToThis then maps this
  // space into other's); the normal is turned to point towards this one.
  bool HandOver(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point, RwV3d* normal,
                f32* depth) const;

 private:
  u32 mType;
};

class cCollisionSphere : public cCollisionPrimitive {
 public:
  cCollisionSphere(const RwV3d& centre, f32 radius)
      : cCollisionPrimitive(kCollisionSphere), mCentre(centre), mRadius(radius) {}

  bool Collide(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point, RwV3d* normal,
               f32* depth) const override;
  bool IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) const override;
  bool ContainsPoint(const RwV3d& p) const override;
  void GetBox(RwBBox* out) const override;

  const RwV3d& GetCentre() const { return mCentre; }
  f32 GetRadius() const { return mRadius; }

 private:
  RwV3d mCentre;
  f32 mRadius;
};

// The points within the radius of an axis segment.
class cCollisionCapsule : public cCollisionPrimitive {
 public:
  cCollisionCapsule(const tSegment3d& axis, f32 radius)
      : cCollisionPrimitive(kCollisionCapsule), mAxis(axis), mRadius(radius) {}

  bool Collide(const cCollisionPrimitive& other, const RwMatrix& otherToThis, RwV3d* point, RwV3d* normal,
               f32* depth) const override;
  bool IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) const override;
  bool ContainsPoint(const RwV3d& p) const override;
  void GetBox(RwBBox* out) const override;

  const tSegment3d& GetAxis() const { return mAxis; }
  f32 GetRadius() const { return mRadius; }

 private:
  tSegment3d mAxis;
  f32 mRadius;
};
