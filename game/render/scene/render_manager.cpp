// cRenderManager: registration, assorting by render type, the object passes
// and the item layers.
#include "game/render/scene/render_manager.h"

#include <cstdlib>

#include "game/foundation/fatal_error.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/models/atomic_ro.h"
#include "game/render/scene/camera.h"
#include "game/render/models/clump_ro.h"
#include "game/render/colour.h"
#include "game/render/effects/mirror.h"
#include "game/render/effects/projected_shadows.h"
#include "game/render/scene/render_state.h"
#include "game/render/scene/scene.h"
#include "game/render/collision/world_collision.h"

namespace {

cRenderManager* sCurrentManager = nullptr;

int CompareObjects(const void* a, const void* b) {
  return CompareFartherFirst((*static_cast<cRenderObject* const*>(a))->GetSortKey(),
                             (*static_cast<cRenderObject* const*>(b))->GetSortKey());
}

}  // namespace

void cRenderLayer_CameraClump::Render(cCamera* camera) {
  if (mClump == nullptr) {
    return;
  }
  RwFrame* frame = RpClumpGetFrame(mClump);
  const RwV3d position = RwFrameGetLTM(camera->GetFrame())->pos;
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  RpClumpRender(mClump);
}

void cRenderLayer_World::Render(cCamera*) {
  if (mWorldObject != nullptr) {
    mWorldObject->Render();
  }
}

cRenderLayer_Objects::cRenderLayer_Objects()
    : mObjects(new cRenderObject*[kRenderObjectArrayCapacity]), mCapacity(kRenderObjectArrayCapacity), mCount(0) {}

cRenderLayer_Objects::~cRenderLayer_Objects() { delete[] mObjects; }

void cRenderLayer_Objects::Add(cRenderObject* object) {
  if (mCount == mCapacity) {
    const u32 capacity = mCapacity * 2;
    cRenderObject** grown = new cRenderObject*[capacity];
    for (u32 i = 0; i < mCount; i++) {
      grown[i] = mObjects[i];
    }
    delete[] mObjects;
    mObjects = grown;
    mCapacity = capacity;
  }
  mObjects[mCount++] = object;
}

void cRenderLayer_Objects::Render(cCamera* camera) {
  for (u32 i = 0; i < mCount; i++) {
    mObjects[i]->Render(camera);
  }
}

void cRenderLayer_Objects::SortByDistance(cCamera* camera) {
  const RwV3d eye = RwFrameGetLTM(camera->GetFrame())->pos;
  for (u32 i = 0; i < mCount; i++) {
    RwFrame* frame = mObjects[i]->GetFrame();
    if (frame == nullptr) {
      FatalError("cRenderLayer_Objects(): alpha sorted object should have a frame!\n");
    }
    mObjects[i]->SetSortKey(V3dDistanceSquared(&RwFrameGetLTM(frame)->pos, &eye));
  }
  std::qsort(mObjects, mCount, sizeof(cRenderObject*), CompareObjects);
}

cRenderManager::cRenderManager()
    : mScene(nullptr),
      mWorld(nullptr),
      mCurrentCamera(nullptr),
      mItemLayers(new cRenderItemLayer[kRenderItemLayerCount]),
      mFog(0),
      mFogColour{0, 0, 0, 0},
      mFogType(kRwFogTypeLinear),
      mFogDensity(0.0f) {}

cRenderManager::~cRenderManager() {
  if (sCurrentManager == this) {
    sCurrentManager = nullptr;
  }
  // Registered objects belong to their owners; the list only forgets them.
  mRenderObjects.Clear();
  delete[] mItemLayers;
  if (mEffects.copyRasterReady != 0) {
    DestroyCopyRaster();
  }
}

cRenderManager* cRenderManager::GetCurrent() { return sCurrentManager; }

void cRenderManager::BeginFrame() {
  sCurrentManager = this;
  for (u32 i = 0; i < kRenderItemLayerCount; i++) {
    mItemLayers[i].Clear();
  }
}

void cRenderManager::SetScene(cScene* scene, u8 addLights) {
  mScene = scene;
  cWorldCollision* worldObject = scene->GetWorldObject();
  mWorldPass.SetWorldObject(worldObject);
  mWorld = worldObject != nullptr ? worldObject->GetWorld() : nullptr;
  if (addLights != 0 && mWorld != nullptr) {
    RpWorldAddLight(mWorld, scene->GetAmbientLight().GetLight());
    RpWorldAddLight(mWorld, scene->GetDirectionalLight().GetLight());
  }
}

void cRenderManager::AddRO(cRenderObject* object) {
  RpAtomic* atomic = object->GetAtomic();
  if (mWorld != nullptr && atomic != nullptr) {
    RpWorldAddAtomic(mWorld, atomic);
    return;
  }
  mRenderObjects.Append(object);
}

