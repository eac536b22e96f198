// cDorvaMan's searches and hacking: the use key's start of a furniture or
// body search or of the hacking game, their frame steps, the items the bag
// gives and the passes bodies give.
#include <cmath>

#include "game/app/screens/screen_stack.h"
#include "game/characters/player/dorva_man.h"
#include "game/characters/player/player_settings.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/panels/panel_host.h"
#include "game/frontend/panels/wg_searching_panel.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "game/render/collision/segment3d.h"
#include "game/render/collision/world_collision.h"
#include "game/render/random.h"
#include "game/world/devices/opener_device.h"
#include "game/world/devices/searchable.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/world/qx_world.h"

namespace {

constexpr s8 kDrawn = -1;
// What a drawn bag entry gives.
enum eSearchItem : u32 { kItemHealth, kItemPizza, kItemEnergy, kItemMission, kItemMemo };
struct tSearchItem {
  eSearchItem item;
  s32 message;  // -1: none
};
// By kind 1 to 15.
const tSearchItem kBagItems[kSearchBagSize] = {
    {kItemHealth, 49},  {kItemPizza, 50},  {kItemEnergy, 51}, {kItemHealth, 49}, {kItemEnergy, 51},
    {kItemMission, -1}, {kItemHealth, 49}, {kItemHealth, 49}, {kItemMemo, 40},   {kItemMemo, 41},
    {kItemMemo, 42},    {kItemHealth, 49}, {kItemEnergy, 51}, {kItemEnergy, 51}, {kItemEnergy, 51},
};
constexpr u32 kMissionItemObjective = 1;
constexpr u32 kKeyMessage = 53;
constexpr u32 kCardMessage = 52;
constexpr u32 kNothingMessage = 39;
// A body result is the integer part of RandomFloat(0, 601) / 100: 1 the
// key, 2 the card.
constexpr f32 kBodyDrawRange = 601.0f;
constexpr f32 kBodyDrawScale = 100.0f;
constexpr u32 kBodyResultKey = 1;
constexpr u32 kBodyResultCard = 2;
// A body lies within this ground distance, seen from this height above the
// player's feet to this height above the body's.
constexpr f32 kBodyReach = 2.0f;
constexpr f32 kBodyEyeHeight = 1.8f;
constexpr f32 kBodyPointHeight = 0.2f;
// The searched amount is shown as a fraction of a whole search.
constexpr f32 kSearchWhole = 100.0f;

bool IsKeyOrCard(const cDevice* device, bool key) {
  return device->GetType() == (key ? kDeviceKey : kDeviceCard) &&
         static_cast<const cOpenerDevice*>(device)->GetVariant() == 0;
}

}  // namespace

bool cDorvaMan::StartSearchOrHack(const RwV3d& point, const RwV3d& direction) {
  cQXWorld* world = GetWorld();
  const bool sneaking = mInput.sneaking != 0;
  if (mTargetDevice != nullptr) {
    // A searchable: searched while there is more than a trace left.
    if (static_cast<cSearchable*>(mTargetDevice)->GetRemaining() <= kSearchableEmpty) {
      return false;
    }
    mActionState = sneaking ? kStateSearchSneaking : kStateSearch;
    mBusy = 1;
    OpenSearchingPanel();
    return true;
  }
  mTargetDevice = world->FindUsableDeviceOfType(point, direction, true);
  if (mTargetDevice != nullptr) {
    mActionState = sneaking ? kStateHackSneaking : kStateHack;
    mBusy = 1;
    return true;
  }
  if (FindSearchableBody() == nullptr) {
    return false;
  }
  mActionState = sneaking ? kStateBodySneaking : kStateBody;
  OpenSearchingPanel();
  mBusy = 1;
  return true;
}

void cDorvaMan::OpenSearchingPanel() {
  if (mSearchingPanel != nullptr || FindPanelScreen() == nullptr) {
    return;
  }
  u32 rect[4] = {0, 0, 640, 480};
  if (gScreenStack != nullptr) {
    const tTargetSize size = gScreenStack->GetTarget().GetSize();
    rect[2] = size.width;
    rect[3] = size.height;
  }
  mSearchingPanel = new cWgSearchingPanel(tWgPlacement(rect, 0, 0, 0, 0));
  mSearchingPanel->Show();
}

