// The level's game camera: follows the player from behind and above, keeps
// the line from the player's head to itself free of walls (pulling in over
// the shoulder where the space behind is tight), looks through the player's
// eyes with zoom while aiming, blends over to look at a point on request and
// circles the body once the player is dead. It carries the level's two
// camera lights, keeps the sky model around itself and places the sound
// listener. Its settings come from the level's "camera.txt".
#pragma once

#include "engine/engine.h"
#include "game/app/input/input_listener.h"
#include "game/foundation/string.h"
#include "game/foundation/types.h"
#include "game/foundation/updatable.h"
#include "game/render/colour.h"
#include "game/render/scene/camera.h"
#include "game/render/scene/light.h"

class cClumpRO;
class cQXWorld;

enum eDorvaCamMode : s32 {
  kCamFollow = 1,
  kCamLookAt = 2,
  kCamAiming = 3,
  kCamDeath = 4,
};

// The follow mode's states: they step through 1 to 5 while the line from
// the head to the far follow position is blocked.
enum eCamFollowState : s32 {
  kFollowFar = 0,           // towards the obstacle point or the far position
  kFollowPullIn = 1,        // pulling in to the shoulder points
  kFollowStartPullIn = 2,   // one tick, then 1
  kFollowMoveOut = 3,       // from the shoulder towards the obstacle point
  kFollowStartMoveOut = 4,  // one tick, then 3
  kFollowShoulder = 5,      // settled at the shoulder points
};

// The blend values of "camera.txt" when they are absent.
constexpr f32 kCamBlendMin = 1.5f;
constexpr f32 kCamBlendMax = 2.0f;
constexpr f32 kCamBlendSpeed = 2.0f;  // whatever the file says
constexpr f32 kCamBlendPlusLookAt = 0.25f;
constexpr f32 kCamBlendPosDistance = 1.5f;
// The head point stands this high above the player's feet.
constexpr f32 kCamHeadHeight = 1.8f;
// A blend step longer than this is taken as this long (seconds).
constexpr f32 kCamLongestStep = 0.2f;
// The approach has converged once both steps are shorter than this.
constexpr f32 kCamConverged = 0.001f;
// The orbit of the dead: radius, height, speed (radians a second) and the
// height of the point looked at.
constexpr f32 kCamDeathRadius = 2.0f;
constexpr f32 kCamDeathHeight = 2.3f;
constexpr f32 kCamDeathSpeed = 1.2f;
constexpr f32 kCamDeathLookHeight = 1.2f;
// The player's pitch limits in degrees: far, at the shoulder, aiming.
constexpr f32 kCamPitchLimitFar = 60.0f;
constexpr f32 kCamPitchLimitShoulder = 20.0f;
constexpr f32 kCamPitchLimitAiming = 50.0f;
// The follow camera keeps at least this far from the player's head: an
// obstacle nearer than kCamRiseBelow to the head, which would hold the camera
// closer, makes it rise over the obstacle (see FindRaisedPosition).
constexpr f32 kCamOffHead = 0.8f;
constexpr f32 kCamRiseBelow = 1.0f;

class cDorvaCam : public cCamera, public cUpdatable, public cInputListener {
 public:
  // Reads "data/" + levelName + "/camera.txt"; fatal for a missing required
  // key (a missing file fails on "CLIP"). playerFrame may be null: the
  // camera then keeps its place. The lights join the world's engine world.
  cDorvaCam(RwFrame* playerFrame, cQXWorld* world, const cString& levelName, cClumpRO* sky);
  // The lights leave the engine world and go.
  ~cDorvaCam() override;

  bool Update(f32 dt) override;
  // The camera takes no events.
  bool OnEvent(const tEvent* event) override;

  // For a level start, restart or restored checkpoint: follow mode from
  // the far position, the orbit's clock at 0.
  void Reset();
  // Follow mode settled at the shoulder points, the configured field of
  // view back.
  void SetFollowMode();
  // Ends the player's aiming first when aiming; then the orbit of the dead.
  void SetDeathMode();
  // Looking through the player's eyes, zooming with the player's zoom keys.
  void StartAiming();
  // A blended move to look at the point: wide from aside and above (the
  // beam implants), else from close beside the player.
  void StartLookAt(bool wide, f32 x, f32 y, f32 z);

  // The brightness option (0..100) as a light factor: 0.5 at 0, 1.0 at 50,
  // 2.0 at 100.
  static f32 GetBrightnessFactor();
  // The ambient light takes the light colour times the brightness factor;
  // the individually lit models take it up.
  void ApplyBrightness();
  // The directional light back to the light colour (after a tint).
  void RestoreLightColour();

