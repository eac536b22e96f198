// The input map read from files the tests write: every binding form, the
// fatal misspellings, binding order, device enables with the last pressed
// state, the input latch, and a bound quit key ending the running main loop.
#include "game/app/input/input_map.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "game/app/input/event_device.h"
#include "game/app/input/input_action.h"
#include "game/app/main_loop.h"
#include "game/app/input/quit_app_action.h"
#include "tests/game/app/input/input_window.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"

namespace {

// Logs "<name>:<type>" for every event it receives.
class cRecordingAction : public cInputAction {
 public:
  cRecordingAction(const char* name, std::string* log) : cInputAction(name), mLog(log) {}
  bool OnEvent(const tEvent* event) override {
    *mLog += std::string(GetName().CStr()) + ":" + std::to_string(event->type) + " ";
    return true;
  }

 private:
  std::string* mLog;
};

// An input event as the tests describe it; built into a tEvent when offered.
struct tInput {
  u32 type;
  u32 code;  // key code, button number, pad mask or stick number
  u8 pressed;
};

tInput Key(u32 keyCode, u8 pressed = 1) { return {kEventKey, keyCode, pressed}; }
tInput MouseButton(u32 button, u8 pressed = 1) { return {kEventMouseButton, button, pressed}; }
tInput MouseMove() { return {kEventMouseMove, 0, 0}; }
tInput PadButton(u32 mask, u8 pressed = 1) { return {kEventPadButton, mask, pressed}; }
tInput PadStick(u8 stick) { return {kEventPadStick, stick, 0}; }

void Build(const tInput& input, tEvent* event) {
  event->type = input.type;
  switch (input.type) {
    case kEventKey:
      event->key = {0, input.code, input.pressed};
      break;
    case kEventMouseButton:
      event->mouseButton = {input.code, input.pressed};
      break;
    case kEventMouseMove:
      event->mouseMove = {1.0f, 2.0f, 1.0f, 0.0f};
      break;
    case kEventPadButton:
      event->padButton = {0, input.code, input.pressed};
      break;
    default:
      event->padStick = {0, static_cast<u8>(input.code), 0.0f, 1.0f};
      break;
  }
}

class InputMapTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartedEngineTest::SetUp();
    gInputEnabled = 1;
    gInputLatch = 1;
  }
  void TearDown() override {
    gInputEnabled = 0;
    gInputLatch = 0;
    for (const std::string& path : mPaths) {
      remove(path.c_str());
    }
    StartedEngineTest::TearDown();
  }

  cString Write(const std::string& text) {
    const std::string path = ScratchPath("inputmap" + std::to_string(mPaths.size()) + ".txt");
    FILE* file = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, file);
    if (file != nullptr) {
      fwrite(text.data(), 1, text.size(), file);
      fclose(file);
    }
    mPaths.push_back(path);
    return cString(path.c_str());
  }

  // Offers each event to the map and returns what the actions logged.
  std::string Offer(cInputMap* map, const std::vector<tInput>& inputs) {
    mLog.clear();
    for (const tInput& input : inputs) {
      tEvent event;
      Build(input, &event);
      map->OnEvent(&event);
    }
    return mLog;
  }

  std::vector<std::string> mPaths;
  std::string mLog;
};

