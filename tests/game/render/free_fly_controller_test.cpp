// Free flight of a frame: keys move it in its own axes, faster with shift,
// until released; the mouse turns it about world down around its position.
#include "game/render/free_fly_controller.h"

#include "game/app/event.h"
#include "game/app/input/key_codes.h"
#include "tests/game/render/expect_v3d.h"
#include "tests/support/started_engine.h"

namespace {

class FreeFlyControllerTest : public StartedEngineTest {
 protected:
  bool Send(const tEvent& event) { return controller_.OnEvent(&event); }
  void Key(u32 code, u8 pressed) {
    tEvent event;
    event.type = kEventKey;
    event.key = tKeyEvent{0, code, pressed};
    Send(event);
  }
  void Tick() {
    tEvent event;
    event.type = kEventTick;
    event.tick.frameTime = 0.04f;
    Send(event);
  }

  cFreeFlyController controller_;
};

TEST_F(FreeFlyControllerTest, KeysMoveTheFrameUntilReleasedAndTheMouseTurnsIt) {
  RwFrame* frame = RwFrameCreate();
  // Without a frame nothing is collected.
  Key('t', 1);
  controller_.SetFrame(frame);
  Tick();
  ExpectV3d(RwV3d{0.0f, 0.0f, 0.0f}, RwFrameGetMatrix(frame)->pos);

  Key('t', 1);
  Tick();
  ExpectV3d(RwV3d{0.0f, 0.0f, 1.0f / 30.0f}, RwFrameGetMatrix(frame)->pos);
  Key(kKeyLShift, 1);
  Tick();
  ExpectV3d(RwV3d{0.0f, 0.0f, 11.0f / 30.0f}, RwFrameGetMatrix(frame)->pos);
  Key(kKeyLShift, 0);
  Key('t', 0);
  Key('f', 1);
  Tick();
  ExpectV3d(RwV3d{1.0f / 30.0f, 0.0f, 11.0f / 30.0f}, RwFrameGetMatrix(frame)->pos);
  Key('f', 0);

  // A quarter turn about world down keeps the position; at turns from +z
  // to -x.
  tEvent move;
  move.type = kEventMouseMove;
  move.mouseMove = tMouseMoveEvent{0.0f, 0.0f, 90.0f, 0.0f};
  Send(move);
  Tick();
  ExpectV3d(RwV3d{1.0f / 30.0f, 0.0f, 11.0f / 30.0f}, RwFrameGetMatrix(frame)->pos);
  ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, RwFrameGetMatrix(frame)->at);
  // The turn is used up by the tick.
  Tick();
  ExpectV3d(RwV3d{-1.0f, 0.0f, 0.0f}, RwFrameGetMatrix(frame)->at);
  RwFrameDestroy(frame);
}

}  // namespace
