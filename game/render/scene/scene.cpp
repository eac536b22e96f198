// cScene: construction, the tick and the two update passes.
#include "game/render/scene/scene.h"

#include "game/app/event.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/updatable.h"
#include "game/render/models/clump_ro.h"

cScene::cScene()
    : mAmbientLight(rpLIGHTAMBIENT),
      mDirectionalLight(rpLIGHTDIRECTIONAL),
      mWorldObject(nullptr),
      mPropertyFiles(new cPropertyFileCache),
      mTickCount(0),
      mPvsFlag(0) {}

cScene::~cScene() {
  delete mPropertyFiles;
  // The clients are the level's to delete; the list only forgets them.
  mUpdateList.Clear();
}

bool cScene::OnEvent(const tEvent* event) {
  if (event->type != kEventTick) {
    return false;
  }
  Update(event->tick.frameTime);
  mTickCount++;
  return false;
}

void cScene::SetWorld(cWorldCollision* worldObject, u8 addLights) {
  SetWorldObject(worldObject);
  mAmbientLight.SetFlags(0);
  mDirectionalLight.SetFlags(0);
  mRenderManager.SetScene(this, addLights);
}

void cScene::AddClump(cClumpRO* object) {
  mRenderManager.AddClump(object);
  object->SetScene(this);
  if (object->GetMirrorFlag() != 0) {
    object->RegisterMirrors(this);
  }
}

void cScene::RemoveClump(cClumpRO* object) {
  if (object->GetScene() == nullptr) {
    return;
  }
  RpWorld* world = mRenderManager.GetWorld();
  if (world == nullptr) {
    FatalError("cRenderManager::RemoveClump : RWWorld is NULL");
  }
  if (object->GetClump() != nullptr) {
    RpWorldRemoveClump(world, object->GetClump());
  }
  object->SetScene(nullptr);
  if (object->GetMirrorFlag() != 0) {
    object->RegisterMirrors(nullptr);
  }
}

void cScene::Update(f32 dt) {
  UpdateClients(mUpdateList, dt);
  PostUpdateClients(mUpdateList, dt);
}
