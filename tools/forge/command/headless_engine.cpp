#include "tools/forge/command/headless_engine.h"

#include <SDL.h>

#include <cstdlib>

#include "engine/engine.h"

namespace forge {

namespace {

constexpr char kClassName[] = "HeadlessEngineClass";
constexpr RwUInt32 kResourceArenaSize = 1u << 20;

LRESULT WINAPI WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool HeadlessEngine::Start() {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = WindowProcedure;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) {
    return false;
  }
  window_ =
      CreateWindowExA(0, kClassName, title_, WS_OVERLAPPEDWINDOW, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
  if (window_ == nullptr || !RwD3D8DriverInstall() || !RwEngineInit(nullptr, 0, kResourceArenaSize)) {
    return false;
  }
  initialised_ = true;
  RwEngineOpenParams params = {window_};
  if (!attachPlugins_() || !RwEngineOpen(&params)) {
    return false;
  }
  opened_ = true;
  started_ = RwEngineSetVideoMode(0) && RwEngineStart();
  return started_;
}

void HeadlessEngine::Stop() {
  if (started_) {
    RwEngineStop();
  }
  if (opened_) {
    RwEngineClose();
  }
  if (initialised_) {
    RwEngineTerm();
  }
  if (window_ != nullptr) {
    DestroyWindow(window_);
  }
  started_ = opened_ = initialised_ = false;
  window_ = nullptr;
  SDL_Quit();
}

}  // namespace forge
