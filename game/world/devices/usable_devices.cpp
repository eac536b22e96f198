// cQXWorld's device queries: the player looks for the device it can use
// along the usable-device list.
#include "game/world/devices/device.h"
#include "game/world/qx_world.h"

cDevice* cQXWorld::FindUsableDevice(const RwV3d& position, const RwV3d& direction, u32 triggerId) {
  for (cListNode* node = mUsableDevices.First(); node != nullptr; node = cList::Next(node)) {
    cDevice* device = cDevice::FromLink(node);
    if (device->CanUse(position, direction, triggerId, this, false)) {
      return device;
    }
  }
  return nullptr;
}

cDevice* cQXWorld::FindUsableDeviceOfType(const RwV3d& position, const RwV3d& direction, bool panel) {
  const s32 wanted = panel ? kDevicePanel : kDeviceDoor;
  for (cListNode* node = mUsableDevices.First(); node != nullptr; node = cList::Next(node)) {
    cDevice* device = cDevice::FromLink(node);
    // A device of the other type that passes goes on to the next.
    if (device->CanUse(position, direction, kTriggerNone, this, true) && device->GetType() == wanted) {
      return device;
    }
  }
  return nullptr;
}
