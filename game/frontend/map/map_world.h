// What the map views read of the level: the men, the usable devices and the
// security cameras, as plain records that the level world answers through
// cMapWorld. The map knows the level only through these calls.
#pragma once

#include "engine/engine.h"
#include "game/foundation/types.h"

// Kinds of men as the map tells them apart (the men's own kind codes).
enum eMapManKind : u32 {
  kMapManPlayer = 0,
  kMapManHologram = 1,
  kMapManGuard = 2,  // guards and gangsters
  kMapManCivilian = 3,
};

struct tMapMan {
  RwFrame* frame;  // the model's frame; null draws no marker
  u32 kind;        // eMapManKind
  // A guard's or civilian's alive flag, the double's visible flag; the
  // player is always present.
  bool present;
  u32 alertStage;  // 0 calm to 4
};

struct tMapDevice {
  RwFrame* frame;
  s32 icon;  // 1 the first icon texture; 0 none
  // Set while the back side is the usable one (for a lever while it is
  // not pulled): the marker stands behind the device, else in front of it.
  bool stateFlag;
  u32* marker;  // the index of the device's marker, written by the map
};

struct tMapCamera {
  RwFrame* frame;
  bool active;
};

class cMapWorld {
 public:
  typedef void (*tDeviceVisit)(const tMapDevice& device, void* context);
  typedef void (*tCameraVisit)(const tMapCamera& camera, void* context);

  virtual ~cMapWorld() {}
  // The level's engine world, into which the map cameras go; null for none.
  virtual RpWorld* GetMapEngineWorld() = 0;
  // The men in the level's order, man 0 the player.
  virtual u32 GetMapManCount() = 0;
  virtual tMapMan GetMapMan(u32 index) = 0;
  // The usable devices in list order.
  virtual void ForEachMapDevice(tDeviceVisit visit, void* context) = 0;
  // Every camera of every security-camera set.
  virtual void ForEachMapCamera(tCameraVisit visit, void* context) = 0;
};
