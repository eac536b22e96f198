// Modal dialogs from registered templates: static texts, push buttons and
// lists drawn with SDL's 2D renderer into a canvas shown in the dialog's own
// SDL window, driven by mouse and keyboard, talking to the dialog procedure
// with WM_INITDIALOG and WM_COMMAND.
#include <strings.h>

#include <algorithm>
#include <map>

#include "platform/win/win_internal.h"
#include "platform/win/win_resource.h"
#include "platform/win/win_testing.h"

struct WinControl {
  WinControlKind kind = kWinControlStatic;
  int id = 0;
  std::string text;
  SDL_Rect rect = {0, 0, 0, 0};
  bool defaultButton = false;
  std::vector<std::string> items;
  std::vector<LPARAM> itemData;
  int selection = -1;
  int top = 0;  // first visible item
};

struct WinDialog {
  DLGPROC procedure = nullptr;
  HWND owner = nullptr;
  std::vector<HWND> controls;
  HWND focus = nullptr;
  HWND pressedButton = nullptr;
  bool ended = false;
  INT_PTR result = 0;
  SDL_Surface* canvas = nullptr;
  SDL_Renderer* renderer = nullptr;
  bool dirty = true;
  bool drawn = false;
};

namespace {

constexpr int kRowHeight = kWinCellHeight + 3;
constexpr int kListPadding = 2;
// The modal loop sleeps at most this long waiting for input.
constexpr int kDialogWaitMs = 20;

struct StoredControl {
  WinControlKind kind;
  int id;
  std::string text;
  int x, y, width, height;
  bool defaultButton;
};

struct StoredTemplate {
  std::string title;
  int width = 0;
  int height = 0;
  std::vector<StoredControl> controls;
};

std::mutex gTemplateLock;
std::map<int, StoredTemplate> gTemplates;

std::mutex gHookLock;
WinTestDialogHook gDialogHook = nullptr;
void* gDialogHookUser = nullptr;

const SDL_Color kFace = {212, 208, 200, 255};
const SDL_Color kText = {0, 0, 0, 255};
const SDL_Color kWhite = {255, 255, 255, 255};
const SDL_Color kShadow = {128, 128, 128, 255};
const SDL_Color kHighlight = {10, 36, 106, 255};
const SDL_Color kPressed = {180, 176, 168, 255};

WinControl& ControlOf(HWND control) { return *control->state->control; }

bool IsList(const WinControl& control) {
  return control.kind == kWinControlListBox || control.kind == kWinControlComboBox;
}

bool IsFocusable(const WinControl& control) { return control.kind != kWinControlStatic; }

int VisibleRows(const WinControl& control) { return std::max(1, (control.rect.h - 2 * kListPadding) / kRowHeight); }

void KeepSelectionVisible(WinControl& control) {
  int rows = VisibleRows(control);
  if (control.selection >= 0) {
    if (control.selection < control.top) {
      control.top = control.selection;
    } else if (control.selection >= control.top + rows) {
      control.top = control.selection - rows + 1;
    }
  }
  int maxTop = std::max(0, static_cast<int>(control.items.size()) - rows);
  control.top = std::clamp(control.top, 0, maxTop);
}

void Notify(HWND dialog, HWND control, int code) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(ControlOf(control).id, code), reinterpret_cast<LPARAM>(control));
}

