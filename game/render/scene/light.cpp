// cLight: creation and destruction of the light with its frame.
#include "game/render/scene/light.h"

#include "game/foundation/fatal_error.h"
#include "game/foundation/vector_helpers.h"

namespace {

struct tLightTypeName {
  const char* name;
  RwUInt8 type;
};

const tLightTypeName kLightTypes[] = {{"DIRECTIONAL", rpLIGHTDIRECTIONAL},
                                      {"AMBIENT", rpLIGHTAMBIENT},
                                      {"POINT", rpLIGHTPOINT},
                                      {"SPOT", rpLIGHTSPOT},
                                      {"SPOTSOFT", rpLIGHTSPOTSOFT}};
constexpr f32 kDegreesToRadians = 0.0174533f;

}  // namespace

cLight::cLight(RwUInt8 type) : mFrame(RwFrameCreate()), mDirection{0.0f, 0.0f, 1.0f}, mLight(RpLightCreate(type)) {
  if (mLight == nullptr || mFrame == nullptr || RpLightSetFrame(mLight, mFrame) == nullptr) {
    FatalError("RpLightSetFrame Error");
  }
}

cLight::~cLight() {
  RpWorld* world = mLight != nullptr ? RpLightGetWorld(mLight) : nullptr;
  if (world != nullptr) {
    RpWorldRemoveLight(world, mLight);
  }
  if (mLight == nullptr || RpLightSetFrame(mLight, nullptr) == nullptr) {
    FatalError("RpLightSetFrame Error");
  }
  RwFrameDestroy(mFrame);
  RpLightDestroy(mLight);
}

cLight* cLight::Create(const cPropertyGroup* group) {
  const cProperty* typeKey = group->FindProperty(cString("TYPE"));
  if (typeKey == nullptr) {
    FatalPropertyNotFound("cLight::Create", group, "TYPE");
  }
  const cString typeName = typeKey->GetStringFatal();
  const tLightTypeName* type = nullptr;
  for (const tLightTypeName& entry : kLightTypes) {
    if (typeName == cString(entry.name)) {
      type = &entry;
      break;
    }
  }
  if (type == nullptr) {
    FatalInGroup(group, "cLight::Create : unknown type (valid types: DIRECTIONAL, AMBIENT, POINT, SPOT, SPOTSOFT)");
  }
  cLight* light = new cLight(type->type);
  const cProperty* key = group->FindProperty(cString("COLOR"));
  if (key != nullptr) {
    f32 rgba[4];
    key->GetRGBAfFatal(rgba);
    light->SetColour(RwRGBAReal{rgba[0], rgba[1], rgba[2], rgba[3]});
  }
  key = group->FindProperty(cString("POS"));
  if (key != nullptr) {
    RwV3d position;
    key->GetV3dFatal(&position);
    RwFrameTranslate(light->mFrame, &position, kRwCombineReplace);
  }
  key = group->FindProperty(cString("LOOKATPOS"));
  if (key != nullptr) {
    RwV3d target;
    key->GetV3dFatal(&target);
    MatrixLookAt(RwFrameGetMatrix(light->mFrame), &target);
    RwFrameMarkDirty(light->mFrame);
  }
  key = group->FindProperty(cString("RADIUS"));
  if (key != nullptr) {
    RpLightSetRadius(light->mLight, key->GetF32Fatal());
  }
  key = group->FindProperty(cString("CONEANGLE"));
  if (key != nullptr) {
    // The engine keeps the old cone for an angle above a right angle.
    RpLightSetConeAngle(light->mLight, key->GetF32Fatal() * kDegreesToRadians);
  }
  return light;
}
