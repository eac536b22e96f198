// The road from an injected SDL event to the event queue: every key of the
// scan-code table, the mouse with its recentred cursor, the devices' buffers,
// focus loss with its bounded re-acquire, and the keys of a playing movie.
#include "game/app/input/direct_input.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "game/app/input/key_codes.h"
#include "platform/dinput/dinput_testing.h"
#include "tests/game/app/app_fixture.h"
#include "tests/game/app/input/input_window.h"

namespace {

class DirectInputTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    mInput = std::make_unique<cInputWindow>();
  }
  void TearDown() override {
    mInput.reset();
    gMoviePlaying = 0;
    gMovieSkip = 0;
    AppTest::TearDown();
  }

  std::unique_ptr<cInputWindow> mInput;
};

struct tKeyCase {
  SDL_Scancode scancode;
  u32 scanCode;  // DIK
  u32 keyCode;
};

// Every key the game knows, by position, and one it does not.
std::vector<tKeyCase> KeyCases() {
  std::vector<tKeyCase> cases;
  const char* const rows[] = {"qwertyuiop", "asdfghjkl", "zxcvbnm"};
  const u32 rowStarts[] = {0x10, 0x1E, 0x2C};
  for (int row = 0; row < 3; row++) {
    for (const char* c = rows[row]; *c != '\0'; c++) {
      const u32 column = static_cast<u32>(c - rows[row]);
      cases.push_back(
          {static_cast<SDL_Scancode>(SDL_SCANCODE_A + (*c - 'a')), rowStarts[row] + column, static_cast<u32>(*c)});
    }
  }
  const char digits[] = "1234567890";
  for (u32 i = 0; i < 10; i++) {
    cases.push_back({static_cast<SDL_Scancode>(SDL_SCANCODE_1 + i), 0x02 + i, static_cast<u32>(digits[i])});
    cases.push_back({static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + i), 0x3B + i, 0x81 + i});
  }
  const tKeyCase others[] = {
      {SDL_SCANCODE_ESCAPE, 0x01, 0x80},      {SDL_SCANCODE_MINUS, 0x0C, '-'},
      {SDL_SCANCODE_EQUALS, 0x0D, '='},       {SDL_SCANCODE_BACKSPACE, 0x0E, 0xA8},
      {SDL_SCANCODE_TAB, 0x0F, 0xA9},         {SDL_SCANCODE_LEFTBRACKET, 0x1A, '['},
      {SDL_SCANCODE_RIGHTBRACKET, 0x1B, ']'}, {SDL_SCANCODE_RETURN, 0x1C, 0xAB},
      {SDL_SCANCODE_LCTRL, 0x1D, 0xAE},       {SDL_SCANCODE_SEMICOLON, 0x27, ';'},
      {SDL_SCANCODE_APOSTROPHE, 0x28, '\''},  {SDL_SCANCODE_GRAVE, 0x29, '`'},
      {SDL_SCANCODE_LSHIFT, 0x2A, 0xAC},      {SDL_SCANCODE_BACKSLASH, 0x2B, '#'},
      {SDL_SCANCODE_NONUSHASH, 0x2B, '#'},    {SDL_SCANCODE_COMMA, 0x33, ','},
      {SDL_SCANCODE_PERIOD, 0x34, '.'},       {SDL_SCANCODE_SLASH, 0x35, '/'},
      {SDL_SCANCODE_RSHIFT, 0x36, 0xAD},      {SDL_SCANCODE_KP_MULTIPLY, 0x37, 0xA3},
      {SDL_SCANCODE_LALT, 0x38, 0xB0},        {SDL_SCANCODE_SPACE, 0x39, 0x20},
      {SDL_SCANCODE_CAPSLOCK, 0x3A, 0xAA},    {SDL_SCANCODE_NUMLOCKCLEAR, 0x45, 0xA1},
      {SDL_SCANCODE_KP_7, 0x47, 0x99},        {SDL_SCANCODE_KP_8, 0x48, 0x9D},
      {SDL_SCANCODE_KP_9, 0x49, 0x9B},        {SDL_SCANCODE_KP_MINUS, 0x4A, 0xA4},
      {SDL_SCANCODE_KP_4, 0x4B, 0x9F},        {SDL_SCANCODE_KP_5, 0x4C, 0xA7},
      {SDL_SCANCODE_KP_6, 0x4D, 0xA0},        {SDL_SCANCODE_KP_PLUS, 0x4E, 0xA5},
      {SDL_SCANCODE_KP_1, 0x4F, 0x9A},        {SDL_SCANCODE_KP_2, 0x50, 0x9E},
      {SDL_SCANCODE_KP_3, 0x51, 0x9C},        {SDL_SCANCODE_KP_0, 0x52, 0x97},
      {SDL_SCANCODE_KP_PERIOD, 0x53, 0x98},   {SDL_SCANCODE_NONUSBACKSLASH, 0x56, '\\'},
      {SDL_SCANCODE_F11, 0x57, 0x8B},         {SDL_SCANCODE_F12, 0x58, 0x8C},
      {SDL_SCANCODE_KP_ENTER, 0x9C, 0xA6},    {SDL_SCANCODE_RCTRL, 0x9D, 0xAF},
      {SDL_SCANCODE_KP_DIVIDE, 0xB5, 0xA2},   {SDL_SCANCODE_RALT, 0xB8, 0xB1},
      {SDL_SCANCODE_PAUSE, 0xC5, 0xA1},       {SDL_SCANCODE_HOME, 0xC7, 0x8F},
      {SDL_SCANCODE_UP, 0xC8, 0x93},          {SDL_SCANCODE_PAGEUP, 0xC9, 0x91},
      {SDL_SCANCODE_LEFT, 0xCB, 0x95},        {SDL_SCANCODE_RIGHT, 0xCD, 0x96},
      {SDL_SCANCODE_END, 0xCF, 0x90},         {SDL_SCANCODE_DOWN, 0xD0, 0x94},
      {SDL_SCANCODE_PAGEDOWN, 0xD1, 0x92},    {SDL_SCANCODE_INSERT, 0xD2, 0x8D},
      {SDL_SCANCODE_DELETE, 0xD3, 0x8E},      {SDL_SCANCODE_SCROLLLOCK, 0x46, 0xFF},
      {SDL_SCANCODE_APPLICATION, 0xDD, 0xFF},
  };
  cases.insert(cases.end(), std::begin(others), std::end(others));
  return cases;
}

