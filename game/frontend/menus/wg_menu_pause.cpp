// cWgMenu_Pause.
#include "game/frontend/menus/wg_menu_pause.h"

#include "game/app/screens/screen_stack.h"
#include "game/app/time_scale.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/ingame/in_game.h"
#include "game/frontend/menus/wg_menu_options.h"
#include "game/render/twin_timer.h"

namespace {

const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);
constexpr f32 kBrightnessScale = 0.01f;

void Relayout() {
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
}

}  // namespace

cWgMenu_Pause::cWgMenu_Pause(cInGame* inGame)
    : cWgMenu_Menu(inGame, "PAUSE", kPauseItemCount, tWgPlacement(), kTextPlacement),
      mInGame(inGame),
      mOptions(nullptr),
      mSavedDeathHandled(0),
      mBrightnessFactor(0.0f),
      mBrightnessApplications(0) {
  mOptions = new cWgMenu_Options(inGame, this);
}

cWgMenu_Pause::~cWgMenu_Pause() {
  mOptions->Hide();
  delete mOptions;
}

f32 cWgMenu_Pause::CurrentBrightnessFactor() const { return cDorvaCam::GetBrightnessFactor(); }

void cWgMenu_Pause::ApplyBrightness() {
  if (cDorvaCam* camera = mInGame->GetWorld().GetGameCamera()) {
    camera->ApplyBrightness();
  }
  mBrightnessApplications++;
}

void cWgMenu_Pause::Open() {
  mBrightnessFactor = CurrentBrightnessFactor();
  cDorvaMan* player = mInGame->GetWorld().GetPlayer();
  if (player != nullptr) {
    mSavedDeathHandled = player->IsProtected();
    player->SetProtected(1);
  }
}

void cWgMenu_Pause::Resume() {
  cQXWorld& world = mInGame->GetWorld();
  mInGame->SwitchMusic(false);
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && world.GetTwinTimer() != nullptr) {
    world.GetTwinTimer()->SetDisabled(0);
  }
  world.SetSuspended(0);
  if (cDorvaMan* player = world.GetPlayer()) {
    player->SetDying(0);
    player->SetSkipNextImplantKey(1);
  }
  if (CurrentBrightnessFactor() != mBrightnessFactor) {
    ApplyBrightness();
  }
  ResumeTimeScale();
}

void cWgMenu_Pause::OnSelect(u32 item) {
  cQXWorld& world = mInGame->GetWorld();
  switch (item) {
    case kPauseResume:
      Resume();
      if (cDorvaMan* player = world.GetPlayer()) {
        player->SetProtected(mSavedDeathHandled);
      }
      world.ShowRememberedMessage();
      world.SetLevelMusic(true);
      break;
    case kPauseRestart:
      world.RestartLevel();
      mInGame->SwitchMusic(false);
      SetCurrent(kPauseResume);
      Resume();
      if (cDorvaMan* player = world.GetPlayer()) {
        player->SetProtected(0);
      }
      world.SetLevelMusic(true);
      break;
    case kPauseOptions:
      mOptions->Show();
      mOptions->SetCurrent(kOptionBrightness);
      break;
    case kPauseQuit:
      // The flag first: the game flow reads it once the screen has gone.
      mInGame->RequestQuit();
      Resume();
      if (gScreenStack != nullptr) {
        gScreenStack->Pop();
      }
      break;
    default:
      return;
  }
  mOwner->GetScreenSound().Play();
  Hide();
  Relayout();
}
