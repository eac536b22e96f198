// The steps of particle simulation over a live list.
#include "game/render/particles/particle.h"

void KillParticles(cList* live) {
  while (cListNode* node = live->First()) {
    delete static_cast<tParticle*>(node);
  }
}

void IntegrateParticles(cList* live, f32 dt) {
  for (tParticle* p = NextParticle(*live, nullptr); p != nullptr; p = NextParticle(*live, p)) {
    p->velocity.x += p->force.x * dt;
    p->velocity.y += p->force.y * dt;
    p->velocity.z += p->force.z * dt;
    p->force = RwV3d{0.0f, 0.0f, 0.0f};
    p->age += dt;
    p->position.x += p->velocity.x * dt;
    p->position.y += p->velocity.y * dt;
    p->position.z += p->velocity.z * dt;
  }
}

void ExpireParticles(cList* live) {
  tParticle* p = NextParticle(*live, nullptr);
  while (p != nullptr) {
    tParticle* next = NextParticle(*live, p);
    if (p->age >= p->lifeSpan) {
      delete p;
    }
    p = next;
  }
}

void ParticleBounds(const cList& live, RwV3d* centre, f32* radius) {
  RwV3d sum = {0.0f, 0.0f, 0.0f};
  u32 count = 0;
  for (const tParticle* p = NextParticle(live, nullptr); p != nullptr; p = NextParticle(live, p)) {
    RwV3dAdd(&sum, &sum, &p->position);
    count++;
  }
  *centre = RwV3d{0.0f, 0.0f, 0.0f};
  *radius = 0.0f;
  if (count == 0) {
    return;
  }
  RwV3dScale(centre, &sum, 1.0f / static_cast<f32>(count));
  f32 farthest = 0.0f;
  for (const tParticle* p = NextParticle(live, nullptr); p != nullptr; p = NextParticle(live, p)) {
    RwV3d offset;
    RwV3dSub(&offset, &p->position, centre);
    const f32 squared = RwV3dDotProduct(&offset, &offset);
    farthest = squared > farthest ? squared : farthest;
  }
  *radius = RwSqrt(farthest);
}
