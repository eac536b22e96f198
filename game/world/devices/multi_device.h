// Device groups: buttons (multi-devices) that act only once every member of
// their group has been pressed, or all together when synchronised, and
// levers (multi-levers) that open their doors only while every lever of the
// group stands in its opener position. An incomplete group shows how many
// members remain in its partial message.
#pragma once

#include "game/world/devices/lever.h"

class cMultiDevice : public cOpenerDevice {
 public:
  cMultiDevice(const char* modelPath, cLightmap* lightmap);
  explicit cMultiDevice(const cMultiDevice& prototype);

  cLevelObject* Clone() override { return new cMultiDevice(*this); }
  eObjectSetKind GetKind() const override { return kSetMultiDevices; }
  bool Use(cQXWorld* world, u32 triggerId) override;
  void Reset() override;
  void SaveState() override;

  // GROUP (multi-devices only) and SYNCRON, then the opener's keys without
  // a world.
  void ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors);
  void RestoreCheckpoint();

  const cPtrArray& GetMembers() const { return mMembers; }
  bool IsPressed() const { return mPressed != 0; }
  bool IsSynchronised() const { return mSynchronised != 0; }

 private:
  cPtrArray mMembers;  // cMultiDevice
  u8 mPressed;
  u8 mSynchronised;
  u8 mSavedPressed;
};

class cMultiLever : public cLever {
 public:
  cMultiLever(const char* modelPath, cLightmap* lightmap);
  // A lever copy with the prototype's members.
  explicit cMultiLever(const cMultiLever& prototype);

  cLevelObject* Clone() override { return new cMultiLever(*this); }
  eObjectSetKind GetKind() const override { return kSetMultiLevers; }
  bool Use(cQXWorld* world, u32 triggerId) override;

  // GROUP (multi-levers only), then the lever's keys without a world.
  void ReadProperties(const cPropertyGroup* group, const cList& devices, const cList& sensors);

  const cPtrArray& GetMembers() const { return mMembers; }

 private:
  cPtrArray mMembers;  // cMultiLever
};

// The partial message with the count of members still to go written at its
// marker (one digit; the text keeps it for later showings), then shown.
void ShowPartialMessage(cQXWorld* world, s32 message, u32 remaining);
