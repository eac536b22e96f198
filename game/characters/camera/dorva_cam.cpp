// cDorvaCam: construction from "camera.txt", the lights and brightness, and
// the mode changes. The per-tick step is in dorva_cam_update.cpp.
#include "game/characters/camera/dorva_cam.h"

#include <cmath>

#include "game/characters/player/dorva_man.h"
#include "game/foundation/fatal_error.h"
#include "game/foundation/property.h"
#include "game/foundation/vector_helpers.h"
#include "game/frontend/save/game_options.h"
#include "game/render/frame_orientation.h"
#include "game/render/models/clump_ro.h"
#include "game/world/qx_world.h"

namespace {

const char* const kTag = "DorvaCam";
constexpr f32 kDegreesToRadians = 0.0174533f;
// The aiming view starts this far above the feet, a third of the facing
// ahead.
constexpr f32 kAimStartHeight = 1.6f;
constexpr f32 kAimStartAhead = 1.0f / 3.0f;
// The look-at moves: heights above the point and the share of the way
// stepped back towards the player.
constexpr f32 kWideHeight = 0.8f;
constexpr f32 kNarrowHeight = 0.2f;
constexpr f32 kNarrowSide = 0.3f;
constexpr f32 kLookAtBack = 0.3f;
// Brightness option values.
constexpr u32 kBrightnessMiddle = 50;

const cProperty* Required(const cPropertyGroup& group, const char* key) {
  const cProperty* property = group.FindProperty(cString(key));
  if (property == nullptr) {
    FatalPropertyNotFound(kTag, &group, key);
  }
  return property;
}

void Optional(const cPropertyGroup& group, const char* key, f32* value) {
  if (const cProperty* property = group.FindProperty(cString(key))) {
    *value = property->GetF32Fatal();
  }
}

RwRGBAReal ToReal(const tRGBAf& colour) { return RwRGBAReal{colour.r, colour.g, colour.b, colour.a}; }

void AddLightToWorld(cLight& light, RpWorld* world) {
  if (world != nullptr) {
    RpWorldAddLight(world, light.GetLight());
  }
}

}  // namespace

cDorvaCam::cDorvaCam(RwFrame* playerFrame, cQXWorld* world, const cString& levelName, cClumpRO* sky)
    : mReseat(true),
      mPlayerFrame(playerFrame),
      mWorld(world),
      mDirectionalLight(rpLIGHTDIRECTIONAL),
      mAmbientLight(rpLIGHTAMBIENT),
      mBlendMin(kCamBlendMin),
      mBlendMax(kCamBlendMax),
      mBlendSpeed(kCamBlendSpeed),
      mBlendPlusLookAt(kCamBlendPlusLookAt),
      mBlendPosDistance(kCamBlendPosDistance),
      mDeathTimer(0.0f),
      mLightColour(1.0f, 1.0f, 1.0f, 1.0f),
      mRelativePosition{0.0f, 0.0f, 0.0f},
      mRelativeLookAt{0.0f, 0.0f, 0.0f},
      mMode(kCamFollow),
      mLookAtMovePosition{0.0f, 0.0f, 0.0f},
      mLookAtMoveTarget{0.0f, 0.0f, 0.0f},
      mConfiguredFieldOfView(0.0f),
      mNarrowestFieldOfView(0.0f),
      mWidestFieldOfView(0.0f),
      mZoomSpeed(0.0f),
      mSkyFrame(nullptr),
      mFollowState(kFollowFar),
      mGoalPosition{0.0f, 0.0f, 0.0f},
      mCurrentPosition{0.0f, 0.0f, 0.0f},
      mGoalLookAt{0.0f, 0.0f, 0.0f},
      mCurrentLookAt{0.0f, 0.0f, 0.0f} {
  RwFrameAddChild(GetFrame(), mDirectionalLight.GetFrame());
  RwFrameAddChild(GetFrame(), mAmbientLight.GetFrame());
  RpWorld* engineWorld = world != nullptr ? world->GetEngineWorld() : nullptr;
  AddLightToWorld(mDirectionalLight, engineWorld);
  AddLightToWorld(mAmbientLight, engineWorld);
  ReadSettings(levelName);
  mSkyFrame = sky != nullptr ? sky->GetFrame() : nullptr;
}

