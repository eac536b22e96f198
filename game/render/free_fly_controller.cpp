// Free flight of a frame from keys, mouse and pad.
#include "game/render/free_fly_controller.h"

#include "game/app/event.h"
#include "game/app/input/key_codes.h"

namespace {

constexpr u32 kKeyFlyLeft = 'f';
constexpr u32 kKeyFlyRight = 'h';
constexpr u32 kKeyFlyForward = 't';
constexpr u32 kKeyFlyBack = 'g';
constexpr u32 kFastPadButton = 0x800;
constexpr f32 kStickScale = 3.0f;
constexpr f32 kFastFactor = 10.0f;
constexpr f32 kStepPerTick = 1.0f / 30.0f;

}  // namespace

cFreeFlyController::cFreeFlyController()
    : mFrame(nullptr),
      mMove{0.0f, 0.0f, 0.0f},
      mStickX(0.0f),
      mStickZ(0.0f),
      mKeyX(0.0f),
      mKeyY(0.0f),
      mKeyZ(0.0f),
      mFast(0),
      mYaw(0.0f),
      mPitch(0.0f) {}

bool cFreeFlyController::OnEvent(const tEvent* event) {
  if (mFrame == nullptr || event->type < kEventTick || event->type > kEventPadStick) {
    return false;
  }
  switch (event->type) {
    case kEventKey: {
      const f32 d = event->key.pressed ? 1.0f : -1.0f;
      switch (event->key.keyCode) {
        case kKeyFlyLeft:
          mKeyX += d;
          break;
        case kKeyFlyRight:
          mKeyX -= d;
          break;
        case kKeyFlyForward:
          mKeyZ += d;
          break;
        case kKeyFlyBack:
          mKeyZ -= d;
          break;
        case kKeyLShift:
          mFast = event->key.pressed;
          break;
        default:
          break;
      }
      break;
    }
    case kEventMouseMove:
      mYaw += event->mouseMove.dx;
      mPitch += event->mouseMove.dy;
      break;
    case kEventPadButton:
      if (event->padButton.buttonMask == kFastPadButton) {
        mFast = event->padButton.pressed;
      }
      break;
    case kEventPadStick:
      if (event->padStick.stick == 0) {
        mStickX = event->padStick.x * kStickScale;
        mStickZ = event->padStick.y * -kStickScale;
      } else if (event->padStick.stick == 1) {
        mYaw = event->padStick.x * -kStickScale;
        mPitch = event->padStick.y * -kStickScale;
      }
      break;
    case kEventTick:
      Fly();
      break;
    default:
      break;
  }
  return false;
}

void cFreeFlyController::Fly() {
  const f32 scale = (mFast ? kFastFactor : 1.0f) * kStepPerTick;
  mMove = RwV3d{(mKeyX + mStickX) * scale, mKeyY * scale, (mKeyZ + mStickZ) * scale};
  RwFrameTranslate(mFrame, &mMove, kRwCombinePreConcat);
  const RwV3d pitchAxis = {1.0f, 0.0f, 0.0f};
  RwFrameRotate(mFrame, &pitchAxis, mPitch, kRwCombinePreConcat);
  // The yaw turns the frame about world down, around its own position.
  const RwV3d position = RwFrameGetMatrix(mFrame)->pos;
  const RwV3d toOrigin = {-position.x, -position.y, -position.z};
  const RwV3d yawAxis = {0.0f, -1.0f, 0.0f};
  RwFrameTranslate(mFrame, &toOrigin, kRwCombinePostConcat);
  RwFrameRotate(mFrame, &yawAxis, mYaw, kRwCombinePostConcat);
  RwFrameTranslate(mFrame, &position, kRwCombinePostConcat);
  mMove = RwV3d{0.0f, 0.0f, 0.0f};
  mStickX = 0.0f;
  mStickZ = 0.0f;
  mYaw = 0.0f;
  mPitch = 0.0f;
}
