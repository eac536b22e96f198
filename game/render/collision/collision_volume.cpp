// Compound collision volumes: building, volume against volume, segments and
// points.
#include "game/render/collision/collision_volume.h"

#include <new>

#include "game/foundation/vector_helpers.h"
#include "game/render/collision/intersection.h"

namespace {

const cCollisionPrimitive* FirstPrimitive(const cList& list) {
  return static_cast<const cCollisionPrimitive*>(list.First());
}

const cCollisionPrimitive* NextPrimitive(const cCollisionPrimitive* primitive) {
  return static_cast<const cCollisionPrimitive*>(cList::Next(primitive));
}

// The capsule between tips a and b: its axis runs from a + r u to b - r u (u
// the unit direction from a to b), reversed when the tips lie closer than 2r.
cCollisionCapsule* NewCapsule(const RwV3d& a, const RwV3d& b, f32 radius) {
  tSegment3d tips(a, b);
  return new (std::nothrow)
      cCollisionCapsule(tSegment3d(tips.PointAt(radius), tips.PointAt(tips.length - radius)), radius);
}

}  // namespace

cCollisionVolume::cCollisionVolume(RwFrame* frame, u32 recordCount)
    : cCollisionShape(kCollisionKindVolume, frame, kContactsPerRecord * recordCount) {}

cCollisionVolume::~cCollisionVolume() {
  while (!mPrimitives.IsEmpty()) {
    delete mPrimitives.First();  // unlinks itself
  }
}

void cCollisionVolume::AddPrimitive(cCollisionPrimitive* primitive) {
  mPrimitives.Append(primitive);
  RwBBox box;
  primitive->GetBox(&box);
  GrowLocalBox(box);
}

u32 cCollisionVolume::Collide(cCollisionShape* other, bool firstOnly) {
  if (!WorldBoxesOverlap(*other) || other->GetKind() != kCollisionKindVolume) {
    return 0;
  }
  const cCollisionVolume* volume = static_cast<const cCollisionVolume*>(other);
  const RwMatrix* otherToOwn = nullptr;
  const RwMatrix* ownToOther = nullptr;
  u32 count = 0;
  for (const cCollisionPrimitive* a = FirstPrimitive(mPrimitives); a != nullptr; a = NextPrimitive(a)) {
    for (const cCollisionPrimitive* b = FirstPrimitive(volume->mPrimitives); b != nullptr; b = NextPrimitive(b)) {
      tCollisionContact& contact = GetContact(count);
      contact.depth = 0.0f;
      // A handed-over test runs in the other primitive's space, so its
      // result goes to world space through the other frame.
      const RwMatrix* matrix;
      RwFrame* resultFrame;
      if (CollisionPairHandsOver(a->GetType(), b->GetType())) {
        if (ownToOther == nullptr) {
          ownToOther = &UpdateOwnToOther(*other);
        }
        matrix = ownToOther;
        resultFrame = other->GetFrame();
      } else {
        if (otherToOwn == nullptr) {
          otherToOwn = &UpdateOtherToOwn(*other);
        }
        matrix = otherToOwn;
        resultFrame = GetFrame();
      }
      if (!a->Collide(*b, *matrix, &contact.point, &contact.normal, &contact.depth)) {
        continue;
      }
      const RwMatrix* toWorld = RwFrameGetLTM(resultFrame);
      RwV3dTransformPoints(&contact.point, &contact.point, 1, toWorld);
      RwV3dTransformVectors(&contact.normal, &contact.normal, 1, toWorld);
      V3dNormalize(&contact.normal);
      CountContact(&count);
      if (firstOnly) {
        return count;
      }
    }
  }
  return count;
}

bool cCollisionVolume::IntersectSegment(const RwV3d& p0, const RwV3d& p1, RwV3d* point, RwV3d* normal, bool first) {
  RwBBox box;
  GetWorldBox(&box);
  if (!SegmentHitsBox(box, p0, p1)) {
    return false;
  }
  const RwV3d zero{0.0f, 0.0f, 0.0f};
  if (!first) {
    *point = zero;
    *normal = zero;
  }
  const RwMatrix* ltm = RwFrameGetLTM(GetFrame());
  RwMatrix toLocal;
  RwMatrixInvert(&toLocal, ltm);
  RwV3d local[2] = {p0, p1};
  RwV3dTransformPoints(local, local, 2, &toLocal);
  RwV3d pointSum = zero;
  RwV3d normalSum = zero;
  u32 hits = 0;
  for (const cCollisionPrimitive* p = FirstPrimitive(mPrimitives); p != nullptr; p = NextPrimitive(p)) {
    RwV3d hitPoint, hitNormal;
    if (!p->IntersectSegment(local[0], local[1], &hitPoint, &hitNormal, first)) {
      continue;
    }
    RwV3dTransformPoints(&hitPoint, &hitPoint, 1, ltm);
    RwV3dTransformVectors(&hitNormal, &hitNormal, 1, ltm);
    if (first) {
      *point = hitPoint;
      V3dNormalized(&hitNormal, normal);
      return true;
    }
    V3dAdd(&pointSum, &pointSum, &hitPoint);
    V3dAdd(&normalSum, &normalSum, &hitNormal);
    ++hits;
  }
  if (hits == 0) {
    return false;
  }
  V3dTimesScalar(&pointSum, point, 1.0f / static_cast<f32>(hits));
  V3dNormalized(&normalSum, normal);
  return true;
}

bool cCollisionVolume::ContainsPoint(const RwV3d& p) const {
  for (const cCollisionPrimitive* primitive = FirstPrimitive(mPrimitives); primitive != nullptr;
       primitive = NextPrimitive(primitive)) {
    if (primitive->ContainsPoint(p)) {
      return true;
    }
  }
  return false;
}

cCollisionVolume* BuildCollisionShapes(const tCollisionShapeRecord* records, RwFrame* frame) {
  u32 count = 0;
  while (records[count].type >= 0) {
    ++count;
  }
  if (count == 0) {
    return nullptr;
  }
  cCollisionVolume* volume = new cCollisionVolume(frame, count);
  for (u32 i = 0; i < count; ++i) {
    const tCollisionShapeRecord& record = records[i];
    RwV3d a, b;
    V3dSub(&record.pointA, &a, &record.origin);
    V3dSub(&record.pointB, &b, &record.origin);
    cCollisionPrimitive* primitive;
    if (record.type == static_cast<s32>(kCollisionSphere)) {
      primitive = new (std::nothrow) cCollisionSphere(a, record.radius);
    } else if (record.type == static_cast<s32>(kCollisionCapsule)) {
      primitive = NewCapsule(a, b, record.radius);
    } else {
      break;
    }
    if (primitive != nullptr) {
      volume->AddPrimitive(primitive);
    }
  }
  return volume;
}
