// cDorvaMan as the HUD sees it: its vitals, implants and items for the
// status bars, the implant selector and the inventory, the flash of a hurt,
// and each frame's hint of what the player could use for the action icons.
#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/world/devices/device.h"
#include "game/world/qx_world.h"

bool cDorvaMan::IsHudImplantAvailable(u32 index) const {
  // An implant the player does not carry cannot be used.
  return IsImplantAvailable(index);
}

u32 cDorvaMan::GetHudItemType(u32 index) const {
  // The inventory code is the picture: a key's number, a card's number + 5.
  return index < mInventory.GetCount() ? GetInventoryItem(index).code : kInventoryPictureCount;
}

void cDorvaMan::FlashHudBars() {
  cQXWorld* world = GetWorld();
  if (world != nullptr && world->GetStatusBars() != nullptr) {
    world->GetStatusBars()->Flash(kDamageFlashFrames);
  }
}

void cDorvaMan::UpdateHudHint() {
  cQXWorld* world = GetWorld();
  cWgActionIcons* icons = world != nullptr ? world->GetActionIcons() : nullptr;
  if (icons == nullptr || GetFrame() == nullptr) {
    return;
  }
  RwV3d point;
  RwV3d direction;
  GetUseRay(&point, &direction);
  cDevice* device = world->FindUsableDevice(point, direction, kTriggerNone);
  bool byType = false;
  if (device == nullptr) {
    device = world->FindUsableDeviceOfType(point, direction, false);
    if (device == nullptr) {
      device = world->FindUsableDeviceOfType(point, direction, true);
    }
    byType = device != nullptr;
  }
  icons->SetDevice(device);
  if (device == nullptr) {
    if (FindTaserTarget() != nullptr) {
      icons->RequestShock();
    }
    if (FindSearchableBody() != nullptr) {
      icons->RequestSearch();
    }
    return;
  }
  if (device->GetType() == kDeviceDoor) {
    icons->SetDoorOpenable(device->CanUse(point, direction, kTriggerNone, world, false));
  } else if (byType) {
    icons->RequestPanelHack();
  }
}