TEST_F(DirectInputTest, EveryKeyReachesTheQueueWithItsScanAndKeyCode) {
  const std::vector<tKeyCase> cases = KeyCases();
  u32 known = 0;
  for (const tKeyCase& test : cases) {
    SCOPED_TRACE(SDL_GetScancodeName(test.scancode));
    mInput->PushKey(test.scancode, true);
    mInput->PushKey(test.scancode, false);
    const std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
    ASSERT_EQ(2u, events.size());
    for (u32 i = 0; i < 2; i++) {
      EXPECT_EQ(static_cast<u32>(kEventKey), events[i].type);
      EXPECT_EQ(test.scanCode, events[i].key.scanCode);
      EXPECT_EQ(test.keyCode, events[i].key.keyCode);
      EXPECT_EQ(i == 0 ? 1 : 0, events[i].key.pressed);
    }
    known += test.keyCode != 0xFF ? 1 : 0;
  }
  // With the two backslash positions counted once, every known key was seen.
  EXPECT_EQ(101u, known);
  u32 unknown = 0;
  for (u32 scanCode = 0; scanCode < 300; scanCode++) {
    unknown += KeyCodeForScanCode(scanCode) == 0xFF ? 1 : 0;
  }
  EXPECT_EQ(156u + 44u, unknown);
}

