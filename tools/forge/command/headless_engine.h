// The engine started on a hidden window of the Direct3D 8 stand-in (SDL's
// offscreen video unless SDL_VIDEODRIVER names another), for the commands
// that write engine files: the forge and the demo data generator.
#pragma once

#include "platform/win/win32.h"

namespace forge {

class HeadlessEngine {
 public:
  // attachPlugins runs between the engine's initialisation and its opening:
  // the plugins whose data the written files carry.
  HeadlessEngine(const char* title, bool (*attachPlugins)()) : title_(title), attachPlugins_(attachPlugins) {}
  HeadlessEngine(const HeadlessEngine&) = delete;
  HeadlessEngine& operator=(const HeadlessEngine&) = delete;
  ~HeadlessEngine() { Stop(); }

  bool Start();
  void Stop();

 private:
  const char* title_;
  bool (*attachPlugins_)();
  HWND window_ = nullptr;
  bool initialised_ = false;
  bool opened_ = false;
  bool started_ = false;
};

}  // namespace forge
