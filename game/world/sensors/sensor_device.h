// Sensor devices: level objects that watch for the player (security cameras,
// photocells, listeners, special areas) and, when they fire, alarm men,
// switch other sensors on or off and show the level's messages. The base
// holds the model, the perceptor, the state and the resolved lists.
#pragma once

#include "engine/engine.h"
#include "game/foundation/array.h"
#include "game/foundation/list.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"
#include "game/render/models/lightmap.h"
#include "game/world/devices/device_passes.h"
#include "game/world/level_object.h"
#include "game/world/sensors/perceptor.h"

class cDorvaMan;
class cMan;
class cQXWorld;
class cStaticLitClumpRO;
class cWorldCollision;

enum eSensorState : s32 {
  kSensorInactive = 0,
  kSensorActive = 1,  // armed, watching
  kSensorAlarm = 2,   // fired and still fed
};

// The message flag: nothing shown yet, first message shown with the target
// still there, target lost since.
enum eSensorMessageFlag : s32 {
  kSensorNothingShown = -1,
  kSensorFirstShown = 0,
  kSensorTargetLost = 1,
};

class cSensorDevice : public cLevelObject, public cUpdatable {
 public:
  // Out of the sensor list and the update list; the model deleted.
  ~cSensorDevice() override;

  void SetColourTable(const char* text) override { (void)text; }
  // Back to the state after loading: armed, nothing shown; the model back in
  // the scene when it is in none.
  virtual void Reset();
  virtual void StoreState();
  virtual void RestoreState();
  bool Update(f32 dt) override = 0;
  // The frame of the model's clump, or null.
  RwFrame* GetFrame() const;

  // An inactive sensor armed, its model back in the scene.
  void Activate() override;
  // An armed or alarmed sensor switched off, its model out of the scene.
  void Deactivate() override;

  // MESSAGE1, MESSAGE2, ACTIVATED, DEACTIVATED, STARTEDTIMERS,
  // STOPPEDTIMERS and, with men given, ALERTED. Names resolve to the first
  // object of that name; unknown names are dropped.
  void ReadCommonProperties(const cPropertyGroup* group, const cList& sensors, const cPtrArray& timers,
                            const cPtrArray* men);
  // The sensor list link (unless already in a list), the tint, the model in the scene, the update part
  // at the end of the update list.
  void LinkToWorld(cQXWorld* world);
  void SetWorld(cQXWorld* world) { mWorld = world; }

  // The firing: messages by the flag, men alarmed, sensors switched.
  void Fire();
  // The listed sensors activated, then the others deactivated.
  void SwitchSensors();
  void SetMessageFlag(s32 flag) { mMessageFlag = flag; }
  // The target is absent from an armed update: the next firing shows
  // message 2.
  void NoteTargetAbsent();

  cPerceptor& GetPerceptor() { return mEye; }
  const cPerceptor& GetPerceptor() const { return mEye; }
  cListLink& GetWorldLink() { return mWorldLink; }
  cStaticLitClumpRO* GetModel() const { return mModel; }
  s32 GetState() const { return mState; }
  void SetState(s32 state) { mState = state; }
  s32 GetMessageFlag() const { return mMessageFlag; }
  s32 GetMessage1() const { return mMessage1; }
  s32 GetMessage2() const { return mMessage2; }
  const cPtrArray& GetAlerted() const { return mAlerted; }
  const cPtrArray& GetActivated() const { return mActivated; }
  const cPtrArray& GetDeactivated() const { return mDeactivated; }
  const cPtrArray& GetStartedTimers() const { return mStartedTimers; }
  const cPtrArray& GetStoppedTimers() const { return mStoppedTimers; }
  cMan* GetPlayer() const { return mPlayer; }
  cQXWorld* GetWorld() const { return mWorld; }

  // The player's health and implant energy changed by amount: the world's
  // player, when it is this sensor's player (nothing before the attach
  // pass). The kinds route their effects through here.
  virtual void ChangePlayerHealth(f32 amount);
  virtual void ChangePlayerEnergy(f32 amount);
  // Raises the world's alert level (nothing before the attach pass).
  void RaiseAlert(s32 level);
  // 0.1 x the length of the 'at' row of the model's world matrix (0 without
  // a frame): the default reach of the kinds without a property group.
  f32 ModelScale() const;

  // The sensor of a sensor-list node.
  static cSensorDevice* FromLink(cListNode* node);

 protected:
  // The model from the path with the lightmap record; armed.
  cSensorDevice(const char* modelPath, cLightmap* lightmap, cWorldCollision* collision, cList* bodies, cMan* player);
  // A clone: a copy of the model, the prototype's collision, bodies, player
  // and state; empty lists, no messages, a perceptor at its defaults.
  explicit cSensorDevice(const cSensorDevice& prototype);

 private:
  // The world's player when it is this sensor's player, or null.
  cDorvaMan* WorldPlayer() const;

  // The perceptor's owner frame is the model's.
  class cEye : public cPerceptor {
   public:
    explicit cEye(const cSensorDevice* owner) : mOwner(owner) {}
    RwFrame* GetPerceptorFrame() const override { return mOwner->GetFrame(); }

   private:
    const cSensorDevice* mOwner;
  };

  cEye mEye;
  cListLink mWorldLink;  // its object is the sensor as a cLevelObject
  cStaticLitClumpRO* mModel;
  s32 mState;
  s32 mMessageFlag;
  s32 mSavedState;
  s32 mSavedMessageFlag;
  s32 mMessage1;
  s32 mMessage2;
  cMan* mPlayer;
  cQXWorld* mWorld;
  cPtrArray mAlerted;
  cPtrArray mActivated;
  cPtrArray mDeactivated;
  cPtrArray mStartedTimers;
  cPtrArray mStoppedTimers;
};

// The sensor passes over a table of sets of sensor class T: the level link,
// the world pointer, and the checkpoint's store and restore.
template <class T>
void LinkSensors(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<T>(sets, [world](T* sensor) { sensor->LinkToWorld(world); });
}
template <class T>
void AttachSensorsToWorld(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<T>(sets, [world](T* sensor) { sensor->SetWorld(world); });
}
template <class T>
void StoreSensorStates(const cPtrArray& sets) {
  ForEachClone<T>(sets, [](T* sensor) { sensor->StoreState(); });
}
template <class T>
void RestoreSensorStates(const cPtrArray& sets) {
  ForEachClone<T>(sets, [](T* sensor) { sensor->RestoreState(); });
}
