// cQXWorld's load step 7: the game camera.
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/man.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/world/qx_world.h"

void cQXWorld::CreateCamera() {
  cDorvaMan* player = GetPlayer();
  RwFrame* playerFrame = player != nullptr && player->GetModel() != nullptr ? player->GetFrame() : nullptr;
  mGameCamera = new cDorvaCam(playerFrame, this, mLevelName, mSky);
  mCamera = mGameCamera;
  if (mFogDistance != 0.0f) {
    RwCameraSetFogDistance(mCamera->GetCamera(), mFogDistance);
  }
  GetUpdateList().Append(static_cast<cUpdatable*>(mGameCamera));
  if (mEngineWorld != nullptr) {
    RpWorldAddCamera(mEngineWorld, mCamera->GetCamera());
  }
  for (u32 i = 0; i < mMen.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(mMen.Get(i));
    if (man != nullptr && man->GetModel() != nullptr && man->GetModel()->GetClumpObject() != nullptr) {
      man->GetModel()->GetClumpObject()->SetExtraLight(&mGameCamera->GetAmbientLight());
    }
  }
}
