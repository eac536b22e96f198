// cWorldCollision: the drawn world and the query world.
#include "game/render/world_collision.h"

cWorldCollision::cWorldCollision(RpWorld* world, RpWorld* queryWorld, u8 flag)
    : mWorld(world), mQueryWorld(queryWorld), mFlag(flag) {}

void cWorldCollision::Render() {
  if (mWorld != nullptr) {
    RpWorldRender(mWorld);
  }
}

RpWorld* cWorldCollision::GetWorld() { return mWorld; }
