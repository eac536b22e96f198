// The full map's motion keys.
#include "game/frontend/map/map_actions.h"

#include "game/app/event.h"
#include "game/frontend/map/wg_map_view.h"

void cMapAction_Forward::OnKey(const tEvent* event) {
  if (mTarget != nullptr) {
    mTarget->SetKeyY(event->key.pressed != 0 ? 1.0f : 0.0f);
  }
}

void cMapAction_Forward::OnPadStick(const tEvent* event) {
  const f32 y = event->padStick.y;
  if (mTarget != nullptr && y < 0.0f) {
    mTarget->SetStickY(y < -mTarget->GetStickDeadZone() ? 1.0f : 0.0f);
  }
}

void cMapAction_Backward::OnKey(const tEvent* event) {
  if (mTarget != nullptr) {
    mTarget->SetKeyY(event->key.pressed != 0 ? -1.0f : 0.0f);
  }
}

void cMapAction_Backward::OnPadStick(const tEvent* event) {
  const f32 y = event->padStick.y;
  if (mTarget != nullptr && y >= 0.0f) {
    mTarget->SetStickY(y > mTarget->GetStickDeadZone() ? -1.0f : 0.0f);
  }
}

void cMapAction_Left::OnKey(const tEvent* event) {
  if (mTarget != nullptr) {
    mTarget->SetKeyX(event->key.pressed != 0 ? 1.0f : 0.0f);
  }
}

void cMapAction_Left::OnPadStick(const tEvent* event) {
  const f32 x = event->padStick.x;
  if (mTarget != nullptr && x < 0.0f) {
    mTarget->SetStickX(x < -mTarget->GetStickDeadZone() ? -1.0f : 0.0f);
  }
}

void cMapAction_Right::OnKey(const tEvent* event) {
  if (mTarget != nullptr) {
    mTarget->SetKeyX(event->key.pressed != 0 ? -1.0f : 0.0f);
  }
}

void cMapAction_Right::OnPadStick(const tEvent* event) {
  const f32 x = event->padStick.x;
  if (mTarget != nullptr && x >= 0.0f) {
    mTarget->SetStickX(x > mTarget->GetStickDeadZone() ? 1.0f : 0.0f);
  }
}
