// The modal device-selection dialog driven by injected mouse and keyboard
// input, and the list messages its procedure relies on.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_resource.h"
#include "platform/win/win_testing.h"
#include "platform/win/window_internal.h"

namespace {

constexpr int kDeviceDialog = 104;
constexpr int kAdapterList = 1000;
constexpr int kModeList = 1001;
constexpr int kCancelButton = 1002;

const WinDialogControl kControls[] = {
    {kWinControlStatic, -1, "Please select the device to use:", 10, 10, 300, 12, FALSE},
    {kWinControlListBox, kAdapterList, nullptr, 10, 30, 300, 40, FALSE},
    {kWinControlListBox, kModeList, nullptr, 10, 80, 300, 64, FALSE},
    {kWinControlButton, IDOK, "OK", 150, 160, 70, 22, TRUE},
    {kWinControlButton, kCancelButton, "Cancel", 230, 160, 70, 22, FALSE},
};
const WinDialogTemplate kTemplate = {kDeviceDialog, "Device Selection", 320, 192, kControls, 5};

struct Mode {
  unsigned width, height, depth;
  bool fullScreen;
};

// A small device table and the dialog procedure the start-up code uses with
// it: two adapters, each with its own modes.
struct Devices {
  std::vector<std::string> adapters = {"Primary Display", "Second Display"};
  std::vector<std::vector<Mode>> modes = {
      {{800, 600, 32, false}, {640, 480, 16, true}, {640, 480, 32, true}, {1024, 768, 32, true}},
      {{1280, 1024, 32, false}, {640, 480, 32, true}}};
  int currentAdapter = 0;
  int chosenMode = -1;
  int selectionChanges = 0;
};

Devices* gDevices = nullptr;

void FillModes(HWND dialog) {
  SendDlgItemMessageA(dialog, kModeList, LB_RESETCONTENT, 0, 0);
  const std::vector<Mode>& modes = gDevices->modes[gDevices->currentAdapter];
  for (size_t i = 0; i < modes.size(); ++i) {
    char line[64];
    snprintf(line, sizeof(line), "%u x %u x %u %s", modes[i].width, modes[i].height, modes[i].depth,
             modes[i].fullScreen ? "(Fullscreen)" : "");
    LRESULT index = SendDlgItemMessageA(dialog, kModeList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    SendDlgItemMessageA(dialog, kModeList, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
  }
}

INT_PTR CALLBACK DeviceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      for (size_t i = 0; i < gDevices->adapters.size(); ++i) {
        LRESULT index = SendDlgItemMessageA(dialog, kAdapterList, LB_ADDSTRING, 0,
                                            reinterpret_cast<LPARAM>(gDevices->adapters[i].c_str()));
        SendDlgItemMessageA(dialog, kAdapterList, LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
      }
      SendDlgItemMessageA(dialog, kAdapterList, LB_SETCURSEL, static_cast<WPARAM>(gDevices->currentAdapter), 0);
      FillModes(dialog);
      LRESULT found = SendDlgItemMessageA(dialog, kModeList, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                          reinterpret_cast<LPARAM>("640 x 480 x 32 (FULLSCREEN)"));
      if (found != LB_ERR) {
        gDevices->chosenMode = static_cast<int>(found);
        SendDlgItemMessageA(dialog, kModeList, LB_SETCURSEL, static_cast<WPARAM>(found), 0);
      }
      return TRUE;
    }
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      int code = HIWORD(wParam);
      if (id == kAdapterList) {
        LRESULT selection = SendDlgItemMessageA(dialog, kAdapterList, LB_GETCURSEL, 0, 0);
        if (selection != LB_ERR && selection != gDevices->currentAdapter) {
          gDevices->currentAdapter = static_cast<int>(
              SendDlgItemMessageA(dialog, kAdapterList, LB_GETITEMDATA, static_cast<WPARAM>(selection), 0));
          FillModes(dialog);
          gDevices->chosenMode = 0;
          SendDlgItemMessageA(dialog, kModeList, LB_SETCURSEL, 0, 0);
        }
      } else if (id == kModeList && code == LBN_SELCHANGE) {
        ++gDevices->selectionChanges;
        LRESULT selection = SendDlgItemMessageA(dialog, kModeList, LB_GETCURSEL, 0, 0);
        gDevices->chosenMode =
            static_cast<int>(SendDlgItemMessageA(dialog, kModeList, LB_GETITEMDATA, static_cast<WPARAM>(selection), 0));
      } else if (id == IDOK && code == BN_CLICKED) {
        EndDialog(dialog, 1);
      } else if (id == kCancelButton && code == BN_CLICKED) {
        EndDialog(dialog, 0);
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}

// Runs the dialog with a script called on every pass of its loop; a dialog
// still open after many passes is ended with -2 so that a fault cannot hang.
struct Script {
  std::function<void(HWND, int)> step;
};

void RunScript(HWND dialog, int pass, void* user) {
  static_cast<Script*>(user)->step(dialog, pass);
  if (pass > 2000) {
    EndDialog(dialog, -2);
  }
}

POINT CentreOf(HWND dialog, int id) {
  RECT rect = {};
  WinTestGetControlRect(GetDlgItem(dialog, id), &rect);
  return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// The client point of row `row` in a list.
POINT RowOf(HWND dialog, int id, int row) {
  RECT rect = {};
  WinTestGetControlRect(GetDlgItem(dialog, id), &rect);
  return {rect.left + 20, rect.top + 2 + row * 12 + 6};
}

class DialogTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(WinRegisterDialogTemplate(&kTemplate));
    gDevices = &devices_;
  }
  void TearDown() override {
    WinTestSetDialogHook(nullptr, nullptr);
    gDevices = nullptr;
  }

  INT_PTR Run(Script& script) {
    WinTestSetDialogHook(RunScript, &script);
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDeviceDialog), nullptr, DeviceDialogProc, 0);
  }

