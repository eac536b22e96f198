// Particle systems: one element of an effect simulated in world space once
// a frame (forces, ageing, expiry, births) with the bounding sphere of its
// live particles handed to the instancers that draw it; and the effects
// themselves, loaded from a particle property file as a set of elements.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"

class cParticleEmitter;
class cPropertyGroup;
class cParticleForce;
class cRO_PInstancer;
class cScene;

class cParticleSystem : public cUpdatable {
 public:
  // The emitter is not owned; margin widens the bounding sphere.
  cParticleSystem(cParticleEmitter* emitter, f32 margin);
  // Kills the particles and deletes the forces.
  ~cParticleSystem() override;

  // While enabled: forces, ageing and moving, expiry, births, bounds. Then
  // every instancer's visibility counts down. Never asks to be deleted.
  bool Update(f32 dt) override;

  // Draws the live particles from then on (not owned).
  void AddInstancer(cRO_PInstancer* instancer);
  // Owned from then on.
  void AddForce(cParticleForce* force);
  void Kill();
  void SetDisabled(u8 disabled) { mDisabled = disabled; }

  bool IsDisabled() const { return mDisabled != 0; }
  bool HasParticles() const { return !mLive.IsEmpty(); }
  cList& GetLive() { return mLive; }
  cList& GetInstancers() { return mInstancers; }
  cList& GetForces() { return mForces; }
  cParticleEmitter* GetEmitter() const { return mEmitter; }

 private:
  // The sphere of the live particles (radius plus the margin) to every
  // instancer's atomic.
  void UpdateBounds();

  cParticleEmitter* mEmitter;
  cList mInstancers;
  cList mForces;
  cList mLive;
  f32 mMargin;
  u8 mDisabled;
};

class cMultiParticleSystem {
 public:
  cMultiParticleSystem();
  // Deletes every system, instancer and emitter.
  ~cMultiParticleSystem();

  cMultiParticleSystem(const cMultiParticleSystem&) = delete;
  cMultiParticleSystem& operator=(const cMultiParticleSystem&) = delete;

  // Builds the elements of the file (through the scene's property-file
  // cache) with their emitters at the position looking along the direction;
  // the systems join the scene's update list and, when the scene has a
  // world, the instancers join it. Fatal for a bad file.
  void Load(cScene* scene, const char* fileName, const RwV3d& position, const RwV3d& direction);
  // Empties and enables every system, puts the instancers into the scene's
  // world (fatal without one) and restarts the emitters (burst again).
  void AddToWorld();
  // Empties and disables every system and takes the instancers out of
  // their world.
  void RemoveFromWorld();
  // True when the first instancer is in no world.
  bool IsOutOfWorld() const;
  // True when no element has a live particle.
  bool IsFinished() const;
  // Every emitter at the position, its at-axis along the direction.
  void SetPosition(const RwV3d& position, const RwV3d& direction);
  // Moves one emitter by the offset; an index past the elements is ignored.
  void MoveEmitter(u32 index, const RwV3d& offset);

  u32 GetCount() const { return mCount; }
  cParticleSystem* GetSystem(u32 index) const { return mSystems[index]; }
  cRO_PInstancer* GetInstancer(u32 index) const { return mInstancers[index]; }
  cParticleEmitter* GetEmitter(u32 index) const { return mEmitters[index]; }

 private:
  // Appends the element of the group: its emitter, instancer and system.
  void LoadElement(const cPropertyGroup& group, const RwV3d& position, const RwV3d& direction);
  void Release();

  cScene* mScene;
  cParticleSystem** mSystems;
  cRO_PInstancer** mInstancers;
  cParticleEmitter** mEmitters;
  u32 mCount;
};