void cDorvaMan::CloseSearchingPanel() {
  delete mSearchingPanel;
  mSearchingPanel = nullptr;
}

void cDorvaMan::UpdateSearch(f32 dt) {
  cQXWorld* world = GetWorld();
  // (A blocked input clears the in-game screen's flag here.)
  const RwV3d& here = RwFrameGetLTM(GetFrame())->pos;
  if (mSkipAnimation != 0 || mUseReleased != 0) {
    mActionState = kStateStand;
    EnterActionState();
    mBusy = 0;
    CloseSearchingPanel();
    mSearchSound.PlayAt(&here);
  }
  RwV3d point;
  RwV3d direction;
  GetUseRay(&point, &direction);
  mTargetDevice = world->FindUsableDevice(point, direction, kTriggerNone);
  if (mTargetDevice == nullptr || mTargetDevice->GetType() != kDeviceSearchable) {
    // Moved away from it: no progress until the use key is let go.
    return;
  }
  cSearchable* searchable = static_cast<cSearchable*>(mTargetDevice);
  if (searchable->UpdateSearch(dt)) {
    mSearchSound.PlayAt(&here);
    mActionState = kStateStand;
    EnterActionState();
    mBusy = 0;
    CloseSearchingPanel();
    AddRandomSearchItem();
  }
  if (mSearchingPanel != nullptr) {
    mSearchingPanel->GetProgressBar().SetProgress(searchable->GetRemaining() / kSearchWhole, 0);
  }
}

void cDorvaMan::UpdateBodySearch(f32 dt) {
  // (A blocked input clears the in-game screen's flag here.)
  if (mSkipAnimation != 0 || mUseReleased != 0) {
    mActionState = kStateStand;
    EnterActionState();
    mBusy = 0;
    CloseSearchingPanel();
  }
  cMan* body = FindSearchableBody();
  if (body == nullptr) {
    return;
  }
  if (body->SearchBody(dt)) {
    mActionState = mActionState == kStateBodySneaking ? kStateSneakStand : kStateStand;
    EnterActionState();
    AddBodySearchItem();
    mBusy = 0;
    CloseSearchingPanel();
  }
  if (mSearchingPanel != nullptr) {
    mSearchingPanel->GetProgressBar().SetProgress(body->GetBodySearchLeft() / kSearchWhole, 0);
  }
}

void cDorvaMan::UpdateHack() {
  cQXWorld* world = GetWorld();
  if (mHackPanel != nullptr && world->IsInputLocked() == 0 && !mHackPanel->IsShown()) {
    mHackPanel->Start(mTargetDevice, IsUltraInUse());
  }
  // The last attempt's finished state does not end a game not yet started.
  if (mHackPanel != nullptr && mSkipAnimation == 0 && (!mHackPanel->IsShown() || !mHackPanel->IsFinished())) {
    return;
  }
  if (mHackPanel != nullptr) {
    mHackPanel->Hide();
  }
  // The action icons may be drawn again.
  if (world->GetActionIcons() != nullptr) {
    world->GetActionIcons()->SetSuppressed(false);
  }
  world->SetHudVisible(true);
  mActionState = mInput.sneaking != 0 ? kStateSneakStand : kStateStand;
  EnterActionState();
  mBusy = 0;
  // Movement keys held through the game are forgotten.
  mInput.useItem = mInput.useImplant = 0;
  mInput.forward = mInput.forwardKey = mInput.forwardPad = 0;
  mInput.backward = mInput.backwardKey = mInput.backwardPad = 0;
  mInput.strafeLeft = mInput.strafeLeftKey = mInput.strafeLeftPad = 0;
  mInput.strafeRight = mInput.strafeRightKey = mInput.strafeRightPad = 0;
}

void cDorvaMan::PressHackKey(u32 key) {
  if (mHackPanel != nullptr && mHackPanel->IsShown() &&
      (mActionState == kStateHack || mActionState == kStateHackSneaking)) {
    mHackPanel->PressKey(key);
  }
}

void cDorvaMan::CreateHackPanel() {
  delete mHackPanel;
  mHackPanel = nullptr;
  if (GetWorld() != nullptr && FindPanelScreen() != nullptr) {
    mHackPanel = new cWgUseHack(GetWorld());
  }
}

