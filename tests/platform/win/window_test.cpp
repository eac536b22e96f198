// Windows, their geometry and the message queue: messages made from SDL
// events reach the window procedure in the order the events happened.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_events.h"
#include "platform/win/win_resource.h"
#include "platform/win/win_testing.h"
#include "platform/win/window_internal.h"

namespace {

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  std::vector<std::string> files;  // WM_DROPFILES
  RECT sizing;                     // WM_SIZING
};

std::vector<Received> gReceived;
bool gCloseDestroys = false;

LRESULT CALLBACK RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Received entry = {window, message, wParam, lParam, {}, {}};
  switch (message) {
    case WM_CREATE:
      DragAcceptFiles(window, TRUE);
      break;
    case WM_DROPFILES: {
      HDROP drop = reinterpret_cast<HDROP>(wParam);
      UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
      for (UINT i = 0; i < count; ++i) {
        char name[MAX_PATH];
        DragQueryFileA(drop, i, name, MAX_PATH);
        entry.files.push_back(name);
      }
      DragFinish(drop);
      break;
    }
    case WM_SIZING:
      entry.sizing = *reinterpret_cast<RECT*>(lParam);
      break;
    case WM_CLOSE:
      gReceived.push_back(entry);
      return gCloseDestroys ? DefWindowProcA(window, message, wParam, lParam) : 0;
    default:
      break;
  }
  gReceived.push_back(entry);
  return DefWindowProcA(window, message, wParam, lParam);
}

class WindowTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    WNDCLASSA windowClass = {};
    windowClass.style = CS_BYTEALIGNWINDOW;
    windowClass.lpfnWndProc = RecordingProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.lpszClassName = "TestWindowClass";
    ASSERT_NE(RegisterClassA(&windowClass), 0);
  }

  static void TearDownTestSuite() { EXPECT_TRUE(UnregisterClassA("TestWindowClass", GetModuleHandleA(nullptr))); }

  void SetUp() override {
    gReceived.clear();
    gCloseDestroys = false;
    RECT rect = {0, 0, 320, 200};
    ASSERT_TRUE(AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE));
    window_ = CreateWindowExA(0, "TestWindowClass", "Test", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                              rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window_, nullptr);
    Drain();
    gReceived.clear();
  }

  void TearDown() override {
    if (IsWindow(window_)) {
      DestroyWindow(window_);
    }
    Drain();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  // Dispatches every waiting message; returns false when WM_QUIT came.
  static bool Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD)) {
      if (msg.message == WM_QUIT) {
        return false;
      }
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
    return true;
  }

  static std::vector<UINT> Messages() {
    std::vector<UINT> messages;
    for (const Received& entry : gReceived) {
      messages.push_back(entry.message);
    }
    return messages;
  }

  HWND window_ = nullptr;
};

TEST_F(WindowTest, CreateSendsCreateAndMakesAnOpenGlWindowOfTheAskedClientSize) {
  ASSERT_NE(window_->sdlWindow, nullptr);
  EXPECT_NE(SDL_GetWindowFlags(window_->sdlWindow) & SDL_WINDOW_OPENGL, 0u);
  RECT client = {};
  ASSERT_TRUE(GetClientRect(window_, &client));
  EXPECT_EQ(client.right, 320);
  EXPECT_EQ(client.bottom, 200);
  RECT outer = {};
  ASSERT_TRUE(GetWindowRect(window_, &outer));
  RECT adjusted = {0, 0, 320, 200};
  AdjustWindowRectEx(&adjusted, static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), GetMenu(window_) != nullptr,
                     static_cast<DWORD>(GetWindowLongA(window_, GWL_EXSTYLE)));
  EXPECT_EQ(outer.right - outer.left, adjusted.right - adjusted.left);
  EXPECT_EQ(outer.bottom - outer.top, adjusted.bottom - adjusted.top);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), static_cast<DWORD>(WS_OVERLAPPEDWINDOW));

  // WM_CREATE came during creation, before CreateWindowExA returned.
  gReceived.clear();
  HWND second = CreateWindowA("testwindowclass", "Second", WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                              nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  ASSERT_FALSE(gReceived.empty());
  EXPECT_EQ(gReceived[0].message, static_cast<UINT>(WM_CREATE));
  gReceived.clear();
  EXPECT_TRUE(DestroyWindow(second));
  ASSERT_EQ(gReceived.size(), 1u);
  EXPECT_EQ(gReceived[0].message, static_cast<UINT>(WM_DESTROY));
  EXPECT_FALSE(IsWindow(second));
  EXPECT_FALSE(DestroyWindow(second));
  // A stale handle answers as a dead window.
  RECT rect = {};
  EXPECT_FALSE(GetClientRect(second, &rect));
  EXPECT_FALSE(ShowWindow(second, SW_SHOW));
  EXPECT_FALSE(PostMessageA(second, WM_USER, 0, 0));
}

