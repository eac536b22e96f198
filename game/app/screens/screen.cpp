// The screen base: the sound engine's update on every tick.
#include "game/app/screens/screen.h"

#include "game/app/event.h"
#include "game/app/audio/sound.h"

bool cScreen::OnEvent(const tEvent* event) {
  if (event->type == kEventTick) {
    cSndEngWin::UpdateAll();
  }
  return false;
}
