// The player's input actions: what each key, button, mouse movement and
// stick event does to the player's input flags.
#include "game/characters/player/dorva_man_input.h"

#include <cmath>

#include "game/app/input/input_map.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/frontend/panels/wg_use_hack.h"
#include "game/frontend/save/game_options.h"
#include "game/world/qx_world.h"

namespace {

// Mouse turning: degrees a count, the limit a move, and the frames the
// turn keeps the turning flag up.
constexpr f32 kMouseTurnScale = 0.5f;
constexpr f32 kMouseTurnLimit = 2.0f;
constexpr u32 kMouseTurnHold = 3;
// Stick turning and looking, degrees at a full push (times 25 frames a
// second of frame time).
constexpr f32 kStickTurnRate = 3.0f;
constexpr f32 kStickLookRate = -8.0f;
constexpr f32 kStickFrames = 25.0f;
// A stick push counts for a direction only when it is no more than this
// off the other axis.
constexpr f32 kStickSlack = 0.2f;
constexpr u32 kLastImplant = kImplantCount - 1;
constexpr u32 kImplantHologram = 3;

const RwV3d kUp = {0.0f, 1.0f, 0.0f};
// The hacking panel's key of each movement direction.
const u32 kHackKeys[] = {kHackUp, kHackDown, kHackLeft, kHackRight};

cDorvaCam* CameraOf(const cDorvaMan* player) { return player->GetGameCamera(); }

bool IsAimingView(const cDorvaMan* player) {
  const cDorvaCam* camera = CameraOf(player);
  return camera != nullptr && camera->GetMode() == kCamAiming;
}

// The camera's field of view over its configured one: turning and looking
// slow down while zoomed.
f32 ZoomRatio(const cDorvaMan* player) {
  const cDorvaCam* camera = CameraOf(player);
  if (camera == nullptr || camera->GetConfiguredFieldOfView() == 0.0f) {
    return 1.0f;
  }
  return camera->GetFieldOfView() / camera->GetConfiguredFieldOfView();
}

// +1 with the axis-inversion option, else -1.
f32 Inversion() { return gGameOptions != nullptr && gGameOptions->IsAxisInverted() ? 1.0f : -1.0f; }

bool IsInputBlocked(const cDorvaMan* player) {
  return player->GetWorld() == nullptr || player->GetWorld()->IsInputLocked() != 0;
}

void TurnModel(cDorvaMan* player, f32 degrees) {
  if (RwFrame* frame = player->GetFrame()) {
    RwFrameRotate(frame, &kUp, degrees, kRwCombinePreConcat);
  }
  player->SetSlideSide(0);
}

void PlayWorldSound(cDorvaMan* player, eNamedSound sound) {
  if (player->GetWorld() != nullptr) {
    player->GetWorld()->GetSound(sound).Play();
  }
}

}  // namespace

void cDorvaManAction_Move::OnKey(const tEvent* event) {
  const u8 pressed = event->key.pressed;
  tPlayerInput& in = mPlayer->Input();
  u8* const flags[] = {&in.forwardKey, &in.backwardKey, &in.strafeLeftKey, &in.strafeRightKey};
  *flags[mDirection] = pressed;
  const u32 state = mPlayer->GetActionState();
  if (pressed != 0 && (state == kStateHackSneaking || state == kStateHack)) {
    mPlayer->PressHackKey(kHackKeys[mDirection]);
  }
}

void cDorvaManAction_Move::OnPadStick(const tEvent* event) {
  const f32 x = event->padStick.x;
  const f32 y = event->padStick.y;
  const f32 deadZone = mPlayer->GetPadDeadZone();
  tPlayerInput& in = mPlayer->Input();
  const bool sideways = mDirection == kLeft || mDirection == kRight;
  // While aiming, and sideways at a run, the raw event belongs to the stick
  // handlers; without one the flags below take it.
  cInputListener* handler = nullptr;
  if (IsAimingView(mPlayer)) {
    handler = sideways ? mPlayer->GetStrafeStickHandler() : mPlayer->GetAimStickHandler();
  } else if (sideways && mPlayer->GetActionState() == kStateRun && std::fabs(y) < std::fabs(x + kStickSlack)) {
    handler = mPlayer->GetStrafeStickHandler();
  }
  if (handler != nullptr) {
    handler->OnEvent(event);
    return;
  }
  if (mPlayer->IsAiming() != 0) {
    return;
  }
  const bool alongY = std::fabs(y) + kStickSlack >= std::fabs(x);
  const bool alongX = std::fabs(x) + kStickSlack >= std::fabs(y);
  switch (mDirection) {
    case kForward:
      in.forwardPad = y >= -deadZone ? 0 : (mPlayer->GetActionState() == kStateRun || alongY) ? 1 : 0;
      break;
    case kBackward:
      in.backwardPad = y <= deadZone ? 0 : alongY ? 1 : 0;
      break;
    case kLeft:
      in.strafeLeftPad = x <= deadZone ? 0 : alongX ? 1 : 0;
      break;
    case kRight:
      in.strafeRightPad = x >= -deadZone ? 0 : alongX ? 1 : 0;
      break;
  }
}

