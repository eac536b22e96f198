// Usable devices: level objects that a user at the right place, looking the
// right way and offering an accepted trigger id can use (doors, buttons,
// panels, levers, keys, cards, searchables). cDevice holds the model, the use
// geometry, the accepted trigger ids, the messages and the use test; the
// classes of the level's device tables derive from it.
#pragma once

#include "engine/engine.h"
#include "game/foundation/array.h"
#include "game/foundation/list.h"
#include "game/foundation/property.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"
#include "game/frontend/hud/hud_sources.h"
#include "game/render/models/lightmap.h"
#include "game/world/level_object.h"

class cClumpRO;
class cQXWorld;
class cScene;
class cSound;
class cStaticLitClumpRO;

// Device type codes.
enum eDeviceType : s32 {
  kDeviceDoor = 0,
  kDeviceButton = 1,
  kDevicePanel = 2,  // laser or EDS panel
  kDeviceLever = 3,
  kDeviceKey = 4,
  kDeviceCard = 5,
  kDeviceSearchable = 6,
  kDeviceDisguise = 7,
  kDeviceSpecial = 8,
};

// What a user offers when using a device.
enum eTriggerId : u32 {
  kTriggerNone = 0,     // bare hands
  kTriggerAlways = 1,   // accepted by every device (openers forcing a door)
  kTriggerLaser = 2,    // the laser implant
  kTriggerEds = 3,      // the EDS implant
  kTriggerControl = 4,  // a linked control device
};

// The first trigger id of a device whose list was empty.
constexpr s32 kNoTriggerId = -1;
// Message, mission and icon numbers of property files count from 1.
constexpr s32 kNoMessage = -1;

class cDevice : public cLevelObject, public cUpdatable, public cHudDevice {
 public:
  // Unlinks from the usable-device list, deletes both models.
  ~cDevice() override;

  // The model's colour table from the locator entry's data.
  void SetColourTable(const char* text) override;