void cRenderManager::AddAtomicRO(cAtomicRO* object) {
  if (mWorld == nullptr) {
    FatalError("cRenderManager::AddRO : RWWorld hasn't been set, yet");
  }
  if (RpAtomicGetWorld(object->GetAtomic()) == nullptr) {
    RpWorldAddAtomic(mWorld, object->GetAtomic());
  }
}

void cRenderManager::AddClump(cClumpRO* object) {
  if (mWorld == nullptr) {
    FatalError("cRenderManager::AddClump : RWWorld hasn't been set, yet");
  }
  if (object->GetClump() != nullptr) {
    RpWorldAddClump(mWorld, object->GetClump());
  }
}

void cRenderManager::AddLight(cLight* light) {
  if (mWorld != nullptr) {
    RpWorldAddLight(mWorld, light->GetLight());
  }
}

void cRenderManager::AssortRenderObjects() {
  for (u32 i = 0; i < kRenderObjectArrayCount; i++) {
    mObjectArrays[i].Clear();
  }
  for (cListNode* node = mRenderObjects.First(); node != nullptr; node = cList::Next(node)) {
    cRenderObject* object = static_cast<cRenderObject*>(node);
    const u32 type = object->GetRoType();
    if (type < kRenderObjectArrayCount) {
      mObjectArrays[type].Add(object);
    } else if (type == kRoTypeCameraExtra) {
      if (mCurrentCamera != nullptr) {
        mCurrentCamera->AddRenderObject(object);
      }
    } else {
      FatalError("cRenderManager::AssortRenderObjects - unknown rotype");
    }
  }
}

void cRenderManager::RenderObjects(cCamera* camera) {
  mCurrentCamera = camera;
  AssortRenderObjects();
  mCameraClump.Render(camera);
  mWorldPass.Render(camera);
  mObjectArrays[kRoTypeOpaque].Render(camera);
  mObjectArrays[kRoTypeFirstPass].Render(camera);
  mObjectArrays[kRoTypeDistanceSorted].SortByDistance(camera);
  mObjectArrays[kRoTypeDistanceSorted].Render(camera);
  mObjectArrays[kRoTypeLastPass].Render(camera);
}

void cRenderManager::RenderLayers(cCamera* camera) {
  mItemLayers[1].SortByDistance(camera);
  for (u32 i = 0; i < kRenderItemLayerCount; i++) {
    mItemLayers[i].Render(camera);
  }
}

void cRenderManager::BeginFog() {
  if (mFog == 0) {
    return;
  }
  SetRenderState(kRwRenderStateFogEnable, 1);
  SetRenderState(kRwRenderStateFogType, mFogType);
  SetRenderState(kRwRenderStateFogColor,
                 static_cast<RwInt32>(PackColour(mFogColour.red, mFogColour.green, mFogColour.blue, mFogColour.alpha)));
  RwRenderStateSet(kRwRenderStateFogDensity, &mFogDensity);
}

void cRenderManager::EndFog() {
  if (mFog != 0) {
    SetRenderState(kRwRenderStateFogEnable, 0);
  }
}

RwCamera* cRenderManager::RenderScene(cCamera* camera, bool releaseMirrors) {
  BeginFog();
  RenderObjects(camera);
  RenderLayers(camera);
  if (releaseMirrors) {
    ReleaseMirrorRasters();
  }
  EndFog();
  return RenderProjectedShadows(mWorld, camera);
}

void cRenderManager::RenderFrame(cCamera* camera, const cRenderTarget& target) {
  const bool visibility = mScene != nullptr && mScene->GetPvsFlag() != 0 && mWorld != nullptr;
  if (visibility) {
    RpPVSHook(mWorld);
    const RwV3d eye = RwFrameGetLTM(camera->GetFrame())->pos;
    RpPVSSetViewPosition(mWorld, &eye);
  }
  RenderMirrors(camera);
  BeginFrame();
  ClearShadowCasterFlags();
  camera->Clear(target, mFogColour, 1, 1, 1);
  if (camera->BeginUpdate(target, 0) != nullptr) {
    // A failed shadow pass left no update running to end.
    if (RenderScene(camera, true) != nullptr) {
      RenderScreenEffects(camera->GetCamera(), &mEffects);
      camera->EndUpdate();
    }
  } else {
    // The mirrors' textures get their own rasters back all the same.
    ReleaseMirrorRasters();
  }
  if (visibility) {
    RpPVSUnhook(mWorld);
  }
}

RwCamera* cRenderManager::RenderMirrorFrame(cCamera* camera, const cRenderTarget& target) {
  BeginFrame();
  ClearShadowCasterFlags();
  camera->Clear(target, mFogColour, 1, 1, 1);
  if (camera->BeginUpdate(target, 1) == nullptr) {
    return nullptr;
  }
  if (RenderScene(camera, false) == nullptr) {
    return nullptr;
  }
  return camera->EndUpdate();
}
