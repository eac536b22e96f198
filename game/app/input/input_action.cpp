// cInputAction: dispatch by event type.
#include "game/app/input/input_action.h"

#include "game/app/event.h"

bool cInputAction::OnEvent(const tEvent* event) {
  switch (event->type) {
    case kEventKey:
      OnKey(event);
      break;
    case kEventMouseButton:
      OnMouseButton(event);
      break;
    case kEventMouseMove:
      OnMouseMove(event);
      break;
    case kEventPadButton:
      OnPadButton(event);
      break;
    case kEventPadStick:
      OnPadStick(event);
      break;
    default:
      break;
  }
  return true;
}