void cDorvaCam::ReadSettings(const cString& levelName) {
  cPropertyGroup group;
  // A file that cannot be read leaves the group empty: "CLIP" fails first.
  group.LoadText(cString("data/") + levelName + cString("/camera.txt"));
  RwV2d clip;
  Required(group, "CLIP")->GetV2dFatal(&clip);
  SetClipPlanes(clip.x, clip.y);
  mCurrentPosition = RwV3d{0.0f, 0.0f, 0.0f};
  mCurrentLookAt = RwV3d{0.0f, 0.0f, 0.0f};
  mConfiguredFieldOfView = Required(group, "FOV")->GetAngleFatal();
  SetFieldOfView(mConfiguredFieldOfView);
  mWidestFieldOfView = Required(group, "MINZOOMFOV")->GetAngleFatal();
  mNarrowestFieldOfView = Required(group, "MAXZOOMFOV")->GetAngleFatal();
  mZoomSpeed = Required(group, "ZOOMSPEED")->GetAngleFatal();
  Required(group, "RELATIVE_POSITION")->GetV3dFatal(&mRelativePosition);
  Required(group, "LOOK_AT_RELATIVE_POSITION")->GetV3dFatal(&mRelativeLookAt);
  f32 colour[4];
  Required(group, "LIGHTCOLOR")->GetRGBAfFatal(colour);
  mLightColour = tRGBAf(colour[0], colour[1], colour[2], colour[3]);
  tRGBAf scaled;
  mAmbientLight.SetColour(ToReal(*tRGBAf::Scale(mLightColour, &scaled, GetBrightnessFactor())));
  RestoreLightColour();
  RwV3d direction;
  Required(group, "LIGHT_DIRECTION")->GetV3dFatal(&direction);
  V3dNormalize(&direction);
  mDirectionalLight.SetDirection(direction);
  SetFrameDirection(mDirectionalLight.GetFrame(), &direction);
  Optional(group, "BLEND_MIN", &mBlendMin);
  Optional(group, "BLEND_MAX", &mBlendMax);
  Optional(group, "BLEND_SPEED", &mBlendSpeed);
  Optional(group, "BLEND_PLUSLOOKAT", &mBlendPlusLookAt);
  Optional(group, "BLEND_POSDISTANCE", &mBlendPosDistance);
  // The blend speed is read but never used.
  mBlendSpeed = kCamBlendSpeed;
}

// Each light leaves its world and takes its frame off the camera's.
cDorvaCam::~cDorvaCam() {}

bool cDorvaCam::OnEvent(const tEvent*) { return false; }

void cDorvaCam::Reset() {
  mDeathTimer = 0.0f;
  mMode = kCamFollow;
  mFollowState = kFollowFar;
  mReseat = true;
}

void cDorvaCam::SetFollowMode() {
  mMode = kCamFollow;
  mFollowState = kFollowFar;
  RwV3d position;
  RwV3d lookAt;
  ComputeShoulderPoints(&position, &lookAt);
  mCurrentPosition = mGoalPosition = position;
  mCurrentLookAt = mGoalLookAt = lookAt;
  SetFieldOfView(mConfiguredFieldOfView);
}

void cDorvaCam::SetDeathMode() {
  if (mMode == kCamAiming) {
    EndPlayerAiming();
  }
  mMode = kCamDeath;
}

void cDorvaCam::EndPlayerAiming() {
  cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  if (player != nullptr) {
    // The player's end of aiming (the dart's hand, the crosshair, the tints)
    // restores its look limit and calls SetFollowMode.
    player->EndAiming();
  } else {
    SetFollowMode();
  }
}

