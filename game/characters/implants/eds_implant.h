// The EDS implant and its ray: a blue ray from the hand to the EDS device's
// use point, sparkles where it meets the level, a blue light and a buzz.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/implants/beam_implant.h"
#include "game/foundation/updatable.h"
#include "game/render/models/clump_ro.h"

class cEdsImplant;
class cMultiParticleSystem;

constexpr char kEdsImplantModel[] = "data/implants/taser/taser.dff";
constexpr char kEdsRayModel[] = "data/implants/bluebeam/laserbeams.dff";
constexpr char kEdsParticles[] = "data/implants/particles_eds.txt";
constexpr char kEdsSound[] = "sfx/im_eds";
// The ray model is a tenth of a unit long along +z.
constexpr f32 kEdsRayLengthScale = 10.0f;

class cBlueRay : public cClumpRO, public cUpdatable {
 public:
  explicit cBlueRay(cEdsImplant* owner);
  // Off the implant; the sparkles go.
  ~cBlueRay() override;

  void LoadParticles(cQXWorld* world);
  // Hangs the ray under the implant from origin to target, starts the
  // sparkles where it meets the level and shows the ray.
  void Init(cQXWorld* world, const RwV3d& origin, const RwV3d& target);
  // Off the implant and out of the scene; with cut set the sparkles go at
  // the next update instead of dying out.
  void Stop(cQXWorld* world, bool cut);
  bool Update(f32 dt) override;

  cMultiParticleSystem* GetParticles() const { return mParticles; }
  const RwV3d& GetEndPoint() const { return mEndPoint; }

 private:
  cMultiParticleSystem* mParticles;  // owned
  u8 mCut;
  u8 mJustStarted;
  cEdsImplant* mOwner;
  RwV3d mEndPoint;
  RwV3d mTarget;
};

// The EDS: a blue ray that shorts the panel ahead.
class cEdsImplant : public cPanelBeamImplant {
 public:
  cEdsImplant();

  cBlueRay& GetRay() { return mRay; }

 protected:
  cUpdatable* Beam() override { return &mRay; }
  void LoadBeam(cQXWorld* world) override { mRay.LoadParticles(world); }
  void ShowBeam(const RwV3d& origin, const RwV3d& target) override { mRay.Init(mWorld, origin, target); }
  void EndBeam(cQXWorld* world, bool cut) override { mRay.Stop(world, cut); }

 private:
  cBlueRay mRay;
};
