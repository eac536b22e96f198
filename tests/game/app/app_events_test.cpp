// The application event handlers: options, arguments, initialise, quit, the
// screen-size event, input registrations and the start-up error.
#include "game/app/app_events.h"

#include <gtest/gtest.h>

#include "tests/game/app/app_fixture.h"

namespace {

class AppEventsTest : public AppTest {};

TEST_F(AppEventsTest, OptionsMatchWholeAndCaseSensitively) {
  struct tCase {
    const char* text;
    u32 result;
    u32 low, medium, select;
  };
  const tCase cases[] = {
      {"-low", 1, 1, 0, 0},          {"-medium", 1, 0, 1, 0}, {"-SelectScreen", 1, 0, 0, 1},
      {"-LOW", 0, 0, 0, 0},          {"-low ", 0, 0, 0, 0},   {"-lowest", 0, 0, 0, 0},
      {"-selectscreen", 0, 0, 0, 0}, {"low", 0, 0, 0, 0},     {"", 0, 0, 0, 0},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.text);
    ResetAppGlobals();
    EXPECT_EQ(test.result, AppEventHandler(kAppEventOption, reinterpret_cast<tAppEventArg>(test.text)));
    EXPECT_EQ(test.low, gOptionLow);
    EXPECT_EQ(test.medium, gOptionMedium);
    EXPECT_EQ(test.select, gOptionSelectScreen);
  }
  EXPECT_EQ(0u, ParseOption(nullptr));
}

TEST_F(AppEventsTest, ArgumentsBecomeFileLoadsThatNobodyAnswers) {
  const char* text = "-low";
  EXPECT_EQ(1u, AppEventHandler(kAppEventArgument, reinterpret_cast<tAppEventArg>(text)));
  EXPECT_EQ(std::vector<std::string>{"-low"}, EventTexts(kAppEventFileLoad));
  EXPECT_EQ(2u, AppEventHandler(kAppEventFileLoad, reinterpret_cast<tAppEventArg>(text)));
}

TEST_F(AppEventsTest, FixedAnswers) {
  struct tCase {
    u32 code;
    u32 result;
  };
  const tCase cases[] = {{kAppEventDebugInitialise, 1},
                         {kAppEventTerminate, 1},
                         {kAppEventReserved, 1},
                         {kAppEventActivate, 2},
                         {5, 2},
                         {33, 2},
                         {1000, 2}};
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.code);
    EXPECT_EQ(test.result, AppEventHandler(test.code, 0));
  }
  EXPECT_EQ(0u, gAppConfig.quit);
  EXPECT_EQ(2u, AppEventHandler(kAppEventQuit, 0));
  EXPECT_EQ(1u, gAppConfig.quit);
}

TEST_F(AppEventsTest, InitialiseSetsTheGameDefaults) {
  gAppWindow.fullScreen = 1;
  gAppWindow.mouseX = 5.0f;
  RegisterInputHandler(kInputDeviceMouse, [](u32, void*) -> u32 { return 1; });
  EXPECT_EQ(1u, AppEventHandler(kAppEventInitialise, 0));
  EXPECT_STREQ("Tessarak Volde", gAppConfig.title);
  EXPECT_EQ(640u, gAppConfig.width);
  EXPECT_EQ(480u, gAppConfig.height);
  EXPECT_EQ(&gAppWindow, gAppConfig.window);
  EXPECT_EQ(0u, gAppWindow.fullScreen);
  EXPECT_EQ(0.0f, gAppWindow.mouseX);
  for (u32 id = 0; id < kInputDeviceCount; id++) {
    EXPECT_EQ(id, gAppConfig.input[id].deviceId);
    EXPECT_EQ(0u, gAppConfig.input[id].registered);
  }
  EXPECT_EQ(2u, SendMouseEvent(1, nullptr));
  ApplyAppDefaults();
  EXPECT_STREQ("Engine Application", gAppConfig.title);
  EXPECT_EQ(0u, gAppConfig.width);
}

TEST_F(AppEventsTest, InputHandlersByDeviceId) {
  static u32 sSeenCode = 0;
  EXPECT_FALSE(RegisterInputHandler(3, nullptr));
  EXPECT_TRUE(RegisterInputHandler(kInputDeviceKeyboard, [](u32 code, void*) -> u32 {
    sSeenCode = code;
    return 1;
  }));
  EXPECT_EQ(1u, SendKeyboardEvent(9, nullptr));
  EXPECT_EQ(9u, sSeenCode);
  EXPECT_EQ(2u, SendMouseEvent(9, nullptr));
}

TEST_F(AppEventsTest, CameraSizeQueuesAScreenSizeEvent) {
  CreateEventDevice();
  tAppRect rect = {0, 0, 800, 600};
  EXPECT_EQ(1u, AppEventHandler(kAppEventCameraSize, reinterpret_cast<tAppEventArg>(&rect)));
  const tEvent* event = static_cast<const tEvent*>(gEventDevice->GetQueue().First());
  ASSERT_NE(nullptr, event);
  EXPECT_EQ(static_cast<u32>(kEventScreenSize), event->type);
  EXPECT_EQ(800u, event->screenSize.width);
  EXPECT_EQ(600u, event->screenSize.height);
}

u32 sKeyCalls = 0;
u32 sKeyCode = 0;
u32 sKeyData[2] = {0, 0};

u32 RecordKey(u32 code, void* data) {
  sKeyCalls++;
  sKeyCode = code;
  const u32* words = static_cast<const u32*>(data);
  sKeyData[0] = words[0];
  sKeyData[1] = words[1];
  return 1;
}

TEST_F(AppEventsTest, StartupErrorReleasesKeysOnlyWithAnEventDevice) {
  sKeyCalls = 0;
  gAppConfig.title = "Tessarak Volde";
  RegisterInputHandler(kInputDeviceKeyboard, RecordKey);
  ShowStartupError("no device yet");
  EXPECT_EQ(0u, sKeyCalls);
  ASSERT_EQ(1u, sBoxes.size());
  EXPECT_EQ("no device yet", sBoxes[0].text);
  EXPECT_EQ("Tessarak Volde", sBoxes[0].caption);
  EXPECT_EQ(0x42010u, sBoxes[0].type);

  CreateEventDevice();
  ShowStartupError("with device");
  EXPECT_EQ(1u, sKeyCalls);
  EXPECT_EQ(22u, sKeyCode);
  EXPECT_EQ(255u, sKeyData[0]);
  EXPECT_EQ(255u, sKeyData[1]);
  EXPECT_EQ(2u, sBoxes.size());
}

}  // namespace