void PressButton(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void SetColor(SDL_Renderer* renderer, const SDL_Color& color) {
  SDL_SetRenderDrawColor(renderer, color.r, color.g, color.b, color.a);
}

void DrawList(SDL_Renderer* renderer, const WinControl& control, bool focused) {
  const SDL_Rect& box = control.rect;
  SetColor(renderer, kWhite);
  SDL_RenderFillRect(renderer, &box);
  SetColor(renderer, focused ? kText : kShadow);
  SDL_RenderDrawRect(renderer, &box);
  int rows = VisibleRows(control);
  for (int row = 0; row < rows; ++row) {
    int index = control.top + row;
    if (index >= static_cast<int>(control.items.size())) {
      break;
    }
    SDL_Rect line = {box.x + kListPadding, box.y + kListPadding + row * kRowHeight, box.w - 2 * kListPadding,
                     kRowHeight};
    if (index == control.selection) {
      SetColor(renderer, kHighlight);
      SDL_RenderFillRect(renderer, &line);
      SetColor(renderer, kWhite);
    } else {
      SetColor(renderer, kText);
    }
    WinDrawText(renderer, line.x + 2, line.y + (kRowHeight - kWinGlyphHeight) / 2, control.items[index].c_str(),
                line.w - 4);
  }
}

void DrawButton(SDL_Renderer* renderer, const WinControl& control, bool focused, bool pressed) {
  const SDL_Rect& box = control.rect;
  SetColor(renderer, pressed ? kPressed : kFace);
  SDL_RenderFillRect(renderer, &box);
  SetColor(renderer, control.defaultButton || focused ? kText : kShadow);
  SDL_RenderDrawRect(renderer, &box);
  if (control.defaultButton) {
    SDL_Rect inner = {box.x + 1, box.y + 1, box.w - 2, box.h - 2};
    SDL_RenderDrawRect(renderer, &inner);
  }
  SetColor(renderer, kText);
  int width = std::min(WinTextWidth(control.text.c_str()), box.w - 4);
  WinDrawText(renderer, box.x + (box.w - width) / 2, box.y + (box.h - kWinGlyphHeight) / 2, control.text.c_str(),
              box.w - 4);
}

void Draw(HWND dialog) {
  WinDialog& state = *dialog->state->dialog;
  SDL_Renderer* renderer = state.renderer;
  SetColor(renderer, kFace);
  SDL_RenderClear(renderer);
  for (HWND handle : state.controls) {
    const WinControl& control = ControlOf(handle);
    bool focused = handle == state.focus;
    switch (control.kind) {
      case kWinControlStatic:
        SetColor(renderer, kText);
        WinDrawText(renderer, control.rect.x, control.rect.y, control.text.c_str(), control.rect.w);
        break;
      case kWinControlButton:
        DrawButton(renderer, control, focused, handle == state.pressedButton);
        break;
      case kWinControlListBox:
      case kWinControlComboBox:
        DrawList(renderer, control, focused);
        break;
    }
  }
  SDL_RenderPresent(renderer);
  SDL_Surface* windowSurface = SDL_GetWindowSurface(dialog->sdlWindow);
  if (windowSurface != nullptr) {
    SDL_BlitSurface(state.canvas, nullptr, windowSurface, nullptr);
    SDL_UpdateWindowSurface(dialog->sdlWindow);
  }
  state.dirty = false;
  state.drawn = true;
}

HWND ControlAt(HWND dialog, int x, int y) {
  SDL_Point point = {x, y};
  for (HWND handle : dialog->state->dialog->controls) {
    if (SDL_PointInRect(&point, &ControlOf(handle).rect)) {
      return handle;
    }
  }
  return nullptr;
}

void SetFocus(HWND dialog, HWND control) {
  WinDialog& state = *dialog->state->dialog;
  if (state.focus == control) {
    return;
  }
  HWND previous = state.focus;
  state.focus = control;
  state.dirty = true;
  if (previous != nullptr && IsList(ControlOf(previous))) {
    Notify(dialog, previous, ControlOf(previous).kind == kWinControlListBox ? LBN_KILLFOCUS : CBN_KILLFOCUS);
  }
  if (control != nullptr && IsList(ControlOf(control))) {
    Notify(dialog, control, ControlOf(control).kind == kWinControlListBox ? LBN_SETFOCUS : CBN_SETFOCUS);
  }
}

void MoveFocus(HWND dialog, int step) {
  WinDialog& state = *dialog->state->dialog;
  std::vector<HWND> order;
  for (HWND handle : state.controls) {
    if (IsFocusable(ControlOf(handle))) {
      order.push_back(handle);
    }
  }
  if (order.empty()) {
    return;
  }
  auto found = std::find(order.begin(), order.end(), state.focus);
  int index = found == order.end() ? 0 : static_cast<int>(found - order.begin()) + step;
  int count = static_cast<int>(order.size());
  SetFocus(dialog, order[((index % count) + count) % count]);
}

// A user's selection in a list: tells the dialog when it changed.
void SelectByUser(HWND dialog, HWND list, int index) {
  WinControl& control = ControlOf(list);
  if (control.items.empty()) {
    return;
  }
  index = std::clamp(index, 0, static_cast<int>(control.items.size()) - 1);
  dialog->state->dialog->dirty = true;
  if (index == control.selection) {
    return;
  }
  control.selection = index;
  KeepSelectionVisible(control);
  Notify(dialog, list, LBN_SELCHANGE);
}

void DefaultButton(HWND dialog) {
  WinDialog& state = *dialog->state->dialog;
  if (state.focus != nullptr && ControlOf(state.focus).kind == kWinControlButton) {
    PressButton(dialog, ControlOf(state.focus).id);
    return;
  }
  for (HWND handle : state.controls) {
    if (ControlOf(handle).kind == kWinControlButton && ControlOf(handle).defaultButton) {
      PressButton(dialog, ControlOf(handle).id);
      return;
    }
  }
  PressButton(dialog, IDOK);
}

void HandleKey(HWND dialog, const SDL_KeyboardEvent& key) {
  WinDialog& state = *dialog->state->dialog;
  HWND focus = state.focus;
  bool listFocused = focus != nullptr && IsList(ControlOf(focus));
  int selection = listFocused ? ControlOf(focus).selection : 0;
  switch (key.keysym.sym) {
    case SDLK_TAB:
      MoveFocus(dialog, (key.keysym.mod & KMOD_SHIFT) != 0 ? -1 : 1);
      break;
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      DefaultButton(dialog);
      break;
    case SDLK_ESCAPE:
      PressButton(dialog, IDCANCEL);
      break;
    case SDLK_SPACE:
      if (focus != nullptr && ControlOf(focus).kind == kWinControlButton) {
        PressButton(dialog, ControlOf(focus).id);
      }
      break;
    case SDLK_UP:
      if (listFocused) {
        SelectByUser(dialog, focus, selection < 0 ? 0 : selection - 1);
      }
      break;
    case SDLK_DOWN:
      if (listFocused) {
        SelectByUser(dialog, focus, selection < 0 ? 0 : selection + 1);
      }
      break;
    case SDLK_PAGEUP:
      if (listFocused) {
        SelectByUser(dialog, focus, selection - VisibleRows(ControlOf(focus)));
      }
      break;
    case SDLK_PAGEDOWN:
      if (listFocused) {
        SelectByUser(dialog, focus, selection + VisibleRows(ControlOf(focus)));
      }
      break;
    case SDLK_HOME:
      if (listFocused) {
        SelectByUser(dialog, focus, 0);
      }
      break;
    case SDLK_END:
      if (listFocused) {
        SelectByUser(dialog, focus, static_cast<int>(ControlOf(focus).items.size()) - 1);
      }
      break;
    default:
      break;
  }
}

void HandleButtonDown(HWND dialog, const SDL_MouseButtonEvent& button) {
  if (button.button != SDL_BUTTON_LEFT) {
    return;
  }
  WinDialog& state = *dialog->state->dialog;
  HWND hit = ControlAt(dialog, button.x, button.y);
  if (hit == nullptr || !IsFocusable(ControlOf(hit))) {
    return;
  }
  SetFocus(dialog, hit);
  WinControl& control = ControlOf(hit);
  if (control.kind == kWinControlButton) {
    state.pressedButton = hit;
    state.dirty = true;
    return;
  }
  int row = (button.y - control.rect.y - kListPadding) / kRowHeight;
  int index = control.top + row;
  if (row < 0 || row >= VisibleRows(control) || index >= static_cast<int>(control.items.size())) {
    return;
  }
  SelectByUser(dialog, hit, index);
  if (button.clicks >= 2 && IsWindow(hit)) {
    Notify(dialog, hit, LBN_DBLCLK);
  }
}

void HandleButtonUp(HWND dialog, const SDL_MouseButtonEvent& button) {
  WinDialog& state = *dialog->state->dialog;
  HWND pressed = state.pressedButton;
  if (button.button != SDL_BUTTON_LEFT || pressed == nullptr) {
    return;
  }
  state.pressedButton = nullptr;
  state.dirty = true;
  if (ControlAt(dialog, button.x, button.y) == pressed) {
    PressButton(dialog, ControlOf(pressed).id);
  }
}

void HandleWheel(HWND dialog, const SDL_MouseWheelEvent& wheel) {
  WinDialog& state = *dialog->state->dialog;
  HWND target = ControlAt(dialog, wheel.mouseX, wheel.mouseY);
  if (target == nullptr || !IsList(ControlOf(target))) {
    target = state.focus;
  }
  if (target == nullptr || !IsList(ControlOf(target))) {
    return;
  }
  WinControl& control = ControlOf(target);
  int maxTop = std::max(0, static_cast<int>(control.items.size()) - VisibleRows(control));
  control.top = std::clamp(control.top - wheel.y, 0, maxTop);
  state.dirty = true;
}

HWND MakeControl(HWND dialog, const StoredControl& stored) {
  HWND handle = new HWND__;
  handle->state = new WinWindowState;
  handle->state->kind = WinWindowKind::kControl;
  handle->state->id = stored.id;
  handle->state->parent = dialog;
  handle->state->queue = dialog->state->queue;
  handle->state->style = WS_CHILD | WS_VISIBLE | (stored.kind != kWinControlStatic ? WS_TABSTOP : 0);
  WinControl* control = new WinControl;
  control->kind = stored.kind;
  control->id = stored.id;
  control->text = stored.text;
  control->rect = {stored.x, stored.y, stored.width, stored.height};
  control->defaultButton = stored.defaultButton;
  handle->state->control = control;
  WinRegisterWindow(handle);
  return handle;
}

// Case-blind exact search from the item after start, wrapping round.
LRESULT FindExact(const WinControl& control, WPARAM start, const char* text) {
  int count = static_cast<int>(control.items.size());
  if (text == nullptr || count == 0) {
    return LB_ERR;
  }
  int first = static_cast<int>(static_cast<INT_PTR>(start));
  first = first < 0 || first >= count ? 0 : first + 1;
  for (int step = 0; step < count; ++step) {
    int index = (first + step) % count;
    if (strcasecmp(control.items[index].c_str(), text) == 0) {
      return index;
    }
  }
  return LB_ERR;
}

// The list operations shared by list and combo boxes, under LB_ names.
LRESULT ListMessage(WinControl& control, UINT message, WPARAM wParam, LPARAM lParam) {
  int count = static_cast<int>(control.items.size());
  int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  bool valid = index >= 0 && index < count;
  const char* text = reinterpret_cast<const char*>(lParam);
  switch (message) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      int at = message == LB_ADDSTRING || index < 0 ? count : index;
      if (at > count) {
        return LB_ERR;
      }
      control.items.insert(control.items.begin() + at, text != nullptr ? text : "");
      control.itemData.insert(control.itemData.begin() + at, 0);
      if (control.selection >= at) {
        ++control.selection;
      }
      return at;
    }
    case LB_DELETESTRING:
      if (!valid) {
        return LB_ERR;
      }
      control.items.erase(control.items.begin() + index);
      control.itemData.erase(control.itemData.begin() + index);
      if (control.selection == index) {
        control.selection = -1;
      } else if (control.selection > index) {
        --control.selection;
      }
      KeepSelectionVisible(control);
      return count - 1;
    case LB_RESETCONTENT:
      control.items.clear();
      control.itemData.clear();
      control.selection = -1;
      control.top = 0;
      return LB_OKAY;
    case LB_SETCURSEL:
      if (!valid) {
        control.selection = -1;
        return LB_ERR;
      }
      control.selection = index;
      KeepSelectionVisible(control);
      return index;
    case LB_GETCURSEL:
      return control.selection;
    case LB_GETCOUNT:
      return count;
    case LB_GETTEXT:
      if (!valid || text == nullptr) {
        return LB_ERR;
      }
      memcpy(reinterpret_cast<char*>(lParam), control.items[index].c_str(), control.items[index].size() + 1);
      return static_cast<LRESULT>(control.items[index].size());
    case LB_GETTEXTLEN:
      return valid ? static_cast<LRESULT>(control.items[index].size()) : LB_ERR;
    case LB_GETITEMDATA:
      return valid ? control.itemData[index] : LB_ERR;
    case LB_SETITEMDATA:
      if (!valid) {
        return LB_ERR;
      }
      control.itemData[index] = lParam;
      return LB_OKAY;
    case LB_FINDSTRINGEXACT:
      return FindExact(control, wParam, text);
    default:
      return 0;
  }
}

