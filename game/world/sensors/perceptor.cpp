#include "game/world/sensors/perceptor.h"

#include <cmath>

#include "game/characters/man_body.h"
#include "game/foundation/vector_helpers.h"
#include "game/render/collision/world_collision.h"

namespace {

constexpr f32 kDegreesToRadians = 3.14159265358979f / 180.0f;

RwV3d TransformedPoint(const RwV3d& point, RwFrame* frame) {
  RwV3d out = point;
  if (frame != nullptr) {
    RwV3dTransformPoints(&out, &point, 1, RwFrameGetLTM(frame));
  }
  return out;
}

}  // namespace

cPerceptor::cPerceptor()
    : mEyeOffset{0.0f, 0.0f, 0.0f},
      mHearingRange(0.0f),
      mSightRange(0.0f),
      mViewAngle(0.0f),
      mCosineLimit(1.0f),
      mAreaRange(0.0f),
      mCollision(nullptr),
      mBodies(nullptr) {}

void cPerceptor::SetViewAngle(f32 degrees) {
  mViewAngle = degrees;
  mCosineLimit = cosf(degrees * 0.5f * kDegreesToRadians);
}

void cPerceptor::SetDefaults() {
  mHearingRange = 0.0f;
  mSightRange = 200.0f;
  SetViewAngle(60.0f);
}

bool cPerceptor::CanSee(const cManBody* body) const { return Find(kTestSight, 0, body) != nullptr; }
cManBody* cPerceptor::FindVisible(u32 kind) const { return Find(kTestSight, kind, nullptr); }
cManBody* cPerceptor::FindAudible(u32 kind) const { return Find(kTestHearing, kind, nullptr); }
cManBody* cPerceptor::FindInRange(u32 kind) const { return Find(kTestRange, kind, nullptr); }

cManBody* cPerceptor::Find(eTest test, u32 kind, const cManBody* only) const {
  if (mBodies == nullptr) {
    return nullptr;
  }
  RwFrame* frame = GetPerceptorFrame();
  const RwV3d eye = TransformedPoint(mEyeOffset, frame);
  RwV3d forward{0.0f, 0.0f, 0.0f};
  if (frame != nullptr && test == kTestSight) {
    V3dNormalized(&RwFrameGetLTM(frame)->at, &forward);
  }
  for (cListNode* node = mBodies->First(); node != nullptr; node = cList::Next(node)) {
    cManBody* body = static_cast<cManBody*>(static_cast<cListLink*>(node)->GetObject());
    if (body == nullptr || (only != nullptr ? body != only : body->GetKind() != kind)) {
      continue;
    }
    const RwV3d target = TransformedPoint(body->GetPerceivableOffset(), body->GetFrame());
    RwV3d delta;
    V3dSub(&target, &delta, &eye);
    const f32 distance = sqrtf(V3dLengthSquared(&delta));
    if (test == kTestSight) {
      if (!(distance < body->GetVisibilityMargin() + mSightRange)) {
        continue;
      }
      RwV3d direction;
      V3dNormalized(&delta, &direction);
      const f32 dot = direction.x * forward.x + direction.y * forward.y + direction.z * forward.z;
      if (!(dot > mCosineLimit)) {
        continue;
      }
    } else if (test == kTestHearing) {
      if (body->GetNoise() == 0.0f || !(distance < body->GetNoise() + mHearingRange)) {
        continue;
      }
    } else if (!(distance < mAreaRange)) {
      continue;
    }
    if (mCollision != nullptr) {
      RwV3d point;
      RwV3d normal;
      const tSegment3d segment(eye, target);
      if (mCollision->IntersectSegment(segment, &point, &normal, nullptr, true, false,
                                       test == kTestHearing ? kNoHearAtomicMask : 0, false)) {
        continue;
      }
    }
    return body;
  }
  return nullptr;
}
