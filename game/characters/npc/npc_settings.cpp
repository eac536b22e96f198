// cNpc::ReadSettings: the "enemy" group of the men file into the settings
// every NPC of the level shares.
#include <cstdio>

#include "game/characters/npc/npc.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/property.h"

namespace {

constexpr f32 kMillisecondsPerSecond = 1000.0f;
constexpr u32 kPerceptorPointElements = 2;

tNpcSettings sSettings;

void ReadF32(const cPropertyGroup* group, const char* key, f32* value) {
  if (const cProperty* property = group->FindProperty(cString(key))) {
    *value = property->GetF32Fatal();
  }
}

// Exactly two numbers set x and y; any other list keeps the point.
void ReadPerceptorPoint(const cPropertyGroup* group, RwV3d* point) {
  const cProperty* property = group->FindProperty(cString("PERCEPTOR_POINT"));
  if (property == nullptr) {
    return;
  }
  cString list;
  if (property->GetValue().FindArray(&list, '[', ']') != kPerceptorPointElements) {
    return;
  }
  f32 values[kPerceptorPointElements] = {0.0f, 0.0f};
  for (f32& value : values) {
    cString element;
    list.SliceNextElement(&element);
    element.Trim();
    value = TextToF32(element);
  }
  *point = RwV3d{values[0], values[1], 0.0f};
}

}  // namespace

tNpcSettings& cNpc::Settings() { return sSettings; }

void cNpc::ReadSettings(const cPropertyFile* menFile) {
  const cPropertyGroup* group = menFile->FindGroup(cString("enemy"));
  if (group == nullptr) {
    FatalGroupNotFound("cNpc::ReadSettings", menFile, "enemy");
  }
  tNpcSettings& s = sSettings;
  s = tNpcSettings();
  char key[32];
  for (u32 set = 0; set < kSightSetCount; set++) {
    std::snprintf(key, sizeof(key), "SEE_DISTANCE%u", set);
    ReadF32(group, key, &s.seeDistance[set]);
  }
  for (u32 set = 0; set < kSightSetCount; set++) {
    std::snprintf(key, sizeof(key), "SEE_ANGLE%u", set);
    ReadF32(group, key, &s.seeAngle[set]);
  }
  ReadF32(group, "SHADOW_DARKNESS", &s.shadowDarkness);
  ReadF32(group, "HEAR_DISTANCE", &s.hearDistance);
  ReadF32(group, "HARDHURTFACTOR", &s.hardHurtFactor);
  ReadPerceptorPoint(group, &s.perceptorPoint);
  f32 damage = s.shootDamage;
  ReadF32(group, "SHOOT_DAMAGE", &damage);
  ReadF32(group, "PANIC_WAYPOINTTIME", &s.panicWaypointTime);
  f32 limit = s.shootDamageLimit;
  ReadF32(group, "SHOOT_DAMAGE_LIMIT", &limit);
  ReadF32(group, "SHOOT_SUCCESS", &s.shootSuccess);
  f32 period = s.shootPeriod / kMillisecondsPerSecond;
  ReadF32(group, "SHOOT_PERIOD", &period);
  ReadF32(group, "SHOOT_DISTANCE", &s.shootDistance);
  ReadF32(group, "SHOOT_DIST_LIMIT", &s.shootDistLimit);
  ReadF32(group, "DEAD_HIDE_TIME", &s.deadHideTime);
  ReadF32(group, "LOOKAROUND_ANIMLOOP", &s.lookAroundAnimLoop);
  ReadF32(group, "SEARCH_SEARCH_TIME", &s.searchSearchTime);
  ReadF32(group, "CHASE_SEARCH_TIME", &s.chaseSearchTime);
  s.shootDamage = damage;
  s.shootDamageLimit = limit;
  s.shootPeriod = period * kMillisecondsPerSecond;
  s.shootDamage2 = 2.0f * damage;
  s.shootDamageLimit2 = 2.0f * limit;
  s.shootPeriod2 = 2.0f * kMillisecondsPerSecond * period;
}
