// The player's tuning values, shared by the whole process: read from the
// men file's "dorvaman" group each time a level's men are loaded, and read
// by every part of the game that needs one.
#pragma once

#include "game/foundation/types.h"

struct tPlayerSettings {
  f32 magneticEffect;  // energy per second in a magnetic area (negative drains)
  f32 matterEffect;    // health per second in a matter area (negative drains)
  f32 noiseSoft;       // the body's noise at noise level 1
  f32 noiseMedium;     // level 2
  f32 noiseLoud;       // level 3
  f32 dartSpeed;       // units per second
  f32 dartDistance;
  f32 holoTime;    // seconds the hologram double lasts
  f32 angleStand;  // camera field of view (radians) per posture
  f32 angleSneak;
  f32 angleWalk;
  f32 angleRun;
  f32 vestShootEnergy;
  f32 vestAngle;   // radians
  f32 ultraAlpha;  // taken as integers by the Ultra overlay
  f32 ultraPcOverlays;
  f32 searchIncHealth;
  f32 searchDecHealth;
  f32 searchAddEnergy;
  f32 searchSpeed;       // seconds one full search takes; always above 0
  f32 hardEnergyFactor;  // regeneration factor on the hard difficulty
};

// The values of the level loaded last (the defaults before any).
const tPlayerSettings& PlayerSettings();
