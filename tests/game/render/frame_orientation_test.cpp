// Frames turned towards a direction or a point, on the fake driver.
#include "game/render/frame_orientation.h"

#include "tests/game/render/expect_v3d.h"
#include "tests/support/started_engine.h"

namespace {

class FrameOrientationTest : public StartedEngineTest {};

TEST_F(FrameOrientationTest, DirectionSetsRightUpAndAtKeepingThePosition) {
  RwFrame* frame = RwFrameCreate();
  const RwV3d position = {1.0f, 2.0f, 3.0f};
  RwFrameTranslate(frame, &position, kRwCombineReplace);
  const RwV3d up = {0.0f, 1.0f, 0.0f};
  SetFrameDirection(frame, &up);
  const RwMatrix* matrix = RwFrameGetMatrix(frame);
  ExpectV3d(RwV3d{1.0f, 0.0f, 0.0f}, matrix->right);
  ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, matrix->up);
  ExpectV3d(position, matrix->pos);

  // Not normalised: at keeps the length given.
  const RwV3d east = {2.0f, 0.0f, 0.0f};
  SetFrameDirection(frame, &east);
  ExpectV3d(east, matrix->at);
  ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, matrix->right);
  ExpectV3d(RwV3d{0.0f, 2.0f, 0.0f}, matrix->up);
  RwFrameDestroy(frame);
}

TEST_F(FrameOrientationTest, LookAtTurnsFromTheWorldPositionAndIgnoresItsOwnPoint) {
  RwFrame* parent = RwFrameCreate();
  RwFrame* frame = RwFrameCreate();
  RwFrameAddChild(parent, frame);
  const RwV3d offset = {0.0f, 0.0f, 10.0f};
  RwFrameTranslate(parent, &offset, kRwCombineReplace);
  const RwV3d own = {0.0f, 0.0f, 10.0f};
  SetFrameLookAt(frame, &own);
  EXPECT_TRUE(RwMatrixIsIdentity(RwFrameGetMatrix(frame)));

  const RwV3d target = {0.0f, 0.0f, 5.0f};
  SetFrameLookAt(frame, &target);
  ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, RwFrameGetMatrix(frame)->at);
  ExpectV3d(RwV3d{0.0f, 0.0f, -1.0f}, RwFrameGetLTM(frame)->at);
  RwFrameDestroy(frame);
  RwFrameDestroy(parent);
}

}  // namespace
