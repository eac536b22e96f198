// The render manager: draws one frame of a scene through a camera. Render
// objects registered with it are sorted by render type into four arrays
// (array 2 back to front); the world pass draws the engine world, during
// which models with a render priority and atomic render objects defer
// themselves to three item layers, drawn after the arrays.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/render/scene/render_item_layer.h"
#include "game/render/models/render_object.h"
#include "game/render/scene/render_target.h"
#include "game/render/effects/screen_effects.h"

class cAtomicRO;
class cCamera;
class cClumpRO;
class cLight;
class cScene;
class cWorldCollision;

constexpr u32 kRenderObjectArrayCount = 4;         // render types 0 to 3
constexpr u32 kRenderObjectArrayCapacity = 50000;  // per array, grown when exceeded

// One pass of a frame.
class cRenderLayer {
 public:
  virtual ~cRenderLayer() {}
  virtual void Render(cCamera* camera) = 0;
};

// A clump that follows the camera's position (a sky box).
class cRenderLayer_CameraClump : public cRenderLayer {
 public:
  cRenderLayer_CameraClump() : mClump(nullptr) {}
  void Render(cCamera* camera) override;
  void SetClump(RpClump* clump) { mClump = clump; }

 private:
  RpClump* mClump;
};

// The engine world, drawn by the level's world object.
class cRenderLayer_World : public cRenderLayer {
 public:
  cRenderLayer_World() : mWorldObject(nullptr) {}
  void Render(cCamera* camera) override;
  void SetWorldObject(cWorldCollision* worldObject) { mWorldObject = worldObject; }

 private:
  cWorldCollision* mWorldObject;
};

// The render objects of one render type, in registration order.
class cRenderLayer_Objects : public cRenderLayer {
 public:
  cRenderLayer_Objects();
  ~cRenderLayer_Objects() override;

  cRenderLayer_Objects(const cRenderLayer_Objects&) = delete;
  cRenderLayer_Objects& operator=(const cRenderLayer_Objects&) = delete;

  void Render(cCamera* camera) override;
  void Add(cRenderObject* object);
  void Clear() { mCount = 0; }
  // Keys := squared distance from the camera; farther objects first, equal
  // keys in no defined order. Fatal for an object without a frame.
  void SortByDistance(cCamera* camera);

  u32 GetCount() const { return mCount; }
  cRenderObject* GetObject(u32 index) const { return mObjects[index]; }

 private:
  cRenderObject** mObjects;
  u32 mCapacity;
  u32 mCount;
};

class cRenderManager {
 public:
  cRenderManager();
  ~cRenderManager();

  cRenderManager(const cRenderManager&) = delete;
  cRenderManager& operator=(const cRenderManager&) = delete;

  // The manager whose frame is being drawn: atomic render callbacks reach
  // the item layers through it. Null outside frames.
  static cRenderManager* GetCurrent();
  // Makes this the current manager and empties the item layers.
  void BeginFrame();

  // Takes the engine world from the scene's world object; with addLights,
  // the scene's ambient and directional lights join that world.
  void SetScene(cScene* scene, u8 addLights);
  // An object with an atomic joins the engine world (when there is one);
  // any other object joins the list sorted at each frame.
  void AddRO(cRenderObject* object);
  // The atomic render object joins the engine world unless it is in one;
  // fatal while there is no world.
  void AddAtomicRO(cAtomicRO* object);
  // The object's clump joins the engine world; fatal while there is none.
  // No owner is recorded (cScene::AddClump does that).
  void AddClump(cClumpRO* object);
  // The light joins the engine world when there is one.
  void AddLight(cLight* light);

  // Sorts the registered objects into the four arrays by render type; type
  // 4 goes to the current camera's extra list. Fatal for any other type.
  void AssortRenderObjects();
  // Camera clump, world, then arrays 0 to 3 (array 2 sorted back to front).
  void RenderObjects(cCamera* camera);
  // Layer 1 sorted back to front, then layers 0, 1, 2.
  void RenderLayers(cCamera* camera);
  // One frame of the scene through the camera into the target: visibility
  // set, mirrors' reflections, a clear with the fog colour, then inside the
  // camera's update fog, objects, layers, the mirrors' rasters released,
  // shadows and full-screen effects.
  void RenderFrame(cCamera* camera, const cRenderTarget& target);
  // A mirror's reflection: the frame without visibility set, mirrors and
  // effects, the camera's view window kept. Null when the update could not
  // be begun or the shadow pass failed.
  RwCamera* RenderMirrorFrame(cCamera* camera, const cRenderTarget& target);

  // Linear fog of the colour, which is also every frame's clear colour.
  void SetFog(u8 enabled) { mFog = enabled; }
  u8 GetFog() const { return mFog; }
  void SetFogColour(const RwRGBA& colour) { mFogColour = colour; }
  const RwRGBA& GetFogColour() const { return mFogColour; }
  tScreenEffects& GetEffects() { return mEffects; }

  cRenderItemLayer* GetItemLayer(u32 index) { return index < kRenderItemLayerCount ? &mItemLayers[index] : nullptr; }
  const cRenderLayer_Objects& GetObjectArray(u32 type) const { return mObjectArrays[type]; }
  cList& GetRenderObjects() { return mRenderObjects; }
  cScene* GetScene() const { return mScene; }
  RpWorld* GetWorld() const { return mWorld; }
  cCamera* GetCurrentCamera() const { return mCurrentCamera; }
  void SetCameraClump(RpClump* clump) { mCameraClump.SetClump(clump); }
  void SetWorldObject(cWorldCollision* worldObject) { mWorldPass.SetWorldObject(worldObject); }

 private:
  cList mRenderObjects;
  cScene* mScene;
  RpWorld* mWorld;
  cCamera* mCurrentCamera;
  cRenderItemLayer* mItemLayers;  // kRenderItemLayerCount
  cRenderLayer_CameraClump mCameraClump;
  cRenderLayer_World mWorldPass;
  cRenderLayer_Objects mObjectArrays[kRenderObjectArrayCount];
  tScreenEffects mEffects;
  u8 mFog;
  RwRGBA mFogColour;
  RwInt32 mFogType;
  f32 mFogDensity;

  // Fog on with its type, colour and density, when the fog is switched on.
  void BeginFog();
  void EndFog();
  // Steps of a frame inside the camera's update, up to the shadow pass;
  // the shadow pass's result.
  RwCamera* RenderScene(cCamera* camera, bool releaseMirrors);
};
