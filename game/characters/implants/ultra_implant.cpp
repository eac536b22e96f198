// cUltraImplant: the fades, the drain, the slowed men and the view that
// follows the player's posture.
#include "game/characters/implants/ultra_implant.h"

#include <cmath>

#include "game/characters/implants/game_camera_link.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/render/scene/camera.h"
#include "game/world/qx_world.h"

namespace {

// Byte of a fade value: truncated, then taken modulo 256.
u8 FadeByte(f32 x) { return static_cast<u8>(static_cast<s32>(x)); }

// The posture class without a field of view.
constexpr u32 kNoPosture = 4;

}  // namespace

cUltraImplant::cUltraImplant()
    : mPhase(kUltraOff), mStarted(0), mElapsed(0.0f), mSavedView(kCameraFieldOfView), mCurrentView(kCameraFieldOfView) {
  Setup(kImplantIndexUltra);
}

cUltraImplant::~cUltraImplant() { mSound.Stop(); }

void cUltraImplant::BindToWorld(cQXWorld* world) {
  mWorld = world;
  mStarted = 0;
  world->GetUpdateList().Append(static_cast<cUpdatable*>(this));
  mSound.Create(kUltraSound);
  mSound.SetLooping(true);
  // A stop without a start returns the view to these.
  mSavedView = mCurrentView = GameCameraConfiguredFieldOfView(world);
}

void cUltraImplant::Start() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  if (mCost > player->GetEnergy()) {
    player->GetCannotUseSound().Play();
    return;
  }
  mSound.Play();
  mSavedView = mCurrentView = GameCameraConfiguredFieldOfView(mWorld);
  mPhase = kUltraFadeIn;
  SetMenSpeed(kUltraMenSpeed);
  mElapsed = 0.0f;
  mStarted = 1;
  mWorld->SetUltraOn(1);
  player->SetMaterialColour(255, 255, 255, 0);
  mWorld->GetRenderManager().GetEffects().overlay = 1;
  EnableUltraOverlay(mWorld);
}

void cUltraImplant::Stop() {
  mSound.Stop();
  SetMenSpeed(1.0f);
  mPhase = kUltraFadeOut;
  mElapsed = 0.0f;
  if (cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr) {
    player->SetMaterialColour(255, 255, 255, 255);
  }
  DisableUltraOverlay(mWorld);
}

bool cUltraImplant::Update(f32 dt) {
  mElapsed += dt;
  switch (mPhase) {
    case kUltraFadeIn:
      FadeIn(mElapsed);
      UpdateView();
      break;
    case kUltraOn:
      UpdateView();
      break;
    case kUltraFadeOut:
      FadeOut(mElapsed);
      UpdateView();
      break;
    case kUltraViewReturn:
      UpdateView();
      break;
    default:
      return false;
  }
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return false;
  }
  const f32 drain = mCost * dt;
  if (mPhase == kUltraOn && drain > player->GetEnergy()) {
    // Out of energy: the fade-out starts; the men keep their slow speed
    // until the view has returned. The fade's clock starts again, or the
    // time spent on would end the fade at once.
    mPhase = kUltraFadeOut;
    mElapsed = 0.0f;
    return false;
  }
  player->AddEnergy(-drain);
  return false;
}

void cUltraImplant::FadeIn(f32 t) {
  if (t >= 1.0f) {
    mPhase = kUltraOn;
    return;
  }
  SetTint(255 - FadeByte(253.0f * t), 255 - FadeByte(225.0f * t), 255 - FadeByte(196.0f * t),
          185 - FadeByte(135.0f * t));
}

void cUltraImplant::FadeOut(f32 t) {
  if (t >= 1.0f) {
    SetTint(255, 255, 255, 0);
    mPhase = kUltraViewReturn;
    return;
  }
  SetTint(135, 135, 255, 155 - FadeByte(155.0f * t));
}

void cUltraImplant::UpdateView() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  f32 target = mSavedView;
  if (player != nullptr && player->GetPostureClass() != kNoPosture) {
    target = player->GetPostureValue();
  }
  if (mPhase == kUltraViewReturn) {
    target = mSavedView;
    if (std::fabs(mCurrentView - mSavedView) < kUltraViewReturned) {
      SetTint(255, 255, 255, 0);
      Stop();
      mPhase = kUltraOff;
      return;
    }
  }
  if (std::fabs(target - mCurrentView) >= kUltraViewThreshold) {
    StepViewAngle(target);
  }
}

void cUltraImplant::StepViewAngle(f32 target) {
  if (std::fabs(target - mCurrentView) < 0.000001f) {
    return;
  }
  mCurrentView += target > mCurrentView ? kUltraViewStep : -kUltraViewStep;
  SetGameViewFieldOfView(mWorld, mCurrentView);
}

void cUltraImplant::SetTint(u8 red, u8 green, u8 blue, u8 alpha) {
  if (mWorld == nullptr) {
    return;
  }
  tScreenEffects& effects = mWorld->GetRenderManager().GetEffects();
  effects.overlayColour = RwRGBA{red, green, blue, alpha};
  if (red == 255 && green == 255 && blue == 255 && alpha == 0) {
    effects.overlay = 0;
  }
}

void cUltraImplant::SetMenSpeed(f32 speed) {
  if (mWorld == nullptr) {
    return;
  }
  cPtrArray& men = mWorld->GetMen();
  for (u32 i = 1; i < men.GetCount(); i++) {
    cMan* man = static_cast<cMan*>(men.Get(i));
    if (man != nullptr && man->GetModel() != nullptr) {
      man->GetModel()->SetSpeed(speed);
    }
  }
}
