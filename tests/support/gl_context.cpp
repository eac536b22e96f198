// Headless OpenGL context for tests (see gl_context.h).
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <SDL.h>

#include <cstdlib>

namespace tktest {

HeadlessGlContext::~HeadlessGlContext() { Close(); }

bool HeadlessGlContext::Open(int width, int height) {
  Close();
  // Tests run headless unless the caller chose a driver.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
      error_ = "SDL video could not start";
      return false;
    }
    ownsVideo_ = true;
  }
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("test", 0, 0, width, height, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window == nullptr) {
    error_ = "window could not be created";
    Close();
    return false;
  }
  window_ = window;
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    error_ = "OpenGL context could not be created";
    Close();
    return false;
  }
  context_ = context;
  width_ = width;
  height_ = height;
  return true;
}

void HeadlessGlContext::Close() {
  if (context_ != nullptr) {
    SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    context_ = nullptr;
  }
  if (window_ != nullptr) {
    SDL_DestroyWindow(static_cast<SDL_Window*>(window_));
    window_ = nullptr;
  }
  if (ownsVideo_) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    ownsVideo_ = false;
  }
}

uint32_t HeadlessGlContext::ReadPixel(int x, int y) const {
  uint8_t rgba[4] = {0, 0, 0, 0};
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // OpenGL counts rows from the bottom.
  glReadPixels(x, height_ - 1 - y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return (uint32_t(rgba[3]) << 24) | (uint32_t(rgba[0]) << 16) | (uint32_t(rgba[1]) << 8) | uint32_t(rgba[2]);
}

}  // namespace tktest
