// MessageBoxA: the caption and text always go to stderr; an SDL message box
// shows them when there is a display, and without one the call returns the
// first button at once so that headless runs never block.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/win/win_internal.h"
#include "platform/win/win_testing.h"

namespace {

std::mutex gHookLock;
WinTestMessageBoxHook gHook = nullptr;
void* gHookUser = nullptr;

constexpr UINT kButtonMask = 0x0000000F;
constexpr UINT kIconMask = 0x000000F0;

struct Button {
  int id;
  const char* text;
};

std::vector<Button> ButtonsFor(UINT type) {
  switch (type & kButtonMask) {
    case MB_OKCANCEL:
      return {{IDOK, "OK"}, {IDCANCEL, "Cancel"}};
    case MB_ABORTRETRYIGNORE:
      return {{IDABORT, "Abort"}, {IDRETRY, "Retry"}, {IDIGNORE, "Ignore"}};
    case MB_YESNOCANCEL:
      return {{IDYES, "Yes"}, {IDNO, "No"}, {IDCANCEL, "Cancel"}};
    case MB_YESNO:
      return {{IDYES, "Yes"}, {IDNO, "No"}};
    case MB_RETRYCANCEL:
      return {{IDRETRY, "Retry"}, {IDCANCEL, "Cancel"}};
    default:
      return {{IDOK, "OK"}};
  }
}

// A display is there unless the video driver is one that draws nowhere or no
// display server is named.
bool IsHeadlessDriver(const char* driver) {
  return driver != nullptr && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

bool DisplayAvailable() {
  if (IsHeadlessDriver(getenv("SDL_VIDEODRIVER")) || IsHeadlessDriver(SDL_GetHint(SDL_HINT_VIDEODRIVER)) ||
      (WinVideoStarted() && IsHeadlessDriver(SDL_GetCurrentVideoDriver()))) {
    return false;
  }
  const char* x11 = getenv("DISPLAY");
  const char* wayland = getenv("WAYLAND_DISPLAY");
  return (x11 != nullptr && x11[0] != '\0') || (wayland != nullptr && wayland[0] != '\0');
}

}  // namespace

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* shownText = text != nullptr ? text : "";
  const char* shownCaption = caption != nullptr ? caption : "Error";
  fprintf(stderr, "%s: %s\n", shownCaption, shownText);
  fflush(stderr);

  std::vector<Button> buttons = ButtonsFor(type);
  WinTestMessageBoxHook hook = nullptr;
  void* user = nullptr;
  {
    std::lock_guard<std::mutex> guard(gHookLock);
    hook = gHook;
    user = gHookUser;
  }
  if (hook != nullptr) {
    return hook(owner, shownText, shownCaption, type, user);
  }
  if (!DisplayAvailable()) {
    return buttons.front().id;
  }

  std::vector<SDL_MessageBoxButtonData> data;
  for (size_t i = 0; i < buttons.size(); ++i) {
    SDL_MessageBoxButtonData button = {};
    button.buttonid = buttons[i].id;
    button.text = buttons[i].text;
    if (i == 0) {
      button.flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    }
    if (buttons[i].id == IDCANCEL || buttons.size() == 1) {
      button.flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    }
    data.push_back(button);
  }
  SDL_MessageBoxData box = {};
  switch (type & kIconMask) {
    case MB_ICONERROR:
      box.flags = SDL_MESSAGEBOX_ERROR;
      break;
    case MB_ICONWARNING:
      box.flags = SDL_MESSAGEBOX_WARNING;
      break;
    default:
      box.flags = SDL_MESSAGEBOX_INFORMATION;
      break;
  }
  box.window = WinHasSdlWindow(owner) ? owner->sdlWindow : nullptr;
  box.title = shownCaption;
  box.message = shownText;
  box.numbuttons = static_cast<int>(data.size());
  box.buttons = data.data();
  int pressed = 0;
  if (SDL_ShowMessageBox(&box, &pressed) != 0 || pressed < 0) {
    // No box could be shown, or it was closed without a button.
    for (const Button& button : buttons) {
      if (button.id == IDCANCEL) {
        return IDCANCEL;
      }
    }
    return buttons.front().id;
  }
  return pressed;
}

void WinTestSetMessageBoxHook(WinTestMessageBoxHook hook, void* user) {
  std::lock_guard<std::mutex> guard(gHookLock);
  gHook = hook;
  gHookUser = user;
}
