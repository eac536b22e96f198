// cXrfObject and cGlowingObject, and the passes that place them.
#include "game/world/static_objects.h"

#include "game/render/models/model_files.h"
#include "game/render/models/texture_files.h"
#include "game/world/devices/device.h"
#include "game/world/devices/device_passes.h"
#include "game/world/qx_world.h"

cXrfObject::cXrfObject(const char* modelPath, cLightmap* lightmap)
    : mModel(new cStaticLitClumpRO(modelPath, lightmap, nullptr)),
      mCollisionModel(new cClumpRO(MakeCollisionPath(modelPath).CStr(), nullptr)) {
  if (mCollisionModel->GetClump() != nullptr) {
    mModel->AttachChild(mCollisionModel);
  }
}

cXrfObject::cXrfObject(const cXrfObject& prototype)
    : cLevelObject(prototype),
      mModel(new cStaticLitClumpRO(*prototype.mModel)),
      mCollisionModel(new cClumpRO(*prototype.mCollisionModel)) {
  if (mCollisionModel->GetClump() != nullptr) {
    mModel->AttachChild(mCollisionModel);
  }
}

cXrfObject::~cXrfObject() {
  if (mCollisionModel->GetClump() != nullptr) {
    mCollisionModel->Detach();
  }
  delete mCollisionModel;
  delete mModel;
}

void cXrfObject::SetColourTable(const char* text) { mModel->SetColourTable(text); }

void cGlowingObject::ReadProperties(const cPropertyGroup* group) {
  const cString* glow = FindPropertyValue(group, "GLOW");
  if (glow != nullptr) {
    const cString name = cString("data/textures/") + *glow;
    mBillboard.SetTexture(ReadTexture(name.CStr(), true));
  }
  mBillboard.SetDepthTest(1);
  mBillboard.SetDepthWrite(1);
}

void LinkXrfObject(cXrfObject* object, cQXWorld* world) {
  world->AddClump(object->GetModel());
  object->GetModel()->UpdateLightColour(nullptr);
  RpClump* collision = object->GetCollisionClump();
  if (collision != nullptr && world->GetCollisionWorld() != nullptr && RpClumpGetWorld(collision) == nullptr) {
    RpWorldAddClump(world->GetCollisionWorld(), collision);
  }
}

void LinkGlowingObject(cGlowingObject* object, cQXWorld* world) {
  cBillboard& billboard = object->GetBillboard();
  RwFrame* frame = object->GetModel()->GetFrame();
  if (frame != nullptr) {
    RwV3d position = RwFrameGetMatrix(frame)->pos;
    RwFrameTranslate(billboard.GetFrame(), &position, kRwCombineReplace);
  }
  world->GetRenderManager().AddRO(&billboard);
  LinkXrfObject(object, world);
}

void LinkXrfObjects(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<cXrfObject>(sets, [world](cXrfObject* object) { LinkXrfObject(object, world); });
}

void LinkGlowingObjects(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<cGlowingObject>(sets, [world](cGlowingObject* object) { LinkGlowingObject(object, world); });
}

void SetUpGlowingObjects(const cPtrArray& sets, const cPropertyFile& props) {
  ForEachClone<cGlowingObject>(sets, [&props](cGlowingObject* object) {
    const cPropertyGroup* group = props.FindGroup(object->GetName());
    if (group != nullptr) {
      object->ReadProperties(group);
    }
  });
}
