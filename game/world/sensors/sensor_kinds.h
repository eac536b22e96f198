// The four kinds of sensor device: security cameras sweep and look for the
// player, photocells watch a ray, listeners hear, special areas act on the
// player standing inside them (at the rates of the player's settings, read
// every frame).
#pragma once

#include "game/world/sensors/sensor_device.h"

class cListener : public cSensorDevice {
 public:
  cListener(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cListener(const cListener& prototype);
  cLevelObject* Clone() override { return new cListener(*this); }
  eObjectSetKind GetKind() const override { return kSetListeners; }
  // Sight range 0.1 x the model scale (unused), HEARDIST, the common keys.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers, const cPtrArray* men);
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

 private:
  s32 mType;
  s32 mMission;
};

class cPhotocell : public cSensorDevice {
 public:
  cPhotocell(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cPhotocell(const cPhotocell& prototype);
  cLevelObject* Clone() override { return new cPhotocell(*this); }
  eObjectSetKind GetKind() const override { return kSetPhotocells; }
  // Ray length 0.1 x the model scale, RAYLENGTH, RAYHEIGHT, HURT, the
  // common keys.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers, const cPtrArray* men);
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

// A camera sweeping about its vertical axis inside a cone around its rest
// direction; seeing the player fires it, and the alarm holds the alert at 3
// while it follows the player, ending after ALERTTIME seconds unseen.
class cSecurityCamera : public cSensorDevice {
 public:
  // The inactive model is the model path with "Inactive.dff" for ".dff".
  cSecurityCamera(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  cSecurityCamera(const cSecurityCamera& prototype);
  ~cSecurityCamera() override;
  cLevelObject* Clone() override { return new cSecurityCamera(*this); }
  eObjectSetKind GetKind() const override { return kSetSecurityCameras; }
  // SEEDIST, RANGEANG, SEEANG, SPEED, ALERTTIME, the common keys.
  void ReadProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers, const cPtrArray* men);
  void StoreState() override;
  void RestoreState() override;
  bool Update(f32 dt) override;
  // The main model frame's modelling matrix into the inactive model's.
  void CopyModelMatrix();
  // The facing now becomes the middle of the sweep.
  void RecordRestDirection();
  // The shield implant of the player; it keeps the alarm counting down.
  virtual bool IsPlayerShielded() const { return false; }
  // Both models into the scene, the inactive one after the main one.
  void LinkCameraToWorld(cQXWorld* world);

  cStaticLitClumpRO* GetInactiveModel() const { return mInactiveModel; }
  f32 GetRangeCosine() const { return mRangeCosine; }
  f32 GetSpeed() const { return mSpeed; }
  f32 GetAlertTime() const { return mAlertTime; }
  f32 GetAlarmTimer() const { return mAlarmTimer; }

 private:
  RwV3d Facing() const;
  // Both models turned by degrees about their own world 'up' rows.
  void Turn(f32 degrees);
  void Follow(f32 dt);

  cStaticLitClumpRO* mInactiveModel;
  f32 mRangeCosine;
  f32 mSpeed;  // degrees per second; the sign is the sweep direction
  RwV3d mRestDirection;
  f32 mAlertTime;
  f32 mAlarmTimer;
  f32 mSavedAlarmTimer;
  RwMatrix mSavedMatrix;
};

void SetUpSecurityCameras(cQXWorld* world, const cPropertyFile& props);
void LinkSecurityCameras(const cPtrArray& sets, cQXWorld* world);