  Devices devices_;
};

TEST_F(DialogTest, EnterTakesThePresetModeOfTheExactSearch) {
  Script script{[](HWND dialog, int pass) {
    if (pass == 0) {
      WinTestPushKey(dialog, SDLK_RETURN);
    }
  }};
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(devices_.currentAdapter, 0);
  EXPECT_EQ(devices_.chosenMode, 2);
  EXPECT_EQ(devices_.selectionChanges, 0);
}

TEST_F(DialogTest, MouseAndKeyboardChooseAdapterAndMode) {
  Script script{[](HWND dialog, int pass) {
    if (pass == 0) {
      POINT second = RowOf(dialog, kAdapterList, 1);
      WinTestPushClick(dialog, second.x, second.y, 1);
      POINT first = RowOf(dialog, kModeList, 0);
      WinTestPushClick(dialog, first.x, first.y, 1);  // focus the mode list on its first row
      WinTestPushKey(dialog, SDLK_DOWN);
      POINT ok = CentreOf(dialog, IDOK);
      WinTestPushClick(dialog, ok.x, ok.y, 1);
    }
  }};
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(devices_.currentAdapter, 1);
  EXPECT_EQ(devices_.chosenMode, 1);
}

TEST_F(DialogTest, TabMovesFocusAndCancelEndsWithZero) {
  Script script{[](HWND dialog, int pass) {
    if (pass == 0) {
      // Focus starts on the adapter list: down selects the second adapter.
      WinTestPushKey(dialog, SDLK_DOWN);
      // Escape sends IDCANCEL, which this procedure does not answer.
      WinTestPushKey(dialog, SDLK_ESCAPE);
    } else if (pass == 5) {
      POINT cancel = CentreOf(dialog, kCancelButton);
      WinTestPushClick(dialog, cancel.x, cancel.y, 1);
    }
  }};
  EXPECT_EQ(Run(script), 0);
  EXPECT_EQ(devices_.currentAdapter, 1);
}

// Ends on IDCANCEL with 7 when asked to, and counts the cancel commands.
bool gAnswerCancel = false;
int gCancelCommands = 0;
INT_PTR CALLBACK CancelProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
    ++gCancelCommands;
    if (gAnswerCancel) {
      EndDialog(dialog, 7);
    }
    return TRUE;
  }
  return message == WM_INITDIALOG ? TRUE : FALSE;
}