TEST_F(InputMapTest, EveryBindingFormReachesItsInput) {
  cInputMap map(
      Write("[Input]\r\nINPUTDEVICES = KEYBOARD, MOUSE ,\tPAD\r\n"
            "FIRE = KEY_A, KEY_7 ,KEY_LEFT, KEY_PADHOME, MOUSEBTN_LEFT, MOUSEBTN_WHEEL, MOUSEMOVE, PADBTN_LEFT, "
            "PADBTN_10, PADSTICK_RIGHT\r\n"));
  EXPECT_TRUE(map.IsKeyboardEnabled());
  EXPECT_TRUE(map.IsMouseEnabled());
  EXPECT_TRUE(map.IsPadEnabled());
  cRecordingAction fire("FIRE", &mLog);
  map.BindHandler(&fire);

  struct tCase {
    tInput input;
    bool fires;
  };
  const tCase cases[] = {
      {Key('a'), true},           {Key('A'), false},           {Key('b'), false},       {Key('7'), true},
      {Key(0x95), true},          {Key(0x99), true},           {Key(0x8F), false},      {Key(0xFF), false},
      {Key(0x161), false},        {MouseButton(0), true},      {MouseButton(1), false}, {MouseButton(3), true},
      {MouseButton(7), false},    {MouseMove(), true},         {PadButton(0x1), true},  {PadButton(0x2), false},
      {PadButton(0x20000), true}, {PadButton(0x40000), false}, {PadStick(1), true},     {PadStick(0), false},
      {PadStick(2), false},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(testing::Message() << "type " << test.input.type << " code " << test.input.code);
    EXPECT_EQ(test.fires ? "FIRE:" + std::to_string(test.input.type) + " " : "", Offer(&map, {test.input}));
  }
  // Two bound pad buttons in one mask: once for each, from bit 0 up.
  EXPECT_EQ("FIRE:7 FIRE:7 ", Offer(&map, {PadButton(0x20001)}));
}

TEST_F(InputMapTest, OneInputDrivesItsActionsInBindingOrder) {
  cInputMap map(Write("INPUTDEVICES = KEYBOARD\r\nJUMP = KEY_SPACE\r\nUSE = KEY_SPACE, KEY_ENTER\r\n"));
  cRecordingAction use("USE", &mLog);
  cRecordingAction jump("JUMP", &mLog);
  map.BindHandler(&use);
  map.BindHandler(&jump);
  EXPECT_EQ("USE:4 JUMP:4 ", Offer(&map, {Key(kKeySpace)}));
  EXPECT_EQ("USE:4 ", Offer(&map, {Key(kKeyEnter)}));
  // Bound twice, fired twice.
  map.BindHandler(&jump);
  EXPECT_EQ("USE:4 JUMP:4 JUMP:4 ", Offer(&map, {Key(kKeySpace)}));
}

TEST_F(InputMapTest, DisabledDevicesChangeNothingNotEvenTheLastPressedState) {
  cInputMap map(Write("INPUTDEVICES = KEYBOARD, Mouse, PADS\r\nFIRE = KEY_A, MOUSEBTN_LEFT, MOUSEMOVE, PADBTN_1\r\n"));
  EXPECT_TRUE(map.IsKeyboardEnabled());
  EXPECT_FALSE(map.IsMouseEnabled());
  EXPECT_FALSE(map.IsPadEnabled());
  cRecordingAction fire("FIRE", &mLog);
  map.BindHandler(&fire);
  EXPECT_EQ("", Offer(&map, {MouseButton(0), MouseMove(), PadButton(0x40)}));
  EXPECT_EQ(0, map.AnyKeyPressed());
  EXPECT_EQ("FIRE:4 ", Offer(&map, {Key('a')}));
  EXPECT_EQ(1, map.AnyKeyPressed());
  Offer(&map, {MouseButton(0, 0), PadButton(0x40, 0)});
  EXPECT_EQ(1, map.AnyKeyPressed());
  // Any key counts, bound or not; its release clears it.
  map.ResetAnyKeyPressed();
  EXPECT_EQ(0, map.AnyKeyPressed());
  Offer(&map, {Key('z')});
  EXPECT_EQ(1, map.AnyKeyPressed());
  Offer(&map, {Key('z', 0)});
  EXPECT_EQ(0, map.AnyKeyPressed());

  // No device list, or no file: everything off.
  cInputMap unlisted(Write("FIRE = KEY_A\r\n"));
  cInputMap missing(cString("/no/such/inputmap.txt"));
  for (cInputMap* off : {&unlisted, &missing}) {
    EXPECT_FALSE(off->IsKeyboardEnabled() || off->IsMouseEnabled() || off->IsPadEnabled());
  }
}