TEST_F(WindowTest, UnknownClassAndDuplicateClassAreRefused) {
  EXPECT_EQ(
      CreateWindowExA(0, "NoSuchClass", "", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr),
      nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = RecordingProc;
  windowClass.lpszClassName = "TESTWINDOWCLASS";
  EXPECT_EQ(RegisterClassA(&windowClass), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(WindowTest, MessagesFollowTheOrderOfEvents) {
  ASSERT_TRUE(WinTestPushFocus(window_, TRUE));
  ASSERT_TRUE(WinTestPushResize(window_, 400, 300, FALSE));
  const char* const files[] = {"/data/one.txt", "/data/two words.txt", "/data/three.txt"};
  ASSERT_TRUE(WinTestPushDrop(window_, files, 3));
  ASSERT_TRUE(WinTestPushFocus(window_, FALSE));
  ASSERT_TRUE(PostMessageA(window_, WM_USER + 7, 1, 2));
  ASSERT_TRUE(WinTestRequestClose(window_));
  ASSERT_TRUE(Drain());

  std::vector<UINT> expected = {WM_ACTIVATE, WM_SIZE, WM_DROPFILES, WM_ACTIVATE, WM_USER + 7, WM_CLOSE};
  ASSERT_EQ(Messages(), expected);
  for (const Received& entry : gReceived) {
    EXPECT_EQ(entry.window, window_);
  }
  EXPECT_EQ(LOWORD(gReceived[0].wParam), WA_ACTIVE);
  EXPECT_EQ(LOWORD(gReceived[1].lParam), 400);
  EXPECT_EQ(HIWORD(gReceived[1].lParam), 300);
  EXPECT_EQ(gReceived[1].wParam, static_cast<WPARAM>(SIZE_RESTORED));
  EXPECT_EQ(gReceived[2].files, std::vector<std::string>(files, files + 3));
  EXPECT_EQ(LOWORD(gReceived[3].wParam), WA_INACTIVE);
  EXPECT_EQ(gReceived[4].wParam, 1u);
  EXPECT_EQ(gReceived[4].lParam, 2);
  // The close button only asks: the window stays until destroyed.
  EXPECT_TRUE(IsWindow(window_));
}

TEST_F(WindowTest, DraggingTheFrameSendsSizingBeforeSize) {
  ASSERT_TRUE(WinTestPushResize(window_, 500, 350, TRUE));
  ASSERT_TRUE(Drain());
  std::vector<UINT> expected = {WM_SIZING, WM_SIZE};
  ASSERT_EQ(Messages(), expected);
  RECT frame = {0, 0, 500, 350};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(gReceived[0].sizing.right - gReceived[0].sizing.left, frame.right - frame.left);
  EXPECT_EQ(gReceived[0].sizing.bottom - gReceived[0].sizing.top, frame.bottom - frame.top);
  EXPECT_EQ(gReceived[0].wParam, static_cast<WPARAM>(WMSZ_BOTTOMRIGHT));
}

TEST_F(WindowTest, MinimiseSendsSizeMinimisedWithAnEmptyClient) {
  ASSERT_TRUE(WinTestPushMinimize(window_));
  ASSERT_TRUE(Drain());
  ASSERT_EQ(Messages(), std::vector<UINT>{WM_SIZE});
  EXPECT_EQ(gReceived[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  EXPECT_EQ(gReceived[0].lParam, 0);
}

TEST_F(WindowTest, DropsAreRefusedUntilAcceptedAndEachGestureIsOneMessage) {
  const char* const first[] = {"a.pak"};
  const char* const second[] = {"b.txt", "c.txt"};
  DragAcceptFiles(window_, FALSE);
  ASSERT_TRUE(WinTestPushDrop(window_, first, 1));
  ASSERT_TRUE(Drain());
  EXPECT_TRUE(gReceived.empty());

  DragAcceptFiles(window_, TRUE);
  ASSERT_TRUE(WinTestPushDrop(window_, first, 1));
  ASSERT_TRUE(WinTestPushDrop(window_, second, 2));
  ASSERT_TRUE(Drain());
  ASSERT_EQ(Messages(), (std::vector<UINT>{WM_DROPFILES, WM_DROPFILES}));
  EXPECT_EQ(gReceived[0].files, std::vector<std::string>({"a.pak"}));
  EXPECT_EQ(gReceived[1].files, std::vector<std::string>({"b.txt", "c.txt"}));
}

TEST_F(WindowTest, DragQueryFileCutsLongNamesAndRefusesStaleHandles) {
  std::string longName(400, 'x');
  const char* const files[] = {longName.c_str()};
  ASSERT_TRUE(WinTestPushDrop(window_, files, 1));
  MSG msg = {};
  ASSERT_TRUE(PeekMessageA(&msg, window_, WM_DROPFILES, WM_DROPFILES, PM_REMOVE));
  HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 1u);
  EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), 400u);
  char buffer[MAX_PATH + 8];
  memset(buffer, '#', sizeof(buffer));
  EXPECT_EQ(DragQueryFileA(drop, 0, buffer, MAX_PATH), static_cast<UINT>(MAX_PATH - 1));
  EXPECT_EQ(buffer[MAX_PATH - 1], '\0');
  EXPECT_EQ(buffer[MAX_PATH], '#');
  EXPECT_EQ(DragQueryFileA(drop, 1, buffer, MAX_PATH), 0u);
  DragFinish(drop);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0), 0u);
  DragFinish(drop);  // a second finish is ignored
}

