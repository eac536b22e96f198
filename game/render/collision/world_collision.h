// The level's collision queries: where a segment meets the level's
// triangles and the collision-tested objects placed in it, and which
// contacts a collision volume has with them. The queries walk the collision
// world through the engine's collision plugin; the drawn world is apart.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/render/collision/collision_shape.h"
#include "game/render/collision/segment3d.h"

class cWorldCollision {
 public:
  // world is drawn and answered by GetWorld; queryWorld is walked by the
  // queries (the level's collision world); flag is kept for the owner.
  cWorldCollision(RpWorld* world, RpWorld* queryWorld, u8 flag);
  virtual ~cWorldCollision() = default;

  cWorldCollision(const cWorldCollision&) = delete;
  cWorldCollision& operator=(const cWorldCollision&) = delete;

  // Draws the world with the current camera.
  virtual void Render();
  virtual RpWorld* GetWorld();
  // Contacts of the volume (kind kCollisionKindVolume; others get none) with
  // the level, written from index 0 of its contact array, normals pointing
  // out of the level's surfaces; one contact a primitive and target at most.
  // firstOnly: each target's test stops at its first contact, and the
  // objects are not tried once the world gave one. Atomics whose flags share
  // a bit with atomicMask are passed over. Returns the number of contacts.
  virtual u32 CollideVolume(cCollisionShape* volume, bool firstOnly, u32 atomicMask);
  // Where the segment meets the level's front faces: the mean of all hits,
  // or with nearest the nearest, or with firstOnly the nearest of the first
  // hit of the world and of each object. *object (when given) is cleared,
  // then set to the atomic the answer came from, if any. point and normal
  // are left as they were on a miss. worldOnly leaves the objects out.
  virtual bool IntersectSegment(const tSegment3d& segment, RwV3d* point, RwV3d* normal, RpAtomic** object, bool nearest,
                                bool firstOnly, u32 atomicMask, bool worldOnly);

  u8 GetFlag() const { return mFlag; }

 private:
  RpWorld* mWorld;
  RpWorld* mQueryWorld;
  u8 mFlag;
};
