// cQXWorld's play preview: for one frame drawn while the level opens, the
// level as play shows it later: the HUD and one particle of every effect
// ahead of the level camera; then everything put back.
// Nothing runs meanwhile: no emitter births (which would draw random
// numbers), no update, no sound.
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/render/particles/particle.h"
#include "game/render/particles/particle_instancer.h"
#include "game/render/particles/particle_pool.h"
#include "game/render/particles/particle_system.h"
#include "game/render/scene/camera.h"
#include "game/world/cached_particles.h"
#include "game/world/qx_world.h"

namespace {

// World units between the camera and the previewed particles.
constexpr f32 kPreviewDistance = 2.0f;
// Seconds a previewed particle would live: it only has to be alive.
constexpr f32 kPreviewLifeSpan = 1.0f;
// The radius of the previewed particles' bounding sphere, in world units.
constexpr f32 kPreviewRadius = 0.5f;

void Append(cPtrArray* array, void* value) {
  const u32 index = array->GetCount();
  array->SetCount(index + 1);
  array->Set(index, value);
}

// One live particle at the point in each element of the effect, its
// instancer's bounds around it.
void AddPreviewParticles(cMultiParticleSystem* effect, const RwV3d& at) {
  for (u32 i = 0; i < effect->GetCount(); i++) {
    tParticle* particle = new tParticle();
    particle->position = at;
    particle->lifeSpan = kPreviewLifeSpan;
    effect->GetSystem(i)->GetLive().Append(particle);
    effect->GetInstancer(i)->SetBoundingSphere(at, kPreviewRadius);
  }
}

}  // namespace

void cQXWorld::BeginPlayPreview() {
  if (mPreviewing != 0) {
    return;
  }
  mPreviewing = 1;
  mPreviewHudShown = IsHudVisible() ? 1 : 0;
  SetHudVisible(true);
  cCamera* camera = GetCamera(0);
  if (camera == nullptr || GetEngineWorld() == nullptr) {
    return;
  }
  const RwMatrix* view = RwFrameGetLTM(camera->GetFrame());
  RwV3d ahead;
  RwV3dScale(&ahead, &view->at, kPreviewDistance);
  RwV3dAdd(&ahead, &ahead, &view->pos);
  for (const char* file : kCachedParticleFiles) {
    cMultiParticleSystem* effect = new cMultiParticleSystem();
    effect->Load(this, file, ahead, view->at);
    AddPreviewParticles(effect, ahead);
    Append(&mPreviewEffects, effect);
  }
  for (u32 i = 0; i < mParticlePools.GetCount(); i++) {
    const cParticlePool* pool = static_cast<const cParticlePool*>(mParticlePools.Get(i));
    cMultiParticleSystem* instance = pool->GetInstanceCount() > 0 ? pool->GetInstance(0) : nullptr;
    if (instance == nullptr || !instance->IsOutOfWorld()) {
      continue;
    }
    instance->SetPosition(ahead, view->at);
    instance->AddToWorld();
    AddPreviewParticles(instance, ahead);
    Append(&mPreviewPoolInstances, instance);
  }
}

void cQXWorld::EndPlayPreview() {
  if (mPreviewing == 0) {
    return;
  }
  mPreviewing = 0;
  for (u32 i = 0; i < mPreviewEffects.GetCount(); i++) {
    cMultiParticleSystem* effect = static_cast<cMultiParticleSystem*>(mPreviewEffects.Get(i));
    effect->RemoveFromWorld();
    delete effect;
  }
  mPreviewEffects.SetCount(0);
  for (u32 i = 0; i < mPreviewPoolInstances.GetCount(); i++) {
    static_cast<cMultiParticleSystem*>(mPreviewPoolInstances.Get(i))->RemoveFromWorld();
  }
  mPreviewPoolInstances.SetCount(0);
  if (mPreviewHudShown == 0) {
    SetHudVisible(false);
  }
}
