// cScene: construction, the tick and the two update passes.
#include "game/render/scene.h"

#include "game/app/event.h"
#include "game/foundation/updatable.h"

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

void cScene::Update(f32 dt) {
  UpdateClients(mUpdateList, dt);
  PostUpdateClients(mUpdateList, dt);
}