  // The shoulder position and look-at for the player's view pitch.
  void ComputeShoulderPoints(RwV3d* position, RwV3d* lookAt) const;
  // One blend step of the current points toward the goals; true once both
  // steps are shorter than kCamConverged.
  bool ApproachGoal(f32 dt);
  // The camera frame from the current points, kept out of the player and
  // on his side of whatever the line from his head to it meets.
  void PlaceCamera();

  s32 GetMode() const { return mMode; }
  s32 GetFollowState() const { return mFollowState; }
  f32 GetConfiguredFieldOfView() const { return mConfiguredFieldOfView; }
  // The aiming zoom's range: the narrowest and the widest field of view.
  f32 GetNarrowestFieldOfView() const { return mNarrowestFieldOfView; }
  f32 GetWidestFieldOfView() const { return mWidestFieldOfView; }
  f32 GetZoomSpeed() const { return mZoomSpeed; }
  f32 GetDeathTimer() const { return mDeathTimer; }
  f32 GetBlendSpeed() const { return mBlendSpeed; }
  f32 GetBlendMin() const { return mBlendMin; }
  f32 GetBlendMax() const { return mBlendMax; }
  const tRGBAf& GetLightColour() const { return mLightColour; }
  // The directional light (tinted by the shield) and the ambient light (the
  // men's extra light).
  cLight& GetDirectionalLight() { return mDirectionalLight; }
  cLight& GetAmbientLight() { return mAmbientLight; }
  const RwV3d& GetRelativePosition() const { return mRelativePosition; }
  const RwV3d& GetRelativeLookAt() const { return mRelativeLookAt; }
  const RwV3d& GetCurrentPosition() const { return mCurrentPosition; }
  const RwV3d& GetCurrentLookAt() const { return mCurrentLookAt; }
  const RwV3d& GetGoalPosition() const { return mGoalPosition; }
  const RwV3d& GetGoalLookAt() const { return mGoalLookAt; }
  void SetGoals(const RwV3d& position, const RwV3d& lookAt) {
    mGoalPosition = position;
    mGoalLookAt = lookAt;
  }
  void SetCurrentPoints(const RwV3d& position, const RwV3d& lookAt) {
    mCurrentPosition = position;
    mCurrentLookAt = lookAt;
  }
  const RwV3d& GetLookAtMovePosition() const { return mLookAtMovePosition; }
  const RwV3d& GetLookAtMoveTarget() const { return mLookAtMoveTarget; }
  RwFrame* GetPlayerFrame() const { return mPlayerFrame; }

 private:
  void ReadSettings(const cString& levelName);
  void UpdateFollow(f32 dt);
  void UpdateAiming(f32 dt);
  void UpdateDeath(f32 dt);
  // Where the segment from the head first meets the level; false for none.
  bool FindObstacle(const RwV3d& from, const RwV3d& to, RwV3d* hit) const;
  // A position over whatever the line from the head to the far position
  // meets near the head: the line from the head rises in steps, shortened
  // as needed, until it passes clear and stands well off the head and
  // beside the player's axis; false when none does.
  bool FindRaisedPosition(const RwV3d& head, const RwV3d& far, RwV3d* raised) const;
  // A camera position that the line from the head reaches only through the
  // level comes back a step short of where that line meets it.
  void HoldOnHeadSide(RwV3d* position) const;
  // A point of the player's frame in the world.
  RwV3d FromPlayer(const RwV3d& point) const;
  RwV3d PlayerPosition() const;
  // The player's view pitch in radians; 0 without a player.
  f32 ViewPitch() const;
  void SetPitchLimit(f32 degrees) const;
  void EndPlayerAiming();

  bool mReseat;
  RwFrame* mPlayerFrame;  // not owned
  cQXWorld* mWorld;       // not owned
  cLight mDirectionalLight;
  cLight mAmbientLight;
  f32 mBlendMin;
  f32 mBlendMax;
  f32 mBlendSpeed;
  f32 mBlendPlusLookAt;
  f32 mBlendPosDistance;
  f32 mDeathTimer;  // seconds
  tRGBAf mLightColour;
  RwV3d mRelativePosition;
  RwV3d mRelativeLookAt;
  s32 mMode;
  RwV3d mLookAtMovePosition;
  RwV3d mLookAtMoveTarget;
  f32 mConfiguredFieldOfView;  // radians
  f32 mNarrowestFieldOfView;
  f32 mWidestFieldOfView;
  f32 mZoomSpeed;      // radians a second
  RwFrame* mSkyFrame;  // not owned; null without a sky
  s32 mFollowState;
  RwV3d mGoalPosition;
  RwV3d mCurrentPosition;
  RwV3d mGoalLookAt;
  RwV3d mCurrentLookAt;
};
