// The passes that bring the level's device sets into the world: the set-up
// passes (each clone reads the PROPS group of its name), the level links,
// the usable-device registration, and the checkpoint's store and restore.
// Each pass walks one table of the world (an array of object sets) in order.
#pragma once

#include "game/foundation/array.h"
#include "game/foundation/property.h"
#include "game/world/devices/door.h"
#include "game/world/devices/multi_device.h"
#include "game/world/devices/searchable.h"
#include "game/world/object_set.h"
#include "game/world/qx_world.h"

// Calls fn with every clone of every set (null sets skipped) of the table.
template <class T, class F>
void ForEachClone(const cPtrArray& sets, F fn) {
  for (u32 s = 0; s < sets.GetCount(); s++) {
    tObjectSet<T>* set = static_cast<tObjectSet<T>*>(sets.Get(s));
    if (set == nullptr) {
      continue;
    }
    for (u32 c = 0; c < set->GetCount(); c++) {
      T* clone = set->GetClone(c);
      if (clone != nullptr) {
        fn(clone);
      }
    }
  }
}

// With the clone's PROPS group, read(clone, group); without, the device
// default (trigger id 0).
template <class T, class F>
void SetUpDevices(const cPtrArray& sets, const cPropertyFile& props, F read) {
  ForEachClone<T>(sets, [&](T* device) {
    const cPropertyGroup* group = props.FindGroup(device->GetName());
    if (group != nullptr) {
      read(device, group);
    } else {
      device->SetDefaultTriggerId();
    }
  });
}

// The set-up passes of the device tables: the device readers resolve their
// lists in the world's usable devices and sensors. Doors also store their
// closed position.
void SetUpDoors(cQXWorld* world, const cPropertyFile& props);
void SetUpOpenerDevices(cQXWorld* world, const cPropertyFile& props);
void SetUpMultiDevices(cQXWorld* world, const cPropertyFile& props);
void SetUpLevers(cQXWorld* world, const cPropertyFile& props);
void SetUpMultiLevers(cQXWorld* world, const cPropertyFile& props);
void SetUpSearchables(cQXWorld* world, const cPropertyFile& props);

// The level links of a table: model, tint, collision, update part, sounds.
template <class T>
void LinkDevices(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<T>(sets, [world](T* device) { device->LinkToWorld(world); });
}
inline void LinkOpenerDevices(const cPtrArray& sets, cQXWorld* world) { LinkDevices<cOpenerDevice>(sets, world); }
inline void LinkSearchables(const cPtrArray& sets, cQXWorld* world) { LinkDevices<cSearchable>(sets, world); }
// Doors also register on the waypoint edges their doorways cut.
void LinkDoors(const cPtrArray& sets, cQXWorld* world);

// The clones of a table at the end of the world's usable-device list.
template <class T>
void RegisterUsableDevices(const cPtrArray& sets, cQXWorld* world) {
  ForEachClone<T>(sets, [world](T* device) { device->RegisterUsable(world); });
}

template <class T>
void StoreDeviceStates(const cPtrArray& sets) {
  ForEachClone<T>(sets, [](T* device) { device->SaveState(); });
}
template <class T>
void RestoreCheckpoints(const cPtrArray& sets) {
  ForEachClone<T>(sets, [](T* device) { device->RestoreCheckpoint(); });
}
inline void RestoreDoorStates(const cPtrArray& sets) {
  ForEachClone<cDoor>(sets, [](cDoor* door) { door->RestoreState(); });
}
inline void RestoreOpenerDevices(const cPtrArray& sets) { RestoreCheckpoints<cOpenerDevice>(sets); }
inline void RestoreLevers(const cPtrArray& sets) { RestoreCheckpoints<cLever>(sets); }
inline void RestoreSearchables(const cPtrArray& sets) { RestoreCheckpoints<cSearchable>(sets); }
inline void RestoreMultiDevices(const cPtrArray& sets) { RestoreCheckpoints<cMultiDevice>(sets); }
// Multi-levers restore as levers.
inline void RestoreMultiLevers(const cPtrArray& sets) { RestoreCheckpoints<cMultiLever>(sets); }

// Every device table of the world, for a checkpoint: doors, usable devices,
// levers, searchables, multi-devices, multi-levers.
void StoreAllDeviceStates(cQXWorld* world);
void RestoreAllDeviceStates(cQXWorld* world);
