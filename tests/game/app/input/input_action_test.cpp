// Input actions sort events into their slots by type.
#include "game/app/input/input_action.h"

#include <gtest/gtest.h>

#include <string>

#include "game/app/event.h"

namespace {

class cLoggingAction : public cInputAction {
 public:
  cLoggingAction() : cInputAction("LOG") {}
  void OnKey(const tEvent*) override { mLog += "key "; }
  void OnMouseButton(const tEvent*) override { mLog += "button "; }
  void OnMouseMove(const tEvent*) override { mLog += "move "; }
  void OnPadButton(const tEvent*) override { mLog += "pad "; }
  void OnPadStick(const tEvent*) override { mLog += "stick "; }

  std::string mLog;
};

TEST(InputActionTest, EachInputTypeReachesItsSlotAndOthersNone) {
  cLoggingAction action;
  EXPECT_STREQ("LOG", action.GetName().CStr());
  tEvent event;
  for (u32 type : {+kEventScreenSize, +kEventTick, +kEventKey, +kEventMouseButton, +kEventMouseMove, +kEventPadButton,
                   +kEventPadStick, 9u}) {
    event.type = type;
    action.OnEvent(&event);
  }
  EXPECT_EQ("key button move pad stick ", action.mLog);
}

}  // namespace
