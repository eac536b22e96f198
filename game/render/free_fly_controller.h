// Free flight for a frame: keys F/H and T/G move it sideways and forwards,
// the mouse or the right stick turn it, shift or a pad button speed it up.
// The game camera owns one and gives it the frame to fly.
#pragma once

#include "engine/engine.h"
#include "game/app/input/input_listener.h"
#include "game/foundation/types.h"

class cFreeFlyController : public cInputListener {
 public:
  cFreeFlyController();

  // Null stops the flight.
  void SetFrame(RwFrame* frame) { mFrame = frame; }
  RwFrame* GetFrame() const { return mFrame; }

  // Collects input; each tick moves and turns the frame by what was
  // collected and clears all but the held keys. Always false.
  bool OnEvent(const tEvent* event) override;

 private:
  void Fly();

  RwFrame* mFrame;
  RwV3d mMove;
  f32 mStickX;
  f32 mStickZ;
  f32 mKeyX;
  f32 mKeyY;
  f32 mKeyZ;
  u8 mFast;
  f32 mYaw;    // degrees
  f32 mPitch;  // degrees
};
