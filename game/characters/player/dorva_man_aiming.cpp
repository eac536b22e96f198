// cDorvaMan's bionic eye: aiming in first person, the men on the line of
// sight turning red, the dart's shot; and the use presses of the hologram,
// the dart, Ultra and the shield with their part of the player's reset.
#include <cmath>

#include "game/characters/implants/beam_implant.h"
#include "game/characters/implants/dart_implant.h"
#include "game/characters/implants/game_camera_link.h"
#include "game/characters/implants/hologram_implant.h"
#include "game/characters/implants/shield_implant.h"
#include "game/characters/implants/ultra_implant.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/collision/collision_volume.h"
#include "game/render/collision/segment3d.h"
#include "game/render/collision/world_collision.h"
#include "game/render/models/anim_model.h"
#include "game/render/models/dynamic_lit_clump_ro.h"
#include "game/render/scene/camera.h"
#include "game/render/text/crosshair.h"
#include "game/world/qx_world.h"

namespace {

constexpr f32 kAimingLookLimit = 90.0f;  // degrees
// Men are tinted along this much of the view, and shot along this much.
constexpr f32 kTintReach = 50.0f;
constexpr f32 kShotReach = 1000.0f;
const tRGBAf kAimedTint(0.99f, 0.01f, 0.01f, 1.0f);

// The view's position and direction; the player's eye height and facing
// before the world has a camera.
void ViewRay(cQXWorld* world, const cDorvaMan* player, RwV3d* from, RwV3d* direction) {
  if (const cCamera* view = GameView(world)) {
    const RwMatrix* matrix = RwFrameGetLTM(view->GetFrame());
    *from = matrix->pos;
    *direction = matrix->at;
    return;
  }
  const RwMatrix* matrix = RwFrameGetLTM(player->GetFrame());
  *from = RwV3d{matrix->pos.x, matrix->pos.y + kPerceivableHeight, matrix->pos.z};
  *direction = matrix->at;
}

RwV3d Along(const RwV3d& from, const RwV3d& direction, f32 length) {
  return RwV3d{from.x + direction.x * length, from.y + direction.y * length, from.z + direction.z * length};
}

f32 Distance(const RwV3d& a, const RwV3d& b) {
  const RwV3d d = {a.x - b.x, a.y - b.y, a.z - b.z};
  return std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z);
}

// Where the segment meets the man's volume.
bool MeetsMan(cMan* man, const RwV3d& from, const RwV3d& to, RwV3d* point) {
  RwV3d normal;
  cCollisionVolume* volume = man->GetCollisionVolume();
  return volume != nullptr && volume->IntersectSegment(from, to, point, &normal, true);
}

// The men a dart or the tint may take: the living guards and civilians.
bool IsAimable(cMan* man) { return man != nullptr && man->IsNotHologram() && man->IsAlarmReady(); }

}  // namespace

void cDorvaMan::ToggleBionicEye() {
  if (mAiming != 0) {
    StopAiming();
    return;
  }
  const cUltraImplant* ultra = static_cast<const cUltraImplant*>(GetImplant(kImplantIndexUltra));
  if (ultra != nullptr && ultra->IsInUse()) {
    mCannotUseSound.Play();
    return;
  }
  StartAiming();
}

void cDorvaMan::StartAiming() {
  cDartImplant* dart = static_cast<cDartImplant*>(GetImplant(kImplantIndexDart));
  cQXWorld* world = GetWorld();
  if (dart == nullptr || world == nullptr) {
    return;
  }
  GetModel()->SetAnim(kManAnimStand, 0.0f);
  mSavedLookLimit = mLookLimit;
  SetLookLimit(kAimingLookLimit);
  mActionState = kStateAiming;
  StartGameCameraAiming(world);
  if (cWgCrosshair* crosshair = world->GetCrosshair()) {
    crosshair->SetHidden(false);
  }
  mSavedSelection = mSelectedImplant;
  mSelectedImplant = kImplantIndexDart;
  // White and clear: the agent is not drawn while the eye aims.
  SetMaterialColour(0, 255, 255, 255);
  dart->StartAim();
  mAiming = 1;
  mInput.aimingOn = 1;
}

void cDorvaMan::StopAiming() {
  cQXWorld* world = GetWorld();
  SetLookLimit(mSavedLookLimit);
  GetModel()->SetAnim(kManAnimStand, 0.0f);
  mActionState = kStateStand;
  if (world != nullptr && world->GetCrosshair() != nullptr) {
    world->GetCrosshair()->SetHidden(true);
  }
  FollowWithGameCamera(world);
  if (cDartImplant* dart = static_cast<cDartImplant*>(GetImplant(kImplantIndexDart))) {
    dart->EndAim();
  }
  mSelectedImplant = mSavedSelection;
  ResetMenTint();
  SetMaterialColour(255, 255, 255, 255);
  mAiming = 0;
  mInput.aimingOn = 0;
}

void cDorvaMan::UpdateAimingState(f32 dt) {
  if (mSkipAnimation != 0 || mAiming == 0) {
    ResetMenTint();
    StopAiming();
    return;
  }
  if (mInput.useItem != 0) {
    ShootDart();
    mInput.useItem = 0;
    return;
  }
  UpdateAiming(dt);
}

