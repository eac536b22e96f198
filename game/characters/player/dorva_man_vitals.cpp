// cDorvaMan's reset and checkpoint, its eye, the binding of its input
// actions, and the end of aiming.
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/save/game_options.h"
#include "game/render/effects/shock_effect.h"
#include "game/render/models/anim_model.h"
#include "game/render/twin_timer.h"
#include "game/world/devices/device.h"
#include "game/world/qx_world.h"

namespace {

// The eye stands this high above the feet.
constexpr f32 kEyeHeight = 0.9f;

}  // namespace

cDorvaMan::cEye::cEye(cMan* owner) : mOwner(owner) {
  mEyeOffset = RwV3d{0.0f, kEyeHeight, 0.0f};
  SetDefaults();
}

void cDorvaMan::BindInputAndEye() {
  cQXWorld* world = GetWorld();
  mActions.Bind(this, &world->GetInputMap());
  mEye.mCollision = world->GetWorldObject();
  mEye.mBodies = &world->GetBodies();
}

cDorvaCam* cDorvaMan::GetGameCamera() const { return GetWorld() != nullptr ? GetWorld()->GetGameCamera() : nullptr; }

void cDorvaMan::EndAiming() {
  // The bionic eye's own end: the dart's hand, the crosshair, the men's
  // tints, the selection and the camera following.
  if (mAiming != 0 && GetModel() != nullptr) {
    StopAiming();
    return;
  }
  mLookLimit = mSavedLookLimit;
  AddLookAngle(0.0f);
  mAiming = 0;
  mInput.aimingOn = 0;
  if (mActionState == kStateAiming) {
    mActionState = kStateStand;
  }
  if (cDorvaCam* camera = GetGameCamera()) {
    camera->SetFollowMode();
  }
}

void cDorvaMan::Reset() {
  cQXWorld* world = GetWorld();
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && world != nullptr && world->GetTwinTimer() != nullptr) {
    world->GetTwinTimer()->Stop();
  }
  // The Ultra and shield stop while they run, the hologram double ends.
  ResetImplants();
  cDorvaCam* camera = GetGameCamera();
  if (camera != nullptr && camera->GetMode() == kCamAiming) {
    EndAiming();
  }
  mCancel = 1;
  // A running laser, EDS or taser use is cut off by one implant step with
  // dt 0 that takes the use as finished.
  if (mActionState == kStateImplant || mActionState == kStateImplantSneaking) {
    const u8 skip = mSkipAnimation;
    mSkipAnimation = 1;
    UpdateImplantUse(0.0f);
    mSkipAnimation = skip;
  }
  mBusy = 0;
  mAiming = 0;
  mActionState = kStateStand;
  if (GetModel() != nullptr) {
    GetModel()->SetAnim(kManAnimStand, 0.0f);
  }
  SetNoiseLevel(NoiseOfState(kStateStand));
  mCancel = 0;
  mTargetDevice = nullptr;
  mProtected = 0;
  // Wishes of the moment go; held keys keep their flags and turn sum so that
  // their release still balances.
  mInput.useItem = mInput.useImplant = mInput.hologramUse = mInput.implantKeyReleased = 0;
  mInput.aimingOn = mInput.search = mInput.centreView = mInput.blocked = 0;
  mMouseTurnLeftFrames = mMouseTurnRightFrames = 0;
  if (GetModel() != nullptr) {
    EnterActionState();
  }
  for (u32 i = 0; i < mInventory.GetCount() && world != nullptr; i++) {
    static_cast<tInventoryItem*>(mInventory.Get(i))->device->ReturnToWorld(world);
  }
  ReleaseItems(&mInventory);
  mStats.Reset();
  if (camera != nullptr) {
    camera->SetFollowMode();
  }
  delete GetShock();
  mProtected = 0;
}

void cDorvaMan::SaveState() {
  cMan::SaveState();
  CopyItems(mInventory, &mSavedInventory);
  mSavedStats.CopyFrom(mStats);
  mSavedHealth = mHealth;
  mSavedEnergy = mEnergy;
  mSavedKeyFound = mKeyFound;
  mSavedCardFound = mCardFound;
}

void cDorvaMan::RestoreState() {
  Reset();
  cMan::RestoreState();
  CopyItems(mSavedInventory, &mInventory);
  for (u32 i = 0; i < mInventory.GetCount(); i++) {
    static_cast<tInventoryItem*>(mInventory.Get(i))->device->RemoveFromWorld(GetWorld());
  }
  mStats.CopyFrom(mSavedStats);
  mHealth = 1.0f;
  mEnergy = mSavedEnergy;
  mKeyFound = mSavedKeyFound;
  mCardFound = mSavedCardFound;
  mProtected = 0;
}

void cDorvaMan::ReleaseItems(cPtrArray* items) {
  for (u32 i = 0; i < items->GetCount(); i++) {
    delete static_cast<tInventoryItem*>(items->Get(i));
  }
  items->SetCount(0);
}

void cDorvaMan::CopyItems(const cPtrArray& from, cPtrArray* to) {
  ReleaseItems(to);
  to->SetCount(from.GetCount());
  for (u32 i = 0; i < from.GetCount(); i++) {
    to->Set(i, new tInventoryItem(*static_cast<const tInventoryItem*>(from.Get(i))));
  }
}
