// The device handlers called directly: the pad's buttons and sticks (no
// device of the system raises them), the codes that queue nothing, and what a
// playing movie lets through.
#include "game/app/input/input_handlers.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/app/startup/app_config.h"
#include "game/app/event.h"
#include "game/app/input/event_device.h"

namespace {

class InputHandlerTest : public testing::Test {
 protected:
  void SetUp() override { CreateEventDevice(); }
  void TearDown() override {
    gEventDevice->Dispatch();
    DestroyEventDevice();
    gMoviePlaying = 0;
    gMovieSkip = 0;
  }

  struct tQueued {
    u32 type;
    tPadButtonEvent padButton;
    tPadStickEvent padStick;
  };

  // What the queued events carried; the events are taken off the queue.
  static std::vector<tQueued> Take() {
    std::vector<tQueued> events;
    for (cListNode* node = gEventDevice->GetQueue().First(); node != nullptr; node = cList::Next(node)) {
      const tEvent* event = static_cast<const tEvent*>(node);
      events.push_back({event->type, event->padButton, event->padStick});
    }
    gEventDevice->Dispatch();
    return events;
  }
};

TEST_F(InputHandlerTest, PadButtonsGiveOneEventABitAndSticksTheirNumber) {
  tPadButtonData buttons = {3, 0x80000021u};
  EXPECT_EQ(1u, PadHandler(kPadButtonsDown, &buttons));
  EXPECT_EQ(1u, PadHandler(kPadButtonsUp, &buttons));
  std::vector<tQueued> events = Take();
  const u32 masks[] = {0x1, 0x20, 0x80000000u};
  ASSERT_EQ(6u, events.size());
  for (u32 i = 0; i < 6; i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(static_cast<u32>(kEventPadButton), events[i].type);
    EXPECT_EQ(3, events[i].padButton.pad);
    EXPECT_EQ(masks[i % 3], events[i].padButton.buttonMask);
    EXPECT_EQ(i < 3 ? 1 : 0, events[i].padButton.pressed);
  }

  tPadStickData stick = {0.5f, -1.0f};
  EXPECT_EQ(1u, PadHandler(kPadLeftStick, &stick));
  EXPECT_EQ(1u, PadHandler(kPadRightStick, &stick));
  EXPECT_EQ(2u, PadHandler(27, &stick));
  EXPECT_EQ(2u, PadHandler(23, &stick));
  events = Take();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(static_cast<u32>(kEventPadStick), events[0].type);
  EXPECT_EQ(0, events[0].padStick.stick);
  EXPECT_EQ(1, events[1].padStick.stick);
  EXPECT_EQ(0.5f, events[1].padStick.x);
  EXPECT_EQ(-1.0f, events[1].padStick.y);

  // A movie takes no pad input at all.
  gMoviePlaying = 1;
  EXPECT_EQ(2u, PadHandler(kPadButtonsDown, &buttons));
  EXPECT_TRUE(Take().empty());
}

TEST_F(InputHandlerTest, CodesWithoutAnEventAreAnsweredAsTheDevicesExpect) {
  tKeyboardEventData key = {0x1E, 'a'};
  EXPECT_EQ(2u, KeyboardHandler(23, &key));
  EXPECT_EQ(2u, KeyboardHandler(kKeyboardKeyDown, nullptr));
  for (u32 code : {4u, 11u, 12u, 15u}) {
    EXPECT_EQ(1u, MouseHandler(code, nullptr));
  }
  // Wheel and movement without data queue nothing rather than read nothing.
  EXPECT_EQ(1u, MouseHandler(kMouseWheelTurn, nullptr));
  EXPECT_EQ(1u, MouseHandler(kMouseMovement, nullptr));
  EXPECT_TRUE(Take().empty());

  // The start-up error's all-keys-up reaches the queue as an unknown key.
  u32 allUp[2] = {255, 255};
  EXPECT_EQ(1u, KeyboardHandler(kKeyboardKeyUp, allUp));
  const std::vector<tQueued> events = Take();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>(kEventKey), events[0].type);
}

}  // namespace
