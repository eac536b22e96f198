// The men's named animations over the shared table, and their footsteps at
// the foot times of the slot playing.
#include "game/characters/man.h"
#include "game/render/models/anim_model.h"

namespace {

// The slots whose footsteps sound, by gait.
bool IsSneakSlot(u32 slot) { return (slot >= 4 && slot <= 7) || slot == 27 || slot == 28; }
bool IsRunSlot(u32 slot) { return slot == 8 || slot == 9; }
bool IsWalkSlot(u32 slot) { return (slot >= 10 && slot <= 15) || slot == 25 || slot == 26; }

// Every blend waits the model's own blend time.
constexpr f32 kDefaultBlend = -1.0f;
constexpr u32 kNoGait = ~0u;

}  // namespace

void cMan::BlendGait(u32 slot, u32 inPhaseA, u32 inPhaseB) {
  const u32 current = mModel->GetCurrentIndex();
  if (current == inPhaseA || current == inPhaseB) {
    mModel->BlendToAnimInPhase(slot, true, kDefaultBlend);
  } else {
    mModel->BlendToAnim(slot, true, 0.0f, kDefaultBlend);
  }
}

void cMan::BlendOnce(u32 slot, bool loop) { mModel->BlendToAnim(slot, loop, 0.0f, kDefaultBlend); }

void cMan::Walk() { BlendGait(kManAnimWalk, kManAnimRun, kManAnimSneak); }
void cMan::WalkBackward() { BlendGait(kManAnimWalkBackward, kManAnimRunBackward, kManAnimSneakBackward); }
void cMan::Run() { BlendGait(kManAnimRun, kManAnimWalk, kManAnimSneak); }
void cMan::RunBackward() { BlendGait(kManAnimRunBackward, kManAnimWalkBackward, kManAnimSneakBackward); }

void cMan::Sneak() {
  SetPerceivableOffset(RwV3d{0.0f, kPerceivableLowHeight, 0.0f});
  BlendGait(kManAnimSneak, kManAnimRun, kManAnimWalk);
}

void cMan::SneakBackward() {
  SetPerceivableOffset(RwV3d{0.0f, kPerceivableLowHeight, 0.0f});
  BlendGait(kManAnimSneakBackward, kManAnimRunBackward, kManAnimWalkBackward);
}

void cMan::Crouch() {
  SetPerceivableOffset(RwV3d{0.0f, kPerceivableLowHeight, 0.0f});
  BlendGait(kManAnimCrouch, kNoGait, kNoGait);
}

void cMan::Stand() { BlendGait(kManAnimStand, kNoGait, kNoGait); }

void cMan::PlayUse() {
  mTurnRate = 0.0f;
  BlendGait(kManAnimUse, kNoGait, kNoGait);
}

void cMan::PlayLookAround() { BlendGait(kManAnimLookAround, kNoGait, kNoGait); }
void cMan::PlayBlock() { BlendGait(kManAnimBlock, kNoGait, kNoGait); }
void cMan::PlayShotPause() { BlendGait(kManAnimShotPause, kNoGait, kNoGait); }
// Without root motion: the shot repeats in place while the state lasts.
void cMan::PlayShoot() { BlendOnce(kManAnimShoot, false); }
void cMan::PlayShockAttack() { BlendGait(kManAnimShockAttack, kNoGait, kNoGait); }

void cMan::PlayFoot(f32 time, u32 group, u32* started) {
  if (!mModel->HasPassedTime(time)) {
    return;
  }
  cSndEngWin& sound = mFootsteps[group][RpRandomNext() % kFootstepVariants];
  if (RwFrame* frame = GetFrame()) {
    sound.SetPosition(&RwFrameGetLTM(frame)->pos);
  }
  sound.Play();
  (*started)++;
}

u32 cMan::PlayFootsteps() {
  const u32 slot = mModel != nullptr ? mModel->GetCurrentIndex() : kNoGait;
  u32 left;
  if (IsSneakSlot(slot)) {
    left = kFootstepSneakLeft;
  } else if (IsRunSlot(slot)) {
    left = kFootstepRunLeft;
  } else if (IsWalkSlot(slot)) {
    left = kFootstepWalkLeft;
  } else {
    return 0;
  }
  u32 started = 0;
  PlayFoot(ManAnimData().GetLeftFootTime(slot), left, &started);
  PlayFoot(ManAnimData().GetRightFootTime(slot), left + 1, &started);
  return started;
}
