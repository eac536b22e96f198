// Costs of the Direct3D 8 stand-in's resource paths: a texture written
// through a lock and made ready for drawing, a P8 texture re-expanded after a
// palette change, the engine's appending vertex-buffer locks, and reading the
// back buffer.
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "platform/d3d8/d3d8.h"
#include "platform/d3d8/device_internal.h"
#include "platform/win/window_internal.h"

namespace {

// A windowed device on a hidden window, for the length of one benchmark.
class Device {
 public:
  Device() {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    SDL_InitSubSystem(SDL_INIT_VIDEO);
    window_.sdlWindow = SDL_CreateWindow("bench", 0, 0, 640, 480, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    d3d_ = Direct3DCreate8(D3D_SDK_VERSION);
    D3DPRESENT_PARAMETERS params = {};
    params.Windowed = TRUE;
    params.SwapEffect = D3DSWAPEFFECT_COPY;
    params.BackBufferFormat = D3DFMT_X8R8G8B8;
    params.EnableAutoDepthStencil = TRUE;
    params.AutoDepthStencilFormat = D3DFMT_D24S8;
    params.hDeviceWindow = &window_;
    if (d3d_ != nullptr) {
      d3d_->CreateDevice(0, D3DDEVTYPE_HAL, &window_, D3DCREATE_HARDWARE_VERTEXPROCESSING, &params, &device_);
    }
  }
  ~Device() {
    if (device_ != nullptr) device_->Release();
    if (d3d_ != nullptr) d3d_->Release();
    if (window_.sdlWindow != nullptr) SDL_DestroyWindow(window_.sdlWindow);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  IDirect3DDevice8* get() const { return device_; }

 private:
  HWND__ window_;
  IDirect3D8* d3d_ = nullptr;
  IDirect3DDevice8* device_ = nullptr;
};

void BM_TextureLockUploadA8R8G8B8(benchmark::State& state) {
  Device device;
  if (device.get() == nullptr) {
    state.SkipWithError("no device");
    return;
  }
  const UINT size = UINT(state.range(0));
  IDirect3DTexture8* texture = nullptr;
  device.get()->CreateTexture(size, size, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture);
  GLenum target = 0;
  for (auto _ : state) {
    D3DLOCKED_RECT locked;
    texture->LockRect(0, &locked, nullptr, 0);
    std::memset(locked.pBits, 0x40, size_t(locked.Pitch) * size);
    texture->UnlockRect(0);
    benchmark::DoNotOptimize(d3d8::ToBaseTexture(texture)->Prepare(&target));
  }
  glFinish();
  state.SetBytesProcessed(int64_t(state.iterations()) * size * size * 4);
  texture->Release();
}
BENCHMARK(BM_TextureLockUploadA8R8G8B8)->Arg(256)->Arg(1024);

void BM_PaletteChangeReexpandsP8(benchmark::State& state) {
  Device device;
  if (device.get() == nullptr) {
    state.SkipWithError("no device");
    return;
  }
  IDirect3DTexture8* texture = nullptr;
  device.get()->CreateTexture(256, 256, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, &texture);
  PALETTEENTRY palette[256] = {};
  device.get()->SetCurrentTexturePalette(1);
  GLenum target = 0;
  BYTE shade = 0;
  for (auto _ : state) {
    palette[0].peRed = shade++;
    device.get()->SetPaletteEntries(1, palette);
    benchmark::DoNotOptimize(d3d8::ToBaseTexture(texture)->Prepare(&target));
  }
  glFinish();
  texture->Release();
}
BENCHMARK(BM_PaletteChangeReexpandsP8);

// The engine's shared dynamic buffer: appended with no-overwrite locks and
// discarded when full, each piece made ready for drawing.
void BM_DynamicVertexBufferAppend(benchmark::State& state) {
  Device device;
  if (device.get() == nullptr) {
    state.SkipWithError("no device");
    return;
  }
  const UINT bufferSize = 0x40000, pieceSize = UINT(state.range(0));
  IDirect3DVertexBuffer8* buffer = nullptr;
  device.get()->CreateVertexBuffer(bufferSize, D3DUSAGE_WRITEONLY | D3DUSAGE_DYNAMIC, 0, D3DPOOL_DEFAULT, &buffer);
  UINT used = 0;
  for (auto _ : state) {
    BYTE* data = nullptr;
    if (used + pieceSize > bufferSize) {
      buffer->Lock(0, pieceSize, &data, D3DLOCK_DISCARD | D3DLOCK_NOSYSLOCK);
      used = pieceSize;
    } else {
      buffer->Lock(used, pieceSize, &data, D3DLOCK_NOOVERWRITE | D3DLOCK_NOSYSLOCK);
      used += pieceSize;
    }
    std::memset(data, 1, pieceSize);
    buffer->Unlock();
    benchmark::DoNotOptimize(static_cast<d3d8::VertexBuffer*>(buffer)->Prepare());
  }
  glFinish();
  state.SetBytesProcessed(int64_t(state.iterations()) * pieceSize);
  buffer->Release();
}
BENCHMARK(BM_DynamicVertexBufferAppend)->Arg(36 * 4)->Arg(36 * 1024);

void BM_BackBufferReadBack(benchmark::State& state) {
  Device device;
  if (device.get() == nullptr) {
    state.SkipWithError("no device");
    return;
  }
  IDirect3DSurface8* back = nullptr;
  device.get()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back);
  for (auto _ : state) {
    D3DLOCKED_RECT locked;
    back->LockRect(&locked, nullptr, D3DLOCK_READONLY);
    benchmark::DoNotOptimize(locked.pBits);
    back->UnlockRect();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * 640 * 480 * 4);
  back->Release();
}
BENCHMARK(BM_BackBufferReadBack);

}  // namespace