TEST_F(WindowTest, PeekFiltersByWindowAndRangeAndQuitComesLast) {
  ASSERT_TRUE(PostMessageA(window_, WM_USER + 1, 0, 0));
  ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 0, 0));
  ASSERT_TRUE(PostMessageA(window_, 0x3BD, 5, 6));
  PostQuitMessage(3);

  MSG msg = {};
  // A range that only a later message falls in takes that one first.
  ASSERT_TRUE(PeekMessageA(&msg, window_, 0x3BB, 0x3BD, PM_REMOVE));
  EXPECT_EQ(msg.message, 0x3BDu);
  EXPECT_EQ(msg.wParam, 5u);
  EXPECT_FALSE(PeekMessageA(&msg, window_, 0x3BB, 0x3BD, PM_REMOVE));
  // Without removal the message stays.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 2));
  EXPECT_EQ(msg.hwnd, nullptr);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE | PM_NOYIELD));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(WindowTest, CloseThroughDefWindowProcDestroysAndDropsQueuedMessages) {
  gCloseDestroys = true;
  ASSERT_TRUE(WinTestRequestClose(window_));
  ASSERT_TRUE(PostMessageA(window_, WM_USER, 0, 0));
  MSG msg = {};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
  DispatchMessageA(&msg);
  EXPECT_FALSE(IsWindow(window_));
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(PostMessageA(window_, WM_USER, 0, 0));
}

TEST_F(WindowTest, WaitMessageWakesForAPostFromAnotherThread) {
  MSG msg = {};
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  std::atomic<bool> posted{false};
  std::thread poster([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    posted = true;
    PostMessageA(window_, WM_USER + 9, 0, 0);
  });
  EXPECT_TRUE(WaitMessage());
  EXPECT_TRUE(posted);
  poster.join();
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));

  // An inactive window waits for its focus to come back.
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  std::thread focuser([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    WinTestPushFocus(window_, TRUE);
  });
  EXPECT_TRUE(WaitMessage());
  focuser.join();
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, static_cast<UINT>(WM_ACTIVATE));
  EXPECT_EQ(LOWORD(msg.wParam), WA_ACTIVE);
}

