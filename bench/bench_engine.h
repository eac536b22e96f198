// The engine started on the Direct3D 8 driver over a hidden offscreen
// window, for benchmarks that draw or need a started device.
#pragma once

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "engine/engine.h"
#include "platform/win/window_internal.h"

class BenchEngine {
 public:
  BenchEngine() = default;
  BenchEngine(const BenchEngine&) = delete;
  BenchEngine& operator=(const BenchEngine&) = delete;

  // attach, when given, attaches plugins between init and open.
  bool Open(int width, int height, RwBool (*attach)() = nullptr) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoInit_ = true;
    window_.sdlWindow = SDL_CreateWindow("bench", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window_.sdlWindow == nullptr) return false;
    RwEngineOpenParams params = {&window_};
    if (!RwD3D8DriverInstall() || !RwEngineInit(nullptr, 0, 4194304) || (attach != nullptr && !attach()) ||
        !RwEngineOpen(&params)) {
      return false;
    }
    started_ = RwEngineSetVideoMode(0) && RwEngineStart();
    return started_;
  }

  // Open, or the benchmark marked skipped when there is no engine.
  bool OpenOrSkip(benchmark::State& state, int width, int height, RwBool (*attach)() = nullptr) {
    if (Open(width, height, attach)) return true;
    state.SkipWithError("no engine on the Direct3D stand-in");
    return false;
  }

  ~BenchEngine() {
    if (started_) RwEngineStop();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusOpened) RwEngineClose();
    if (RwEngineInstance != nullptr && RwEngineInstance->engineStatus == kRwEngineStatusInitialised) RwEngineTerm();
    if (window_.sdlWindow != nullptr) SDL_DestroyWindow(window_.sdlWindow);
    if (videoInit_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }

  HWND__* Window() { return &window_; }

 private:
  HWND__ window_ = {};
  bool started_ = false;
  bool videoInit_ = false;
};
