// The sight, hearing, shooting and timing settings shared by every NPC of a
// level, read from the "enemy" group of the level's men file.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// Sight sets 0 (patrol) to 4 (shooting), each a range and a view cone.
constexpr u32 kSightSetCount = 5;

struct tNpcSettings {
  f32 seeDistance[kSightSetCount] = {30.0f, 5.0f, 20.0f, 10.0f, 10.0f};
  f32 seeAngle[kSightSetCount] = {90.0f, 90.0f, 90.0f, 90.0f, 90.0f};  // degrees, whole cone
  f32 shadowDarkness = 1.0f;
  f32 hearDistance = 2.0f;
  f32 hardHurtFactor = 5.0f;
  RwV3d perceptorPoint = {0.0f, 0.9f, 0.0f};
  f32 shootDamage = 0.2f;         // health
  f32 panicWaypointTime = 15.0f;  // seconds
  f32 shootDamageLimit = 0.4f;
  f32 shootSuccess = 0.66f;
  f32 shootPeriod = 500.0f;  // milliseconds
  f32 shootDistance = 3.0f;
  f32 shootDistLimit = 5.0f;
  f32 deadHideTime = 5.0f;        // seconds
  f32 lookAroundAnimLoop = 1.0f;  // cycles
  f32 searchSearchTime = 5.0f;    // seconds
  f32 chaseSearchTime = 5.0f;     // seconds
  // The boss's lightning: twice the gun's damage, limit and period.
  f32 shootDamage2 = 0.4f;
  f32 shootDamageLimit2 = 0.8f;
  f32 shootPeriod2 = 1000.0f;  // milliseconds
};
