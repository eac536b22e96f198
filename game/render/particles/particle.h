// A particle: a record on its system's live list, simulated in world space.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"

struct tParticle : public cListItem {
  tParticle()
      : age(0.0f),
        lifeSpan(0.0f),
        position{0.0f, 0.0f, 0.0f},
        velocity{0.0f, 0.0f, 0.0f},
        force{0.0f, 0.0f, 0.0f},
        user(0) {}

  f32 age;       // seconds since birth
  f32 lifeSpan;  // seconds; the particle dies once its age reaches it
  RwV3d position;
  RwV3d velocity;  // world units per second
  RwV3d force;     // accumulated acceleration, cleared after each step
  u32 user;        // 0 at birth
};

// The next particle of a live list after particle (null at the end), or the
// first one when particle is null.
inline tParticle* NextParticle(const cList& live, const tParticle* particle) {
  cListNode* node = particle == nullptr ? live.First() : cList::Next(particle);
  return static_cast<tParticle*>(node);
}

// Unlinks and deletes every particle of the list.
void KillParticles(cList* live);

// One simulation step of dt seconds: each particle's velocity takes its
// accumulated force x dt (the accumulator is cleared), then it ages by dt
// and moves by its velocity x dt.
void IntegrateParticles(cList* live, f32 dt);
// Unlinks and deletes every particle whose age has reached its life span.
void ExpireParticles(cList* live);
// The centroid of the live particles and the largest distance from it;
// (0, 0, 0) and 0 without particles.
void ParticleBounds(const cList& live, RwV3d* centre, f32* radius);
