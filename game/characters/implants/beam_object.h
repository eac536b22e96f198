// What the beam objects of the laser and the EDS share: a beam model hung
// under the implant and stretched to the target, and an effect at the point
// where the beam meets the level.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

class cMultiParticleSystem;
class cQXWorld;

// Hangs the beam frame under the parent frame with a modelling matrix whose
// world 'at' axis runs from origin to target, scaled by (width, height,
// length scale x distance) in its own axes.
void AimBeamFrame(RwFrame* beam, RwFrame* parent, const RwV3d& origin, const RwV3d& target, f32 width, f32 height,
                  f32 lengthScale);
// The first place the segment from origin to end meets the level, its
// normal and the atomic met (null for the level itself). Without a hit the
// point is end and the normal points from end back to origin; false then.
bool FindBeamHit(cQXWorld* world, const RwV3d& origin, const RwV3d& end, RwV3d* point, RwV3d* normal,
                 RpAtomic** atomic);
// The effect loaded for the world at the origin and taken out of it again.
void LoadBeamParticles(cMultiParticleSystem* particles, cQXWorld* world, const char* file);
