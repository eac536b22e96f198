// cParticlePool: loading the instances and handing them to placements.
#include "game/render/particles/particle_pool.h"

#include "game/foundation/vector_helpers.h"
#include "game/render/scene/camera.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/scene.h"

cParticlePool::cParticlePool(cScene* scene, const char* fileName, u32 instanceCount)
    : mInstances(new cMultiParticleSystem*[instanceCount]), mCount(instanceCount), mScene(scene) {
  const RwV3d origin = {0.0f, 0.0f, 0.0f};
  const RwV3d forward = {0.0f, 0.0f, 1.0f};
  for (u32 i = 0; i < instanceCount; i++) {
    mInstances[i] = new cMultiParticleSystem();
    mInstances[i]->Load(scene, fileName, origin, forward);
    mInstances[i]->RemoveFromWorld();
  }
  mOwners.Fill(instanceCount, kNoInstance);
  scene->GetUpdateList().Append(this);
}

cParticlePool::~cParticlePool() {
  for (u32 i = 0; i < mCount; i++) {
    delete mInstances[i];
  }
  delete[] mInstances;
}

void cParticlePool::AddPlacement(const RwV3d& position, const RwV3d& direction) {
  const tParticlePlacement placement = {position, direction, 0, kNoInstance};
  mPlacements.Resize(mPlacements.GetCount() + 1, placement);
}

bool cParticlePool::IsVisible(const tParticlePlacement& placement, RwCamera* camera) const {
  if (placement.instance == kNoInstance) {
    if (camera == nullptr) {
      return false;
    }
    const RwSphere sphere = {placement.position, kPlacementRadius};
    return RwCameraFrustumTestSphere(camera, &sphere) != kRwSphereOutside;
  }
  const cMultiParticleSystem* instance = mInstances[placement.instance];
  for (u32 i = 0; i < instance->GetCount(); i++) {
    if (instance->GetInstancer(i)->GetVisibility() > 0) {
      return true;
    }
  }
  return false;
}

s32 cParticlePool::FindInstance(u32 placement, const RwV3d& eye) {
  for (u32 i = 0; i < mCount; i++) {
    if (mInstances[i]->IsOutOfWorld()) {
      return static_cast<s32>(i);
    }
  }
  f32 farthest = V3dDistanceSquared(&mPlacements[placement].position, &eye);
  s32 robbed = kNoInstance;
  for (u32 j = 0; j < mPlacements.GetCount(); j++) {
    const f32 distance = V3dDistanceSquared(&mPlacements[j].position, &eye);
    if (mPlacements[j].instance != kNoInstance && distance > farthest) {
      farthest = distance;
      robbed = static_cast<s32>(j);
    }
  }
  if (robbed == kNoInstance) {
    return kNoInstance;
  }
  // The robbed placement lets go at once and asks again at its next update:
  // two placements never drive one instance.
  tParticlePlacement& loser = mPlacements[static_cast<u32>(robbed)];
  const s32 instance = loser.instance;
  loser.instance = kNoInstance;
  loser.visible = 0;
  return instance;
}

bool cParticlePool::Update(f32) {
  cCamera* camera = mScene->GetCamera(0);
  RwCamera* engineCamera = camera != nullptr ? camera->GetCamera() : nullptr;
  const RwV3d eye = camera != nullptr ? RwFrameGetLTM(camera->GetFrame())->pos : RwV3d{0.0f, 0.0f, 0.0f};
  for (u32 i = 0; i < mPlacements.GetCount(); i++) {
    tParticlePlacement& placement = mPlacements[i];
    const bool visible = IsVisible(placement, engineCamera);
    if (!visible && placement.visible != 0 && placement.instance != kNoInstance) {
      mInstances[placement.instance]->RemoveFromWorld();
      mOwners[static_cast<u32>(placement.instance)] = kNoInstance;
      placement.instance = kNoInstance;
    }
    if (visible && placement.visible == 0) {
      const s32 instance = FindInstance(i, eye);
      if (instance == kNoInstance) {
        // Without an instance it keeps asking while it stays in view.
        continue;
      }
      cMultiParticleSystem* system = mInstances[instance];
      system->SetPosition(placement.position, placement.direction);
      system->AddToWorld();
      placement.instance = instance;
      mOwners[static_cast<u32>(instance)] = static_cast<s32>(i);
    }
    placement.visible = visible ? 1 : 0;
  }
  return false;
}
