// The level's engine world as the game sees it: the world that is drawn and
// the world that collision queries walk (the level's collision world).
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

class cWorldCollision {
 public:
  // flag: kept for the owner.
  cWorldCollision(RpWorld* world, RpWorld* queryWorld, u8 flag);
  virtual ~cWorldCollision() {}

  cWorldCollision(const cWorldCollision&) = delete;
  cWorldCollision& operator=(const cWorldCollision&) = delete;

  // Draws the world through the current camera.
  virtual void Render();
  virtual RpWorld* GetWorld();

  RpWorld* GetQueryWorld() const { return mQueryWorld; }
  u8 GetFlag() const { return mFlag; }

 private:
  RpWorld* mWorld;
  RpWorld* mQueryWorld;
  u8 mFlag;
};
