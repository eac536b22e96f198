// cWgMenu_Died.
#include "game/frontend/menus/wg_menu_died.h"

#include "game/app/screens/screen_stack.h"
#include "game/app/time_scale.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/ingame/in_game.h"
#include "game/render/twin_timer.h"

namespace {

const tWgPlacement kTextPlacement = tWgPlacement::Fractions(0.2f, 0.0f, 0.8f, 1.0f);

}  // namespace

cWgMenu_Died::cWgMenu_Died(cInGame* inGame)
    : cWgMenu_Menu(inGame, "DIED", kDiedItemCount, tWgPlacement(), kTextPlacement), mInGame(inGame) {}

void cWgMenu_Died::OnSelect(u32 item) {
  cQXWorld& world = mInGame->GetWorld();
  cDorvaMan* player = world.GetPlayer();
  switch (item) {
    case kDiedCheckpoint:
      mInGame->SwitchMusic(false);
      world.SetLevelMusic(true);
      world.RestoreCheckpoint();
      break;
    case kDiedRestart:
      SetCurrent(kDiedCheckpoint);
      world.RestartLevel();
      mInGame->SwitchMusic(false);
      world.SetLevelMusic(true);
      break;
    case kDiedQuit:
      mInGame->RequestQuit();
      mInGame->SwitchMusic(false);
      if (gScreenStack != nullptr) {
        gScreenStack->Pop();
      }
      break;
    default:
      return;
  }
  if (player != nullptr && item != kDiedQuit) {
    player->SetSkipNextImplantKey(1);
  }
  if (gGameOptions != nullptr && gGameOptions->IsHitFlashOn() && world.GetTwinTimer() != nullptr) {
    world.GetTwinTimer()->SetDisabled(0);
  }
  world.SetSuspended(0);
  if (player != nullptr) {
    player->SetDying(0);
    player->SetProtected(0);
  }
  Hide();
  if (gScreenStack != nullptr) {
    gScreenStack->Relayout();
  }
  ResumeTimeScale();
}
