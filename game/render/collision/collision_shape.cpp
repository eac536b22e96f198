// Collision shape base: boxes, relative matrices and the contact array.
#include "game/render/collision/collision_shape.h"

#include <cstring>

namespace {

// a x inverse(b).
void RelativeMatrix(RwMatrix* out, RwFrame* a, RwFrame* b) {
  RwMatrix inverse;
  RwMatrixInvert(&inverse, RwFrameGetLTM(b));
  RwMatrixMultiply(out, RwFrameGetLTM(a), &inverse);
}

}  // namespace

cCollisionShape::cCollisionShape(u32 kind, RwFrame* frame, u32 contactLimit)
    : mKind(kind), mFrame(frame), mOtherToOwn(), mOwnToOther(), mContactLimit(contactLimit > 0 ? contactLimit : 1) {
  const RwV3d origin{0.0f, 0.0f, 0.0f};
  mLocalBox.inf = origin;
  mLocalBox.sup = origin;
  mContacts = new tCollisionContact[mContactLimit]();
}

cCollisionShape::~cCollisionShape() { delete[] mContacts; }

void cCollisionShape::GetWorldBox(RwBBox* out) const {
  const RwBBox& box = mLocalBox;
  RwV3d corners[8];
  for (u32 i = 0; i < 8; ++i) {
    corners[i].x = (i & 1) != 0 ? box.sup.x : box.inf.x;
    corners[i].y = (i & 2) != 0 ? box.sup.y : box.inf.y;
    corners[i].z = (i & 4) != 0 ? box.sup.z : box.inf.z;
  }
  RwV3dTransformPoints(corners, corners, 8, RwFrameGetLTM(mFrame));
  RwBBoxCalculate(out, corners, 8);
}

bool cCollisionShape::WorldBoxesOverlap(const cCollisionShape& other) const {
  RwBBox a, b;
  GetWorldBox(&a);
  other.GetWorldBox(&b);
  return a.inf.x <= b.sup.x && b.inf.x <= a.sup.x && a.inf.y <= b.sup.y && b.inf.y <= a.sup.y && a.inf.z <= b.sup.z &&
         b.inf.z <= a.sup.z;
}

const RwMatrix& cCollisionShape::UpdateOtherToOwn(const cCollisionShape& other) {
  RelativeMatrix(&mOtherToOwn, other.mFrame, mFrame);
  return mOtherToOwn;
}

const RwMatrix& cCollisionShape::UpdateOwnToOther(const cCollisionShape& other) {
  RelativeMatrix(&mOwnToOther, mFrame, other.mFrame);
  return mOwnToOther;
}

void cCollisionShape::CountContact(u32* count) {
  ++*count;
  if (*count < mContactLimit) {
    return;
  }
  u32 limit = mContactLimit * 2;
  tCollisionContact* grown = new tCollisionContact[limit]();
  memcpy(grown, mContacts, sizeof(tCollisionContact) * mContactLimit);
  delete[] mContacts;
  mContacts = grown;
  mContactLimit = limit;
}

void cCollisionShape::GrowLocalBox(const RwBBox& box) {
  RwBBoxAddPoint(&mLocalBox, &box.inf);
  RwBBoxAddPoint(&mLocalBox, &box.sup);
}