UINT ComboToList(UINT message) {
  switch (message) {
    case CB_ADDSTRING:
      return LB_ADDSTRING;
    case CB_INSERTSTRING:
      return LB_INSERTSTRING;
    case CB_DELETESTRING:
      return LB_DELETESTRING;
    case CB_RESETCONTENT:
      return LB_RESETCONTENT;
    case CB_SETCURSEL:
      return LB_SETCURSEL;
    case CB_GETCURSEL:
      return LB_GETCURSEL;
    case CB_GETCOUNT:
      return LB_GETCOUNT;
    case CB_GETLBTEXT:
      return LB_GETTEXT;
    case CB_GETLBTEXTLEN:
      return LB_GETTEXTLEN;
    case CB_GETITEMDATA:
      return LB_GETITEMDATA;
    case CB_SETITEMDATA:
      return LB_SETITEMDATA;
    case CB_FINDSTRINGEXACT:
      return LB_FINDSTRINGEXACT;
    default:
      return 0;
  }
}

// A quit request ends a modal dialog, so that a signal cannot leave the
// program waiting on it: the dialog is closed as by its close button, and
// one whose procedure keeps it open still ends, with 0.
void EndOnQuit(HWND dialog) {
  WinDialog& state = *dialog->state->dialog;
  if (!state.ended) {
    SendMessageA(dialog, WM_CLOSE, 0, 0);
  }
  if (!state.ended) {
    state.ended = true;
    state.result = 0;
  }
}

}  // namespace

