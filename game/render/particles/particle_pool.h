// Particle pools: the placements of one effect in a level share a few
// loaded instances of it. Each frame a placement that comes into view takes
// a free instance, or the one of the farthest placement beyond it, and one
// that leaves the view gives its instance back.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"
#include "game/render/record_array.h"

class cMultiParticleSystem;
class cScene;

constexpr s32 kNoInstance = -1;
// Placements are tested against the camera as spheres of this radius.
constexpr f32 kPlacementRadius = 0.5f;

struct tParticlePlacement {
  RwV3d position;
  RwV3d direction;
  u8 visible;
  s32 instance;  // kNoInstance while it has none
};

class cParticlePool : public cUpdatable {
 public:
  // Loads instanceCount instances of the effect file, all out of the world,
  // and joins the scene's update list.
  cParticlePool(cScene* scene, const char* fileName, u32 instanceCount);
  // Deletes every instance.
  ~cParticlePool() override;

  cParticlePool(const cParticlePool&) = delete;
  cParticlePool& operator=(const cParticlePool&) = delete;

  void AddPlacement(const RwV3d& position, const RwV3d& direction);
  // Hands instances to the placements that came into view and takes them
  // from those that left it. Never asks to be deleted.
  bool Update(f32 dt) override;

  u32 GetInstanceCount() const { return mCount; }
  cMultiParticleSystem* GetInstance(u32 index) const { return mInstances[index]; }
  s32 GetOwner(u32 instance) const { return mOwners[instance]; }
  u32 GetPlacementCount() const { return mPlacements.GetCount(); }
  const tParticlePlacement& GetPlacement(u32 index) const { return mPlacements[index]; }

 private:
  bool IsVisible(const tParticlePlacement& placement, RwCamera* camera) const;
  // A free instance, else the one of the farthest placement farther from
  // the camera than the placement (which lets it go); kNoInstance for none.
  s32 FindInstance(u32 placement, const RwV3d& eye);

  cMultiParticleSystem** mInstances;
  u32 mCount;
  cRecordArray<s32> mOwners;  // per instance the placement using it
  cScene* mScene;
  cRecordArray<tParticlePlacement> mPlacements;
};
