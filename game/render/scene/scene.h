// The scene: the base of the level world. It owns the level's ambient and
// directional lights, the per-frame clients, the render manager, the
// property-file cache and the tick counter, and turns each tick event into
// one update of itself and its clients.
#pragma once

#include "game/app/input/input_listener.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/render/property_file_cache.h"
#include "game/render/scene/light.h"
#include "game/render/scene/render_manager.h"

class cCamera;
class cClumpRO;
class cWorldCollision;

class cScene : public cInputListener {
 public:
  cScene();
  ~cScene() override;

  cScene(const cScene&) = delete;
  cScene& operator=(const cScene&) = delete;

  // A tick runs Update with the event's frame time and counts the tick;
  // other events are ignored.
  bool OnEvent(const tEvent* event) override;
  // The camera of that index; the level world answers its game camera.
  virtual cCamera* GetCamera(u32 index) = 0;
  // Update, then PostUpdate, of every client; a client whose call returns
  // true is deleted at once.
  virtual void Update(f32 dt);
  // The object's clump joins the manager's world and the object records
  // this scene; fatal while the manager has no world.
  void AddClump(cClumpRO* object);
  // Nothing for an object in no scene; fatal while the manager has no world.
  void RemoveClump(cClumpRO* object);

  // The level's world: the collision object becomes the scene's world
  // object, the scene's own two lights stop lighting (the level brings its
  // lights), and the render manager takes the engine world and the world
  // pass from it; with addLights the two lights join that world.
  void SetWorld(cWorldCollision* worldObject, u8 addLights);

  cLight& GetAmbientLight() { return mAmbientLight; }
  cLight& GetDirectionalLight() { return mDirectionalLight; }
  cWorldCollision* GetWorldObject() const { return mWorldObject; }
  void SetWorldObject(cWorldCollision* worldObject) { mWorldObject = worldObject; }
  cList& GetUpdateList() { return mUpdateList; }
  cRenderManager& GetRenderManager() { return mRenderManager; }
  cPropertyFileCache* GetPropertyFileCache() const { return mPropertyFiles; }
  u32 GetTickCount() const { return mTickCount; }
  // Set when the level's world carries potentially-visible-set data.
  u8 GetPvsFlag() const { return mPvsFlag; }
  void SetPvsFlag(u8 flag) { mPvsFlag = flag; }

 private:
  cLight mAmbientLight;
  cLight mDirectionalLight;
  cWorldCollision* mWorldObject;
  cList mUpdateList;
  cRenderManager mRenderManager;
  cPropertyFileCache* mPropertyFiles;
  u32 mTickCount;
  u8 mPvsFlag;
};