void cDorvaMan::DeletePanels() {
  CloseSearchingPanel();
  delete mHackPanel;
  mHackPanel = nullptr;
}

void cDorvaMan::AddRandomSearchItem() {
  u32 at = 0;
  while (at < kSearchBagSize && mSearchBag[at] == kDrawn) {
    at++;
  }
  if (at == kSearchBagSize) {
    FatalError("Brask fault error detected in code: cDorvaMan::AddRandomSearchItem() ");
  }
  const s8 kind = mSearchBag[at];
  mSearchBag[at] = kDrawn;
  // (The dismiss-message action's pressed latch is cleared here.)
  const tPlayerSettings& settings = PlayerSettings();
  const tSearchItem& item = kBagItems[kind - 1];
  cSndEngWin* cue = &mMemoSound;
  switch (item.item) {
    case kItemHealth:
      AddHealth(settings.searchIncHealth);
      cue = &mHealthSound;
      break;
    case kItemPizza:
      // Little health left: half the loss (a gain when the loss is negative).
      AddHealth(mHealth < settings.searchDecHealth ? (mHealth - settings.searchDecHealth) / 2.0f
                                                   : -settings.searchDecHealth);
      cue = &mPizzaSound;
      break;
    case kItemEnergy:
      AddEnergy(settings.searchAddEnergy);
      cue = &mEnergySound;
      break;
    case kItemMission:
      GetWorld()->CompleteMissionObjective(kMissionItemObjective);
      cue = &mMissionSound;
      break;
    case kItemMemo:
      break;
  }
  if (item.message >= 0) {
    GetWorld()->ShowMessage(static_cast<u32>(item.message));
  }
  cue->PlayAt(&RwFrameGetLTM(GetFrame())->pos);
}

cMan* cDorvaMan::FindSearchableBody() {
  cQXWorld* world = GetWorld();
  cWorldCollision* collision = world->GetWorldObject();
  const RwV3d here = RwFrameGetLTM(GetFrame())->pos;
  for (u32 i = 1; i < world->GetMen().GetCount(); i++) {
    cMan* man = static_cast<cMan*>(world->GetMen().Get(i));
    if (man == nullptr || man == this || !man->IsSearchableBody() || man->IsAlarmReady()) {
      continue;
    }
    const RwV3d there = RwFrameGetLTM(man->GetFrame())->pos;
    const f32 dx = there.x - here.x;
    const f32 dz = there.z - here.z;
    if (std::sqrt(dx * dx + dz * dz) >= kBodyReach) {
      continue;
    }
    if (collision != nullptr) {
      const tSegment3d line(RwV3d{here.x, here.y + kBodyEyeHeight, here.z},
                            RwV3d{there.x, there.y + kBodyPointHeight, there.z});
      RwV3d point;
      RwV3d normal;
      if (collision->IntersectSegment(line, &point, &normal, nullptr, false, true, 0, false)) {
        continue;
      }
    }
    return man;
  }
  return nullptr;
}

void cDorvaMan::AddBodySearchItem() {
  const u32 r = static_cast<u32>(RandomFloat(0.0f, kBodyDrawRange) / kBodyDrawScale);
  // (The dismiss-message action's pressed latch is cleared here.)
  if ((r == kBodyResultKey && TakeBodyPass(true)) || (r == kBodyResultCard && TakeBodyPass(false))) {
    return;
  }
  GetWorld()->ShowMessage(kNothingMessage);
  mMemoSound.PlayAt(&RwFrameGetLTM(GetFrame())->pos);
}

bool cDorvaMan::TakeBodyPass(bool key) {
  u8& found = key ? mKeyFound : mCardFound;
  if (found != 0) {
    return false;
  }
  cQXWorld* world = GetWorld();
  cList& devices = world->GetUsableDevices();
  for (cListNode* node = devices.First(); node != nullptr; node = cList::Next(node)) {
    cDevice* device = cDevice::FromLink(node);
    if (!IsKeyOrCard(device, key)) {
      continue;
    }
    AddInventoryItem(device);
    found = 1;
    world->ShowMessage(key ? kKeyMessage : kCardMessage);
    mKeyCardSound.PlayAt(&RwFrameGetLTM(GetFrame())->pos);
    if (device->Use(world, kTriggerNone)) {
      device->RemoveFromWorld(world);
    }
    return true;
  }
  return false;
}