TEST_F(DirectInputTest, MouseMovesAVirtualPositionWhileTheCursorStaysCentred) {
  gAppWindow.mouseX = 100.0f;
  gAppWindow.mouseY = 50.0f;
  mInput->PushMotion(165, 120, 5, 0);
  std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>(kEventMouseMove), events[0].type);
  EXPECT_EQ(105.0f, events[0].move.x);
  EXPECT_EQ(50.0f, events[0].move.y);
  EXPECT_EQ(5.0f, events[0].move.dx);
  EXPECT_EQ(0.0f, events[0].move.dy);
  EXPECT_EQ(105.0f, gAppWindow.mouseX);
  POINT centre = {cInputWindow::kWidth / 2, cInputWindow::kHeight / 2};
  ClientToScreen(mInput->Get(), &centre);
  EXPECT_EQ(centre.x, WinTestGetCursorPos().x);
  EXPECT_EQ(centre.y, WinTestGetCursorPos().y);

  // The recentring, reported as a driver reports a warp, is no movement.
  mInput->PushMotion(cInputWindow::kWidth / 2, cInputWindow::kHeight / 2, -5, 0);
  EXPECT_TRUE(cInputWindow::PollEvents().empty());

  // Up is negative; one motion with both axes gives two movements.
  mInput->PushMotion(163, 117, 3, -3);
  events = cInputWindow::PollEvents();
  ASSERT_EQ(2u, events.size());
  EXPECT_EQ(3.0f, events[0].move.dx);
  EXPECT_EQ(108.0f, events[0].move.x);
  EXPECT_EQ(-3.0f, events[1].move.dy);
  EXPECT_EQ(108.0f, events[1].move.x);
  EXPECT_EQ(47.0f, events[1].move.y);
}

TEST_F(DirectInputTest, WheelAndButtonsBecomeButtonEvents) {
  mInput->PushWheel(1);   // away from the user
  mInput->PushWheel(-1);  // toward
  for (Uint8 button : {SDL_BUTTON_LEFT, SDL_BUTTON_RIGHT, SDL_BUTTON_MIDDLE}) {
    mInput->PushButton(button, true);
    mInput->PushButton(button, false);
  }
  const std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  const std::vector<std::pair<u32, u8>> expected = {{3, 1}, {3, 0}, {0, 1}, {0, 0}, {1, 1}, {1, 0}, {2, 1}, {2, 0}};
  ASSERT_EQ(expected.size(), events.size());
  for (size_t i = 0; i < expected.size(); i++) {
    SCOPED_TRACE(i);
    EXPECT_EQ(static_cast<u32>(kEventMouseButton), events[i].type);
    EXPECT_EQ(expected[i].first, events[i].button.button);
    EXPECT_EQ(expected[i].second, events[i].button.pressed);
  }
}

TEST_F(DirectInputTest, ItemsBeyondTheBufferAreDroppedAndLaterOnesArrive) {
  for (int i = 0; i < 10; i++) {
    mInput->PushButton(SDL_BUTTON_LEFT, true);
    mInput->PushButton(SDL_BUTTON_LEFT, false);
  }
  for (int i = 0; i < 5; i++) {
    mInput->PushKey(SDL_SCANCODE_A, true);
    mInput->PushKey(SDL_SCANCODE_A, false);
  }
  std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  EXPECT_EQ(kMouseBufferItems + kKeyboardBufferItems, events.size());
  EXPECT_TRUE(cInputWindow::PollEvents().empty());
  mInput->PushKey(SDL_SCANCODE_B, true);
  events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>('b'), events[0].key.keyCode);
}

TEST_F(DirectInputTest, FocusLossStopsTheKeyboardAndReacquiringIsBounded) {
  mInput->Focus(false);
  mInput->PushKey(SDL_SCANCODE_A, true);
  mInput->PushButton(SDL_BUTTON_LEFT, true);
  std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());  // the background mouse still reads
  EXPECT_EQ(static_cast<u32>(kEventMouseButton), events[0].type);

  // A keyboard that never comes back costs a few tries a poll, no more.
  DiTestSetDeviceGone(gKeyboardDevice, TRUE);
  mInput->Focus(true);
  const unsigned before = DiTestGetAcquireCount(gKeyboardDevice);
  cInputWindow::PollEvents();
  EXPECT_EQ(before + kAcquireAttempts, DiTestGetAcquireCount(gKeyboardDevice));
  cInputWindow::PollEvents();
  EXPECT_EQ(before + 2 * kAcquireAttempts, DiTestGetAcquireCount(gKeyboardDevice));

  // Back: the next poll acquires it, the one after reads. A, pressed while
  // the keyboard was away, brings no release the game never saw pressed.
  DiTestSetDeviceGone(gKeyboardDevice, FALSE);
  cInputWindow::PollEvents();
  mInput->PushKey(SDL_SCANCODE_A, false);
  mInput->PushKey(SDL_SCANCODE_B, true);
  events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>('b'), events[0].key.keyCode);
  EXPECT_EQ(1, events[0].key.pressed);
}

