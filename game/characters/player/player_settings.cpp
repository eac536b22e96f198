// The shared player settings and their reader.
#include "game/characters/player/player_settings.h"

#include <cmath>

#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/property.h"
#include "game/world/devices/searchable.h"

namespace {

// One key: where it goes, its default, and whether the file's value is
// stored negated (the EFFECT keys state a positive drain rate).
struct tSettingKey {
  const char* key;
  f32 tPlayerSettings::*field;
  f32 defaultValue;
  bool negated;
};

const tSettingKey kSettingKeys[] = {
    {"MAGNETIC_EFFECT", &tPlayerSettings::magneticEffect, -0.1f, true},
    {"MATTER_EFFECT", &tPlayerSettings::matterEffect, -0.1f, true},
    {"NOISE_SOFT", &tPlayerSettings::noiseSoft, 0.5f, false},
    {"NOISE_MEDIUM", &tPlayerSettings::noiseMedium, 1.0f, false},
    {"NOISE_LOUD", &tPlayerSettings::noiseLoud, 4.0f, false},
    {"DART_SPEED", &tPlayerSettings::dartSpeed, 40.0f, false},
    {"DART_DISTANCE", &tPlayerSettings::dartDistance, 50.0f, false},
    {"HOLO_TIME", &tPlayerSettings::holoTime, 10.0f, false},
    {"ANGLE_STAND", &tPlayerSettings::angleStand, 1.6f, false},
    {"ANGLE_SNEAK", &tPlayerSettings::angleSneak, 1.8f, false},
    {"ANGLE_WALK", &tPlayerSettings::angleWalk, 2.2f, false},
    {"ANGLE_RUN", &tPlayerSettings::angleRun, 2.4f, false},
    {"VEST_SHOOTENERGY", &tPlayerSettings::vestShootEnergy, 0.1f, false},
    {"VEST_ANGLE", &tPlayerSettings::vestAngle, 1.5707964f, false},
    {"ULTRA_ALPHA", &tPlayerSettings::ultraAlpha, 50.0f, false},
    {"ULTRA_PC_OVERLAYS", &tPlayerSettings::ultraPcOverlays, 10.0f, false},
    {"SEARCH_INCHEALTH", &tPlayerSettings::searchIncHealth, 0.3f, false},
    {"SEARCH_DECHEALTH", &tPlayerSettings::searchDecHealth, 0.3f, false},
    {"SEARCH_ADDENERGY", &tPlayerSettings::searchAddEnergy, 0.3f, false},
    {"SEARCH_SPEED", &tPlayerSettings::searchSpeed, 4.0f, false},
    {"HARDENERGYFACTOR", &tPlayerSettings::hardEnergyFactor, 0.0f, false},
};

tPlayerSettings sSettings = {-0.1f, -0.1f, 0.5f,       1.0f,  4.0f,  40.0f, 50.0f, 10.0f, 1.6f, 1.8f, 2.2f,
                             2.4f,  0.1f,  1.5707964f, 50.0f, 10.0f, 0.3f,  0.3f,  0.3f,  4.0f, 0.0f};

}  // namespace

const tPlayerSettings& PlayerSettings() { return sSettings; }

void cDorvaMan::ReadStaticProperties(const cPropertyFile* file) {
  const cPropertyGroup* group = file->FindGroup(cString("dorvaman"));
  if (group == nullptr) {
    FatalGroupNotFound("cDorvaMan::ReadStaticProperties", file, "dorvaman");
  }
  for (const tSettingKey& key : kSettingKeys) {
    sSettings.*key.field = key.defaultValue;
    if (const cProperty* property = group->FindProperty(cString(key.key))) {
      const f32 value = property->GetF32Fatal();
      sSettings.*key.field = key.negated ? -value : value;
    }
  }
  // The searches divide by the speed: a speed of 0 or less would never end.
  const f32 speed = sSettings.searchSpeed;
  if (!(speed > 0.0f) || !std::isfinite(speed)) {
    DebugTrace("cDorvaMan::ReadStaticProperties : SEARCH_SPEED %f ignored\n", static_cast<double>(speed));
    sSettings.searchSpeed = kDefaultSearchSpeed;
  }
  SetSearchSpeed(sSettings.searchSpeed);
}
