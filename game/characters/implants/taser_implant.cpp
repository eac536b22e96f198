// cTaserImplant and its fizzle.
#include "game/characters/implants/taser_implant.h"

#include <cmath>

#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/render/models/anim_model.h"
#include "game/world/qx_world.h"

namespace {

constexpr char kTaserTag[] = "Error: cTaserImplant::Init";
constexpr f32 kDegreesToRadians = 3.14159265f / 180.0f;

f32 RequiredValue(const cPropertyGroup* group, const char* key) {
  const cProperty* property = group->FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(kTaserTag, group, key);
  }
  return TextToF32(property->GetValue());
}

}  // namespace

cTaserImplant::cTaserImplant() : cBeamImplant(kTaserModel), mFizzle(nullptr), mRange(0.0f), mUseCosine(1.0f) {
  Setup(kImplantIndexTaser);
}

cTaserImplant::~cTaserImplant() {
  // A fizzle still showing goes with the implant.
  delete mFizzle;
}

void cTaserImplant::Init(cQXWorld* world, cAnimModel* playerModel) {
  mWorld = world;
  cBeamImplant::Init(world, playerModel);
  const cPropertyFile* config = world->GetConfig();
  const cPropertyGroup* group = config != nullptr ? config->FindGroup(cString("implants")) : nullptr;
  if (group == nullptr) {
    FatalGroupNotFound(kTaserTag, config, "implants");
  }
  mRange = RequiredValue(group, "TASER_RANGE");
  mUseCosine = std::cos(RequiredValue(group, "TASER_USE_ANGLE") * kDegreesToRadians);
}

void cTaserImplant::Fire() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  if (cMan* target = player->FindTaserTarget()) {
    target->KnockDown();
    target->StartShock(kTaserShockSeconds);
  } else {
    player->AddEnergy(mCost);
    // An earlier fizzle still showing ends by itself.
    if (mFizzle != nullptr) {
      mFizzle->RemoveOwner(&mFizzle);
    }
    mFizzle = new cLightningBeam(mWorld);
    mFizzle->AddOwner(&mFizzle);
    mFizzle->SetEnds(player->GetModel(), player->GetModel());
    mFizzle->SetLifetime(kTaserFizzleSeconds);
    const RwV3d at = RwFrameGetLTM(player->GetFrame())->pos;
    mFizzle->SetFixedTarget(RwV3d{at.x + kTaserFizzleOffset, at.y, at.z + kTaserFizzleOffset});
  }
  player->SetProtected(0);
}

void cTaserImplant::Stop(cQXWorld* world, bool cut) {
  (void)world;
  (void)cut;
}
