// cDorvaMan's implants: building and binding them, the use-implant press
// for the taser, the laser and the EDS, the implant-use states 24 and 25,
// and the taser's reach.
#include <cmath>

#include "game/characters/implants/dart_implant.h"
#include "game/characters/implants/eds_implant.h"
#include "game/characters/implants/hologram_implant.h"
#include "game/characters/implants/laser_implant.h"
#include "game/characters/implants/shield_implant.h"
#include "game/characters/implants/taser_implant.h"
#include "game/characters/implants/ultra_implant.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "game/world/devices/device.h"
#include "game/world/qx_world.h"

namespace {

// The taser's line of reach runs between points this high above the feet.
constexpr f32 kTaserLineHeight = 1.8f;

}  // namespace

void cDorvaMan::CreateImplants() {
  for (cImplant*& implant : mImplants) {
    implant = nullptr;
  }
  mImplants[kImplantIndexLaser] = new cLaserImplant;
  mImplants[kImplantIndexEds] = new cEdsImplant;
  mImplants[kImplantIndexTaser] = new cTaserImplant;
  mImplants[kImplantIndexHologram] = new cHologramImplant;
  mImplants[kImplantIndexUltra] = new cUltraImplant;
  mImplants[kImplantIndexShield] = new cShieldImplant;
}

void cDorvaMan::BindImplants() {
  for (u32 index : {kImplantIndexLaser, kImplantIndexEds, kImplantIndexTaser}) {
    static_cast<cBeamImplant*>(mImplants[index])->Init(GetWorld(), GetModel());
  }
  cQXWorld* world = GetWorld();
  static_cast<cHologramImplant*>(mImplants[kImplantIndexHologram])->BindToWorld(world);
  // The hand is lit like the level's men, so the dart waits for the world.
  if (mImplants[kImplantIndexDart] == nullptr) {
    cDartImplant* dart = new cDartImplant(kDartModel, kDartHandModel, &world->GetLightmap(),
                                          world->GetDirectionalLightAngle(), world->GetDirectionalLightAdd());
    dart->BindToWorld(world, GetModel());
    mImplants[kImplantIndexDart] = dart;
  }
  static_cast<cUltraImplant*>(mImplants[kImplantIndexUltra])->BindToWorld(world);
  static_cast<cShieldImplant*>(mImplants[kImplantIndexShield])->BindToWorld(world);
}

void cDorvaMan::DeleteImplants() {
  for (cImplant*& implant : mImplants) {
    delete implant;
    implant = nullptr;
  }
}

cBeamImplant* cDorvaMan::SelectedBeamImplant() const {
  if (mSelectedImplant > kImplantIndexTaser) {
    return nullptr;
  }
  return static_cast<cBeamImplant*>(mImplants[mSelectedImplant]);
}

bool cDorvaMan::IsImplantAvailable(u32 index) const {
  const cImplant* implant = GetImplant(index);
  return implant != nullptr && implant->IsUsable(mEnergy);
}

void cDorvaMan::UseImplant() {
  cQXWorld* world = GetWorld();
  cBeamImplant* implant = SelectedBeamImplant();
  // A use under way ignores the press.
  if (world == nullptr || IsPlayingImplantUse(GetModel())) {
    return;
  }
  if (implant == nullptr) {
    UseOtherImplant();
    return;
  }
  const u32 useState = mInput.sneaking != 0 ? kStateImplantSneaking : kStateImplant;
  if (mSelectedImplant != kImplantIndexTaser) {
    RwV3d point;
    RwV3d direction;
    GetUseRay(&point, &direction);
    cDevice* device = world->FindUsableDevice(point, direction, implant->GetTriggerId());
    if (device == nullptr) {
      return;
    }
    if (!implant->IsUsable(mEnergy)) {
      if (implant->GetMessage() >= 0) {
        world->ShowMessage(static_cast<u32>(implant->GetMessage()));
      }
      mCannotUseSound.Play();
      return;
    }
    mTargetDevice = device;
    mActionState = useState;
    device->Use(world, implant->GetTriggerId());
  } else {
    if (!implant->IsUsable(mEnergy)) {
      mCannotUseSound.Play();
      return;
    }
    mActionState = useState;
  }
  mBusy = 1;
  mProtected = 1;
  StartImplantFeedback(world, kImplantFeedbackSeconds);
}

void cDorvaMan::FaceActionTarget(bool implant) {
  if (!implant) {
    AlignToDevice();
    return;
  }
  cBeamImplant* beam = SelectedBeamImplant();
  if (beam == nullptr) {
    return;
  }
  beam->AttachToBone(kImplantBone);
  if (mSelectedImplant == kImplantIndexTaser) {
    beam->Start(RwV3d{0.0f, 0.0f, 0.0f});
    return;
  }
  if (mTargetDevice == nullptr) {
    return;
  }
  AlignToDevice();
  // The side the player was placed at.
  RwV3d usePoint;
  mTargetDevice->GetUsePoint(&usePoint, mTargetDevice->IsOtherSide());
  beam->Start(usePoint);
}

void cDorvaMan::UpdateImplantUse(f32 dt) {
  (void)dt;
  if (!IsShowingImplantUse(GetModel(), mActionState) && mSkipAnimation == 0) {
    return;
  }
  cBeamImplant* beam = SelectedBeamImplant();
  if (beam != nullptr && beam->GetProgress() < 1.0f && mSkipAnimation == 0) {
    return;
  }
  if (beam != nullptr) {
    beam->Retract();
    beam->Stop(GetWorld(), mSkipAnimation != 0);
  }
  EndAction();
  // Protected only while the use runs.
  mProtected = 0;
}

cMan* cDorvaMan::FindTaserTarget() {
  cQXWorld* world = GetWorld();
  const cTaserImplant* taser = static_cast<const cTaserImplant*>(mImplants[kImplantIndexTaser]);
  if (world == nullptr || taser == nullptr || GetFrame() == nullptr) {
    return nullptr;
  }
  const RwV3d here = RwFrameGetLTM(GetFrame())->pos;
  const RwV3d from = {here.x, here.y + kTaserLineHeight, here.z};
  cWorldCollision* collision = world->GetWorldObject();
  // The nearest man that qualifies, whatever his place in the men list: the
  // sign shows for the man beside the player, and the shock must take him.
  cMan* nearest = nullptr;
  f32 nearestDistance = taser->GetRange();
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    if (man == nullptr || man == this || !man->IsNotHologram() || !man->IsAlarmReady()) {
      continue;
    }
    const RwV3d there = RwFrameGetLTM(man->GetFrame())->pos;
    const f32 dx = there.x - here.x;
    const f32 dz = there.z - here.z;
    const f32 distance = std::sqrt(dx * dx + dz * dz);
    if (distance >= nearestDistance) {
      continue;
    }
    const RwV3d to = {there.x, there.y + kTaserLineHeight, there.z};
    RwV3d point;
    RwV3d normal;
    if (collision != nullptr &&
        collision->IntersectSegment(tSegment3d(from, to), &point, &normal, nullptr, false, true, 0, false)) {
      continue;
    }
    nearest = man;
    nearestDistance = distance;
  }
  return nearest;
}
