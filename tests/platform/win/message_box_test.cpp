// MessageBoxA without a display: never blocks, always leaves the caption and
// text on stderr; a close request (the quit signal) ends a box that blocks.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/win/win32.h"
#include "platform/win/win_testing.h"
#include "tests/support/scratch_path.h"

namespace {

struct Shown {
  std::string text;
  std::string caption;
  UINT type = 0;
};

int RecordBox(HWND, const char* text, const char* caption, UINT type, void* user) {
  Shown* shown = static_cast<Shown*>(user);
  shown->text = text;
  shown->caption = caption;
  shown->type = type;
  return IDNO;
}

TEST(MessageBoxTest, HeadlessBoxReturnsTheFirstButtonAndWritesStderr) {
  struct Case {
    UINT type;
    int expected;
  };
  for (const Case& box : {Case{MB_OK, IDOK}, Case{MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST, IDOK},
                          Case{MB_YESNO, IDYES}, Case{MB_RETRYCANCEL, IDRETRY}}) {
    SCOPED_TRACE(box.type);
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Error initializing the render engine.", "Tessarak Volde", box.type), box.expected);
    std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Tessarak Volde"), std::string::npos);
    EXPECT_NE(output.find("Error initializing the render engine."), std::string::npos);
  }
  EXPECT_EQ(0x42010u, static_cast<UINT>(MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST));
}

TEST(MessageBoxTest, HookSeesTheBoxAndNullTextsAreSafe) {
  Shown shown;
  WinTestSetMessageBoxHook(RecordBox, &shown);
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Trying 640x480@32 ", "Resolution not found!", MB_OK), IDNO);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_OK), IDNO);
  testing::internal::GetCapturedStderr();
  WinTestSetMessageBoxHook(nullptr, nullptr);
  EXPECT_EQ(shown.text, "");
  EXPECT_FALSE(shown.caption.empty());
}

// The box's text fits the screen: wrapped at blanks, a long word cut, line
// breaks kept, shown as UTF-8 whatever code page the bytes came in.
TEST(MessageBoxTest, BoxTextIsWrappedToTheScreenAndShownAsUtf8) {
  const struct {
    const char* text;
    int columns;
    const char* shown;
  } rows[] = {
      {"a bb ccc dddd", 6, "a bb\nccc\ndddd"},
      {"abcdefghij", 4, "abcd\nefgh\nij"},
      {"Missing file: x\n", 80, "Missing file: x"},
      {"one\r\ntwo\rthree", 80, "one\ntwo\nthree"},
      {"Besch\xE4"
       "digung",
       80,
       "Besch\xC3\xA4"
       "digung"},                                                    // Windows-1252
      {"K\xC3\xA4se \xE2\x82\xAC", 80, "K\xC3\xA4se \xE2\x82\xAC"},  // UTF-8 stays
      {"\x80 a\x01\tb", 80, "\xE2\x82\xAC a? b"},
      {"", 80, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.shown, WinBoxText(row.text, row.columns));
  }
  EXPECT_EQ("", WinBoxText(nullptr, 10));
  EXPECT_EQ(80, WinBoxColumns(1024));
  EXPECT_EQ(64, WinBoxColumns(640));
  EXPECT_EQ(30, WinBoxColumns(100));
}

struct BlockingBox {
  int calls = 0;
  bool childKilled = false;
};

// Stands for a box shown from a child process, as SDL shows one: the child
// waits for good and the caller waits for the child. The quit signal arrives
// while it waits.
int BlockUntilChildEnds(HWND, const char*, const char*, UINT, void* user) {
  BlockingBox* box = static_cast<BlockingBox*>(user);
  box->calls++;
  const pid_t child = fork();
  if (child == 0) {
    // Long enough for any watch; a box nobody ends fails the test, not hangs.
    sleep(20);
    _exit(0);
  }
  if (child < 0) {
    return IDNO;
  }
  kill(getpid(), SIGTERM);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  box->childKilled = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  return IDNO;
}

LRESULT CALLBACK PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(MessageBoxTest, QuitSignalEndsABlockedBoxAsIfClosed) {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PlainProc;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "QuitBoxClass";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "QuitBoxClass", "Quit", WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
  // The video start put the toolkit's quit handler in place; without one the
  // signal would end this test program.
  struct sigaction before = {};
  ASSERT_EQ(0, sigaction(SIGTERM, nullptr, &before));
  if ((before.sa_flags & SA_SIGINFO) == 0 && (before.sa_handler == SIG_DFL || before.sa_handler == SIG_IGN)) {
    DestroyWindow(window);
    UnregisterClassA("QuitBoxClass", GetModuleHandleA(nullptr));
    GTEST_SKIP() << "no quit signal handler";
  }

  // The box process is found through the kernel's list of a thread's children.
  const std::string children = "/proc/self/task/" + std::to_string(syscall(SYS_gettid)) + "/children";
  if (access(children.c_str(), R_OK) != 0) {
    DestroyWindow(window);
    UnregisterClassA("QuitBoxClass", GetModuleHandleA(nullptr));
    GTEST_SKIP() << "no list of child processes";
  }

  BlockingBox box;
  WinTestSetMessageBoxHook(BlockUntilChildEnds, &box);
  testing::internal::CaptureStderr();
  const int result = MessageBoxA(nullptr, "Error initializing the render engine.", "Tessarak Volde",
                                 MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST);
  EXPECT_EQ(IDOK, result);
  EXPECT_EQ(1, box.calls);
  EXPECT_TRUE(box.childKilled);
  // The handler in place before the box is back.
  struct sigaction after = {};
  ASSERT_EQ(0, sigaction(SIGTERM, nullptr, &after));
  EXPECT_EQ(before.sa_handler, after.sa_handler);

  // The signal still became the window's close request; while it waits, a
  // box ends before it shows (Cancel where there is one).
  EXPECT_EQ(IDOK, MessageBoxA(nullptr, "second", "Tessarak Volde", MB_OK));
  EXPECT_EQ(IDCANCEL, MessageBoxA(nullptr, "third", "Tessarak Volde", MB_OKCANCEL));
  EXPECT_EQ(1, box.calls);
  testing::internal::GetCapturedStderr();
  WinTestSetMessageBoxHook(nullptr, nullptr);
  int closes = 0;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    closes += msg.hwnd == window && msg.message == WM_CLOSE ? 1 : 0;
  }
  EXPECT_EQ(1, closes);
  EXPECT_TRUE(DestroyWindow(window));
  EXPECT_TRUE(UnregisterClassA("QuitBoxClass", GetModuleHandleA(nullptr)));
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

TEST(DebugOutputTest, GoesToStderr) {
  const std::string file = ScratchPath("debug.txt");
  const struct {
    const char* value;  // null: unset
    const char* shown;
  } cases[] = {{nullptr, ""}, {"", ""}, {"stderr", "Failed to load sound stream\n"}, {file.c_str(), ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value != nullptr ? c.value : "unset");
    c.value != nullptr ? setenv("TK_DEBUG_OUTPUT", c.value, 1) : unsetenv("TK_DEBUG_OUTPUT");
    testing::internal::CaptureStderr();
    OutputDebugStringA("Failed to load sound stream\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.shown);
  }
  OutputDebugStringA("and again\n");
  std::ifstream written(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "Failed to load sound stream\nand again\n");
  remove(file.c_str());
  setenv("TK_DEBUG_OUTPUT", "stderr", 1);
}

}  // namespace