void cDorvaManAction_TurnKey::OnKey(const tEvent* event) {
  const u8 pressed = event->key.pressed;
  const f32 sign = static_cast<f32>(mSign);
  mPlayer->SetKeyTurnSum(mPlayer->GetKeyTurnSum() + (pressed != 0 ? sign : -sign));
  u8& flag = mSign > 0 ? mPlayer->Input().turnLeftKey : mPlayer->Input().turnRightKey;
  flag = pressed;
}

void cDorvaManAction_Turn::OnMouseMove(const tEvent* event) {
  if (mPlayer->IsBusy() != 0) {
    return;
  }
  const f32 dx = event->mouseMove.dx;
  f32 degrees = -dx * kMouseTurnScale * ZoomRatio(mPlayer);
  degrees = degrees > kMouseTurnLimit ? kMouseTurnLimit : degrees < -kMouseTurnLimit ? -kMouseTurnLimit : degrees;
  TurnModel(mPlayer, degrees);
  mPlayer->MouseTurnLeftFrames() = dx < 0.0f ? kMouseTurnHold : 0;
  mPlayer->MouseTurnRightFrames() = dx > 0.0f ? kMouseTurnHold : 0;
}

void cDorvaManAction_Turn::OnPadStick(const tEvent* event) {
  if (mPlayer->IsBusy() != 0) {
    return;
  }
  const f32 x = event->padStick.x;
  const f32 deadZone = mPlayer->GetPadDeadZone();
  if (x > deadZone) {
    mPlayer->Input().turnLeftPad = 1;
  } else if (x < -deadZone) {
    mPlayer->Input().turnRightPad = 1;
  } else {
    return;
  }
  TurnModel(mPlayer, x * kStickTurnRate * ZoomRatio(mPlayer) * mPlayer->GetLastFrameTime() * kStickFrames);
}

void cDorvaManAction_LookKey::OnKey(const tEvent* event) {
  if (mPlayer->IsBusy() != 0) {
    return;
  }
  const u8 pressed = event->key.pressed;
  if (IsAimingView(mPlayer)) {
    const s32 i = static_cast<s32>(Inversion());
    const s32 change = mUp ? -i : i;
    mPlayer->SetLookInput(mPlayer->GetLookInput() + (pressed != 0 ? change : -change));
    return;
  }
  if (pressed == 0) {
    mPlayer->SetLookInput(0);
  } else {
    mPlayer->SetLookInput(mUp ? -1 : 1);
  }
}

void cDorvaManAction_Look::OnMouseMove(const tEvent* event) {
  if (mPlayer->IsBusy() != 0) {
    return;
  }
  const f32 s = IsAimingView(mPlayer) ? Inversion() : 1.0f;
  mPlayer->AddLookAngle(s * (-event->mouseMove.dy * ZoomRatio(mPlayer)));
}

void cDorvaManAction_Look::OnPadStick(const tEvent* event) {
  if (mPlayer->IsBusy() != 0) {
    return;
  }
  const f32 y = event->padStick.y;
  if (std::fabs(y) <= mPlayer->GetPadDeadZone()) {
    return;
  }
  const f32 s = IsAimingView(mPlayer) ? Inversion() : 1.0f;
  mPlayer->AddLookAngle(s * kStickLookRate * y * ZoomRatio(mPlayer) * mPlayer->GetLastFrameTime() * kStickFrames);
}

void cDorvaManAction_Hold::Set(u8 pressed) {
  tPlayerInput& in = mPlayer->Input();
  switch (mFlag) {
    case kCentreView:
      if (mPlayer->IsBusy() == 0) {
        in.centreView = pressed;
      }
      break;
    case kRun:
      in.run = pressed;
      break;
    case kSneak:
      in.sneakHeld = pressed;
      break;
    case kSearch:
      in.search = pressed;
      break;
    case kZoomIn:
      in.zoomIn = pressed;
      break;
    case kZoomOut:
      in.zoomOut = pressed;
      break;
  }
}

void cDorvaManAction_SneakToggle::Toggle(u8 pressed) {
  if (pressed != 0) {
    mPlayer->Input().sneakToggle = mPlayer->Input().sneakToggle != 0 ? 0 : 1;
  }
}

void cDorvaManAction_UseItem::Use(u8 pressed) {
  mPlayer->SetUseReleased(1);
  if (pressed != 0) {
    mPlayer->Input().useItem = 1;
    mPlayer->SetUseReleased(0);
  }
}

