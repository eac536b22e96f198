// Levers: a handle with two positions that swings half a turn when used.
// Reaching the opener position opens the lever's doors and switches its
// sensors off; leaving it closes them and switches the sensors on. A lever
// may fall back by itself after its opened time.
#pragma once

#include "game/world/devices/opener_device.h"

enum eLeverPosition : u8 {
  kLeverDown = 0,
  kLeverUp = 1,
};

// A full swing takes one second.
constexpr f32 kLeverSwingSpeed = 180.0f;  // degrees per second

class cLever : public cOpenerDevice {
 public:
  cLever(const char* modelPath, cLightmap* lightmap);
  explicit cLever(const cLever& prototype);

  cLevelObject* Clone() override { return new cLever(*this); }
  eObjectSetKind GetKind() const override { return kSetLevers; }
  // Also in query mode: the plain use test, while no swing is under way.
  bool CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) override;
  bool Use(cQXWorld* world, u32 triggerId) override;
  void Reset() override;
  void SaveState() override;
  // The swing and the fall-back.
  bool Update(f32 dt) override;

  // POSITION and OPENERPOS, then the opener's keys.
  void ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors, cQXWorld* world);
  void RestoreCheckpoint();

  u8 GetPosition() const { return mPosition; }
  u8 GetInitialPosition() const { return mInitialPosition; }
  u8 GetOpenerPosition() const { return mOpenerPosition; }
  f32 GetSwingAngle() const { return mSwingAngle; }
  bool IsSwinging() const { return mUsed != 0; }

 protected:
  // The swing starts, the position toggles and the usable side follows it.
  void StartSwing();

 private:
  u8 mPosition;
  u8 mInitialPosition;
  u8 mOpenerPosition;
  f32 mSwingSpeed;  // degrees per second
  f32 mSwingAngle;  // degrees swung in the current swing
  f32 mSavedSwingAngle;
  u8 mSavedPosition;
};
