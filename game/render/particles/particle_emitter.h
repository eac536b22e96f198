// Particle emitters: how many particles an element gives birth to each frame
// (a rate envelope over the emitter's time, a carry of fractional particles
// and a burst at the first update) and where and how fast they start, from
// the emitter's own frame.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/render/effects/envelope.h"
#include "game/render/particles/particle.h"

// Births of one update beyond which an emitter stops: a rate no effect
// reaches, which keeps a wild rate in a file from exhausting memory.
constexpr u32 kMaxBirthsPerUpdate = 16384;
// Live particles of one system beyond which an emitter gives birth to none.
constexpr u32 kMaxLiveParticles = 65536;

class cParticleEmitter {
 public:
  // Creates the emitter's frame.
  cParticleEmitter();
  // Destroys the frame and the rate envelope.
  virtual ~cParticleEmitter();

  cParticleEmitter(const cParticleEmitter&) = delete;
  cParticleEmitter& operator=(const cParticleEmitter&) = delete;

  // Reads RATE, BURST, SPAN, SPEED, DIST and INHERITSPEED of the element's
  // group (a missing key keeps its default); a bad value is fatal. Time 0.
  virtual void Init(const cPropertyGroup& group);
  // The particle's start position and unit direction in the frame's space,
  // the direction written to its velocity.
  virtual void InitParticle(tParticle* particle) = 0;

  // Advances the emitter's time by dt seconds and appends the particles
  // born in that time to live.
  void Update(f32 dt, cList* live);
  // The burst comes again at the next update; time, carry and velocity 0.
  void Restart();

  // Owned from then on; the envelope held before is deleted.
  void SetRateEnvelope(tFloatEnvelope* envelope);

  RwFrame* GetFrame() const { return mFrame; }
  const tFloatEnvelope* GetRateEnvelope() const { return mRate; }
  f32 GetTime() const { return mTime; }
  f32 GetCarry() const { return mCarry; }
  s32 GetBurst() const { return mBurst; }
  const RwV3d& GetVelocity() const { return mVelocity; }
  void GetSpan(f32* min, f32* max) const;
  void GetSpeed(f32* min, f32* max) const;
  void GetDist(f32* min, f32* max) const;
  f32 GetInheritSpeed() const { return mInheritSpeed; }

 private:
  // Particles owed for c seconds at the current rate; the carry keeps the
  // fraction left over.
  u32 CountBirths(f32 c);
  void GiveBirth(u32 k, u32 n, f32 c, cList* live);

  tFloatEnvelope* mRate;
  f32 mTime;  // seconds since the start
  s32 mBurst;
  f32 mSpanMin;  // life span, seconds
  f32 mSpanMax;
  f32 mSpeedMin;  // world units per second
  f32 mSpeedMax;
  f32 mDistMin;  // start distance from the emitter
  f32 mDistMax;
  f32 mInheritSpeed;  // share of the emitter's own velocity
  RwV3d mVelocity;    // of the emitter, world units per second
  RwV3d mLastPosition;
  u8 mFirstUpdate;
  f32 mCarry;  // fractional particles owed
  RwFrame* mFrame;
};

// Particles start at the emitter and leave it within a cone about the
// frame's at-axis, uniform over the solid angle between the two angles.
class cParticleEmitter_Point : public cParticleEmitter {
 public:
  cParticleEmitter_Point() : mAngleMin(0.0f), mAngleMax(0.0f) {}

  // The base keys, then ANGLE (degrees, each 0 to 180).
  void Init(const cPropertyGroup& group) override;
  void InitParticle(tParticle* particle) override;

  f32 GetAngleMin() const { return mAngleMin; }
  f32 GetAngleMax() const { return mAngleMax; }

 private:
  f32 mAngleMin;  // radians from the at-axis
  f32 mAngleMax;
};
