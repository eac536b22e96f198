// The electric shock on a man: three lightning arcs between bones of his
// animated model that jump to other bones every half second or so, with a
// crackle at his position, for a given number of seconds.
#pragma once

#include "engine/engine.h"
#include "game/app/audio/sound.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cAnimModel;
class cLightningRO;
class cScene;

constexpr u32 kShockArcCount = 3;
// Arcs join bones 1 to this (or the model's last bone when it has fewer).
constexpr u32 kShockBoneRange = 20;
constexpr f32 kShockArcHold = 0.5f;    // seconds an arc keeps its bones,
constexpr f32 kShockArcJitter = 0.2f;  // give or take up to this

class cShockEffect : public cUpdatable {
 public:
  // The arcs join the scene's world (fatal without one) and the effect its
  // update list. *owner, the man's pointer to his running shock, is cleared
  // when this effect goes while it still points at it.
  cShockEffect(cAnimModel* model, cShockEffect** owner, cScene* scene, f32 seconds);
  // Deletes the arcs and lets go of the owner's pointer.
  ~cShockEffect() override;

  // Moves the arcs with the bones; true (delete it) once the time is over.
  bool Update(f32 dt) override;

  struct tArc {
    cLightningRO* bolt;
    f32 timer;  // seconds since the bones were chosen
    u32 boneA;
    u32 boneB;
  };
  const tArc& GetArc(u32 index) const { return mArcs[index]; }
  f32 GetElapsed() const { return mElapsed; }
  f32 GetDuration() const { return mDuration; }

 private:
  void ChooseBones(tArc* arc) const;
  u32 RandomBone() const;
  void PlaceArc(const tArc& arc) const;

  cAnimModel* mModel;
  cShockEffect** mOwner;
  tArc mArcs[kShockArcCount];
  u32 mArcCount;
  f32 mElapsed;   // seconds
  f32 mDuration;  // seconds
  cSndEngWin mSound;
};
