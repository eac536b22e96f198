// cQXWorld::Update: one frame of the running level, and the end of the
// level with its statistics.
#include <cstdio>

#include "game/app/frame_tick.h"
#include "game/app/time_scale.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/save/game_options.h"
#include "game/frontend/save/save_profiles.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/twin_timer.h"
#include "game/world/qx_world.h"

namespace {

constexpr u32 kEnglish = 1;
// A profile's completed count reaches the whole game at this many.
constexpr u32 kGameProgressTotal = 9;
constexpr u32 kValueTextSize = 160;
// The statistics page reserves no line count.
constexpr s32 kStatisticsDisplayLines = -1;

const char* const kEnglishLabels =
    "\nElapsed time:\n\nSecurity alerts:\nEnemy alerts:\n\nHits taken:\nEnemies neutralized:\n\nMissions "
    "completed:\nGame progress:";
// Windows-1252: 0xE4 is a-umlaut, 0xFC u-umlaut.
const char* const kGermanLabels =
    "\nGesamtverarbeitungszeit:\n\nKamera Alarme:\nFeindliche Alarme:\n\nBeschl\xE4"
    "digung genommen:\nFeinde eliminierten:\n\nMissionen durchgef\xFChrt:\nSpielfortschritt:";

}  // namespace

void cQXWorld::PushFrameTime() { mFrameTimes.Push(GetTimeMs()); }

void cQXWorld::Update(f32 dt) {
  // The in-game screen's fader closes the level; none running means done.
  if (mLevelEndState == kLevelStatisticsClosed && (mScreenFader == nullptr || !mScreenFader->IsFading())) {
    if (mScreenFader != nullptr) {
      mScreenFader->SetHold(true);
    }
    mLevelEndState = kLevelFadedOut;
    if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mTwinTimer != nullptr) {
      mTwinTimer->SetDisabled(1);
    }
  }
  cScene::Update(dt);
  PushFrameTime();
  if (IsLevelComplete()) {
    tLevelEndFigures figures;
    if (cDorvaMan* player = GetPlayer()) {
      const cLevelStats& stats = player->GetStats();
      figures.startTime = stats.GetStartMark();
      figures.currentTime = stats.GetMilliseconds();
      figures.securityAlerts = stats.GetCounter(kCounterSecurityAlerts);
      figures.enemyAlerts = stats.GetCounter(kCounterEnemyAlerts);
      figures.hitsTaken = stats.GetCounter(kCounterHitsTaken);
      figures.enemiesNeutralised = stats.GetCounter(kCounterEnemiesNeutralised);
    }
    RunLevelEnd(figures);
  }
  if (mPendingMessage == kMessageShown) {
    mMessageClock += dt;
    if (mMessageClock >= mMessageDisplayTime) {
      HideMessage(false, false, false);
    }
  }
  if (mKeyReleaseCountdown != 0 && mInputMap.AnyKeyPressed() == 0) {
    mKeyReleaseCountdown--;
    if (mKeyReleaseCountdown == 0) {
      mInputLock = 0;
    }
  }
}

bool cQXWorld::IsLevelComplete() const {
  return mLevelEndState == kLevelPlaying && mInputLock == 0 && mMissionFlags.GetCount() > 0 &&
         mMissionFlags.GetData()[0] != 0 && mPendingMessage == kNoPendingMessage;
}

void cQXWorld::RunLevelEnd(const tLevelEndFigures& figures) {
  mSounds[kSoundSuccess].Play();
  if (gGameOptions != nullptr) {
    gGameOptions->SetLevelCompleted(LevelNumberOf(mLevelName.CStr()));
  }
  FreezeGameTime();
  const bool english = gGameOptions != nullptr && gGameOptions->GetLanguage() == kEnglish;
  mStatisticsLabels = cString(english ? kEnglishLabels : kGermanLabels);
  if (mMessageBox != nullptr) {
    mMessageBox->SetMessage(&mStatisticsLabels, kStatisticsDisplayLines, false);
  }

  // A clock that ran backwards counts as no time.
  const f32 measured = (figures.currentTime - figures.startTime) * 0.001f;
  const f32 elapsed = measured > 0.0f ? measured : 0.0f;
  const s32 minutes = static_cast<s32>(elapsed / 60.0f);
  const s32 seconds = static_cast<s32>(elapsed - static_cast<f32>(minutes) * 60.0f);
  u32 completed = 0;
  for (u32 i = 0; i < mMissionFlags.GetCount(); i++) {
    completed += mMissionFlags.GetData()[i] != 0 ? 1 : 0;
  }
  u32 progress = 0;
  if (gSaveProfiles != nullptr) {
    gSaveProfiles->CompleteLevel(figures.enemyAlerts, static_cast<u32>(elapsed), completed);
    progress = gSaveProfiles->GetCurrent().count * 100 / kGameProgressTotal;
  }
  mLevelEndState = kLevelStatisticsShown;
  mInputMap.ResetAnyKeyPressed();

  char values[kValueTextSize];
  std::snprintf(values, sizeof(values), "\n%d : %02d\n\n%u\n%u\n\n%u\n%u\n\n%u\n%u%%", minutes, seconds,
                figures.securityAlerts, figures.enemyAlerts, figures.hitsTaken, figures.enemiesNeutralised, completed,
                progress);
  mStatisticsValues = cString(values);
  if (mMessageBox != nullptr) {
    mMessageBox->SetSideText(&mStatisticsValues);
    mTabPanel->SetOpen(true);
    mTabPanel->SetTab(kHudTabMap);
  }
  SetHudVisible(false);
}
