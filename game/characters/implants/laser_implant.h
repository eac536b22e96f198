// The laser implant and its beam: a red beam from the hand to the laser
// device's use point, sparks where it meets the level, a crackle of
// lightning over the object it hits, a red light and a hum.
#pragma once

#include "game/app/audio/sound.h"
#include "game/characters/implants/beam_implant.h"
#include "game/foundation/updatable.h"
#include "game/render/models/clump_ro.h"

class cLaserImplant;
class cLightningRO;
class cMultiParticleSystem;

constexpr char kLaserImplantModel[] = "data/implants/laser/laserimplant.dff";
constexpr char kLaserBeamModel[] = "data/implants/laser/laserbeam.dff";
constexpr char kLaserParticles[] = "data/implants/particles_laser.txt";
constexpr char kLaserSound[] = "sfx/im_laser";
// The beam's width scale; the model is a unit beam along +z.
constexpr f32 kLaserBeamWidth = 0.2f;
// Milliseconds between two crackles of the lightning over the hit object.
constexpr u32 kLaserCrackleMs = 200;

// The laser beam: its model, the sparks at its end and the crackle.
class Laser : public cClumpRO, public cUpdatable {
 public:
  // The beam model, left out of every line test.
  explicit Laser(cLaserImplant* owner);
  // Off the implant; the sparks and the crackle go.
  ~Laser() override;

  // The sparks of the file, loaded out of the world.
  void LoadParticles(cQXWorld* world);
  // Hangs the beam under the implant from origin to target, finds where it
  // meets the level, starts the sparks there and the crackle over a hit
  // object, and shows the beam.
  void Init(cQXWorld* world, const RwV3d& origin, const RwV3d& target);
  // A new lightning strip over the hit object.
  void CreateLightning();
  // The strip between two vertices of the hit object picked at random; a
  // hit object without vertices gives none.
  void Crackle();
  // The beam stays on its target as the hand moves, the sparks on its end.
  void Track();
  // Off the implant and out of the scene; with cut set the sparks go at the
  // next update instead of dying out.
  void Stop(bool cut);
  // Tracking while shown, the sparks' end, the crackle's renewal.
  bool Update(f32 dt) override;

  cMultiParticleSystem* GetParticles() const { return mParticles; }
  cLightningRO* GetStrip() const { return mStrip; }
  RpAtomic* GetHitAtomic() const { return mHitAtomic; }
  const RwV3d& GetEndPoint() const { return mEndPoint; }

 private:
  cMultiParticleSystem* mParticles;  // owned
  u32 mLastCrackle;                  // GetTimeMs
  cLaserImplant* mOwner;
  u32 mJustStarted;
  cQXWorld* mWorld;
  cLightningRO* mStrip;  // owned
  RpAtomic* mHitAtomic;
  RwV3d mEndPoint;
  RwV3d mTarget;
  u8 mCut;
};

// The laser: a red beam that cuts the panel ahead.
class cLaserImplant : public cPanelBeamImplant {
 public:
  cLaserImplant();

  Laser& GetBeam() { return mBeam; }

 protected:
  cUpdatable* Beam() override { return &mBeam; }
  void LoadBeam(cQXWorld* world) override { mBeam.LoadParticles(world); }
  void ShowBeam(const RwV3d& origin, const RwV3d& target) override { mBeam.Init(mWorld, origin, target); }
  void EndBeam(cQXWorld*, bool cut) override { mBeam.Stop(cut); }

 private:
  Laser mBeam;
};
