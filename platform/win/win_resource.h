// The program's resources: dialog templates and icons that a Windows program
// would carry in its resource script. The program registers them once at
// start-up; DialogBoxParamA and LoadIconA find them by integer id.
#pragma once

#include "platform/win/win32.h"

enum WinControlKind {
  kWinControlStatic,    // a line of text
  kWinControlButton,    // a push button; sends BN_CLICKED
  kWinControlListBox,   // a list answering LB_ messages; notifies LBN_
  kWinControlComboBox,  // drawn as a list, answering CB_ messages; notifies CBN_
};

// Positions and sizes are in pixels of the dialog's client area.
struct WinDialogControl {
  WinControlKind kind;
  int id;
  const char* text;
  int x, y, width, height;
  BOOL defaultButton;  // the button that ENTER presses
};

struct WinDialogTemplate {
  int id;
  const char* title;
  int width, height;  // client size
  const WinDialogControl* controls;
  int controlCount;
};

// Copies the template (texts included); a later registration with the same id
// replaces it. False for a template without controls or with a bad size.
BOOL WinRegisterDialogTemplate(const WinDialogTemplate* dialog);

// Registers an icon picture of width x height pixels, 4 bytes each in the
// order R, G, B, A, rows from the top. The pixels are copied.
BOOL WinRegisterIcon(int id, int width, int height, const BYTE* pixels);
