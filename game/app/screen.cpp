// The screen base: the sound engine's update on every tick.
#include "game/app/screen.h"

#include "game/app/event.h"
#include "game/app/sound.h"

bool cScreen::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    cSndEngWin::UpdateAll();
  }
  return false;
}
