// The base of every object placed in a level (devices, sensors, static and
// glowing models): a name that keys its property group and every list that
// refers to it, and the copy that a locator entry makes of a prototype.
#pragma once

#include "game/foundation/string.h"

// The level's object sets, one array of tObjectSet pointers a kind.
enum eObjectSetKind : u32 {
  kSetGlowing,
  kSetXrf,
  kSetSecurityCameras,
  kSetPhotocells,
  kSetListeners,
  kSetSpecialAreas,
  kSetDoors,
  kSetDevices,
  kSetLevers,
  kSetSearchables,
  kSetMultiDevices,
  kSetMultiLevers,
  kObjectSetKindCount
};

class cLevelObject {
 public:
  cLevelObject() {}
  virtual ~cLevelObject() {}

  cLevelObject& operator=(const cLevelObject&) = delete;

  // A new object copy-constructed from this prototype.
  virtual cLevelObject* Clone() = 0;
  // The free data text of the object's locator entry (six-digit RRGGBB
  // colours for the classes that tint their model); ignored here.
  virtual void SetColourTable(const char* text) { (void)text; }
  // The object set kind the object belongs to (its row of the level's
  // object table); kObjectSetKindCount for none.
  virtual eObjectSetKind GetKind() const { return kObjectSetKindCount; }
  // Switches a sensor on and off (timers and devices reach the sensors of
  // their lists through these); nothing for other objects.
  virtual void Activate() {}
  virtual void Deactivate() {}

  const cString& GetName() const { return mName; }
  void SetName(const cString& name) { mName = name; }

 protected:
  // Copies keep the prototype's name until their entry names them.
  cLevelObject(const cLevelObject& other) : mName(other.mName) {}

 private:
  cString mName;
};
