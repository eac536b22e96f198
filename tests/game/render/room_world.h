// A forged room 20 units wide around the origin as the world of a scene,
// made on first use and destroyed with the object.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "game/render/scene/scene.h"
#include "game/render/collision/world_collision.h"
#include "tools/forge/forge.h"

class RoomWorld {
 public:
  RoomWorld() = default;
  ~RoomWorld() { Release(); }

  RoomWorld(const RoomWorld&) = delete;
  RoomWorld& operator=(const RoomWorld&) = delete;

  // The scene's world object and its manager's world become the room's.
  void Give(cScene* scene) {
    if (mWorld == nullptr) {
      ForgeSoup soup;
      soup.materials.push_back(ForgeMaterial());
      ForgeAddBox(&soup, RwV3d{-10.0f, 0.0f, -10.0f}, RwV3d{10.0f, 5.0f, 10.0f}, 0);
      mWorld = ForgeWorldCreate(soup, ForgeWorldOptions());
      ASSERT_NE(nullptr, mWorld);
      mWorldObject = std::make_unique<cWorldCollision>(mWorld, mWorld, 0);
    }
    scene->SetWorldObject(mWorldObject.get());
    scene->GetRenderManager().SetScene(scene, 0);
  }

  // Before the engine stops.
  void Release() {
    mWorldObject.reset();
    if (mWorld != nullptr) {
      RpWorldDestroy(mWorld);
      mWorld = nullptr;
    }
  }

  RpWorld* GetWorld() const { return mWorld; }

 private:
  RpWorld* mWorld = nullptr;
  std::unique_ptr<cWorldCollision> mWorldObject;
};
