// The screen stack: the event device's second handler. Screens are pushed
// and popped; at each sync the top one becomes active, receives every event
// with its widget tree, and is rendered and presented on every tick.
#pragma once

#include "game/app/input/input_listener.h"
#include "game/app/screens/screen.h"
#include "game/foundation/types.h"
#include "game/render/scene/render_target.h"

// Slots of the screen array; slot 0 stays empty, so 63 screens fit.
constexpr u32 kScreenStackCapacity = 64;

class cScreenStack : public cInputListener {
 public:
  // An empty stack presenting into window; opens the engine's 2D toolkit,
  // which the destructor closes.
  explicit cScreenStack(void* window);
  ~cScreenStack() override;

  cScreenStack(const cScreenStack&) = delete;
  cScreenStack& operator=(const cScreenStack&) = delete;

  // Sync, screen size, then the active screen's tree offered the event; on a
  // tick the active tree rendered and presented. Always false.
  bool OnEvent(const tEvent* event) override;

  // The screen (null allowed) on top; nothing else until the next sync.
  // Fatal when the stack is full.
  void Push(cScreen* screen);
  // The active tree rendered and presented twice (both buffers show it),
  // the top taken off, the input flag cleared, then a sync. Nothing to take
  // off an empty stack.
  void Pop();
  // When the top is not the active screen: the old one deactivated, the top
  // activated and laid out.
  void Sync();
  // The stack's target rasters made of that size.
  void SetScreenSize(const tTargetSize& size);
  // The stack's colour raster shown in the window.
  void Present();
  // The active screen's target; the stack's own while none is active.
  cRenderTarget* GetActiveTarget();
  // The active screen's tree laid out in the whole of the stack's target.
  void Relayout();

  cScreen* GetActiveScreen() const { return mActive; }
  cScreen* GetTopScreen() const { return mScreens[mTop]; }
  u32 GetTopIndex() const { return mTop; }
  cRenderTarget& GetTarget() { return mTarget; }

 private:
  void* mWindow;
  cRenderTarget mTarget;
  cScreen** mScreens;
  u32 mCapacity;
  u32 mTop;
  cScreen* mActive;
};

// The one stack, from engine initialise to engine terminate.
extern cScreenStack* gScreenStack;

// Presents the global stack's frame.
void PresentScreen();
