// The base of collision shapes: the owner's frame, the box around the shape
// in the frame's space, the two relative matrices of the last shape test and
// the contact array that shape tests and the world queries fill.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

struct RpAtomic;

// The kind of a compound volume of spheres and capsules.
constexpr u32 kCollisionKindVolume = 1;

struct tCollisionContact {
  RwV3d point;
  RwV3d normal;  // unit
  f32 depth;
  // The atomic a world query met, null for the world's own triangles; shape
  // tests leave it as it was.
  RpAtomic* object;
};

class cCollisionShape {
 public:
  // frame is the owner's (never null); the contact array starts with
  // contactLimit records (at least one).
  cCollisionShape(u32 kind, RwFrame* frame, u32 contactLimit);
  virtual ~cCollisionShape();

  cCollisionShape(const cCollisionShape&) = delete;
  cCollisionShape& operator=(const cCollisionShape&) = delete;

  // Contacts with other written from index 0 of the contact array, in world
  // space, normals pointing from other towards this shape; firstOnly stops at
  // the first. Returns their number.
  virtual u32 Collide(cCollisionShape* other, bool firstOnly) = 0;
  // Where the segment p0 to p1 (world space) meets the shape. first: the
  // first primitive's hit; otherwise the mean over the primitives hit.
  virtual bool IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) = 0;
  // p in the frame's space.
  virtual bool ContainsPoint(const RwV3d& p) const = 0;

  u32 GetKind() const { return mKind; }
  RwFrame* GetFrame() const { return mFrame; }
  const RwBBox& GetLocalBox() const { return mLocalBox; }
  // The axis-aligned box around the local box's eight corners in world space.
  void GetWorldBox(RwBBox* out) const;
  // Whether the world boxes overlap on every axis; touching counts.
  bool WorldBoxesOverlap(const cCollisionShape& other) const;

  // LTM(other) x inverse(LTM(own)): from other's space into this one's.
  const RwMatrix& UpdateOtherToOwn(const cCollisionShape& other);
  // LTM(own) x inverse(LTM(other)): from this space into other's.
  const RwMatrix& UpdateOwnToOther(const cCollisionShape& other);

  tCollisionContact& GetContact(u32 index) { return mContacts[index]; }
  const tCollisionContact& GetContact(u32 index) const { return mContacts[index]; }
  u32 GetContactLimit() const { return mContactLimit; }
  // Counts the contact just written at index *count. When the count reaches
  // the fill limit the array doubles, keeping its records, so the record at
  // the new *count always exists.
  void CountContact(u32* count);

 protected:
  // Grows the local box to hold box as well.
  void GrowLocalBox(const RwBBox& box);

 private:
  u32 mKind;
  RwFrame* mFrame;
  RwMatrix mOtherToOwn;
  RwMatrix mOwnToOther;
  RwBBox mLocalBox;  // starts as the frame's origin alone
  tCollisionContact* mContacts;
  u32 mContactLimit;  // records in mContacts
};
