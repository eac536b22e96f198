// cWgActionIcons: the first rule that matches decides.
#include "game/frontend/hud/wg_action_icons.h"

namespace {

struct tIconRow {
  const char* texture;
  f32 x;
};

constexpr tIconRow kIconRows[kActionIconCount] = {
    {"data/textures/iconscard", 0.25f},      {"data/textures/iconsdiy", 0.25f},
    {"data/textures/iconseds", 0.5f},        {"data/textures/iconskey", 0.25f},
    {"data/textures/iconslaser", 0.5f},      {"data/textures/iconsopenabledoor", 0.25f},
    {"data/textures/iconsclosedoor", 0.25f}, {"data/textures/iconshacking", 0.0f},
    {"data/textures/iconshock", 0.25f},      {"data/textures/iconssearch", 0.25f},
};
constexpr f32 kIconY = 0.25f;
constexpr f32 kIconSize = 0.5f;
constexpr u32 kClosedDoorState = 1;
constexpr f32 kSearchLeftShown = 0.1f;

}  // namespace

cWgActionIcons::cWgActionIcons(const tWgPlacement& placement)
    : cWgHudWidget(placement),
      mShockRequest(0),
      mSearchRequest(0),
      mDevice(nullptr),
      mHackRequest(0),
      mDoorOpenable(0),
      mSuppressed(0) {
  for (u32 i = 0; i < kActionIconCount; i++) {
    mIcons[i].SetTexture(kIconRows[i].texture);
  }
}

u32 cWgActionIcons::ChooseIcons(eActionIcon icons[2]) {
  if (mSuppressed) {
    return 0;
  }
  if (mShockRequest) {
    mShockRequest = 0;
    icons[0] = kActionIconShock;
    return 1;
  }
  if (mSearchRequest) {
    mSearchRequest = 0;
    icons[0] = kActionIconSearch;
    return 1;
  }
  if (mDevice == nullptr) {
    return 0;
  }
  const bool eds = mDevice->ListensTo(kEdsPanelTrigger);
  switch (mDevice->GetHudDeviceType()) {
    case kHudDeviceDoor:
      if (mDevice->GetHudDoorState() == kClosedDoorState) {
        return 0;
      }
      icons[0] = mDoorOpenable ? kActionIconOpenableDoor : kActionIconClosedDoor;
      return 1;
    case kHudDeviceButton:
    case kHudDeviceLever:
    case kHudDeviceKey:
    case kHudDeviceCard:
      icons[0] = kActionIconHand;
      return 1;
    case kHudDevicePanel: {
      const bool laser = !eds && mDevice->ListensTo(kLaserPanelTrigger);
      if (mHackRequest) {
        mHackRequest = 0;
        icons[0] = kActionIconHacking;
        if (!eds && !laser) {
          return 1;
        }
        icons[1] = eds ? kActionIconEds : kActionIconLaser;
        return 2;
      }
      if (!eds && !laser) {
        return 0;
      }
      icons[0] = eds ? kActionIconKey : kActionIconCard;
      return 1;
    }
    case kHudDeviceSearchable:
      if (mDevice->GetHudSearchLeft() > kSearchLeftShown) {
        icons[0] = kActionIconSearch;
        return 1;
      }
      return 0;
    default:
      return 0;
  }
}

void cWgActionIcons::Render() {
  eActionIcon icons[2];
  const u32 count = ChooseIcons(icons);
  if (count == 0 || !BeginDraw()) {
    return;
  }
  for (u32 i = 0; i < count; i++) {
    cSprite2D& sprite = mIcons[icons[i]];
    PlaceInWidthUnits(sprite, kIconRows[icons[i]].x, kIconY, kIconSize, kIconSize);
    sprite.Render();
  }
  EndDraw();
}
