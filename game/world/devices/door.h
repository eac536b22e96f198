// Sliding doors: a leaf that slides sideways or up along its own axes, opens
// when used with an accepted trigger id or commanded by a linked device,
// waits, and closes only while no man stands in the doorway.
#pragma once

#include "game/app/audio/sound.h"
#include "game/foundation/vector_helpers.h"
#include "game/world/devices/device.h"

class cPtrArray;

enum eDoorState : s32 {
  kDoorClosed = 0,
  kDoorOpen = 1,
  kDoorClosing = 2,
  kDoorOpening = 3,
};

// MOVEDIR: left along the leaf's right axis, right against it, up along up.
constexpr s32 kDoorMoveLeft = 1;
constexpr s32 kDoorMoveRight = -1;
constexpr s32 kDoorMoveUp = 0;

class cDoor : public cDevice {
 public:
  // men: the world's men, tested in the doorway (not owned).
  cDoor(const char* modelPath, cLightmap* lightmap, cPtrArray* men);
  explicit cDoor(const cDoor& prototype);
  ~cDoor() override;

  cLevelObject* Clone() override { return new cDoor(*this); }
  eObjectSetKind GetKind() const override { return kSetDoors; }
  bool Use(cQXWorld* world, u32 triggerId) override;
  void Reset() override;
  void SaveState() override;
  void RestoreState() override;
  // The movement; never asks to be deleted.
  bool Update(f32 dt) override;

  // The use keys, MOVEDIR, SPEED, MOVEDIST, DEPTH, OPENEDTIME, CLOSEDTIME.
  void ReadProperties(const cPropertyGroup* group);
  // The frame's current world position becomes the closed position.
  void StoreRestPosition();
  // False for an id the door does not accept and for an open door.
  bool Open(cQXWorld* world, u32 triggerId);
  // Only an open door closes.
  bool Close();
  bool IsDoorwayClear() const;
  // The doorway on the ground plane, across the opening.
  void GetDoorwaySegment(tSegment2d* out) const;

  s32 GetState() const { return mState; }
  u32 GetHudDoorState() const override { return static_cast<u32>(mState); }
  s32 GetMoveDirection() const { return mMoveDirection; }
  f32 GetMoveDistance() const { return mMoveDistance; }
  f32 GetOpenedTime() const { return mOpenedTime; }
  f32 GetClosedTime() const { return mClosedTime; }
  f32 GetDepth() const { return mDepth; }
  f32 GetSpeed() const { return mSpeed; }
  f32 GetProgress() const { return mProgress; }
  f32 GetTimer() const { return mTimer; }
  const RwV3d& GetRestPosition() const { return mRestPosition; }
  bool IsHeldOpen() const { return mHeldOpen != 0; }
  void SetHeldOpen(bool held) { mHeldOpen = held ? 1 : 0; }
  bool IsReopening() const { return mReopen != 0; }
  cSndEngWin& GetOpenSound() { return mOpenSound; }
  cSndEngWin& GetCloseSound() { return mCloseSound; }

 protected:
  void CreateSounds(cQXWorld* world) override;

 private:
  // Unit axis the leaf opens along (world space).
  RwV3d MovementAxis() const;
  void Translate(const RwV3d& axis, f32 distance);
  void StartOpening();
  void StartClosing();

  s32 mState;
  s32 mMoveDirection;
  f32 mMoveDistance;  // metres
  f32 mOpenedTime;    // seconds; 0 stays open
  f32 mClosedTime;    // seconds; 0 never opens by itself
  f32 mDepth;         // metres
  f32 mTimer;         // seconds in the current state
  f32 mSpeed;         // metres per second
  f32 mProgress;      // metres moved in the current opening or closing
  RwV3d mRestPosition;
  u8 mHeldOpen;
  u8 mReopen;
  cPtrArray* mMen;
  cSndEngWin mOpenSound;
  cSndEngWin mCloseSound;
  s32 mSavedState;
  f32 mSavedTimer;
  f32 mSavedProgress;
  u8 mSavedHeldOpen;
  u8 mSavedReopen;
  RwMatrix mSavedMatrix;
};
