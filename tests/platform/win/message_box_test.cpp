// MessageBoxA without a display: never blocks, always leaves the caption and
// text on stderr.
#include <gtest/gtest.h>

#include <string>

#include "platform/win/win32.h"
#include "platform/win/win_testing.h"

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

TEST(DebugOutputTest, GoesToStderr) {
  testing::internal::CaptureStderr();
  OutputDebugStringA("Failed to load sound stream\n");
  OutputDebugStringA(nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Failed to load sound stream\n");
}

}  // namespace
