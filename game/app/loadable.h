// Something loaded in steps, one step per frame (the level world).
#pragma once

#include "game/foundation/types.h"

class cLoadable {
 public:
  virtual ~cLoadable() {}

  // Performs one load step; returns the fraction done, 1.0 or more when
  // the last step has run.
  virtual f32 Load() = 0;
};
