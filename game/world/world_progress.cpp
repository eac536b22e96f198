// cQXWorld's alert display, mission objectives, checkpoint and restart. The
// map views and fader answer here as their widget classes join the HUD; the
// NPCs' respawn with their class; the level camera's reset with the camera's.
#include "game/app/time_scale.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/man.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/twin_timer.h"
#include "game/world/devices/device_passes.h"
#include "game/world/devices/timer_device.h"
#include "game/world/qx_world.h"
#include "game/world/sensors/sensor_kinds.h"

namespace {

const char* const kLoadMenTag = "cQXWorld::LoadMen";

}  // namespace

void cQXWorld::RaiseAlertLevel(s32 level) {
  // Outside the icons' range nothing can be shown.
  if (level < 0 || level >= static_cast<s32>(kAlertLevelCount) || level <= mShownAlertLevel) {
    return;
  }
  HideAlertIcon(mShownAlertLevel);
  mShownAlertLevel = level;
  // A dialogue or the briefing holds the player: the alert stays silent.
  cDorvaMan* player = GetPlayer();
  if (player == nullptr || player->IsBusy() == 0) {
    const u32 sound = level == 0 ? 0 : (level == static_cast<s32>(kAlertLevelCount) - 1 ? 2 : 1);
    mAlertSounds[sound].Play();
  }
  if (cWgBlinkIcon* icon = mAlertIcons[level]) {
    icon->StartBlink(kAlertHalfBlinks, kAlertBlinkFrames);
  }
}

void cQXWorld::EndAlertDisplay() {
  if (mShownAlertLevel >= 0) {
    HideAlertIcon(mShownAlertLevel);
    mShownAlertLevel = kAlertNone;
  }
}

void cQXWorld::SuppressAlertDisplay() {
  if (mShownAlertLevel >= 0 && mShownAlertLevel != kAlertSuppressed) {
    HideAlertIcon(mShownAlertLevel);
    mShownAlertLevel = kAlertSuppressed;
  }
}

void cQXWorld::CompleteMissionObjective(u32 objective) {
  if (objective < mMissionFlags.GetCount()) {
    mMissionFlags.GetData()[objective] = 1;
    if (mMissionList != nullptr) {
      mMissionList->AddObjective(objective);
      mMissionList->ShowMessage(this, objective);
    }
  }
}

void cQXWorld::StoreCheckpoint() {
  for (u32 i = 0; i < mMen.GetCount(); i++) {
    static_cast<cMan*>(mMen.Get(i))->SaveState();
  }
  StoreAllDeviceStates(this);
  StoreAllSensorStates(this);
  for (u32 i = 0; i < mTimerDevices.GetCount(); i++) {
    static_cast<cTimerDevice*>(mTimerDevices.Get(i))->StoreState();
  }
  mSavedMissionFlags.Resize(mMissionFlags.GetCount(), 0);
  for (u32 i = 0; i < mMissionFlags.GetCount(); i++) {
    mSavedMissionFlags.GetData()[i] = mMissionFlags.GetData()[i];
  }
  mCheckpointStored = 1;
}

void cQXWorld::RestoreCheckpoint() {
  if (mCheckpointStored == 0) {
    RestartLevel();
    return;
  }
  if (mTwinTimer != nullptr) {
    mTwinTimer->Stop();
  }
  for (u32 i = 0; i < mMen.GetCount(); i++) {
    static_cast<cMan*>(mMen.Get(i))->RestoreState();
  }
  RestoreAllDeviceStates(this);
  RestoreAllSensorStates(this);
  for (u32 i = 0; i < mTimerDevices.GetCount(); i++) {
    static_cast<cTimerDevice*>(mTimerDevices.Get(i))->RestoreState();
  }
  for (u32 i = 0; i < mMissionFlags.GetCount() && i < mSavedMissionFlags.GetCount(); i++) {
    mMissionFlags.GetData()[i] = mSavedMissionFlags.GetData()[i];
  }
  ResetCommon();
}

void cQXWorld::RestartLevel() {
  if (mTwinTimer != nullptr) {
    mTwinTimer->Stop();
  }
  if (cDorvaMan* player = GetPlayer()) {
    player->Reset();
  }
  const cPropertyGroup* men = FindGroupFatal(&mMenFile, cString("Men"), kLoadMenTag);
  const cProperty* list = men->FindProperty(cString("MEN"));
  if (list == nullptr) {
    FatalPropertyNotFound(kLoadMenTag, men, "MEN");
  }
  cString names;
  list->GetValue().FindArray(&names, '[', ']');
  cString name;
  for (u32 i = 0; i < mMen.GetCount() && names.SliceNextElement(&name); i++) {
    name.Trim();
    static_cast<cMan*>(mMen.Get(i))->ReadProperties(FindGroupFatal(&mMenFile, name, kLoadMenTag));
  }
  for (cListNode* node = mUsableDevices.First(); node != nullptr; node = cList::Next(node)) {
    cDevice::FromLink(node)->Reset();
  }
  ResetAllSensors(this);
  for (u32 i = 0; i < mMissionFlags.GetCount(); i++) {
    mMissionFlags.GetData()[i] = 0;
  }
  ResetCommon();
  mCurrentMessage = mPendingMessage;
  mRememberedMessage = kNoRememberedMessage;
  mCheckpointStored = 0;
  RestartHud();
}

void cQXWorld::ResetCommon() {
  if (cDorvaMan* player = GetPlayer()) {
    player->ShuffleSearchItems();
  }
  if (mGameCamera != nullptr) {
    mGameCamera->Reset();
  }
  ResetMapMotion();
  ResetHud();
  mPendingMessage = kNoPendingMessage;
  mShownAlertLevel = kAlertNone;
  ResumeTimeScale();
  if (mScreenFader != nullptr) {
    mScreenFader->SetHold(false);
    mScreenFader->FadeIn(kLevelFadeFrames);
  }
}
