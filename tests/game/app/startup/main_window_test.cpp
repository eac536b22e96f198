// The main window's procedure: window messages become application events
// (size, activate, dropped files from the last to the first), closing posts
// the quit message without destroying the window, and a fatal error silences
// the game.
#include "game/app/startup/main_window.h"

#include <gtest/gtest.h>

#include "tests/game/app/app_fixture.h"

namespace {

class MainWindowTest : public AppTest {
 protected:
  void SetUp() override {
    AppTest::SetUp();
    GameInitialise();
    HINSTANCE instance = GetModuleHandleA(nullptr);
    ASSERT_NE(0, RegisterMainWindowClass(instance));
    mWindow = CreateMainWindow(instance);
    ASSERT_NE(nullptr, mWindow);
    gAppWindow.window = mWindow;
    CreateEventDevice();
    Pump();
    sEvents.clear();
  }
  void TearDown() override {
    DestroyWindow(mWindow);
    Pump();
    UnregisterClassA(kMainWindowClass, GetModuleHandleA(nullptr));
    AppTest::TearDown();
  }

  // Dispatches every waiting message; true when WM_QUIT came.
  static bool Pump() {
    bool quit = false;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        continue;
      }
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    return quit;
  }

  static std::vector<std::pair<u32, u32>> QueuedScreenSizes() {
    std::vector<std::pair<u32, u32>> sizes;
    for (cListNode* node = gEventDevice->GetQueue().First(); node != nullptr; node = cList::Next(node)) {
      const tEvent* event = static_cast<const tEvent*>(node);
      if (event->type == kEventScreenSize) {
        sizes.push_back({event->screenSize.width, event->screenSize.height});
      }
    }
    return sizes;
  }

  HWND mWindow = nullptr;
};

TEST_F(MainWindowTest, ClientAreaHasTheConfiguredSize) {
  RECT client;
  ASSERT_TRUE(GetClientRect(mWindow, &client));
  EXPECT_EQ(640, client.right - client.left);
  EXPECT_EQ(480, client.bottom - client.top);
  EXPECT_EQ(static_cast<LONG>(WS_OVERLAPPEDWINDOW), GetWindowLongA(mWindow, GWL_STYLE) & ~WS_VISIBLE);
}

TEST_F(MainWindowTest, SizeBecomesAScreenSizeEventOnlyWhileRunning) {
  ShowWindow(mWindow, SW_SHOW);
  Pump();
  gEventDevice->Dispatch();
  WinTestPushResize(mWindow, 700, 500, FALSE);
  Pump();
  EXPECT_TRUE(QueuedScreenSizes().empty());

  gAppRunning = 1;
  WinTestPushResize(mWindow, 800, 600, FALSE);
  Pump();
  const std::vector<std::pair<u32, u32>> expected = {{800, 600}};
  EXPECT_EQ(expected, QueuedScreenSizes());

  gEventDevice->Dispatch();
  SendMessageA(mWindow, WM_SIZE, 0, MAKELPARAM(0, 300));
  EXPECT_TRUE(QueuedScreenSizes().empty());
}

TEST_F(MainWindowTest, ActivationFollowsFocus) {
  SendMessageA(mWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  EXPECT_EQ(0u, gAppActive);
  SendMessageA(mWindow, WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(1u, gAppActive);
  ASSERT_EQ(2u, sEvents.size());
  EXPECT_EQ(static_cast<u32>(kAppEventActivate), sEvents[0].code);
  EXPECT_EQ(0, sEvents[0].argument);
  EXPECT_EQ(1, sEvents[1].argument);

  sEvents.clear();
  WinTestPushFocus(mWindow, FALSE);
  Pump();
  EXPECT_EQ(0u, gAppActive);
  WinTestPushFocus(mWindow, TRUE);
  Pump();
  EXPECT_EQ(1u, gAppActive);
  EXPECT_EQ(2u, CountEvents(kAppEventActivate));
}

TEST_F(MainWindowTest, DroppedFilesArriveLastToFirst) {
  const char* const files[] = {"data/one.txt", "data/two.txt", "data/three.txt"};
  ASSERT_TRUE(WinTestPushDrop(mWindow, files, 3));
  Pump();
  const std::vector<std::string> expected = {"data/three.txt", "data/two.txt", "data/one.txt"};
  EXPECT_EQ(expected, EventTexts(kAppEventFileLoad));
}

TEST_F(MainWindowTest, TimerAndSizingRaiseIdleWhileRunning) {
  SendMessageA(mWindow, WM_TIMER, 1, 0);
  EXPECT_EQ(0u, CountEvents(kAppEventIdle));
  gAppRunning = 1;
  SendMessageA(mWindow, WM_TIMER, 1, 0);
  RECT dragged = {0, 0, 500, 400};
  SendMessageA(mWindow, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&dragged));
  EXPECT_EQ(2u, CountEvents(kAppEventIdle));
  RECT outer;
  GetWindowRect(mWindow, &outer);
  EXPECT_EQ(500, outer.right - outer.left);
  EXPECT_EQ(400, outer.bottom - outer.top);
}

TEST_F(MainWindowTest, CloseQuitsButKeepsTheWindow) {
  ASSERT_TRUE(WinTestRequestClose(mWindow));
  EXPECT_TRUE(Pump());
  EXPECT_TRUE(IsWindow(mWindow));
}

TEST_F(MainWindowTest, FatalErrorLeavesEverythingToTheDefaultHandling) {
  gAppRunning = 1;
  gFatalErrorFlag = 1;
  SendMessageA(mWindow, WM_ACTIVATE, WA_INACTIVE, 0);
  SendMessageA(mWindow, WM_SIZE, 0, MAKELPARAM(320, 200));
  SendMessageA(mWindow, WM_TIMER, 1, 0);
  EXPECT_EQ(1u, gAppActive);
  EXPECT_TRUE(sEvents.empty());
  gFatalErrorFlag = 0;
}

TEST_F(MainWindowTest, CursorHelpers) {
  SetCursorClientPos(100.9f, 50.2f);
  POINT origin = {0, 0};
  ClientToScreen(mWindow, &origin);
  const POINT cursor = WinTestGetCursorPos();
  EXPECT_EQ(origin.x + 100, cursor.x);
  EXPECT_EQ(origin.y + 50, cursor.y);
  const int before = WinTestGetCursorCount();
  SetCursorVisible(FALSE);
  EXPECT_EQ(before - 1, WinTestGetCursorCount());
  SetCursorVisible(TRUE);
  EXPECT_EQ(before, WinTestGetCursorCount());
}

}  // namespace