void cDorvaCam::StartAiming() {
  mMode = kCamAiming;
  SetPitchLimit(kCamPitchLimitAiming);
  if (mPlayerFrame == nullptr) {
    return;
  }
  const RwMatrix* player = RwFrameGetMatrix(mPlayerFrame);
  RwV3d facing;
  V3dNormalized(&player->at, &facing);
  RwMatrix* matrix = RwFrameGetMatrix(GetFrame());
  matrix->pos =
      RwV3d{player->pos.x + facing.x * kAimStartAhead, player->pos.y + kAimStartHeight + facing.y * kAimStartAhead,
            player->pos.z + facing.z * kAimStartAhead};
  const RwV3d target = {matrix->pos.x + facing.x, matrix->pos.y + facing.y, matrix->pos.z + facing.z};
  MatrixLookAt(matrix, &target);
  RwFrameMarkDirty(GetFrame());
}

void cDorvaCam::StartLookAt(bool wide, f32 x, f32 y, f32 z) {
  mMode = kCamLookAt;
  const RwV3d p = PlayerPosition();
  const RwV3d q = {x, y, z};
  const RwV3d c = {p.x, q.y, p.z};
  const RwV3d v = {q.x - c.x, 0.0f, q.z - c.z};
  RwV3d n;
  V3dNormalized(&v, &n);
  const RwV3d s = {-v.z, 0.0f, v.x};
  if (wide) {
    mLookAtMoveTarget = RwV3d{(c.x + q.x) * 0.5f, (c.y + q.y) * 0.5f, (c.z + q.z) * 0.5f};
    mLookAtMovePosition = RwV3d{c.x + s.x + kLookAtBack * n.x, c.y + kWideHeight, c.z + s.z + kLookAtBack * n.z};
  } else {
    mLookAtMoveTarget = q;
    mLookAtMovePosition = RwV3d{c.x + kNarrowSide * s.x + kLookAtBack * n.x, c.y + kNarrowHeight,
                                c.z + kNarrowSide * s.z + kLookAtBack * n.z};
  }
}

f32 cDorvaCam::GetBrightnessFactor() {
  const u32 value = gGameOptions != nullptr ? gGameOptions->GetBrightness() : kBrightnessMiddle;
  if (value > kBrightnessMiddle) {
    return static_cast<f32>(value) / 50.0f;
  }
  return static_cast<f32>(value + 50) / 100.0f;
}

void cDorvaCam::ApplyBrightness() {
  tRGBAf scaled;
  tRGBAf::Scale(mLightColour, &scaled, GetBrightnessFactor());
  mAmbientLight.SetColour(ToReal(scaled));
  cClumpRO::RestoreAllGeometries();
}

void cDorvaCam::RestoreLightColour() { mDirectionalLight.SetColour(ToReal(mLightColour)); }

RwV3d cDorvaCam::FromPlayer(const RwV3d& point) const {
  RwV3d out = point;
  if (mPlayerFrame != nullptr) {
    RwV3dTransformPoints(&out, &point, 1, RwFrameGetLTM(mPlayerFrame));
  }
  return out;
}

RwV3d cDorvaCam::PlayerPosition() const {
  return mPlayerFrame != nullptr ? RwFrameGetLTM(mPlayerFrame)->pos : RwV3d{0.0f, 0.0f, 0.0f};
}

f32 cDorvaCam::ViewPitch() const {
  const cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr;
  return player != nullptr ? player->GetLookAngle() * kDegreesToRadians : 0.0f;
}

void cDorvaCam::SetPitchLimit(f32 degrees) const {
  if (cDorvaMan* player = mWorld != nullptr ? mWorld->GetPlayer() : nullptr) {
    player->SetLookLimit(degrees);
  }
}

void cDorvaCam::ComputeShoulderPoints(RwV3d* position, RwV3d* lookAt) const {
  const f32 t = 0.35f - ViewPitch();
  const f32 d = mBlendPosDistance;
  const f32 l = mBlendPlusLookAt;
  *position = FromPlayer(RwV3d{0.0f, d * std::sin(t), -d * std::cos(t)});
  position->y += 1.6f;
  *lookAt = FromPlayer(RwV3d{0.0f, l * std::cos(t), l * std::sin(t)});
  lookAt->y += 1.6f;
}
