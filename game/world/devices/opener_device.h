// Opener devices: buttons, laser and EDS panels, keys, cards, disguises and
// special devices. Using one shows its message, completes its objective and,
// by type, opens or unlocks doors, unlocks devices and switches sensors off.
// Levers, searchables and device groups build on it.
#pragma once

#include "game/app/audio/sound.h"
#include "game/foundation/array.h"
#include "game/world/devices/device.h"

class cDoor;

// Seconds a used button stays down, and a panel's flip period.
constexpr f32 kOpenerOpenedTime = 3.0f;
constexpr f32 kPanelOpenedTime = 1.0f;

class cOpenerDevice : public cDevice {
 public:
  cOpenerDevice(const char* modelPath, cLightmap* lightmap);
  explicit cOpenerDevice(const cOpenerDevice& prototype);
  ~cOpenerDevice() override;

  cLevelObject* Clone() override { return new cOpenerDevice(*this); }
  eObjectSetKind GetKind() const override { return kSetDevices; }
  bool CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query) override;
  bool Use(cQXWorld* world, u32 triggerId) override;
  void Reset() override;
  void SaveState() override;
  // A button's return, a panel's flip; a used key, card, disguise or special
  // device still updating leaves the world.
  bool Update(f32 dt) override;

  // The use keys, OPENEDTIME, TYPE, VARIANT and the DOORS, DEVICES,
  // SECURITY and ALERTED lists, resolved in the usable devices, the sensor
  // list and (with a world) the world's men.
  void ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors, cQXWorld* world);
  // The door joins the doors; a button, panel, lever, key or card makes it
  // listen to the control id.
  void AddDoor(cDoor* door);
  // Each door opened with id 1 and held open.
  void OpenDoors(cQXWorld* world);
  void CloseDoors();
  // Each door, and each device, opens by hand from then on.
  void UnlockDoors();
  void UnlockDevices();
  // The sensors of the SECURITY list off, and on again.
  void DeactivateSecurity();
  void ActivateSecurity();
  // The alarm of every man of the ALERTED list.
  void AlertAll();
  // The whole checkpoint state back.
  void RestoreCheckpoint();

  s32 GetVariant() const { return mVariant; }
  f32 GetOpenedTime() const { return mOpenedTime; }
  bool IsUsed() const { return mUsed != 0; }
  bool IsHeld() const { return mHeld != 0; }
  f32 GetTimer() const { return mTimer; }
  const cPtrArray& GetDoors() const { return mDoors; }
  const cPtrArray& GetSecurity() const { return mSecurity; }
  const cPtrArray& GetDevices() const { return mDevices; }
  const cPtrArray& GetAlerted() const { return mAlerted; }
  cSndEngWin& GetUseSound() { return mUseSound; }

 protected:
  void CreateSounds(cQXWorld* world) override;
  // The 180-degree turn about the model's local y axis.
  void TurnAround();

  s32 mVariant;
  cPtrArray mDoors;     // cDoor
  cPtrArray mSecurity;  // sensors, as level objects
  cPtrArray mDevices;   // cDevice
  cPtrArray mAlerted;   // cMan
  f32 mOpenedTime;      // seconds
  cSndEngWin mUseSound;
  u8 mUsed;
  f32 mTimer;  // seconds since the last press or turn
  u8 mHeld;    // a grouped button waiting for its group

 private:
  void UpdateButton(f32 dt);
  void UpdatePanel(f32 dt);

  u8 mSavedUsed;
  f32 mSavedTimer;
  u8 mSavedHeld;
  RwMatrix mSavedMatrix;
};

// Appends value to the array.
void AppendPointer(cPtrArray* array, void* value);