// ---------------------------------------------------------------------------

BOOL WinRegisterDialogTemplate(const WinDialogTemplate* dialog) {
  constexpr int kLargestSide = 4096;
  if (dialog == nullptr || dialog->controls == nullptr || dialog->controlCount <= 0 || dialog->width <= 0 ||
      dialog->height <= 0 || dialog->width > kLargestSide || dialog->height > kLargestSide) {
    return FALSE;
  }
  StoredTemplate stored;
  stored.title = dialog->title != nullptr ? dialog->title : "";
  stored.width = dialog->width;
  stored.height = dialog->height;
  for (int i = 0; i < dialog->controlCount; ++i) {
    const WinDialogControl& control = dialog->controls[i];
    if (control.width <= 0 || control.height <= 0) {
      return FALSE;
    }
    stored.controls.push_back({control.kind, control.id, control.text != nullptr ? control.text : "", control.x,
                               control.y, control.width, control.height, control.defaultButton != FALSE});
  }
  std::lock_guard<std::mutex> guard(gTemplateLock);
  gTemplates[dialog->id] = stored;
  return TRUE;
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE, LPCSTR templateName, HWND owner, DLGPROC procedure, LPARAM param) {
  if (procedure == nullptr || !IS_INTRESOURCE(templateName)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return -1;
  }
  StoredTemplate layout;
  {
    std::lock_guard<std::mutex> guard(gTemplateLock);
    auto found = gTemplates.find(static_cast<WORD>(reinterpret_cast<ULONG_PTR>(templateName)));
    if (found == gTemplates.end()) {
      SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
      return -1;
    }
    layout = found->second;
  }
  if (!WinEnsureVideo()) {
    return -1;
  }
  SDL_Window* sdlWindow = SDL_CreateWindow(layout.title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                           layout.width, layout.height, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
  if (sdlWindow == nullptr) {
    fprintf(stderr, "Windows stand-in: no dialog window: %s\n", SDL_GetError());
    return -1;
  }
  SDL_Surface* canvas = SDL_CreateRGBSurfaceWithFormat(0, layout.width, layout.height, 32, SDL_PIXELFORMAT_ABGR8888);
  SDL_Renderer* renderer = canvas != nullptr ? SDL_CreateSoftwareRenderer(canvas) : nullptr;
  if (renderer == nullptr) {
    fprintf(stderr, "Windows stand-in: no dialog canvas: %s\n", SDL_GetError());
    SDL_FreeSurface(canvas);
    SDL_DestroyWindow(sdlWindow);
    return -1;
  }

  HWND dialog = new HWND__;
  dialog->sdlWindow = sdlWindow;
  dialog->state = new WinWindowState;
  dialog->state->kind = WinWindowKind::kDialog;
  dialog->state->style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  dialog->state->parent = owner;
  dialog->state->queue = WinCurrentQueue();
  dialog->state->requestedWidth = layout.width;
  dialog->state->requestedHeight = layout.height;
  WinDialog* state = new WinDialog;
  state->procedure = procedure;
  state->owner = owner;
  state->canvas = canvas;
  state->renderer = renderer;
  dialog->state->dialog = state;
  WinRegisterWindow(dialog);
  for (const StoredControl& stored : layout.controls) {
    state->controls.push_back(MakeControl(dialog, stored));
  }
  HWND firstFocus = nullptr;
  for (HWND handle : state->controls) {
    if (firstFocus == nullptr && IsFocusable(ControlOf(handle))) {
      firstFocus = handle;
    }
  }

  if (procedure(dialog, WM_INITDIALOG, reinterpret_cast<WPARAM>(firstFocus), param) != FALSE && !state->ended) {
    state->focus = firstFocus;
  }
  if (!state->ended) {
    SDL_ShowWindow(sdlWindow);
    SDL_RaiseWindow(sdlWindow);
  }
  const unsigned quitRequests = WinQuitRequestCount();
  for (int pass = 0; !state->ended; ++pass) {
    if (WinQuitRequestCount() != quitRequests) {
      EndOnQuit(dialog);
      break;
    }
    WinTestDialogHook hook = nullptr;
    void* user = nullptr;
    {
      std::lock_guard<std::mutex> guard(gHookLock);
      hook = gDialogHook;
      user = gDialogHookUser;
    }
    if (state->dirty) {
      Draw(dialog);
    }
    if (hook != nullptr) {
      hook(dialog, pass, user);
    }
    WinPumpEvents();
    if (state->ended) {
      break;
    }
    if (state->dirty) {
      continue;
    }
    SDL_Event event;
    if (SDL_WaitEventTimeout(&event, kDialogWaitMs) == 1) {
      WinTranslateEvent(event);
    }
  }
  INT_PTR result = state->result;
  DestroyWindow(dialog);
  if (WinHasSdlWindow(owner)) {
    SDL_RaiseWindow(owner->sdlWindow);
  }
  return result;
}

BOOL WINAPI EndDialog(HWND dialog, INT_PTR result) {
  if (!WinIsLiveWindow(dialog) || dialog->state->kind != WinWindowKind::kDialog) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  dialog->state->dialog->ended = true;
  dialog->state->dialog->result = result;
  return TRUE;
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
  if (!WinIsLiveWindow(dialog) || dialog->state->kind != WinWindowKind::kDialog) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  for (HWND handle : dialog->state->dialog->controls) {
    if (ControlOf(handle).id == id) {
      return handle;
    }
  }
  return nullptr;
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) {
    return 0;
  }
  return SendMessageA(control, message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Shared with the window code

void WinDialogHandleEvent(HWND dialog, const SDL_Event& event) {
  WinDialog& state = *dialog->state->dialog;
  if (state.ended) {
    return;
  }
  switch (event.type) {
    case SDL_KEYDOWN:
      HandleKey(dialog, event.key);
      break;
    case SDL_MOUSEBUTTONDOWN:
      HandleButtonDown(dialog, event.button);
      break;
    case SDL_MOUSEBUTTONUP:
      HandleButtonUp(dialog, event.button);
      break;
    case SDL_MOUSEWHEEL:
      HandleWheel(dialog, event.wheel);
      break;
    case SDL_WINDOWEVENT:
      if (event.window.event == SDL_WINDOWEVENT_CLOSE) {
        SendMessageA(dialog, WM_CLOSE, 0, 0);
      } else if (event.window.event == SDL_WINDOWEVENT_EXPOSED) {
        state.dirty = true;
      }
      break;
    default:
      break;
  }
}

LRESULT WinDialogSendMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  WinDialog& state = *dialog->state->dialog;
  INT_PTR handled = state.procedure(dialog, message, wParam, lParam);
  if (handled != FALSE) {
    return handled;
  }
  // What the dialog procedure leaves to the system: closing the window is a
  // press of the cancel command.
  if (message == WM_CLOSE && WinIsLiveWindow(dialog)) {
    PressButton(dialog, IDCANCEL);
  }
  return 0;
}

LRESULT WinControlSendMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
  WinControl& control = ControlOf(handle);
  if (!IsList(control)) {
    return 0;
  }
  UINT listMessage = message;
  if (control.kind == kWinControlComboBox) {
    listMessage = ComboToList(message);
  } else if (message < LB_ADDSTRING || message > LB_FINDSTRINGEXACT) {
    listMessage = 0;
  }
  if (listMessage == 0) {
    return 0;
  }
  HWND dialog = handle->state->parent;
  if (WinIsLiveWindow(dialog)) {
    dialog->state->dialog->dirty = true;
  }
  return ListMessage(control, listMessage, wParam, lParam);
}

