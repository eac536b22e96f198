// The four kinds of sensor device: security cameras sweep and look for the
// player, photocells watch a ray, listeners hear, special areas act on the
// player standing inside them.
#pragma once

#include "game/world/sensors/sensor_device.h"

// Default rates of the special areas, per second (stored negative).
constexpr f32 kDefaultMagneticEffect = -0.1f;
constexpr f32 kDefaultMatterEffect = -0.1f;

class cListener : public cSensorDevice {
 public:
  cListener(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cListener(const cListener& prototype);
  cLevelObject* Clone() override { return new cListener(*this); }
  eObjectSetKind GetKind() const override { return kSetListeners; }
  // Sight range 0.1 x the model scale (unused), HEARDIST, the common keys.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                      const cPtrArray* men);
  bool Update(f32 dt) override;
};

enum eSpecialAreaType : s32 {
  kAreaMagnetic = 0,
  kAreaMatter = 1,
  kAreaSpecial = 2,
  kAreaCheckpoint = 3,
};

class cSpecialArea : public cSensorDevice {
 public:
  cSpecialArea(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cSpecialArea(const cSpecialArea& prototype);
  cLevelObject* Clone() override { return new cSpecialArea(*this); }
  eObjectSetKind GetKind() const override { return kSetSpecialAreas; }
  // Range 1.0 x the model's 'at' length, RANGE, TYPE, MISSION, the common
  // keys without ALERTED.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers);
  bool Update(f32 dt) override;

  s32 GetType() const { return mType; }
  s32 GetMission() const { return mMission; }
  // The player's configured rates (MAGNETIC_EFFECT and MATTER_EFFECT).
  static void SetEffects(f32 magnetic, f32 matter);

 private:
  s32 mType;
  s32 mMission;
  static f32 sMagneticEffect;
  static f32 sMatterEffect;
};

class cPhotocell : public cSensorDevice {
 public:
  cPhotocell(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cPhotocell(const cPhotocell& prototype);
  cLevelObject* Clone() override { return new cPhotocell(*this); }
  eObjectSetKind GetKind() const override { return kSetPhotocells; }
  // Ray length 0.1 x the model scale, RAYLENGTH, RAYHEIGHT, HURT, the
  // common keys.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                      const cPtrArray* men);
  // The ray from the origin along the model's facing meets the player's
  // collision volume.
  bool IsBroken(const cMan* player) const;
  bool Update(f32 dt) override;
  f32 GetHurtRate() const { return mHurtRate; }

 private:
  f32 mHurtRate;
};

// The set-up passes of the sensor tables: each sensor reads the PROPS group
// of its name, or takes its kind's defaults from its model's scale.
void SetUpPhotocells(cQXWorld* world, const cPropertyFile& props);
void SetUpListeners(cQXWorld* world, const cPropertyFile& props);
void SetUpSpecialAreas(cQXWorld* world, const cPropertyFile& props);

// Every sensor table of the world: the checkpoint's store and restore.
void StoreAllSensorStates(cQXWorld* world);
void RestoreAllSensorStates(cQXWorld* world);
// Every sensor of the world's sensor list back to its state after loading.
void ResetAllSensors(cQXWorld* world);
