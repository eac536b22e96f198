// Forces of a particle element: a constant acceleration added to every live
// particle's accumulator each step (multiplied by dt, not divided by a mass).
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"

class cParticleForce : public cListNode {
 public:
  // World units per second squared.
  explicit cParticleForce(const RwV3d& acceleration) : mAcceleration(acceleration) {}

  virtual void Apply(cList* live);

  const RwV3d& GetAcceleration() const { return mAcceleration; }

 private:
  RwV3d mAcceleration;
};
