// The global time scale: slow motion and pause. Ticks carry the frame time
// multiplied by it. Pausing sets the index to 0 (scale 0.0) and keeps the
// previous index to come back to.
#pragma once

#include "game/app/input/input_listener.h"
#include "game/foundation/types.h"

constexpr u32 kTimeScaleCount = 8;
constexpr u32 kTimeScalePaused = 0;
constexpr u32 kTimeScaleNormal = 5;  // scale 1.0

extern const f32 kTimeScaleTable[kTimeScaleCount];
extern f32 gTimeScale;
extern u32 gTimeScaleIndex;
extern u32 gSavedTimeScaleIndex;

// When running, saves the current index and pauses.
void PauseTimeScale();
// When paused, restores the saved index.
void ResumeTimeScale();

// Applies the current index to the time scale on every event. Registers
// itself as a handler of the event device (created first, so always first).
class cTimeScaleListener : public cInputListener {
 public:
  cTimeScaleListener();
  ~cTimeScaleListener() override;

  bool OnEvent(const tEvent* event) override;
};

extern cTimeScaleListener* gTimeScaleListener;
