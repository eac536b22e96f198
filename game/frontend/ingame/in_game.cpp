// cInGame: the running level's screen and its pause and death handling.
#include "game/frontend/ingame/in_game.h"

#include "game/app/event.h"
#include "game/app/frame_tick.h"
#include "game/app/input/key_codes.h"
#include "game/app/screens/screen_stack.h"
#include "game/app/time_scale.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/hud/wg_action_icons.h"
#include "game/frontend/hud/wg_blink_icon.h"
#include "game/frontend/hud/wg_hud_frames.h"
#include "game/frontend/hud/wg_hud_implants.h"
#include "game/frontend/hud/wg_hud_inventory.h"
#include "game/frontend/hud/wg_hud_status_bars.h"
#include "game/frontend/hud/wg_message_box.h"
#include "game/frontend/hud/wg_mission_list.h"
#include "game/frontend/hud/wg_tab_panel.h"
#include "game/frontend/hud/wg_ultra_overlay.h"
#include "game/frontend/map/wg_map_view.h"
#include "game/frontend/menus/wg_menu_died.h"
#include "game/frontend/menus/wg_menu_pause.h"
#include "game/frontend/save/save_profiles.h"
#include "game/frontend/screens/wg_screen_fader.h"
#include "game/render/text/crosshair.h"
#include "game/render/text/wg_text.h"
#include "game/render/twin_timer.h"

namespace {

bool IsInputEvent(u32 type) { return type >= kEventKey && type <= kEventPadStick; }

void Relayout() {
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

}  // namespace

cInGame::cInGame(cPropertyFile* config, cGameOptions* options)
    : mWorld(config, options->GetLevelName()),
      mRenderer(&mWorld),
      mIdleStartMs(GetTimeMs()),
      mPauseMenu(nullptr),
      mDeathMenu(nullptr),
      mQuit(0),
      mPlayDrawn(0) {
  mWorld.SetInGameScreen(this);
}

cInGame::~cInGame() {
  // The level may end while it still loads: either menu may be missing.
  if (mPauseMenu != nullptr) {
    mPauseMenu->Hide();
    delete mPauseMenu;
  }
  if (mDeathMenu != nullptr) {
    mDeathMenu->Hide();
    delete mDeathMenu;
  }
  RemoveChild(&mRenderer);
}

void cInGame::SetMenus(cWgMenu_Pause* pause, cWgMenu_Died* died) {
  delete mPauseMenu;
  delete mDeathMenu;
  mPauseMenu = pause;
  mDeathMenu = died;
}

void cInGame::Link(cWgWidget* widget) {
  if (widget != nullptr) {
    AddWidget(widget);
  }
}

void cInGame::AttachHud() {
  PrependChild(&mRenderer);
  // In drawing order, the fader last over everything.
  Link(mWorld.GetUltraOverlay());
  Link(mWorld.GetHudFrameBa());
  Link(mWorld.GetHudFrameBf());
  Link(mWorld.GetHudBackdrop());
  Link(mWorld.GetHudFrameJa());
  Link(mWorld.GetHudFrameKot());
  Link(mWorld.GetHudMap());
  Link(mWorld.GetStatusBars());
  Link(mWorld.GetHudImplants());
  Link(mWorld.GetHudInventory());
  for (u32 level = 0; level < kAlertLevelCount; level++) {
    Link(mWorld.GetAlertIcon(level));
  }
  Link(mWorld.GetHudLabel());
  Link(mWorld.GetLevelMessageBox());
  Link(mWorld.GetTabPanel());
  Link(mWorld.GetMessageBox());
  Link(mWorld.GetMissionList());
  Link(mWorld.GetActionIcons());
  Link(mWorld.GetFullMap());
  Link(mWorld.GetCrosshair());
  Link(mWorld.GetScreenFader());
}

void cInGame::RestartIdleTimer() { mIdleStartMs = GetTimeMs(); }

bool cInGame::IsPauseRequest(const tEvent* event) const {
  if (event->type == kEventKey) {
    return event->key.pressed != 0 && event->key.keyCode == kKeyEsc;
  }
  if (event->type == kEventPadButton) {
    return event->padButton.pressed != 0 && event->padButton.buttonMask == kPadStart;
  }
  return GetTimeMs() - mIdleStartMs >= kIdlePauseMs;
}

void cInGame::DrawPlayOnce() {
  mWorld.DrawPlayPreview(mRenderer.GetRenderTarget());
  mPlayDrawn = 1;
}

bool cInGame::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    cScreen::OnEvent(event);
    if (mPlayDrawn == 0 && mWorld.GetLoadStep() == kLoadStepLast) {
      DrawPlayOnce();
    }
  }
  if (mWorld.GetLevelEndState() == kLevelFadedOut) {
    // The world has credited the profile; a failed write still ends the level.
    if (gSaveProfiles != nullptr) {
      gSaveProfiles->Write();
    }
    if (gScreenStack != nullptr && gScreenStack->GetTopScreen() == this) {
      gScreenStack->Pop();
    }
  }
  if (IsInputEvent(event->type)) {
    RestartIdleTimer();
  }
  if (mWorld.GetLevelEndState() != kLevelPlaying) {
    return false;
  }
  if (mWorld.IsSuspended() == 0 && IsPauseRequest(event)) {
    OpenPauseMenu();
  }
  HandleDeath();
  return false;
}

void cInGame::Suspend() {
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && mWorld.GetTwinTimer() != nullptr) {
    mWorld.GetTwinTimer()->SetDisabled(1);
  }
  mWorld.HideMessage(true, true, true);
  if (mWorld.GetMessageBox() != nullptr) {
    mWorld.GetMessageBox()->SetMessage(nullptr, -1, true);
  }
  mWorld.CloseInfoView(false);
  mWorld.SetSuspended(1);
  mWorld.SetLevelMusic(false);
}

void cInGame::OpenPauseMenu() {
  if (mPauseMenu == nullptr) {
    return;
  }
  Suspend();
  SwitchMusic(true);
  mPauseMenu->Open();
  mPauseMenu->Show();
  Relayout();
  PauseTimeScale();
  RestartIdleTimer();
}

void cInGame::HandleDeath() {
  cDorvaMan* player = mWorld.GetPlayer();
  if (player == nullptr || player->GetHealth() >= kPlayerDeadHealth || player->IsProtected() != 0) {
    return;
  }
  if (mWorld.IsSuspended() == 0) {
    Suspend();
    if (mWorld.GetScreenFader() != nullptr) {
      mWorld.GetScreenFader()->FadeOut(kDeathFadeFrames);
    }
    if (mWorld.GetGameCamera() != nullptr) {
      mWorld.GetGameCamera()->SetDeathMode();
    }
    player->Die();
    return;
  }
  player->SetDying(1);
  const bool fading = mWorld.GetScreenFader() != nullptr && mWorld.GetScreenFader()->IsFading();
  if (!fading && gTimeScaleIndex != kTimeScalePaused) {
    OpenDeathMenu();
  }
}

void cInGame::OpenDeathMenu() {
  cDorvaMan* player = mWorld.GetPlayer();
  player->SetProtected(1);
  if (mWorld.GetScreenFader() != nullptr) {
    mWorld.GetScreenFader()->SetHold(true);
  }
  SwitchMusic(true);
  if (mDeathMenu != nullptr) {
    mDeathMenu->Show();
  }
  Relayout();
  PauseTimeScale();
}

cLevelPhase* MakeInGame(cPropertyFile* config, cGameOptions* options) { return new cInGame(config, options); }