TEST_F(DialogTest, QuitSignalClosesTheDialogAndEndsOneThatStaysOpen) {
  Script script{[](HWND, int pass) {
    if (pass == 1) {
      SDL_Event quit = {};
      quit.type = SDL_QUIT;
      WinTestPushEvent(quit);
    }
  }};
  for (bool answer : {false, true}) {
    SCOPED_TRACE(answer ? "procedure ends on cancel" : "procedure ignores cancel");
    gAnswerCancel = answer;
    gCancelCommands = 0;
    WinTestSetDialogHook(RunScript, &script);
    EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kDeviceDialog), nullptr, CancelProc, 0), answer ? 7 : 0);
    EXPECT_EQ(gCancelCommands, 1);
  }
}

TEST_F(DialogTest, ReleasingTheMouseOutsideTheButtonDoesNotPressIt) {
  Script script{[](HWND dialog, int pass) {
    if (pass == 0) {
      POINT ok = CentreOf(dialog, IDOK);
      SDL_Event event = {};
      event.button.windowID = SDL_GetWindowID(dialog->sdlWindow);
      event.button.button = SDL_BUTTON_LEFT;
      event.button.clicks = 1;
      event.type = SDL_MOUSEBUTTONDOWN;
      event.button.x = ok.x;
      event.button.y = ok.y;
      WinTestPushEvent(event);
      event.type = SDL_MOUSEBUTTONUP;
      event.button.x = 5;
      event.button.y = 5;
      WinTestPushEvent(event);
    } else if (pass == 3) {
      // The press left the focus on OK: one tab reaches Cancel.
      WinTestPushKey(dialog, SDLK_TAB);
      WinTestPushKey(dialog, SDLK_SPACE);
    }
  }};
  EXPECT_EQ(Run(script), 0);
}

TEST_F(DialogTest, SelectedRowIsDrawnHighlighted) {
  BYTE selected[4] = {};
  BYTE unselected[4] = {};
  bool read = false;
  Script script{[&](HWND dialog, int pass) {
    if (pass == 1) {
      POINT row2 = RowOf(dialog, kModeList, 2);
      POINT row3 = RowOf(dialog, kModeList, 3);
      // Sample the row's background left of its text.
      read = WinTestReadDialogPixel(dialog, row2.x - 17, row2.y, selected) &&
             WinTestReadDialogPixel(dialog, row3.x - 17, row3.y, unselected);
      EndDialog(dialog, 7);
    }
  }};
  EXPECT_EQ(Run(script), 7);
  ASSERT_TRUE(read);
  EXPECT_LT(selected[0] + selected[1], 100);
  EXPECT_GT(selected[2], 80);
  EXPECT_EQ(unselected[0], 255);
  EXPECT_EQ(unselected[2], 255);
}

TEST_F(DialogTest, UnknownTemplateFails) {
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(999), nullptr, DeviceDialogProc, 0), -1);
  EXPECT_EQ(DialogBoxParamA(nullptr, "named", nullptr, DeviceDialogProc, 0), -1);
  EXPECT_FALSE(WinRegisterDialogTemplate(nullptr));
}

