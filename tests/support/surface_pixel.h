// Reads single pixels back from Direct3D 8 surfaces for drawing tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/d3d8/d3d8.h"

// Pixel (x, y) of a 32-bit surface as 0xRRGGBB (0xDEADBEEF when it cannot be locked).
inline uint32_t SurfacePixelRgb(IDirect3DSurface8* surface, int x, int y) {
  D3DLOCKED_RECT locked;
  RECT r = {x, y, x + 1, y + 1};
  uint32_t value = 0xDEADBEEF;
  if (SUCCEEDED(surface->LockRect(&locked, &r, D3DLOCK_READONLY))) {
    std::memcpy(&value, locked.pBits, 4);
    value &= 0x00FFFFFFu;
    surface->UnlockRect();
  }
  return value;
}

// Pixel (x, y) of the device's back buffer as 0xRRGGBB (0xDEADBEEF when it cannot be read).
inline uint32_t BackBufferPixelRgb(IDirect3DDevice8* device, int x, int y) {
  IDirect3DSurface8* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) {
    return 0xDEADBEEF;
  }
  const uint32_t value = SurfacePixelRgb(back, x, y);
  back->Release();
  return value;
}

// Rows [top, top + rows) of the device's back buffer, width pixels each from
// the left edge, as 0xRRGGBB row by row, read in one lock (empty when they
// cannot be read).
inline std::vector<uint32_t> BackBufferRowsRgb(IDirect3DDevice8* device, int top, int rows, int width) {
  std::vector<uint32_t> pixels;
  IDirect3DSurface8* back = nullptr;
  if (FAILED(device->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) {
    return pixels;
  }
  D3DLOCKED_RECT locked;
  const RECT r = {0, top, width, top + rows};
  if (SUCCEEDED(back->LockRect(&locked, &r, D3DLOCK_READONLY))) {
    pixels.resize(static_cast<size_t>(rows) * width);
    for (int y = 0; y < rows; y++) {
      const uint8_t* row = static_cast<const uint8_t*>(locked.pBits) + y * locked.Pitch;
      for (int x = 0; x < width; x++) {
        uint32_t value;
        std::memcpy(&value, row + 4 * x, sizeof value);
        pixels[static_cast<size_t>(y) * width + x] = value & 0x00FFFFFFu;
      }
    }
    back->UnlockRect();
  }
  back->Release();
  return pixels;
}