void cDorvaManAction_UseImplant::Use(u8 pressed, bool honourSkip) {
  if (honourSkip && mPlayer->IsSkipNextImplantKey() != 0) {
    mPlayer->SetSkipNextImplantKey(0);
    return;
  }
  // A menu on screen holds the level: its keys fire no implant then.
  const cQXWorld* world = mPlayer->GetWorld();
  if (mPlayer->IsBusy() != 0 || IsInputBlocked(mPlayer) || (world != nullptr && world->IsSuspended() != 0)) {
    return;
  }
  tPlayerInput& in = mPlayer->Input();
  in.implantKeyReleased = 1;
  if (pressed != 0) {
    in.useImplant = 1;
    if (mPlayer->GetSelectedImplant() == kImplantHologram) {
      in.hologramUse = 1;
      in.implantKeyReleased = 0;
    }
  }
}

void cDorvaManAction_BionicEye::Toggle(u8 pressed) {
  if (pressed == 0 || mPlayer->IsBusy() != 0 || IsInputBlocked(mPlayer)) {
    return;
  }
  // Starts or ends aiming; refused with the cannot-use cue while Ultra runs.
  mPlayer->ToggleBionicEye();
}

void cDorvaManAction_SelectImplant::OnKey(const tEvent* event) {
  if (event->key.pressed != 0) {
    Select();
  }
}

void cDorvaManAction_SelectImplant::OnMouseButton(const tEvent* event) {
  // The wheel's forward turn arrives as a press, its backward turn as a
  // release: next takes the one, previous the other.
  if ((event->mouseButton.pressed != 0) == (mStep > 0)) {
    Select();
  }
}

void cDorvaManAction_SelectImplant::OnPadButton(const tEvent* event) {
  if (event->padButton.pressed != 0) {
    Select();
  }
}

void cDorvaManAction_SelectImplant::Select() {
  const tPlayerInput& in = mPlayer->Input();
  // The Ultra and shield flags stand for those implants running.
  if (IsInputBlocked(mPlayer) || mPlayer->IsBusy() != 0 || mPlayer->GetActionState() == kStateAiming ||
      in.ultraOn != 0 || in.shieldOn != 0) {
    return;
  }
  const u32 index = mPlayer->GetSelectedImplant();
  if (mStep > 0 && index < kLastImplant) {
    mPlayer->SetSelectedImplant(index + 1);
  } else if (mStep < 0 && index != 0) {
    mPlayer->SetSelectedImplant(index - 1);
  } else {
    return;
  }
  PlayWorldSound(mPlayer, kSoundSelect);
}

void cDorvaManAction_ViewInfo::Open(u8 pressed) {
  if (pressed == 0 || IsInputBlocked(mPlayer) || mPlayer->IsBusy() != 0) {
    return;
  }
  mPlayer->GetWorld()->OpenInfoView();
  PlayWorldSound(mPlayer, kSoundPanelIn);
}

void cDorvaManAction_Dialogue::Act(u8 pressed) {
  if (pressed != 0) {
    mArmed = 1;
    return;
  }
  if (mArmed == 0) {
    return;
  }
  mArmed = 0;
  if (mPlayer->GetWorld() != nullptr) {
    mPlayer->GetWorld()->HideMessage(true, mNoFollowUp, false);
  }
  PlayWorldSound(mPlayer, kSoundTextOut);
}

cDorvaManActions::cDorvaManActions()
    : mForward("FORWARD", cDorvaManAction_Move::kForward),
      mBackward("BACKWARD", cDorvaManAction_Move::kBackward),
      mLeft("LEFT", cDorvaManAction_Move::kLeft),
      mRight("RIGHT", cDorvaManAction_Move::kRight),
      mTurnRight("TURNRIGHT", -1),
      mTurnLeft("TURNLEFT", 1),
      mLookUp("LOOKUP", true),
      mLookDown("LOOKDOWN", false),
      mCentreView("CENTER_VIEW", cDorvaManAction_Hold::kCentreView),
      mRun("RUN", cDorvaManAction_Hold::kRun),
      mSneak("SNEAK", cDorvaManAction_Hold::kSneak),
      mSearch("SEARCH", cDorvaManAction_Hold::kSearch),
      mZoomIn("ZOOMIN", cDorvaManAction_Hold::kZoomIn),
      mZoomOut("ZOOMOUT", cDorvaManAction_Hold::kZoomOut),
      mNextImplant("NEXTIMPLANT", 1),
      mPrevImplant("PREVIMPLANT", -1),
      mDeleteDialogue("DELETEDIALOGUE", false),
      mDeleteDialogueAll("DELETEDIALOGUEALL", true),
      mAll{&mForward,        &mBackward,         &mLeft,        &mRight,       &mTurnRight,  &mTurnLeft,
           &mTurn,           &mLookUp,           &mLookDown,    &mLook,        &mCentreView, &mRun,
           &mSneak,          &mSneakToggle,      &mSearch,      &mUseItem,     &mUseImplant, &mBionicEye,
           &mZoomIn,         &mZoomOut,          &mNextImplant, &mPrevImplant, &mViewInfo,   &mQuitApp,
           &mDeleteDialogue, &mDeleteDialogueAll} {}

void cDorvaManActions::Bind(cDorvaMan* player, cInputMap* map) {
  for (cDorvaManAction* action : mAll) {
    action->SetPlayer(player);
    map->BindHandler(action);
  }
}
