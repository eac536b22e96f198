// The taser implant: it slides out, shocks the nearest enemy in reach down
// for five seconds and slides back at once; with nobody in reach it fizzles
// by the hand and gives the energy back.
#pragma once

#include "game/characters/implants/beam_implant.h"
#include "game/render/effects/lightning_beam.h"

class cMan;

constexpr char kTaserModel[] = "data/implants/taser/taser.dff";
constexpr f32 kTaserShockSeconds = 5.0f;
constexpr f32 kTaserFizzleSeconds = 0.15f;
// The fizzle ends this far from the player's feet in x and z.
constexpr f32 kTaserFizzleOffset = 0.2f;

class cTaserImplant : public cBeamImplant {
 public:
  cTaserImplant();
  // A fizzle still showing lets go of this implant.
  ~cTaserImplant() override;

  // The world, the base's binding, then TASER_RANGE and TASER_USE_ANGLE of
  // the group "implants", each fatal when missing.
  void Init(cQXWorld* world, cAnimModel* playerModel) override;
  // The shock on the player's taser target, or the fizzle with the refund;
  // either way the player is no longer protected.
  void Fire() override;
  void Stop(cQXWorld* world, bool cut) override;

  f32 GetRange() const { return mRange; }
  f32 GetUseCosine() const { return mUseCosine; }
  // The fizzle of the last miss while it shows; null otherwise.
  cLightningBeam* GetFizzle() const { return mFizzle; }

 private:
  cLightningBeam* mFizzle;  // the fizzle of a miss, owned by the world's update list
  f32 mRange;            // metres
  f32 mUseCosine;        // kept; the target choice does not use it
};