TEST_F(WindowTest, PopupStyleMakesAFullScreenWindowAndOverlappedStyleAFramedOne) {
  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(WS_POPUP));
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 0, 0, 0x27));
  EXPECT_NE(SDL_GetWindowFlags(window_->sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(window_, GWL_STYLE)), static_cast<DWORD>(WS_POPUP));
  RECT outer = {};
  RECT client = {};
  GetWindowRect(window_, &outer);
  GetClientRect(window_, &client);
  EXPECT_EQ(outer.right - outer.left, client.right);

  SetWindowLongA(window_, GWL_STYLE, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED));
  Uint32 flags = SDL_GetWindowFlags(window_->sdlWindow);
  EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN, 0u);
  EXPECT_NE(flags & SDL_WINDOW_RESIZABLE, 0u);

  // Sizing takes the window rectangle: the client is what is left inside.
  RECT wanted = {0, 0, 300, 150};
  AdjustWindowRectEx(&wanted, WS_OVERLAPPEDWINDOW, FALSE, 0);
  ASSERT_TRUE(SetWindowPos(window_, nullptr, 0, 0, wanted.right - wanted.left, wanted.bottom - wanted.top,
                           SWP_NOMOVE | SWP_NOZORDER));
  GetClientRect(window_, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 150);
}

// A full-screen window of each mode the game offers, made as the game makes
// it: a framed window of 640 x 480, shown on the whole desktop by a
// full-screen Direct3D device of the mode, then made a frameless popup. The
// desktop here has one size (1024 x 768), onto which the smaller modes are
// scaled; the program keeps seeing its mode.
struct FullScreenMode {
  int width;
  int height;
};

class FullScreenWindowTest : public WindowTest, public testing::WithParamInterface<FullScreenMode> {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    const FullScreenMode mode = GetParam();
    RECT rect = {0, 0, 640, 480};
    AdjustWindowRect(&rect, WS_OVERLAPPEDWINDOW, FALSE);
    fullScreen_ = CreateWindowExA(0, "TestWindowClass", "Full", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                  rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(fullScreen_, nullptr);
    // The only other window would hide part of this one.
    DestroyWindow(window_);
    // What the device does.
    ASSERT_EQ(SDL_SetWindowFullscreen(fullScreen_->sdlWindow, SDL_WINDOW_FULLSCREEN_DESKTOP), 0);
    WinSetFullScreenClientSize(fullScreen_, mode.width, mode.height);
    SetWindowLongA(fullScreen_, GWL_STYLE, static_cast<LONG>(WS_POPUP));
    ASSERT_TRUE(
        SetWindowPos(fullScreen_, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED));
    ASSERT_NE(SDL_GetWindowFlags(fullScreen_->sdlWindow) & SDL_WINDOW_FULLSCREEN, 0u);
    ShowWindow(fullScreen_, SW_SHOWDEFAULT);
    Drain();
    gReceived.clear();
    SDL_GetWindowSize(fullScreen_->sdlWindow, &realWidth_, &realHeight_);
    SDL_DisplayMode desktop = {};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    ASSERT_EQ(realWidth_, desktop.w);
    ASSERT_EQ(realHeight_, desktop.h);
  }
  void TearDown() override {
    DestroyWindow(fullScreen_);
    WindowTest::TearDown();
  }

  HWND fullScreen_ = nullptr;
  int realWidth_ = 0;
  int realHeight_ = 0;
};

TEST_P(FullScreenWindowTest, MinimisedAndRestoredKeepsTheModesClientSize) {
  const FullScreenMode mode = GetParam();
  RECT client = {};
  ASSERT_TRUE(GetClientRect(fullScreen_, &client));
  EXPECT_EQ(client.right, mode.width);
  EXPECT_EQ(client.bottom, mode.height);
  RECT outer = {};
  ASSERT_TRUE(GetWindowRect(fullScreen_, &outer));
  EXPECT_EQ(outer.right - outer.left, mode.width);
  EXPECT_EQ(outer.bottom - outer.top, mode.height);

  ASSERT_TRUE(WinTestPushMinimize(fullScreen_));
  ASSERT_TRUE(WinTestPushRestore(fullScreen_));
  ASSERT_TRUE(Drain());
  ASSERT_EQ(Messages(), (std::vector<UINT>{WM_SIZE, WM_SIZE, WM_SIZE}));
  EXPECT_EQ(gReceived[0].wParam, static_cast<WPARAM>(SIZE_MINIMIZED));
  for (size_t i = 1; i < gReceived.size(); i++) {
    SCOPED_TRACE(i == 1 ? "restored" : "the SDL window's size change");
    EXPECT_EQ(gReceived[i].wParam, static_cast<WPARAM>(SIZE_RESTORED));
    EXPECT_EQ(LOWORD(gReceived[i].lParam), mode.width);
    EXPECT_EQ(HIWORD(gReceived[i].lParam), mode.height);
  }
}

