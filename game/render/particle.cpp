// Emptying a live list of particles.
#include "game/render/particle.h"

void KillParticles(cList* live) {
  while (cListNode* node = live->First()) {
    delete static_cast<tParticle*>(node);
  }
}
