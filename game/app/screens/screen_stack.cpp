// The screen stack, its start-up and shut-down hooks, and PresentScreen.
#include "game/app/screens/screen_stack.h"

#include "game/app/app_hooks.h"
#include "game/app/event.h"
#include "game/app/input/event_device.h"
#include "game/foundation/fatal_error.h"

cScreenStack* gScreenStack = nullptr;

namespace {

// Wait for the vertical retrace.
constexpr RwUInt32 kPresentFlags = 1;

}  // namespace

cScreenStack::cScreenStack(void* window)
    : mWindow(window),
      mScreens(new cScreen*[kScreenStackCapacity]),
      mCapacity(kScreenStackCapacity),
      mTop(0),
      mActive(nullptr) {
  for (u32 i = 0; i < mCapacity; i++) {
    mScreens[i] = nullptr;
  }
  // The 2D toolkit opens on a camera of its own, which it no longer targets
  // once it is gone; text widgets target theirs while they draw.
  RwCamera* camera = RwCameraCreate();
  Rt2dOpen(camera);
  Rt2dSetCamera(nullptr);
  if (camera != nullptr) {
    RwCameraDestroy(camera);
  }
}

cScreenStack::~cScreenStack() {
  Rt2dClose();
  mTarget.Release();
  delete[] mScreens;
}

void cScreenStack::Push(cScreen* screen) {
  if (mTop + 1 >= mCapacity) {
    FatalError("cScreenStack::Push : more than %u screens", mCapacity - 1);
  }
  mTop++;
  mScreens[mTop] = screen;
}

void cScreenStack::Pop() {
  for (int i = 0; i < 2; i++) {
    if (mActive != nullptr) {
      cWgNode::RenderTree(mActive);
    }
    Present();
  }
  if (mTop > 0) {
    mScreens[mTop] = nullptr;
    mTop--;
  }
  gInputEnabled = 0;
  Sync();
}

void cScreenStack::Sync() {
  cScreen* top = mScreens[mTop];
  if (mActive == top) {
    return;
  }
  if (mActive != nullptr) {
    mActive->OnDeactivate();
  }
  mActive = top;
  if (mActive != nullptr) {
    mActive->OnActivate();
  }
  Relayout();
}

void cScreenStack::SetScreenSize(const tTargetSize& size) { mTarget.CreateScreen(size); }

void cScreenStack::Present() {
  if (mTarget.GetColourRaster() != nullptr) {
    RwRasterShowRaster(mTarget.GetColourRaster(), mWindow, kPresentFlags);
  }
}

cRenderTarget* cScreenStack::GetActiveTarget() { return mActive != nullptr ? &mActive->GetRenderTarget() : &mTarget; }

void cScreenStack::Relayout() {
  if (mActive == nullptr) {
    return;
  }
  const tTargetSize size = mTarget.GetSize();
  mActive->Layout(RwRect{0, 0, static_cast<RwInt32>(size.width), static_cast<RwInt32>(size.height)}, mTarget);
}

bool cScreenStack::OnEvent(const tEvent* event) {
  Sync();
  if (event->type == kEventScreenSize) {
    SetScreenSize(tTargetSize{event->screenSize.width, event->screenSize.height});
    Relayout();
  }
  if (mActive != nullptr) {
    cWgNode::OfferEvent(mActive, event);
    Sync();
    if (event->type == kEventTick && mActive != nullptr) {
      cWgNode::RenderTree(mActive);
      Present();
    }
  }
  return false;
}

void PresentScreen() {
  if (gScreenStack != nullptr) {
    gScreenStack->Present();
  }
}

void CreateScreenStack(void* window, u32 width, u32 height) {
  if (gScreenStack != nullptr) {
    return;
  }
  gScreenStack = new cScreenStack(window);
  if (gEventDevice != nullptr) {
    gEventDevice->AddEventHandler(gScreenStack);
  }
  gScreenStack->SetScreenSize(tTargetSize{width, height});
}

void DeleteScreenStack() {
  if (gScreenStack == nullptr) {
    return;
  }
  gScreenStack->Push(nullptr);
  if (gEventDevice != nullptr) {
    gEventDevice->RemoveEventHandler(gScreenStack);
  }
  delete gScreenStack;
  gScreenStack = nullptr;
}