TEST_P(FullScreenWindowTest, TheCursorPutAtTheClientCentreHasAsMuchRoomOnEachSide) {
  const FullScreenMode mode = GetParam();
  POINT centre = {mode.width / 2, mode.height / 2};
  ASSERT_TRUE(ClientToScreen(fullScreen_, &centre));
  ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
  POINT at = {};
  ASSERT_TRUE(WinTestGetWarpInWindow(fullScreen_, &at));
  const int x = at.x;
  const int y = at.y;
  // A flick has as far to go to the left edge as to the right one, and up
  // as down (one pixel for an odd size).
  EXPECT_LE(std::abs(x - (realWidth_ - x)), 1) << "at " << x << " of " << realWidth_;
  EXPECT_LE(std::abs(y - (realHeight_ - y)), 1) << "at " << y << " of " << realHeight_;
}

INSTANTIATE_TEST_SUITE_P(Modes, FullScreenWindowTest,
                         testing::Values(FullScreenMode{640, 480}, FullScreenMode{800, 600}, FullScreenMode{1024, 768}),
                         [](const testing::TestParamInfo<FullScreenMode>& info) {
                           return std::to_string(info.param.width) + "x" + std::to_string(info.param.height);
                         });

TEST_F(WindowTest, ShowHideAndIconic) {
  EXPECT_FALSE(ShowWindow(window_, SW_SHOWDEFAULT));
  EXPECT_TRUE(UpdateWindow(window_));
  EXPECT_NE(GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_TRUE(ShowWindow(window_, SW_HIDE));
  EXPECT_EQ(GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE, 0);
  EXPECT_FALSE(IsIconic(window_));
  HDC dc = GetDC(window_);
  EXPECT_NE(dc, nullptr);
  EXPECT_EQ(ReleaseDC(window_, dc), 1);
}

TEST_F(WindowTest, CursorCallsKeepTheirState) {
  POINT point = {10, 20};
  ASSERT_TRUE(ClientToScreen(window_, &point));
  int x = 0;
  int y = 0;
  SDL_GetWindowPosition(window_->sdlWindow, &x, &y);
  EXPECT_EQ(point.x, x + 10);
  EXPECT_EQ(point.y, y + 20);
  EXPECT_TRUE(SetCursorPos(point.x, point.y));
  EXPECT_EQ(WinTestGetCursorPos().x, point.x);
  EXPECT_EQ(WinTestGetCursorPos().y, point.y);

  int before = WinTestGetCursorCount();
  EXPECT_EQ(ShowCursor(FALSE), before - 1);
  EXPECT_EQ(ShowCursor(TRUE), before);

  RECT clip = {x, y, x + 100, y + 100};
  EXPECT_TRUE(ClipCursor(&clip));
  RECT got = {};
  EXPECT_TRUE(WinTestGetClipRect(&got));
  EXPECT_EQ(got.right, clip.right);
  EXPECT_TRUE(ClipCursor(nullptr));
  EXPECT_FALSE(WinTestGetClipRect(&got));
}

TEST_F(WindowTest, QuitRequestClosesEachWindowOnce) {
  EXPECT_EQ(WinTestFindWindow("TestWindowClass"), window_);
  EXPECT_EQ(WinTestFindWindow("OtherClass"), nullptr);
  ASSERT_TRUE(WinTestRequestClose(window_));
  SDL_Event quit = {};
  quit.type = SDL_QUIT;
  ASSERT_TRUE(WinTestPushEvent(quit));
  ASSERT_TRUE(Drain());
  EXPECT_EQ(Messages(), std::vector<UINT>{WM_CLOSE});
  ASSERT_TRUE(WinTestPushEvent(quit));
  ASSERT_TRUE(Drain());
  EXPECT_EQ(Messages(), (std::vector<UINT>{WM_CLOSE, WM_CLOSE}));
}

TEST_F(WindowTest, RegisteredIconsAndStockCursor) {
  const BYTE pixels[2 * 2 * 4] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 0};
  EXPECT_FALSE(WinRegisterIcon(104, 0, 2, pixels));
  ASSERT_TRUE(WinRegisterIcon(104, 2, 2, pixels));
  HINSTANCE instance = GetModuleHandleA(nullptr);
  EXPECT_NE(LoadIconA(instance, MAKEINTRESOURCEA(104)), nullptr);
  EXPECT_EQ(LoadIconA(instance, MAKEINTRESOURCEA(105)), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);

  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(104));
  windowClass.lpszClassName = "IconClass";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window =
      CreateWindowA("IconClass", "Icon", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr, instance, nullptr);
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(UnregisterClassA("IconClass", instance));  // still in use
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA("IconClass", instance));
}

