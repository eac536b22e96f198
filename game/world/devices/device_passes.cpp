// The set-up passes of the device tables and the checkpoint over all of them.
#include "game/world/devices/device_passes.h"

#include "game/world/navigation/waypoint_graph.h"

void SetUpDoors(cQXWorld* world, const cPropertyFile& props) {
  const cPtrArray& sets = world->GetObjectSets(kSetDoors);
  SetUpDevices<cDoor>(sets, props, [](cDoor* door, const cPropertyGroup* group) { door->ReadProperties(group); });
  ForEachClone<cDoor>(sets, [](cDoor* door) { door->StoreRestPosition(); });
}

void SetUpOpenerDevices(cQXWorld* world, const cPropertyFile& props) {
  SetUpDevices<cOpenerDevice>(world->GetObjectSets(kSetDevices), props,
                              [world](cOpenerDevice* device, const cPropertyGroup* group) {
                                device->ReadProperties(group, world->GetUsableDevices(), world->GetSensors(), world);
                              });
}

void SetUpMultiDevices(cQXWorld* world, const cPropertyFile& props) {
  SetUpDevices<cMultiDevice>(world->GetObjectSets(kSetMultiDevices), props,
                             [world](cMultiDevice* device, const cPropertyGroup* group) {
                               device->ReadProperties(group, world->GetUsableDevices(), world->GetSensors());
                             });
}

void SetUpLevers(cQXWorld* world, const cPropertyFile& props) {
  SetUpDevices<cLever>(world->GetObjectSets(kSetLevers), props, [world](cLever* lever, const cPropertyGroup* group) {
    lever->ReadProperties(group, world->GetUsableDevices(), world->GetSensors(), nullptr);
  });
}

void SetUpMultiLevers(cQXWorld* world, const cPropertyFile& props) {
  SetUpDevices<cMultiLever>(world->GetObjectSets(kSetMultiLevers), props,
                            [world](cMultiLever* lever, const cPropertyGroup* group) {
                              lever->ReadProperties(group, world->GetUsableDevices(), world->GetSensors());
                            });
}

void SetUpSearchables(cQXWorld* world, const cPropertyFile& props) {
  SetUpDevices<cSearchable>(
      world->GetObjectSets(kSetSearchables), props, [world](cSearchable* searchable, const cPropertyGroup* group) {
        searchable->ReadProperties(group, world->GetUsableDevices(), world->GetSensors(), nullptr);
      });
}

void StoreAllDeviceStates(cQXWorld* world) {
  StoreDeviceStates<cDoor>(world->GetObjectSets(kSetDoors));
  StoreDeviceStates<cOpenerDevice>(world->GetObjectSets(kSetDevices));
  StoreDeviceStates<cLever>(world->GetObjectSets(kSetLevers));
  StoreDeviceStates<cSearchable>(world->GetObjectSets(kSetSearchables));
  StoreDeviceStates<cMultiDevice>(world->GetObjectSets(kSetMultiDevices));
  StoreDeviceStates<cMultiLever>(world->GetObjectSets(kSetMultiLevers));
}

void RestoreAllDeviceStates(cQXWorld* world) {
  RestoreDoorStates(world->GetObjectSets(kSetDoors));
  RestoreOpenerDevices(world->GetObjectSets(kSetDevices));
  RestoreLevers(world->GetObjectSets(kSetLevers));
  RestoreSearchables(world->GetObjectSets(kSetSearchables));
  RestoreMultiDevices(world->GetObjectSets(kSetMultiDevices));
  RestoreMultiLevers(world->GetObjectSets(kSetMultiLevers));
}

void LinkDoors(const cPtrArray& sets, cQXWorld* world) {
  cWaypointGraph* graph = world->GetWaypointGraph();
  ForEachClone<cDoor>(sets, [world, graph](cDoor* door) {
    door->LinkToWorld(world);
    if (graph != nullptr) {
      graph->AddDoor(door);
    }
  });
}