void cDorvaMan::UpdateAiming(f32 dt) {
  cQXWorld* world = GetWorld();
  if (world == nullptr) {
    return;
  }
  RwV3d from;
  RwV3d direction;
  ViewRay(world, this, &from, &direction);
  const RwV3d to = Along(from, direction, kTintReach);
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    cDynamicLitClumpRO* clump =
        man != nullptr && man->GetModel() != nullptr ? man->GetModel()->GetClumpObject() : nullptr;
    if (clump == nullptr || !man->IsNotHologram()) {
      continue;
    }
    RwV3d point;
    if (IsAimable(man) && MeetsMan(man, from, to, &point)) {
      clump->FadeToColour(kAimedTint);
    } else {
      clump->RefreshLight();
    }
    clump->UpdateFade(dt);
  }
}

void cDorvaMan::ShootDart() {
  cDartImplant* dart = static_cast<cDartImplant*>(GetImplant(kImplantIndexDart));
  cQXWorld* world = GetWorld();
  if (dart == nullptr || world == nullptr || dart->IsFlying()) {
    return;
  }
  RwV3d from;
  RwV3d direction;
  ViewRay(world, this, &from, &direction);
  const RwV3d to = Along(from, direction, kShotReach);
  cWorldCollision* collision = world->GetWorldObject();
  RwV3d levelHit;
  RwV3d levelNormal;
  const bool hitsLevel =
      collision != nullptr &&
      collision->IntersectSegment(tSegment3d(from, to), &levelHit, &levelNormal, nullptr, true, false, 0, false);
  // The man the view meets first: one behind him on the ray, or behind the
  // level's first hit on it, is not the one aimed at.
  cMan* target = nullptr;
  f32 targetDistance = hitsLevel ? Distance(from, levelHit) : kShotReach;
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    RwV3d point;
    if (!IsAimable(man) || !MeetsMan(man, from, to, &point)) {
      continue;
    }
    // A man as far as the level's hit still counts; of two as far, the first.
    const f32 distance = Distance(from, point);
    if (target == nullptr ? distance <= targetDistance : distance < targetDistance) {
      target = man;
      targetDistance = distance;
    }
  }
  if (target != nullptr) {
    dart->Fire(target, kDartNoLimit);
    return;
  }
  f32 range = kDartNoLimit;
  if (hitsLevel) {
    mAimHitPoint = levelHit;
    mAimHitNormal = levelNormal;
    range = Distance(from, levelHit);
  }
  dart->Fire(nullptr, range);
}

void cDorvaMan::ResetMenTint() {
  cQXWorld* world = GetWorld();
  if (world == nullptr) {
    return;
  }
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    if (man != nullptr && man->GetModel() != nullptr && man->GetModel()->GetClumpObject() != nullptr) {
      man->GetModel()->GetClumpObject()->ResetColour();
    }
  }
}

void cDorvaMan::UseOtherImplant() {
  cQXWorld* world = GetWorld();
  switch (mSelectedImplant) {
    case kImplantIndexHologram:
      static_cast<cHologramImplant*>(GetImplant(kImplantIndexHologram))->Use();
      StartImplantFeedback(world, kImplantFeedbackSeconds);
      break;
    case kImplantIndexDart:
      ToggleBionicEye();
      break;
    case kImplantIndexUltra: {
      cUltraImplant* ultra = static_cast<cUltraImplant*>(GetImplant(kImplantIndexUltra));
      mInput.ultraOn = mInput.ultraOn != 0 ? 0 : 1;
      if (mInput.ultraOn != 0) {
        ultra->Start();
        StartImplantFeedback(world, kImplantFeedbackSeconds);
      } else {
        ultra->Stop();
      }
      break;
    }
    case kImplantIndexShield: {
      cShieldImplant* shield = static_cast<cShieldImplant*>(GetImplant(kImplantIndexShield));
      mInput.shieldOn = mInput.shieldOn != 0 ? 0 : 1;
      if (mInput.shieldOn != 0) {
        StartImplantFeedback(world, kImplantFeedbackSeconds);
        shield->Start();
      } else {
        shield->Stop();
      }
      break;
    }
    default:
      break;
  }
}

void cDorvaMan::ResetImplants() {
  // Whichever runs stops, selected or not: a reset clears both flags, and
  // an implant left running would drain and tint on with its flag gone.
  cUltraImplant* ultra = static_cast<cUltraImplant*>(GetImplant(kImplantIndexUltra));
  if (ultra != nullptr && mInput.ultraOn != 0) {
    ultra->Stop();
  }
  cShieldImplant* shield = static_cast<cShieldImplant*>(GetImplant(kImplantIndexShield));
  if (shield != nullptr && (mInput.shieldOn != 0 || shield->IsActive())) {
    shield->Stop();
  }
  mInput.ultraOn = 0;
  mInput.shieldOn = 0;
  if (cQXWorld* world = GetWorld()) {
    world->SetUltraOn(0);
    tScreenEffects& effects = world->GetRenderManager().GetEffects();
    effects.overlayColour = RwRGBA{255, 255, 255, 0};
    effects.overlay = 0;
  }
  mBlocking = 0;
  if (cHologramImplant* hologram = static_cast<cHologramImplant*>(GetImplant(kImplantIndexHologram))) {
    hologram->End();
  }
}

bool cDorvaMan::IsShieldActive() const {
  const cShieldImplant* shield = static_cast<const cShieldImplant*>(GetImplant(kImplantIndexShield));
  return shield != nullptr && shield->IsActive();
}

bool cDorvaMan::IsUltraInUse() const {
  const cUltraImplant* ultra = static_cast<const cUltraImplant*>(GetImplant(kImplantIndexUltra));
  return ultra != nullptr && ultra->IsInUse();
}

void cDorvaMan::BlockShot() {
  if (cShieldImplant* shield = static_cast<cShieldImplant*>(GetImplant(kImplantIndexShield))) {
    shield->Block();
  }
}
