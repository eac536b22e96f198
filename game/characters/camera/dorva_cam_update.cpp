// cDorvaCam's tick: the four modes, the blend toward the goal points, the
// placing of the camera frame, the sky and the sound listener.
#include <cmath>

#include "game/app/audio/sound.h"
#include "game/characters/camera/dorva_cam.h"
#include "game/characters/player/dorva_man.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/collision/world_collision.h"
#include "game/world/qx_world.h"

namespace {

// The camera keeps this far from the player's vertical axis: far, and
// nearer in.
constexpr f32 kKeepOffFar = 0.5f;
constexpr f32 kKeepOffNear = 0.36f;
// The camera stands this far ahead of its current point toward the look-at.
constexpr f32 kNearStep = 0.1f;
// The raised positions tried over a near obstacle: booms from the far
// position's length down to kRiseShortest (metres), each rising from the far
// position's slope to kRiseSteepest (radians); the line is tested
// kRiseClearance beyond the position, so that the camera keeps off the
// ceiling and walls it rises to. A far position this near the axis has no
// way back to rise along.
constexpr f32 kRiseShortest = 1.0f;
constexpr f32 kRiseLengthStep = 0.25f;
constexpr f32 kRiseSteepest = 1.4f;
constexpr f32 kRiseAngleStep = 0.0873f;  // 5 degrees
constexpr f32 kRiseClearance = 0.15f;
constexpr f32 kRiseEdge = 0.01f;
// The aiming eye and the height of the point it looks at.
constexpr f32 kAimEyeHeight = 1.7f;
constexpr f32 kAimLookHeight = 1.6f;
constexpr f32 kAimLookAhead = 2.0f;

RwV3d Sub(const RwV3d& a, const RwV3d& b) { return RwV3d{a.x - b.x, a.y - b.y, a.z - b.z}; }

f32 Length(const RwV3d& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

// The point a step of kNearStep from the point toward the target.
RwV3d StepToward(const RwV3d& point, const RwV3d& target) {
  RwV3d direction = Sub(target, point);
  V3dNormalize(&direction);
  return RwV3d{point.x + kNearStep * direction.x, point.y + kNearStep * direction.y, point.z + kNearStep * direction.z};
}

}  // namespace

bool cDorvaCam::Update(f32 dt) {
  // Without the player's frame the camera stays where it is.
  if (mPlayerFrame != nullptr) {
    if (mReseat) {
      mCurrentPosition = FromPlayer(mRelativePosition);
      mCurrentLookAt = FromPlayer(mRelativeLookAt);
      // With a wall behind the player the camera starts at the wall, not
      // behind it: a frozen first frame (the briefing) shows the room.
      const RwV3d p = PlayerPosition();
      const RwV3d head = {p.x, p.y + kCamHeadHeight, p.z};
      RwV3d hit;
      if (mMode == kCamFollow && FindObstacle(head, mCurrentPosition, &hit)) {
        mCurrentPosition = hit;
      }
      mReseat = false;
    }
    switch (mMode) {
      case kCamFollow:
        UpdateFollow(dt);
        break;
      case kCamLookAt:
        mGoalPosition = mLookAtMovePosition;
        mGoalLookAt = mLookAtMoveTarget;
        ApproachGoal(dt);
        PlaceCamera();
        break;
      case kCamAiming:
        UpdateAiming(dt);
        break;
      case kCamDeath:
        UpdateDeath(dt);
        break;
      default:
        break;
    }
  }
  const RwMatrix* camera = RwFrameGetLTM(GetFrame());
  if (mSkyFrame != nullptr) {
    RwFrameTranslate(mSkyFrame, &camera->pos, kRwCombineReplace);
  }
  cSndEngWin::SetListener(&camera->pos, &camera->at, &camera->up, nullptr);
  return false;
}

bool cDorvaCam::FindObstacle(const RwV3d& from, const RwV3d& to, RwV3d* hit) const {
  cWorldCollision* collision = mWorld != nullptr ? mWorld->GetWorldObject() : nullptr;
  if (collision == nullptr) {
    return false;
  }
  RwV3d normal;
  return collision->IntersectSegment(tSegment3d(from, to), hit, &normal, nullptr, true, false, 0, false);
}

void cDorvaCam::UpdateFollow(f32 dt) {
  RwV3d far = FromPlayer(mRelativePosition);
  RwV3d lookAt = FromPlayer(mRelativeLookAt);
  lookAt.y += ViewPitch();
  const RwV3d p = PlayerPosition();
  const RwV3d head = {p.x, p.y + kCamHeadHeight, p.z};
  RwV3d hit;
  bool blocked = FindObstacle(head, far, &hit);
  // An obstacle this near the head (a cupboard at the player's back) would
  // hold the camera at it or pull it in over the shoulder, inside the
  // agent's head: over the obstacle, where there is room, the camera
  // follows as if the way back were clear.
  RwV3d raised;
  if (blocked && Length(Sub(hit, head)) < kCamRiseBelow && FindRaisedPosition(head, far, &raised)) {
    far = raised;
    blocked = false;
  }
  if (!blocked) {
    SetPitchLimit(kCamPitchLimitFar);
    mGoalPosition = far;
    mGoalLookAt = lookAt;
    if (ApproachGoal(dt)) {
      mFollowState = kFollowFar;
    }
    PlaceCamera();
    return;
  }
  const f32 distance = Length(Sub(hit, head));
  RwV3d shoulder;
  RwV3d shoulderLookAt;
  ComputeShoulderPoints(&shoulder, &shoulderLookAt);
  switch (mFollowState) {
    case kFollowFar:
      if (distance < mBlendMin) {
        mFollowState = kFollowStartPullIn;
      }
      SetPitchLimit(kCamPitchLimitFar);
      SetGoals(hit, lookAt);
      ApproachGoal(dt);
      break;
    case kFollowPullIn:
      if (distance > mBlendMax) {
        mFollowState = kFollowStartMoveOut;
      }
      SetPitchLimit(kCamPitchLimitShoulder);
      SetGoals(shoulder, shoulderLookAt);
      if (ApproachGoal(dt)) {
        mFollowState = kFollowShoulder;
      }
      break;
    case kFollowStartPullIn:
      mFollowState = kFollowPullIn;
      SetPitchLimit(kCamPitchLimitShoulder);
      SetGoals(shoulder, shoulderLookAt);
      ApproachGoal(dt);
      break;
    case kFollowMoveOut:
      if (distance < mBlendMin) {
        mFollowState = kFollowStartPullIn;
      }
      SetPitchLimit(kCamPitchLimitFar);
      SetGoals(StepToward(hit, lookAt), lookAt);
      if (ApproachGoal(dt)) {
        mFollowState = kFollowFar;
      }
      break;
    case kFollowStartMoveOut:
      mFollowState = kFollowMoveOut;
      SetPitchLimit(kCamPitchLimitFar);
      SetGoals(StepToward(hit, lookAt), lookAt);
      ApproachGoal(dt);
      break;
    case kFollowShoulder:
      if (distance > mBlendMax) {
        mFollowState = kFollowStartMoveOut;
      }
      SetPitchLimit(kCamPitchLimitShoulder);
      SetGoals(shoulder, shoulderLookAt);
      ApproachGoal(dt);
      break;
    default:
      break;
  }
  PlaceCamera();
}

bool cDorvaCam::FindRaisedPosition(const RwV3d& head, const RwV3d& far, RwV3d* raised) const {
  const RwV3d back = Sub(far, head);
  const f32 across = std::sqrt(back.x * back.x + back.z * back.z);
  if (across < kRiseEdge) {
    return false;
  }
  const RwV3d away = {back.x / across, 0.0f, back.z / across};
  const f32 lowest = std::atan2(back.y, across);
  for (f32 length = Length(back); length >= kRiseShortest; length -= kRiseLengthStep) {
    for (f32 rise = lowest; rise <= kRiseSteepest; rise += kRiseAngleStep) {
      const f32 outward = length * std::cos(rise);
      const f32 upward = length * std::sin(rise);
      // The keep-off would push a camera nearer the axis out, past what
      // was tested, unless it stands well over the head (PlaceCamera).
      if (outward < kKeepOffFar && upward < kCamOffHead) {
        continue;
      }
      const f32 reach = (length + kRiseClearance) / length;
      const RwV3d beyond = {head.x + reach * outward * away.x, head.y + reach * upward,
                            head.z + reach * outward * away.z};
      RwV3d hit;
      if (!FindObstacle(head, beyond, &hit)) {
        *raised = RwV3d{head.x + outward * away.x, head.y + upward, head.z + outward * away.z};
        return true;
      }
    }
  }
  return false;
}

void cDorvaCam::UpdateAiming(f32 dt) {
  const cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  const f32 zoom = player != nullptr ? static_cast<f32>(player->GetZoomDirection()) : 0.0f;
  f32 fieldOfView = GetFieldOfView() - zoom * mZoomSpeed * dt;
  if (fieldOfView > mWidestFieldOfView) {
    fieldOfView = mWidestFieldOfView;
  } else if (fieldOfView < mNarrowestFieldOfView) {
    fieldOfView = mNarrowestFieldOfView;
  }
  SetFieldOfView(fieldOfView);
  const RwMatrix* playerMatrix = RwFrameGetLTM(mPlayerFrame);
  RwMatrix* matrix = RwFrameGetMatrix(GetFrame());
  const RwV3d p = playerMatrix->pos;
  matrix->pos = RwV3d{p.x, p.y + kAimEyeHeight, p.z};
  const RwV3d target = {p.x + kAimLookAhead * playerMatrix->at.x,
                        p.y + kAimLookAhead * playerMatrix->at.y + kAimLookHeight + ViewPitch(),
                        p.z + kAimLookAhead * playerMatrix->at.z};
  MatrixLookAt(matrix, &target);
  RwFrameMarkDirty(GetFrame());
}

void cDorvaCam::UpdateDeath(f32 dt) {
  mDeathTimer += dt;
  const f32 angle = kCamDeathSpeed * mDeathTimer;
  const RwV3d p = PlayerPosition();
  mCurrentPosition =
      RwV3d{p.x - kCamDeathRadius * std::cos(angle), p.y + kCamDeathHeight, p.z + kCamDeathRadius * std::sin(angle)};
  mCurrentLookAt = RwV3d{p.x, p.y + kCamDeathLookHeight, p.z};
  const RwV3d head = {p.x, p.y + kCamHeadHeight, p.z};
  RwV3d hit;
  if (FindObstacle(head, mCurrentPosition, &hit)) {
    mCurrentPosition = hit;
  }
  PlaceCamera();
}

bool cDorvaCam::ApproachGoal(f32 dt) {
  const f32 k = dt > kCamLongestStep ? kCamLongestStep : dt;
  RwV3d positionStep = Sub(mGoalPosition, mCurrentPosition);
  RwV3d lookAtStep = Sub(mGoalLookAt, mCurrentLookAt);
  V3dTimesScalar(&positionStep, &positionStep, k * mBlendSpeed);
  V3dTimesScalar(&lookAtStep, &lookAtStep, k * mBlendSpeed);
  V3dAdd(&mCurrentPosition, &mCurrentPosition, &positionStep);
  V3dAdd(&mCurrentLookAt, &mCurrentLookAt, &lookAtStep);
  return Length(positionStep) < kCamConverged && Length(lookAtStep) < kCamConverged;
}

void cDorvaCam::PlaceCamera() {
  const f32 keepOff = mFollowState == kFollowFar ? kKeepOffFar : kKeepOffNear;
  const RwV3d p = PlayerPosition();
  RwV3d away = {mCurrentPosition.x - p.x, 0.0f, mCurrentPosition.z - p.z};
  RwMatrix* matrix = RwFrameGetMatrix(GetFrame());
  // A following camera risen well over the head (a wall at the player's
  // back) is clear of him however near his axis.
  const bool overHead = mMode == kCamFollow && mCurrentPosition.y >= p.y + kCamHeadHeight + kCamOffHead;
  if (Length(away) >= keepOff || overHead) {
    matrix->pos = StepToward(mCurrentPosition, mCurrentLookAt);
  } else {
    // On the axis itself the vector normalises to zero: x and z become the
    // player's.
    V3dNormalize(&away);
    mCurrentPosition.x = p.x + keepOff * away.x;
    mCurrentPosition.z = p.z + keepOff * away.z;
    matrix->pos = mCurrentPosition;
  }
  HoldOnHeadSide(&matrix->pos);
  MatrixLookAt(matrix, &mCurrentLookAt);
  RwFrameMarkDirty(GetFrame());
}

void cDorvaCam::HoldOnHeadSide(RwV3d* position) const {
  // The follow blend tests only the goal it heads for, and the look-at move
  // and the keep-off test nothing: a door that closed between the player and
  // the lagging camera, a jamb that the blend cuts across, a wall that the
  // keep-off pushes the camera past or the far side of a wide look-at move
  // would otherwise stand between them. The camera then stands a step short
  // of it, toward the head.
  const RwV3d p = PlayerPosition();
  const RwV3d head = {p.x, p.y + kCamHeadHeight, p.z};
  RwV3d hit;
  if (!FindObstacle(head, *position, &hit)) {
    return;
  }
  const f32 room = Length(Sub(head, hit));
  // A following camera that swings round behind a player at a cupboard
  // would stand at his head: it rises over what it met instead.
  RwV3d raised;
  if (mMode == kCamFollow && room < kCamRiseBelow && FindRaisedPosition(head, *position, &raised)) {
    *position = raised;
    return;
  }
  *position = room > kNearStep ? StepToward(hit, head) : head;
}
