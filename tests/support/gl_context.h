// A headless OpenGL context for tests: SDL's offscreen video driver with
// Mesa's software renderer through EGL. It renders real pixels.
#pragma once

#include <cstdint>

namespace tktest {

class HeadlessGlContext {
 public:
  HeadlessGlContext() = default;
  ~HeadlessGlContext();
  HeadlessGlContext(const HeadlessGlContext&) = delete;
  HeadlessGlContext& operator=(const HeadlessGlContext&) = delete;

  // Opens a hidden window of the given size with a core 3.3 (or later)
  // context made current. False, with the reason in Error(), on failure.
  bool Open(int width, int height);
  void Close();
  bool IsOpen() const { return context_ != nullptr; }
  const char* Error() const { return error_; }

  // Reads one pixel of the default framebuffer as 0xAARRGGBB; (0, 0) is the
  // top-left pixel, as on a Direct3D back buffer.
  uint32_t ReadPixel(int x, int y) const;

 private:
  void* window_ = nullptr;
  void* context_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  const char* error_ = "";
  bool ownsVideo_ = false;
};

}  // namespace tktest
