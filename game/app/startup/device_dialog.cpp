// The device dialog over the engine's adapters and video modes.
#include "game/app/startup/device_dialog.h"

#include <cstdio>

#include "platform/win/win_resource.h"

namespace {

const WinDialogControl kControls[] = {
    {kWinControlStatic, -1, "Please select the device to use:", 12, 10, 336, 20, FALSE},
    {kWinControlListBox, kDeviceDialogAdapterList, "", 12, 36, 336, 64, FALSE},
    {kWinControlListBox, kDeviceDialogModeList, "", 12, 110, 336, 140, FALSE},
    {kWinControlButton, kDeviceDialogOk, "OK", 176, 262, 80, 26, TRUE},
    {kWinControlButton, kDeviceDialogCancel, "Cancel", 268, 262, 80, 26, FALSE},
};

const WinDialogTemplate kTemplate = {kDeviceDialogId,
                                     "Device Selection",
                                     360,
                                     300,
                                     kControls,
                                     static_cast<int>(sizeof(kControls) / sizeof(kControls[0]))};

bool sTemplateRegistered = false;

LRESULT ListMessage(HWND dialog, int list, UINT message, WPARAM wParam, LPARAM lParam) {
  return SendDlgItemMessageA(dialog, list, message, wParam, lParam);
}

// Selects the item whose data is value; nothing when none has it.
void SelectItemWithData(HWND dialog, int list, s32 value) {
  const LRESULT count = ListMessage(dialog, list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; i++) {
    if (ListMessage(dialog, list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0) == value) {
      ListMessage(dialog, list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
      return;
    }
  }
}

// The data of the selected item, or -1 without a selection.
s32 SelectedData(HWND dialog, int list) {
  const LRESULT selected = ListMessage(dialog, list, LB_GETCURSEL, 0, 0);
  if (selected == LB_ERR) {
    return -1;
  }
  return static_cast<s32>(ListMessage(dialog, list, LB_GETITEMDATA, static_cast<WPARAM>(selected), 0));
}

void AddItem(HWND dialog, int list, const char* text, s32 data) {
  const LRESULT item = ListMessage(dialog, list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
  if (item >= 0) {
    ListMessage(dialog, list, LB_SETITEMDATA, static_cast<WPARAM>(item), static_cast<LPARAM>(data));
  }
}

void FillAdapterList(HWND dialog) {
  for (u32 i = 0; i < gAdapterCount; i++) {
    AddItem(dialog, kDeviceDialogAdapterList, gAdapters[i].name, static_cast<s32>(i));
  }
  SelectItemWithData(dialog, kDeviceDialogAdapterList, gCurrentAdapter);
}

void FillModeList(HWND dialog) {
  ListMessage(dialog, kDeviceDialogModeList, LB_RESETCONTENT, 0, 0);
  const cEngineVideoModes modes;
  const s32 count = modes.GetCount();
  for (s32 i = 0; i < count; i++) {
    RwVideoMode mode;
    if (!modes.GetMode(i, &mode)) {
      continue;
    }
    char line[96];
    FormatVideoModeLine(mode, line, sizeof(line));
    AddItem(dialog, kDeviceDialogModeList, line, i);
  }
}

void OnInitDialog(HWND dialog) {
  FillAdapterList(dialog);
  FillModeList(dialog);
  const s32 preselected = FindDialogDefaultMode(cEngineVideoModes());
  if (preselected >= 0) {
    gChosenVideoMode = preselected;
    SelectItemWithData(dialog, kDeviceDialogModeList, preselected);
  }
}

void OnAdapterNotification(HWND dialog) {
  const s32 adapter = SelectedData(dialog, kDeviceDialogAdapterList);
  if (adapter < 0 || adapter == gCurrentAdapter) {
    return;
  }
  gCurrentAdapter = adapter;
  RwEngineSetSubSystem(adapter);
  FillModeList(dialog);
  gChosenVideoMode = RwEngineGetCurrentVideoMode();
  SelectItemWithData(dialog, kDeviceDialogModeList, gChosenVideoMode);
}

}  // namespace

s32 FindDialogDefaultMode(const cVideoModeTable& table) {
  const s32 count = table.GetCount();
  for (s32 i = 0; i < count; i++) {
    RwVideoMode mode;
    if (table.GetMode(i, &mode) && mode.width == 640 && mode.height == 480 && mode.depth == 32 &&
        (mode.flags & kRwVideoModeExclusive) == 0) {
      return i;
    }
  }
  return -1;
}

void FormatVideoModeLine(const RwVideoMode& mode, char* text, size_t size) {
  snprintf(text, size, "%d x %d x %d %s", static_cast<int>(mode.width), static_cast<int>(mode.height),
           static_cast<int>(mode.depth), (mode.flags & kRwVideoModeExclusive) != 0 ? "(Fullscreen)" : "");
}

INT_PTR CALLBACK DeviceDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    OnInitDialog(dialog);
    return TRUE;
  }
  if (message != WM_COMMAND) {
    return FALSE;
  }
  const int control = LOWORD(wParam);
  const int notification = HIWORD(wParam);
  if (control == kDeviceDialogAdapterList) {
    OnAdapterNotification(dialog);
  } else if (control == kDeviceDialogModeList && notification == LBN_SELCHANGE) {
    const s32 mode = SelectedData(dialog, kDeviceDialogModeList);
    if (mode >= 0) {
      gChosenVideoMode = mode;
    }
  } else if (control == kDeviceDialogOk && notification == BN_CLICKED) {
    EndDialog(dialog, 1);
  } else if (control == kDeviceDialogCancel && notification == BN_CLICKED) {
    EndDialog(dialog, 0);
  } else {
    return FALSE;
  }
  return TRUE;
}

INT_PTR RunDeviceDialog(HWND owner) {
  if (!sTemplateRegistered) {
    sTemplateRegistered = WinRegisterDialogTemplate(&kTemplate) != FALSE;
  }
  return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kDeviceDialogId), owner, DeviceDialogProc, 0);
}