TEST_F(InputMapTest, NothingFiresWhileTheLatchIsClear) {
  cInputMap map(Write("INPUTDEVICES = KEYBOARD\r\nFIRE = KEY_A\r\n"));
  cRecordingAction fire("FIRE", &mLog);
  map.BindHandler(&fire);
  gInputLatch = 0;
  EXPECT_EQ("", Offer(&map, {Key('a')}));
  EXPECT_EQ(0, map.AnyKeyPressed());
  gInputLatch = 1;
  EXPECT_EQ("FIRE:4 ", Offer(&map, {Key('a')}));
}

TEST_F(InputMapTest, MissingAndEmptyActionsAreOnlyTraced) {
  cInputMap map(Write("INPUTDEVICES = KEYBOARD\r\nEMPTY =\r\nBLANK = \t \r\n"));
  cRecordingAction missing("MISSING", &mLog);
  cRecordingAction empty("EMPTY", &mLog);
  cRecordingAction blank("BLANK", &mLog);
  testing::internal::CaptureStderr();
  map.BindHandler(&missing);
  map.BindHandler(&empty);
  map.BindHandler(&blank);
  EXPECT_EQ(
      "inputhandler \"MISSING\" not found in inputmap.txt\n"
      "inputhandler \"EMPTY\" has no input assigned\n"
      "inputhandler \"BLANK\" has no input assigned\n",
      testing::internal::GetCapturedStderr());
}

// The message quotes a long input cut and still ends in the file's name.
TEST_F(InputMapTest, MisspeltInputsAreFatal) {
  const std::string values[][2] = {
      {"KEY_a", "KEY_a"},
      {"KEY_AB", "KEY_AB"},
      {"KEY_", "KEY_"},
      {"KEY_!", "KEY_!"},
      {"KEY_left", "KEY_left"},
      {"MOUSEBTN_BACK", "MOUSEBTN_BACK"},
      {"MOUSEMOVES", "MOUSEMOVES"},
      {"PADBTN_11", "PADBTN_11"},
      {"PADSTICK_UP", "PADSTICK_UP"},
      {"JOY_1", "JOY_1"},
      {"KEY_A,,KEY_B", ""},
      {"KEY_A, KEY_(B", "KEY_\\(B"},
      {"KEY_W" + std::string(100000, 'X'), "KEY_WX{59}[.]{3}"},
  };
  for (const auto& value : values) {
    SCOPED_TRACE(value[0].substr(0, 20));
    cInputMap map(Write("FIRE = " + value[0] + "\r\n"));
    cRecordingAction fire("FIRE", &mLog);
    EXPECT_DEATH(map.BindHandler(&fire),
                 "unknown input \"" + value[1] + "\" for inputhandler \"FIRE\" in .*inputmap[0-9]+\\.txt\n");
  }
}

TEST_F(InputMapTest, ABoundQuitKeyEndsTheRunningMainLoop) {
  cInputMap map(Write("INPUTDEVICES = KEYBOARD\r\nQUITAPP = KEY_ESC\r\n"));
  cInputWindow input;
  cMapAction_QuitApp quit;
  map.BindHandler(&quit);
  gEventDevice->AddEventHandler(&map);
  input.PushKey(SDL_SCANCODE_ESCAPE, true);

  // Should the key not end it, closing the window does.
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::thread watchdog([&] {
    std::unique_lock<std::mutex> guard(lock);
    if (!finished.wait_for(guard, std::chrono::seconds(20), [&] { return done; })) {
      WinTestRequestClose(input.Get());
    }
  });
  gAppRunning = 1;
  RunMainLoop();
  gAppRunning = 0;
  {
    std::lock_guard<std::mutex> guard(lock);
    done = true;
  }
  finished.notify_one();
  watchdog.join();

  EXPECT_EQ(1u, gAppConfig.quit);
  gEventDevice->RemoveEventHandler(&map);
}

}  // namespace
