// The device dialog: the user picks the adapter and the video mode.
#pragma once

#include "game/app/startup/engine_start.h"
#include "game/foundation/types.h"
#include "platform/win/win32.h"

constexpr int kDeviceDialogId = 104;
constexpr int kDeviceDialogAdapterList = 1000;
constexpr int kDeviceDialogModeList = 1001;
constexpr int kDeviceDialogOk = 1;
constexpr int kDeviceDialogCancel = 1002;

// Registers the dialog template once and runs the dialog modally over owner:
// 1 when the user confirmed, 0 when cancelled, -1 when it could not be shown.
// The choice lands in gCurrentAdapter and gChosenVideoMode.
INT_PTR RunDeviceDialog(HWND owner);
INT_PTR CALLBACK DeviceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The mode the dialog selects at first: the windowed 640 x 480 x 32 mode, or
// -1 when there is none.
s32 FindDialogDefaultMode(const cVideoModeTable& table);
// One line of the mode list: "width x height x depth " and "(Fullscreen)"
// for a full-screen mode.
void FormatVideoModeLine(const RwVideoMode& mode, char* text, size_t size);