void WinDialogDestroyParts(HWND dialog) {
  WinDialog* state = dialog->state->dialog;
  for (HWND handle : state->controls) {
    WinUnregisterWindow(handle);
    delete handle->state->control;
    delete handle->state;
    WinRetireWindow(handle);
  }
  SDL_DestroyRenderer(state->renderer);
  SDL_FreeSurface(state->canvas);
  delete state;
  dialog->state->dialog = nullptr;
}

// ---------------------------------------------------------------------------
// Test hooks

void WinTestSetDialogHook(WinTestDialogHook hook, void* user) {
  std::lock_guard<std::mutex> guard(gHookLock);
  gDialogHook = hook;
  gDialogHookUser = user;
}

BOOL WinTestGetControlRect(HWND control, RECT* rect) {
  if (!WinIsLiveWindow(control) || control->state->kind != WinWindowKind::kControl || rect == nullptr) {
    return FALSE;
  }
  const SDL_Rect& box = ControlOf(control).rect;
  *rect = {box.x, box.y, box.x + box.w, box.y + box.h};
  return TRUE;
}

BOOL WinTestReadDialogPixel(HWND dialog, int x, int y, BYTE rgba[4]) {
  if (!WinIsLiveWindow(dialog) || dialog->state->kind != WinWindowKind::kDialog) {
    return FALSE;
  }
  const WinDialog& state = *dialog->state->dialog;
  if (!state.drawn || x < 0 || y < 0 || x >= state.canvas->w || y >= state.canvas->h) {
    return FALSE;
  }
  const BYTE* pixel = static_cast<const BYTE*>(state.canvas->pixels) + y * state.canvas->pitch + x * 4;
  memcpy(rgba, pixel, 4);
  return TRUE;
}