// The list messages, checked from inside a dialog's WM_INITDIALOG.
INT_PTR CALLBACK ListChecksProc(HWND dialog, UINT message, WPARAM, LPARAM param) {
  if (message != WM_INITDIALOG) {
    return FALSE;
  }
  auto& results = *reinterpret_cast<std::vector<LRESULT>*>(param);
  auto send = [&](UINT msg, WPARAM w, LPARAM l) { return SendDlgItemMessageA(dialog, kModeList, msg, w, l); };
  auto text = [](const char* s) { return reinterpret_cast<LPARAM>(s); };
  results.push_back(send(LB_ADDSTRING, 0, text("alpha")));                              // 0
  results.push_back(send(LB_ADDSTRING, 0, text("Beta")));                               // 1
  results.push_back(send(LB_ADDSTRING, 0, text("alpha")));                              // 2
  results.push_back(send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text("ALPHA")));  // 0
  results.push_back(send(LB_FINDSTRINGEXACT, 0, text("alpha")));                        // 2: search starts after 0
  results.push_back(send(LB_FINDSTRINGEXACT, 2, text("alpha")));                        // 0: wraps round
  results.push_back(send(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), text("alph")));   // LB_ERR
  results.push_back(send(LB_SETCURSEL, 1, 0));                                          // 1
  results.push_back(send(LB_GETCURSEL, 0, 0));                                          // 1
  results.push_back(send(LB_SETCURSEL, 9, 0));                                          // LB_ERR, selection cleared
  results.push_back(send(LB_GETCURSEL, 0, 0));                                          // LB_ERR
  results.push_back(send(LB_SETITEMDATA, 1, 77));                                       // LB_OKAY
  results.push_back(send(LB_GETITEMDATA, 1, 0));                                        // 77
  results.push_back(send(LB_GETITEMDATA, 3, 0));                                        // LB_ERR
  results.push_back(send(LB_GETCOUNT, 0, 0));                                           // 3
  results.push_back(send(LB_RESETCONTENT, 0, 0));                                       // LB_OKAY
  results.push_back(send(LB_GETCOUNT, 0, 0));                                           // 0
  results.push_back(send(LB_GETITEMDATA, 0, 0));                                        // LB_ERR
  results.push_back(GetDlgItem(dialog, 4242) == nullptr ? 1 : 0);                       // 1
  EndDialog(dialog, 5);
  return TRUE;
}

TEST_F(DialogTest, ListMessagesAnswerAsListBoxesDo) {
  std::vector<LRESULT> results;
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(kDeviceDialog), nullptr, ListChecksProc,
                            reinterpret_cast<LPARAM>(&results)),
            5);
  std::vector<LRESULT> expected = {0,      1,       2,  0,      2, 0,       LB_ERR, 1,      1, LB_ERR,
                                   LB_ERR, LB_OKAY, 77, LB_ERR, 3, LB_OKAY, 0,      LB_ERR, 1};
  EXPECT_EQ(results, expected);
}

const WinDialogControl kComboControls[] = {
    {kWinControlComboBox, kModeList, nullptr, 10, 10, 200, 60, FALSE},
    {kWinControlButton, IDOK, "OK", 10, 80, 60, 20, TRUE},
};
const WinDialogTemplate kComboTemplate = {105, "Combo", 220, 110, kComboControls, 2};

INT_PTR CALLBACK ComboChecksProc(HWND dialog, UINT message, WPARAM wParam, LPARAM param) {
  static std::vector<LRESULT>* results = nullptr;
  auto send = [&](UINT msg, WPARAM w, LPARAM l) { return SendDlgItemMessageA(dialog, kModeList, msg, w, l); };
  if (message == WM_INITDIALOG) {
    results = reinterpret_cast<std::vector<LRESULT>*>(param);
    results->push_back(send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("one")));
    results->push_back(send(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("two")));
    results->push_back(send(CB_SETITEMDATA, 1, 42));
    results->push_back(send(CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("TWO")));
    results->push_back(send(CB_GETCURSEL, 0, 0));
    // LB_ messages mean nothing to a combo box.
    results->push_back(send(LB_GETCOUNT, 0, 0));
    return TRUE;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == kModeList && HIWORD(wParam) == CBN_SELCHANGE) {
    LRESULT selection = send(CB_GETCURSEL, 0, 0);
    results->push_back(send(CB_GETITEMDATA, static_cast<WPARAM>(selection), 0));
    EndDialog(dialog, 9);
    return TRUE;
  }
  return FALSE;
}

TEST_F(DialogTest, ComboBoxAnswersComboMessagesAndNotifiesSelection) {
  ASSERT_TRUE(WinRegisterDialogTemplate(&kComboTemplate));
  std::vector<LRESULT> results;
  Script script{[](HWND dialog, int pass) {
    if (pass == 0) {
      POINT second = RowOf(dialog, kModeList, 1);
      WinTestPushClick(dialog, second.x, second.y, 1);
    }
  }};
  WinTestSetDialogHook(RunScript, &script);
  EXPECT_EQ(
      DialogBoxParamA(nullptr, MAKEINTRESOURCEA(105), nullptr, ComboChecksProc, reinterpret_cast<LPARAM>(&results)), 9);
  EXPECT_EQ(results, (std::vector<LRESULT>{0, 1, CB_OKAY, 1, CB_ERR, 0, 42}));
}

}  // namespace
