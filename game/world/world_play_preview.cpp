// cQXWorld's play preview: drawn once while the level opens, what play shows
// later and the opening does not: the level with one particle of every
// effect ahead of the camera, and the HUD pieces the info view hides; then
// everything put back. Nothing runs meanwhile: no emitter births (which
// would draw random numbers), no update, no sound, and no widget that shows
// is drawn (their fades and flashes advance as they draw).
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/map/wg_map_view.h"
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

// The widget drawn, when it is there.
void DrawWidget(cWgWidget* widget) {
  if (widget != nullptr) {
    cWgNode::RenderTree(widget);
  }
}

}  // namespace

void cQXWorld::DrawPlayPreview(const cRenderTarget& target) {
  cCamera* camera = GetCamera(0);
  if (camera == nullptr || GetEngineWorld() == nullptr) {
    return;
  }
  const RwMatrix* view = RwFrameGetLTM(camera->GetFrame());
  RwV3d ahead;
  RwV3dScale(&ahead, &view->at, kPreviewDistance);
  RwV3dAdd(&ahead, &ahead, &view->pos);
  cMultiParticleSystem* effects[kCachedParticleFileCount];
  for (u32 i = 0; i < kCachedParticleFileCount; i++) {
    effects[i] = new cMultiParticleSystem();
    effects[i]->Load(this, kCachedParticleFiles[i], ahead, view->at);
    AddPreviewParticles(effects[i], ahead);
  }
  cPtrArray instances;  // the placements' first instances, put into the world
  for (u32 i = 0; i < mParticlePools.GetCount(); i++) {
    const cParticlePool* pool = static_cast<const cParticlePool*>(mParticlePools.Get(i));
    cMultiParticleSystem* instance = pool->GetInstanceCount() > 0 ? pool->GetInstance(0) : nullptr;
    if (instance == nullptr || !instance->IsOutOfWorld()) {
      continue;
    }
    instance->SetPosition(ahead, view->at);
    instance->AddToWorld();
    AddPreviewParticles(instance, ahead);
    instances.SetCount(instances.GetCount() + 1);
    instances.Set(instances.GetCount() - 1, instance);
  }
  GetRenderManager().RenderFrame(camera, target);
  for (cMultiParticleSystem* effect : effects) {
    effect->RemoveFromWorld();
    delete effect;
  }
  for (u32 i = 0; i < instances.GetCount(); i++) {
    static_cast<cMultiParticleSystem*>(instances.Get(i))->RemoveFromWorld();
  }
  if (IsHudVisible()) {
    return;
  }
  SetHudVisible(true);
  DrawWidget(mHudFrameKot);
  DrawWidget(mHudFrameBa);
  DrawWidget(mHudFrameBf);
  DrawWidget(mHudBackdrop);
  DrawWidget(mHudFrameJa);
  DrawWidget(mHudMap);
  DrawWidget(mStatusBars);
  DrawWidget(mHudImplants);
  DrawWidget(mHudInventory);
  SetHudVisible(false);
}
