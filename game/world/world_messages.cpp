// cQXWorld's level messages, the info view, the HUD's visibility and its
// panels. The map views answer here as their widget class joins the HUD;
// the aiming view is the player's aiming.
// The player's frozen flag is its busy flag: a dialogue holds the player as
// an action does.
#include "game/app/time_scale.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "game/render/text/crosshair.h"
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
// A hidden message box keeps no line count.
constexpr s32 kNoDisplayLines = -1;

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
  if (mLevelMessageBox != nullptr) {
    mLevelMessageBox->SetMessage(nullptr, kNoDisplayLines, force);
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
    const u32 index = static_cast<u32>(mPendingMessage);
    if (mLevelMessageBox != nullptr) {
      mLevelMessageBox->SetMessage(&GetMessageText(index), mMessageDisplayValues[index], mMessageDialogues[index] >= 0);
    }
    mCurrentMessage = mPendingMessage;
    mPendingMessage = kMessageShown;
    mInputMap.ResetAnyKeyPressed();
    mSounds[kSoundText].Play();
    return;
  }
  if (IsAimingView() && mCrosshair != nullptr) {
    mCrosshair->SetHidden(true);
  }
  FreezeGameTime();
  if (mTabPanel != nullptr) {
    mTabPanel->SetOpen(true);
    mTabPanel->SetTab(kHudTabMap);
  }
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
  const bool panelOpen = mTabPanel != nullptr && mTabPanel->IsOpen();
  if (player != nullptr && (unfreeze || panelOpen)) {
    player->SetBusy(0);
  }
  if (player != nullptr && unfreeze) {
    player->SetProtected(0);
  }
  UnfreezeGameTime();
  if (mTabPanel != nullptr) {
    mTabPanel->SetOpen(false);
  }
  EndAlertDisplay();
  ResetMapMotion();
  ShowFullMap(false);
  if (mMissionList != nullptr) {
    mMissionList->SetVisible(false);
  }
  SetHudVisible(true);
  mInfoViewOpen = 0;
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mTwinTimer != nullptr) {
    mTwinTimer->SetDisabled(0);
  }
  if (IsAimingView() && mCrosshair != nullptr) {
    mCrosshair->SetHidden(false);
  }
}

void cQXWorld::SetHudVisible(bool visible) {
  // The frame pieces, the backdrop, the implant selector, the inventory and
  // the status bars go together; the HUD map follows them.
  if (mHudFrameKot != nullptr) {
    mHudFrameKot->SetVisible(visible);
    mHudFrameBa->SetVisible(visible);
    mHudFrameBf->SetVisible(visible);
    mHudBackdrop->SetVisible(visible);
    mHudFrameJa->SetVisible(visible);
    mHudImplants->SetVisible(visible);
    mHudInventory->SetVisible(visible);
    mStatusBars->SetVisible(visible);
  }
  ShowHudMap(visible);
  if (!visible) {
    SuppressAlertDisplay();
  }
}

bool cQXWorld::IsHudVisible() const { return mHudFrameBa == nullptr || mHudFrameBa->IsVisible(); }

void cQXWorld::ShowMapPanel() {
  if (IsAimingView()) {
    return;
  }
  if (mMissionList != nullptr) {
    mMissionList->SetVisible(false);
  }
  if (mTabPanel != nullptr) {
    mTabPanel->SetTab(kHudTabMap);
  }
  ShowFullMap(true);
}

void cQXWorld::ShowMissionPanel() {
  if (IsAimingView()) {
    return;
  }
  if (mMissionList != nullptr) {
    mMissionList->SetVisible(true);
  }
  if (mTabPanel != nullptr) {
    mTabPanel->SetTab(kHudTabMissions);
  }
  ShowFullMap(false);
}
