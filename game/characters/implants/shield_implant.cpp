// cShieldImplant: the drain, the tints and the block reaction.
#include "game/characters/implants/shield_implant.h"

#include "game/characters/implants/game_camera_link.h"
#include "game/characters/player/dorva_man.h"
#include "game/render/models/anim_model.h"
#include "game/render/particles/particle_system.h"
#include "game/world/qx_world.h"

namespace {

const tRGBAf kShieldLight(0.5f, 0.5f, 1.0f, 1.0f);

bool IsPlayingBlock(const cAnimModel* model) {
  const u32 index = model->GetCurrentIndex() == kAnimCrossFade ? model->GetTargetIndex() : model->GetCurrentIndex();
  return index == kShieldBlockAnim;
}

}  // namespace

cShieldImplant::cShieldImplant() : mBlockTimer(0.0f), mBlockParticles(nullptr), mState(kShieldOff) {
  Setup(kImplantIndexShield);
}

cShieldImplant::~cShieldImplant() {
  mSound.Stop();
  delete mBlockParticles;
}

void cShieldImplant::BindToWorld(cQXWorld* world) {
  mWorld = world;
  world->GetUpdateList().Append(static_cast<cUpdatable*>(this));
  mSound.Create(kShieldSound);
  mSound.SetLooping(true);
}

void cShieldImplant::Start() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  if (mCost > player->GetEnergy()) {
    player->GetCannotUseSound().Play();
    return;
  }
  mSound.Play();
  mState = kShieldOn;
  player->SetMaterialColour(255, 128, 128, 255);
  TintGameCameraLight(mWorld, kShieldLight);
}

void cShieldImplant::Stop() {
  mSound.Stop();
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  // The block reaction gives the player's action state its animation back;
  // any other animation is the action state's own and stays.
  if (player != nullptr && IsPlayingBlock(player->GetModel())) {
    player->BlendToStateAnimation();
  }
  delete mBlockParticles;
  mBlockParticles = nullptr;
  mState = kShieldOff;
  if (player != nullptr) {
    player->SetBlocking(0);
    player->SetMaterialColour(255, 255, 255, 255);
  }
  RestoreGameCameraLight(mWorld);
}

void cShieldImplant::Block() { mState = kShieldBlockRequested; }

void cShieldImplant::Drain(f32 dt) {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  const f32 drain = mCost * dt;
  if (drain <= player->GetEnergy()) {
    player->AddEnergy(-drain);
  } else {
    Stop();
  }
}

bool cShieldImplant::Update(f32 dt) {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr || mState == kShieldOff) {
    return false;
  }
  switch (mState) {
    case kShieldOn:
      Drain(dt);
      break;
    case kShieldBlockRequested:
      Drain(dt);
      if (mState == kShieldOff) {
        break;
      }
      player->SetBlocking(1);
      player->GetModel()->BlendToAnim(kShieldBlockAnim, true, 0.0f, -1.0f);
      mState = kShieldBlockWaiting;
      break;
    case kShieldBlockWaiting:
      Drain(dt);
      if (mState != kShieldOff && player->GetModel()->GetCurrentIndex() == kShieldBlockAnim) {
        SpawnBlockParticles();
        mBlockTimer = 0.0f;
        mState = kShieldBlocking;
      }
      break;
    case kShieldBlocking:
      mBlockTimer += dt;
      Drain(dt);
      if (mState != kShieldOff && mBlockTimer > kShieldBlockSeconds) {
        mState = kShieldBlockEnd;
      }
      break;
    case kShieldBlockEnd:
      mBlockTimer += dt;
      Drain(dt);
      if (mState != kShieldOff) {
        // The player's action state takes its animation back.
        player->BlendToStateAnimation();
        mState = kShieldOn;
        player->SetBlocking(0);
      }
      break;
    default:
      break;
  }
  return false;
}

void cShieldImplant::SpawnBlockParticles() {
  delete mBlockParticles;
  mBlockParticles = nullptr;
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player == nullptr) {
    return;
  }
  const RwMatrix* matrix = RwFrameGetLTM(player->GetFrame());
  const RwV3d position = {matrix->pos.x, matrix->pos.y + kShieldBlockHeight, matrix->pos.z};
  const RwV3d facing = {-matrix->at.x, -matrix->at.y, -matrix->at.z};
  mBlockParticles = new cMultiParticleSystem;
  mBlockParticles->Load(mWorld, kShieldBlockParticles, position, facing);
}