void CountKeys(const SDL_Event& event, void* user) {
  if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
    static_cast<std::vector<Uint32>*>(user)->push_back(event.type);
  }
}

TEST_F(WindowTest, ListenersSeeEveryEventThePumpTakes) {
  std::vector<Uint32> keys;
  ASSERT_TRUE(WinAddEventListener(CountKeys, &keys));
  EXPECT_FALSE(WinAddEventListener(CountKeys, &keys));
  ASSERT_TRUE(WinTestPushKey(window_, SDLK_SPACE));
  ASSERT_TRUE(Drain());
  WinRemoveEventListener(CountKeys, &keys);
  ASSERT_TRUE(WinTestPushKey(window_, SDLK_SPACE));
  ASSERT_TRUE(Drain());
  EXPECT_EQ(keys, (std::vector<Uint32>{SDL_KEYDOWN, SDL_KEYUP}));
  // Key input makes no window messages.
  EXPECT_TRUE(gReceived.empty());
}

void RecordMotion(const SDL_Event& event, void* user) {
  if (event.type == SDL_MOUSEMOTION) {
    static_cast<std::vector<SDL_MouseMotionEvent>*>(user)->push_back(event.motion);
  }
}

SDL_Event Motion(HWND window, int x, int y, int dx, int dy) {
  SDL_Event event = {};
  event.type = SDL_MOUSEMOTION;
  event.motion.windowID = SDL_GetWindowID(window->sdlWindow);
  event.motion.x = x;
  event.motion.y = y;
  event.motion.xrel = dx;
  event.motion.yrel = dy;
  return event;
}

TEST_F(WindowTest, CursorWarpsNeverReachListenersAsMotion) {
  std::vector<SDL_MouseMotionEvent> motion;
  ASSERT_TRUE(WinAddEventListener(RecordMotion, &motion));
  POINT centre = {160, 100};
  ASSERT_TRUE(ClientToScreen(window_, &centre));
  ASSERT_TRUE(SetCursorPos(centre.x - 30, centre.y - 20));
  ASSERT_TRUE(SetCursorPos(centre.x, centre.y));
  // A driver that reports the warp with the jump as relative motion.
  ASSERT_TRUE(WinTestPushEvent(Motion(window_, 160, 100, 30, 20)));
  ASSERT_TRUE(WinTestPushEvent(Motion(window_, 165, 100, 5, 0)));
  ASSERT_TRUE(Drain());
  WinRemoveEventListener(RecordMotion, &motion);
  ASSERT_EQ(motion.size(), 1u);
  EXPECT_EQ(motion[0].x, 165);
  EXPECT_EQ(motion[0].xrel, 5);
}

TEST_F(WindowTest, BareRecordAroundAnSdlWindowAnswersGeometry) {
  HWND__ bare;
  bare.sdlWindow = SDL_CreateWindow("bare", 0, 0, 64, 48, SDL_WINDOW_HIDDEN);
  ASSERT_NE(bare.sdlWindow, nullptr);
  RECT client = {};
  EXPECT_TRUE(GetClientRect(&bare, &client));
  EXPECT_EQ(client.right, 64);
  EXPECT_EQ(client.bottom, 48);
  EXPECT_FALSE(IsIconic(&bare));
  EXPECT_FALSE(PostMessageA(&bare, WM_USER, 0, 0));
  SDL_DestroyWindow(bare.sdlWindow);
}

}  // namespace
