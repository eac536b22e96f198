// The info view's actions: a press of a bound key or pad button.
#include "game/world/world_actions.h"

#include "game/app/event.h"
#include "game/characters/player/dorva_man.h"
#include "game/world/qx_world.h"

void cQXWorldAction::OnKey(const tEvent* event) {
  if (event->key.pressed != 0) {
    OnPress();
  }
}

void cQXWorldAction::OnPadButton(const tEvent* event) {
  if (event->padButton.pressed != 0) {
    OnPress();
  }
}

// The player's own info action opens the view and its press reaches this
// action too; the player's frozen flag tells that press from the next one.
// Without a player every press closes.
void cQXWorldAction_ViewInfo::OnPress() {
  cDorvaMan* player = GetWorld()->GetPlayer();
  if (player != nullptr && player->IsBusy() == 0) {
    player->SetBusy(1);
    return;
  }
  GetWorld()->CloseInfoView(true);
  GetWorld()->GetSound(kSoundPanelOut).Play();
}

void cQXWorldAction_ViewMap::OnPress() {
  GetWorld()->ShowMapPanel();
  GetWorld()->GetSound(kSoundPanelChange).Play();
}

void cQXWorldAction_ViewMission::OnPress() {
  GetWorld()->ShowMissionPanel();
  GetWorld()->GetSound(kSoundPanelChange).Play();
}
