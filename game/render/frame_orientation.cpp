// Frame orientation towards a direction or a point.
#include "game/render/frame_orientation.h"

#include "game/foundation/vector_helpers.h"

void SetFrameDirection(RwFrame* frame, const RwV3d* direction) {
  MatrixSetDirection(RwFrameGetMatrix(frame), direction);
  RwFrameMarkDirty(frame);
}

void SetFrameLookAt(RwFrame* frame, const RwV3d* target) {
  const RwV3d position = RwFrameGetLTM(frame)->pos;
  RwV3d at;
  V3dSub(target, &at, &position);
  if (at.x == 0.0f && at.y == 0.0f && at.z == 0.0f) {
    return;
  }
  V3dNormalize(&at);
  SetFrameDirection(frame, &at);
}