  // Whether a user at position looking along direction, offering triggerId,
  // may use the device. In query mode (world given, id 0) the answer is true
  // only for a device in reach that bare hands cannot use.
  virtual bool CanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query);
  // Id 1 always; any other id when it is in the trigger ids.
  virtual bool AcceptsTriggerId(u32 id) const;
  // The device's action; true asks the user to take the device out of the
  // world (a taken key, card, disguise or special device).
  virtual bool Use(cQXWorld* world, u32 triggerId) = 0;
  // Out of the update list, the scene, the collision world and the usable
  // devices; the device stays in its set until the teardown.
  virtual void RemoveFromWorld(cScene* scene);
  // Back to the state after loading (level restart).
  virtual void Reset() = 0;
  // The frame of the model's clump, or null.
  virtual RwFrame* GetFrame() const;
  virtual cStaticLitClumpRO* GetModel() const { return mModel; }
  // Icon, other side and trigger ids kept for a checkpoint, and back.
  virtual void SaveState();
  virtual void RestoreState();

  // A taken device given back to the world (the player's reset): into the
  // update list, the scene, the collision world and the usable devices.
  void ReturnToWorld(cQXWorld* world);
  // The level link: model into the scene, tinted once from the lightmaps,
  // collision twin into the collision world, update part into the update
  // list, then the class's sounds.
  void LinkToWorld(cQXWorld* world);
  // The usable link at the end of the world's usable-device list.
  void RegisterUsable(cQXWorld* world);

  void AddTriggerId(u32 id);
  void ClearTriggerIds();
  // Id in the trigger ids (no special case for 1).
  bool ListensTo(u32 id) const override;
  // The HUD's action icons tell devices apart by their type code; a door
  // gives its state, a searchable what is left to search.
  u32 GetHudDeviceType() const override { return static_cast<u32>(mType); }
  u32 GetHudDoorState() const override { return 0; }
  f32 GetHudSearchLeft() const override { return 0.0f; }
  // The first occurrence of oldId becomes newId.
  void ReplaceTriggerId(u32 oldId, u32 newId);
  void RememberFirstTriggerId();
  // IMPLANT, USEPOINT, USEDIST, USEANG, USERANG, MISSION, MESSAGE,
  // PARTIAL_MESSAGE, FAILEDMESSAGE, IMPLANTMESSAGE, ICON; each optional.
  void ReadUseProperties(const cPropertyGroup* group);
  // The group's reader ran out: trigger id 0 (unless present) and the first
  // trigger id remembered.
  void SetDefaultTriggerId();

  // The use point (x negated for the other side) in world space.
  void GetUsePoint(RwV3d* out, bool otherSide) const;
  // The frame's world 'at' axis flattened and normalised (zero when it has
  // no length), negated for the other side.
  void GetUseDirection(RwV3d* out, bool otherSide) const;

  s32 GetType() const { return mType; }
  void SetType(s32 type) { mType = type; }
  s32 GetIcon() const { return mIcon; }
  void SetIcon(s32 icon) { mIcon = icon; }
  s32 GetInitialIcon() const { return mInitialIcon; }
  u32 GetTriggerIdCount() const { return mTriggerIds.GetCount(); }
  u32 GetTriggerId(u32 index) const;
  s32 GetFirstTriggerId() const { return mFirstTriggerId; }
  bool IsTwoSided() const { return mTwoSided != 0; }
  void SetTwoSided(bool twoSided) { mTwoSided = twoSided ? 1 : 0; }
  bool IsOtherSide() const { return mOtherSide != 0; }
  void SetOtherSide(bool otherSide) { mOtherSide = otherSide ? 1 : 0; }
  const RwV3d& GetUsePointLocal() const { return mUsePoint; }
  f32 GetUseDistance() const { return mUseDistance; }
  f32 GetUseAngle() const { return mUseAngle; }
  f32 GetUserAngle() const { return mUserAngle; }
  f32 GetUseCosine() const { return mUseCosine; }
  f32 GetUserCosine() const { return mUserCosine; }
  s32 GetMessage() const { return mMessage; }
  s32 GetPartialMessage() const { return mPartialMessage; }
  s32 GetMission() const { return mMission; }
  s32 GetFailedMessage() const { return mFailedMessage; }
  s32 GetImplantMessage() const { return mImplantMessage; }
  cClumpRO* GetCollisionModel() const { return mCollisionModel; }
  cListLink& GetUsableLink() { return mUsableLink; }
  // The device of a usable-device list node.
  static cDevice* FromLink(cListNode* node) {
    return static_cast<cDevice*>(static_cast<cListLink*>(node)->GetObject());
  }

 protected:
  // The model from the path, tinted from the lightmaps; its collision twin
  // (when the file exists) hangs under it. Defaults of the type.
  cDevice(s32 type, const char* modelPath, cLightmap* lightmap);
  // A clone: copies of both models; type, use geometry, sides and the icon
  // copied; the angles copied and their cosines recomputed; no trigger ids,
  // no messages.
  explicit cDevice(const cDevice& prototype);

  // The class's sounds, created by the level link.
  virtual void CreateSounds(cQXWorld* world) { (void)world; }
  // USEANG and USERANG in degrees.
  void SetUseAngles(f32 useAngle, f32 userAngle);
  void SetUseDistance(f32 distance) { mUseDistance = distance; }
  // The use test of one side.
  bool PassesSide(const RwV3d& position, const RwV3d& direction, bool otherSide) const;
  // The base test over both sides and the trigger id.
  bool BaseCanUse(const RwV3d& position, const RwV3d& direction, u32 triggerId, cQXWorld* world, bool query);
  // Degrees about the model frame's local axis, pre-concatenated.
  void TurnModel(const RwV3d& axis, f32 degrees);
  // The model frame's modelling matrix, kept and put back for checkpoints.
  void SaveMatrix(RwMatrix* matrix) const;
  void RestoreMatrix(const RwMatrix& matrix);
  // The model frame's world position (origin without a frame).
  RwV3d GetWorldPosition() const;

  cStaticLitClumpRO* mModel;
  cClumpRO* mCollisionModel;

 private:
  cListLink mUsableLink;
  RwV3d mUsePoint;
  f32 mUseDistance;  // metres
  f32 mUseCosine;
  f32 mUserCosine;
  f32 mUseAngle;   // degrees
  f32 mUserAngle;  // degrees
  s32 mIcon;
  s32 mInitialIcon;
  cPtrArray mTriggerIds;  // u32 ids stored as pointers
  u8 mTwoSided;
  u8 mOtherSide;
  s32 mSavedIcon;
  u8 mSavedOtherSide;
  cPtrArray mSavedTriggerIds;
  s32 mType;
  s32 mMessage;
  s32 mPartialMessage;
  s32 mMission;
  s32 mFailedMessage;
  s32 mImplantMessage;
  s32 mFirstTriggerId;
};

// Calls fn with every element of a "[a, b, c]" list, trimmed of blanks and
// tabs; nothing for a value that holds no bracket list.
template <class F>
void ForEachListElement(const cString& value, F fn) {
  cString inner;
  if (value.FindArray(&inner, '[', ']') == 0) {
    return;
  }
  cString element;
  while (inner.SliceNextElement(&element)) {
    element.Trim();
    fn(element);
  }
}

// The first device of the usable-device list with exactly that name; null
// when none.
cDevice* FindDeviceByName(const cList& devices, const cString& name);
// The first object of a list of links to level objects (the sensor list)
// with exactly that name; null when none.
cLevelObject* FindLevelObjectByName(const cList& objects, const cString& name);
// The property's value, or null when the group lacks the key.
const cString* FindPropertyValue(const cPropertyGroup* group, const char* key);
// The level message and the mission objective of a device's use; an index
// below 0 does nothing.
void ShowDeviceMessage(cQXWorld* world, s32 message);
void CompleteDeviceMission(cQXWorld* world, s32 mission);
// The sound placed at the frame's world position and played.
void PlaySoundAt(cSound& sound, RwFrame* frame);