// A key as SDL reports a real one: the press with the text it types, the
// system's autorepeat while it is held, the release, spread over the polls
// as a player's timing spreads them. Each press is one key-down and one
// key-up, whichever poll they land in.
TEST_F(DirectInputTest, ARealKeyIsOnePressAndOneReleaseHoweverItsEventsFall) {
  struct tTiming {
    const char* name;
    u32 pollsHeld;    // polls between the press and the release
    u32 repeatsEach;  // autorepeat presses before each of those polls
  };
  const tTiming timings[] = {{"within one poll", 0, 0}, {"over a poll", 1, 0}, {"held with autorepeat", 3, 2}};
  const SDL_Keycode keys[] = {SDLK_UP, SDLK_w, SDLK_SPACE, SDLK_ESCAPE};
  for (const tTiming& timing : timings) {
    for (SDL_Keycode key : keys) {
      SCOPED_TRACE(std::string(timing.name) + " " + SDL_GetKeyName(key));
      std::vector<tQueuedEvent> events;
      ASSERT_TRUE(WinTestPushKeyEvent(mInput->Get(), key, TRUE, FALSE));
      for (u32 poll = 0; poll < timing.pollsHeld; poll++) {
        const std::vector<tQueuedEvent> polled = cInputWindow::PollEvents();
        events.insert(events.end(), polled.begin(), polled.end());
        for (u32 repeat = 0; repeat < timing.repeatsEach; repeat++) {
          ASSERT_TRUE(WinTestPushKeyEvent(mInput->Get(), key, TRUE, TRUE));
        }
      }
      ASSERT_TRUE(WinTestPushKeyEvent(mInput->Get(), key, FALSE, FALSE));
      const std::vector<tQueuedEvent> polled = cInputWindow::PollEvents();
      events.insert(events.end(), polled.begin(), polled.end());
      ASSERT_EQ(2u, events.size());
      EXPECT_EQ(1, events[0].key.pressed);
      EXPECT_EQ(0, events[1].key.pressed);
      EXPECT_EQ(KeyCodeForScanCode(events[0].key.scanCode), events[1].key.keyCode);
    }
  }
}

// Esc pressed while the movie plays and let go after it ended: the movie
// takes the press, the game sees only the release.
TEST_F(DirectInputTest, AMovieSkipKeyReleasedAfterTheMovieReachesTheGameAsAReleaseOnly) {
  gMoviePlaying = 1;
  ASSERT_TRUE(WinTestPushKeyEvent(mInput->Get(), SDLK_ESCAPE, TRUE, FALSE));
  EXPECT_TRUE(cInputWindow::PollEvents().empty());
  EXPECT_EQ(1u, gMovieSkip);
  gMoviePlaying = 0;
  ASSERT_TRUE(WinTestPushKeyEvent(mInput->Get(), SDLK_ESCAPE, FALSE, FALSE));
  const std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>(kKeyEsc), events[0].key.keyCode);
  EXPECT_EQ(0, events[0].key.pressed);
}

TEST_F(DirectInputTest, DuringAMovieSkipKeysOnlySetTheSkipFlag) {
  gMoviePlaying = 1;
  for (SDL_Scancode scancode : {SDL_SCANCODE_SPACE, SDL_SCANCODE_ESCAPE, SDL_SCANCODE_RETURN, SDL_SCANCODE_A}) {
    SCOPED_TRACE(SDL_GetScancodeName(scancode));
    gMovieSkip = 0;
    mInput->PushKey(scancode, true);
    mInput->PushKey(scancode, false);
    EXPECT_TRUE(cInputWindow::PollEvents().empty());
    EXPECT_EQ(scancode == SDL_SCANCODE_A ? 0u : 1u, gMovieSkip);
  }
  // A key released during the movie does not skip it.
  gMovieSkip = 0;
  mInput->PushKey(SDL_SCANCODE_ESCAPE, false);
  cInputWindow::PollEvents();
  EXPECT_EQ(0u, gMovieSkip);

  mInput->PushButton(SDL_BUTTON_LEFT, true);
  const std::vector<tQueuedEvent> events = cInputWindow::PollEvents();
  ASSERT_EQ(1u, events.size());
  EXPECT_EQ(static_cast<u32>(kEventMouseButton), events[0].type);
}

}  // namespace
