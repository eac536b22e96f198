// Seeing and hearing, shared by men and sensor devices: which body of the
// level's list of bodies lies within sight (range and view cone), hearing or
// plain range of an eye point in the owner's frame, with nothing of the
// level's collision between the eye and the body.
#pragma once

#include "engine/engine.h"
#include "game/foundation/list.h"
#include "game/foundation/types.h"

class cManBody;
class cWorldCollision;

// Atomics flagged with this bit do not block hearing.
constexpr u32 kNoHearAtomicMask = 16;

class cPerceptor {
 public:
  cPerceptor();
  virtual ~cPerceptor() = default;

  // The frame the eye offset and the view direction (its 'at') belong to.
  virtual RwFrame* GetPerceptorFrame() const = 0;

  // The body is in the list, within sight range plus its margin, strictly
  // inside the view cone, and in the line of sight.
  bool CanSee(const cManBody* body) const;
  // The first body of the kind, in list order, that passes the tests.
  cManBody* FindVisible(u32 kind) const;
  // Noise 0 is never heard; no cone, and no-hear atomics pass the sound.
  cManBody* FindAudible(u32 kind) const;
  // Within the area range alone (no margin, no cone) and in line of sight.
  cManBody* FindInRange(u32 kind) const;

  // The view cone's full angle in degrees; sets the cosine limit too.
  void SetViewAngle(f32 degrees);
  // The player's eye: no hearing, sight to 200, a cone of 60 degrees.
  void SetDefaults();

  RwV3d mEyeOffset;
  f32 mHearingRange;
  f32 mSightRange;
  f32 mViewAngle;
  f32 mCosineLimit;  // 1.0 sees nothing
  f32 mAreaRange;
  cWorldCollision* mCollision;
  cList* mBodies;  // links whose objects are cManBody

 private:
  enum eTest { kTestSight, kTestHearing, kTestRange };
  // The first body passing the test, or with only set that body alone.
  cManBody* Find(eTest test, u32 kind, const cManBody* only) const;
};
