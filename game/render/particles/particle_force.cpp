// The constant force.
#include "game/render/particles/particle_force.h"

#include "game/render/particles/particle.h"

void cParticleForce::Apply(cList* live) {
  for (tParticle* p = NextParticle(*live, nullptr); p != nullptr; p = NextParticle(*live, p)) {
    RwV3dAdd(&p->force, &p->force, &mAcceleration);
  }
}
