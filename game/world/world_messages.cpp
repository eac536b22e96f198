// cQXWorld's level messages, the info view, the HUD's visibility and its
// panels. The message boxes, panels, map views and HUD pieces answer here as
// their widget classes join the HUD; the aiming mode with the level camera's.
// The player's frozen flag is its busy flag: a dialogue holds the player as
// an action does.
#include "game/app/time_scale.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/twin_timer.h"
#include "game/world/qx_world.h"

namespace {

// On level 5, message 33 gives way to 34 for a profile that has completed
// this much: 8 on normal difficulty, 9 on hard.
constexpr s32 kSwappedMessageLevel = 5;
constexpr u32 kSwappedMessage = 33;
constexpr u32 kSwappedMessageReplacement = 34;
constexpr u32 kSwapCountNormal = 8;
constexpr u32 kSwapCountHard = 9;

}  // namespace

void cQXWorld::FreezeGameTime() { PauseTimeScale(); }

void cQXWorld::UnfreezeGameTime() { ResumeTimeScale(); }

void cQXWorld::ShowMessage(u32 index) {
  if (mInputLock != 0 || index >= mMessages.GetCount()) {
    return;
  }
  cDorvaMan* player = GetPlayer();
  if (player != nullptr && player->GetHealth() < kMessageMinimumHealth) {
    return;
  }
  if (mCurrentMessage >= 0 && mMessageDialogues[static_cast<u32>(mCurrentMessage)] >= 0) {
    return;
  }
  if (index == kSwappedMessage && LevelNumberOf(mLevelName.CStr()) == kSwappedMessageLevel &&
      gSaveProfiles != nullptr && kSwappedMessageReplacement < mMessages.GetCount()) {
    const u32 count = gSaveProfiles->GetCurrent().count;
    if ((gSaveProfiles->GetHard() == 0 && count == kSwapCountNormal) ||
        (gSaveProfiles->GetHard() != 0 && count == kSwapCountHard)) {
      index = kSwappedMessageReplacement;
    }
  }
  mRememberedMessage = kNoRememberedMessage;
  if (mPendingMessage >= 0 || static_cast<s32>(index) == mCurrentMessage) {
    return;
  }
  mPendingMessage = static_cast<s32>(index);
  OpenInfoView();
  mMessageClock = 0.0f;
  mMessageDisplayTime = static_cast<f32>(GetMessageText(index).Length()) * kMessageSecondsPerCharacter;
  if (mMessageDialogues[index] >= 0) {
    mMessageDisplayTime = kDialogueDisplayTime;
    FreezeGameTime();
    if (player != nullptr) {
      player->SetBusy(1);
    }
  }
}

void cQXWorld::HideMessage(bool force, bool noFollowUp, bool remember) {
  if (mPendingMessage != kMessageShown || mCurrentMessage < 0) {
    return;
  }
  const s32 dialogue = mMessageDialogues[static_cast<u32>(mCurrentMessage)];
  if (!force && dialogue >= 0) {
    return;
  }
  if (remember) {
    mRememberedMessage = mCurrentMessage;
  }
  mPendingMessage = kNoPendingMessage;
  mCurrentMessage = kNoPendingMessage;
  if (force && dialogue >= 0) {
    UnfreezeGameTime();
    if (cDorvaMan* player = GetPlayer()) {
      player->SetBusy(0);
    }
    if (!noFollowUp && dialogue > 0) {
      ShowMessage(static_cast<u32>(dialogue - 1));
    }
  }
}

void cQXWorld::ShowRememberedMessage() {
  if (mRememberedMessage >= 0) {
    const u32 index = static_cast<u32>(mRememberedMessage);
    ShowMessage(index);
    mRememberedMessage = kNoRememberedMessage;
  }
}

void cQXWorld::OpenInfoView() {
  if (mPendingMessage >= 0) {
    mCurrentMessage = mPendingMessage;
    mPendingMessage = kMessageShown;
    mInputMap.ResetAnyKeyPressed();
    mSounds[kSoundText].Play();
    return;
  }
  FreezeGameTime();
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mTwinTimer != nullptr) {
    mTwinTimer->SetDisabled(1);
  }
  ShowFullMap(true);
  SetHudVisible(false);
  mInfoViewOpen = 1;
}

void cQXWorld::CloseInfoView(bool unfreeze) {
  if (mHudCreated == 0) {
    return;
  }
  cDorvaMan* player = GetPlayer();
  if (unfreeze && player != nullptr) {
    player->SetBusy(0);
    player->SetProtected(0);
  }
  UnfreezeGameTime();
  EndAlertDisplay();
  ResetMapMotion();
  ShowFullMap(false);
  SetHudVisible(true);
  mInfoViewOpen = 0;
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mTwinTimer != nullptr) {
    mTwinTimer->SetDisabled(0);
  }
}

void cQXWorld::SetHudVisible(bool visible) {
  ShowHudMap(visible);
  if (!visible) {
    SuppressAlertDisplay();
  }
}

void cQXWorld::ShowMapPanel() { ShowFullMap(true); }

void cQXWorld::ShowMissionPanel() { ShowFullMap(false); }
