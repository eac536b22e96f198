// Atomic render objects: effects drawn by their own code but placed in the
// engine world as an atomic with an empty geometry, so that the world's
// culling decides when they are drawn. The atomic's render callback defers
// the object to a layer of the current render manager, which calls Render.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

class cCamera;

class cAtomicRO {
 public:
  // The atomic gets an empty geometry of the radius and a frame of its own,
  // takes no part in collision queries, and is linked to this object.
  // layer: the render manager's item layer, 1-based.
  cAtomicRO(f32 radius, u8 layer);
  // Takes the atomic out of its world, then destroys it and its frame.
  virtual ~cAtomicRO();

  cAtomicRO(const cAtomicRO&) = delete;
  cAtomicRO& operator=(const cAtomicRO&) = delete;

  virtual void Render(cCamera* camera) = 0;

  // The local bounding sphere that the world's culling sees.
  void SetBoundingSphere(const RwV3d& centre, f32 radius);

  RpAtomic* GetAtomic() const { return mAtomic; }
  RwFrame* GetFrame() const { return RpAtomicGetFrame(mAtomic); }
  u8 GetLayer() const { return mLayer; }

 private:
  RpAtomic* mAtomic;
  u8 mLayer;
};

// The atomic's render callback: appends its owner to the current render
// manager's item layer (layer - 1) instead of drawing.
RpAtomic* DeferAtomicRO(RpAtomic* atomic);
