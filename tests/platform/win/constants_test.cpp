// The numbers the program's entry, window procedure, device dialog and the
// Direct3D driver pass to and compare with the Windows calls. They are fixed
// by the callers' own constants and stored values, so a change here is a
// change of behaviour, not of spelling.
#include <gtest/gtest.h>

#include "platform/win/win32.h"

namespace {

// Window class, styles and the frame change that makes a window borderless.
static_assert(CS_BYTEALIGNWINDOW == 0x2000, "class style");
static_assert(WS_OVERLAPPEDWINDOW == 0x00CF0000, "framed window");
static_assert(WS_POPUP == 0x80000000u, "borderless window");
static_assert(WS_MAXIMIZE == 0x01000000, "maximised window");
static_assert((SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_FRAMECHANGED) == 0x27, "frame change");
static_assert((SWP_NOMOVE | SWP_NOZORDER) == 6, "resize only");
static_assert(SW_HIDE == 0 && SW_RESTORE == 9 && SW_SHOWDEFAULT == 10, "show commands");
static_assert(GWL_STYLE == -16 && GWL_EXSTYLE == -20, "window longs");

// Messages and their parameters.
static_assert(WM_CREATE == 0x0001 && WM_DESTROY == 0x0002 && WM_SIZE == 0x0005 && WM_ACTIVATE == 0x0006 &&
                  WM_CLOSE == 0x0010 && WM_QUIT == 0x0012,
              "window messages");
static_assert(WM_INITDIALOG == 0x0110 && WM_COMMAND == 0x0111 && WM_TIMER == 0x0113, "dialog and timer messages");
static_assert(WM_SIZING == 0x0214 && WM_DROPFILES == 0x0233, "sizing and drop messages");
static_assert(MM_WOM_OPEN == 0x3BB && MM_WOM_CLOSE == 0x3BC && MM_WOM_DONE == 0x3BD, "wave-out messages");
static_assert(WA_INACTIVE == 0, "deactivation");
static_assert((PM_REMOVE | PM_NOYIELD) == 3, "peek flags");

// Message boxes.
static_assert((MB_ICONERROR | MB_TASKMODAL | MB_TOPMOST) == 0x42010, "error box");
static_assert(MB_OK == 0 && IDOK == 1 && IDCANCEL == 2, "buttons");

// List boxes and buttons in dialogs.
static_assert(LB_ADDSTRING == 0x0180 && LB_RESETCONTENT == 0x0184 && LB_SETCURSEL == 0x0186 && LB_GETCURSEL == 0x0188 &&
                  LB_GETCOUNT == 0x018B && LB_GETITEMDATA == 0x0199 && LB_SETITEMDATA == 0x019A &&
                  LB_FINDSTRINGEXACT == 0x01A2 && LB_ERR == -1,
              "list-box messages");
static_assert(CB_ADDSTRING == 0x0143 && CB_RESETCONTENT == 0x014B && CB_SETCURSEL == 0x014E && CB_GETCURSEL == 0x0147 &&
                  CB_GETITEMDATA == 0x0150 && CB_SETITEMDATA == 0x0151 && CB_FINDSTRINGEXACT == 0x0158 && CB_ERR == -1,
              "combo-box messages");
static_assert(LBN_SELCHANGE == 1 && CBN_SELCHANGE == 1 && BN_CLICKED == 0, "notifications");

// Kernel objects and time.
static_assert(WAIT_OBJECT_0 == 0 && WAIT_TIMEOUT == 0x102, "wait results");

// WM_SIZE and WM_COMMAND pack two 16-bit words; sizes and ids above 32767
// must come back unsigned and unchanged.
TEST(WinConstants, WordPackingRoundTrips) {
  const LPARAM size = MAKELPARAM(40000, 65535);
  EXPECT_EQ(LOWORD(size), 40000);
  EXPECT_EQ(HIWORD(size), 65535);
  EXPECT_GT(size, 0);
  const WPARAM command = MAKEWPARAM(1001, LBN_SELCHANGE);
  EXPECT_EQ(LOWORD(command), 1001);
  EXPECT_EQ(HIWORD(command), LBN_SELCHANGE);
  EXPECT_EQ(LOWORD(MAKEWPARAM(WA_INACTIVE, 1)), WA_INACTIVE);
}

}  // namespace
