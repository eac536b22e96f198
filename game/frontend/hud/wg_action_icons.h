// The icon of the action at hand at the top centre of the HUD, chosen each
// render from the player's one-frame requests and the device at hand.
#pragma once

#include "game/frontend/hud/hud_widget.h"

enum eActionIcon : u32 {
  kActionIconCard = 0,
  kActionIconHand,
  kActionIconEds,
  kActionIconKey,
  kActionIconLaser,
  kActionIconOpenableDoor,
  kActionIconClosedDoor,
  kActionIconHacking,
  kActionIconShock,
  kActionIconSearch,
  kActionIconCount,
};

// Trigger ids that tell the panel kinds apart.
constexpr u32 kEdsPanelTrigger = 3;
constexpr u32 kLaserPanelTrigger = 2;

class cWgActionIcons : public cWgHudWidget {
 public:
  explicit cWgActionIcons(const tWgPlacement& placement);
  ~cWgActionIcons() override {}

  // The player's signals, set again each frame while they hold.
  void RequestShock() { mShockRequest = 1; }
  void RequestSearch() { mSearchRequest = 1; }
  void RequestPanelHack() { mHackRequest = 1; }
  // The device at hand (not owned), or null.
  void SetDevice(const cHudDevice* device) { mDevice = device; }
  void SetDoorOpenable(bool openable) { mDoorOpenable = openable ? 1 : 0; }
  // Set while the hacking panel is open.
  void SetSuppressed(bool suppressed) { mSuppressed = suppressed ? 1 : 0; }

  // The icons the next render draws, in order (at most two); clears the
  // requests that it answers. Returns the count.
  u32 ChooseIcons(eActionIcon icons[2]);
  void Render() override;

 private:
  cSprite2D mIcons[kActionIconCount];
  u8 mShockRequest;
  u8 mSearchRequest;
  const cHudDevice* mDevice;
  u8 mHackRequest;
  u8 mDoorOpenable;
  u8 mSuppressed;
};
