// The time-scale table, its index and the listener that applies it.
#include "game/app/time_scale.h"

#include "game/app/input/event_device.h"

const f32 kTimeScaleTable[kTimeScaleCount] = {0.0f, 0.01f, 0.1f, 0.2f, 0.5f, 1.0f, 1.5f, 2.0f};
f32 gTimeScale = 1.0f;
u32 gTimeScaleIndex = kTimeScaleNormal;
u32 gSavedTimeScaleIndex = kTimeScaleNormal;
cTimeScaleListener* gTimeScaleListener = nullptr;

void PauseTimeScale() {
  if (gTimeScaleIndex != kTimeScalePaused) {
    gSavedTimeScaleIndex = gTimeScaleIndex;
    gTimeScaleIndex = kTimeScalePaused;
  }
}

void ResumeTimeScale() {
  if (gTimeScaleIndex == kTimeScalePaused) {
    gTimeScaleIndex = gSavedTimeScaleIndex;
  }
}

cTimeScaleListener::cTimeScaleListener() {
  gTimeScale = 1.0f;
  gTimeScaleIndex = kTimeScaleNormal;
  gSavedTimeScaleIndex = kTimeScaleNormal;
  if (gEventDevice != nullptr) {
    gEventDevice->AddEventHandler(this);
  }
}

cTimeScaleListener::~cTimeScaleListener() {
  if (gEventDevice != nullptr) {
    gEventDevice->RemoveEventHandler(this);
  }
}

bool cTimeScaleListener::OnEvent(const tEvent*) {
  // An index beyond the table keeps the last scale rather than reading past it.
  if (gTimeScaleIndex < kTimeScaleCount) {
    gTimeScale = kTimeScaleTable[gTimeScaleIndex];
  }
  return gTimeScaleIndex != 0;
}
