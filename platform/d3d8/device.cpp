// The device: OpenGL context, back buffer, render targets, clearing,
// copying, presenting, resetting and the palettes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/d3d8/device_internal.h"
#include "platform/win/window_internal.h"

namespace d3d8 {

namespace {

const size_t kDefaultVideoMemory = size_t(256) << 20;

}  // namespace

void Recorder::Store(const char* method, std::initializer_list<uint64_t> args) {
  CallRecord& record = calls[method];
  record.count++;
  record.lastArgs.assign(args.begin(), args.end());
  log.push_back({method, record.lastArgs});
}

void DeviceState::SetDefaults(bool zEnable) {
  FixedStates::SetDefaults(zEnable);
  vertexShader = 0;
  vertexSize = 0;
  pixelShader = 0;
  baseVertexIndex = 0;
}

// ---------------------------------------------------------------------------

Device::Device(Direct3D* d3d, UINT adapter) : d3d_(d3d), adapter_(adapter) {
  d3d_->AddRef();
  std::memset(&caps_, 0, sizeof caps_);
  std::memset(&params_, 0, sizeof params_);
  state.SetDefaults(false);
  std::memset(&state.viewport, 0, sizeof state.viewport);
}

Device::~Device() {
  if (context_ != nullptr) {
    MakeCurrent();
    ReleaseBindings();
    if (draw != nullptr) DestroyDrawState(this, draw);
    draw = nullptr;
    ReleaseSwapSurfaces();
    // Whatever the caller still holds loses its OpenGL objects now and only
    // frees its memory when released.
    std::set<ResourceCore*> left;
    left.swap(resources_);
    for (ResourceCore* resource : left) resource->Orphan();
    if (fbo != 0) glDeleteFramebuffers(1, &fbo);
    if (readFbo_ != 0) glDeleteFramebuffers(1, &readFbo_);
    if (copyFbo_ != 0) glDeleteFramebuffers(1, &copyFbo_);
    // Let the driver's threads finish before the context goes, so none is
    // still busy when the process exits.
    glFinish();
    SDL_GL_MakeCurrent(window_->sdlWindow, nullptr);
    SDL_GL_DeleteContext(context_);
  }
  d3d_->Release();
}

ULONG Device::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void Device::MakeCurrent() {
  if (context_ != nullptr &&
      (SDL_GL_GetCurrentContext() != context_ || SDL_GL_GetCurrentWindow() != window_->sdlWindow)) {
    SDL_GL_MakeCurrent(window_->sdlWindow, context_);
  }
}

HRESULT Device::ValidateParams(D3DPRESENT_PARAMETERS* params) {
  if (params == nullptr) return D3DERR_INVALIDCALL;
  HWND window = params->hDeviceWindow != nullptr ? params->hDeviceWindow : window_;
  if (window != window_) return D3DERR_INVALIDCALL;
  if (params->MultiSampleType != D3DMULTISAMPLE_NONE) return D3DERR_INVALIDCALL;
  if (params->SwapEffect < D3DSWAPEFFECT_DISCARD || params->SwapEffect > D3DSWAPEFFECT_COPY_VSYNC) {
    return D3DERR_INVALIDCALL;
  }
  if (params->BackBufferCount > 3) return D3DERR_INVALIDCALL;
  if (params->EnableAutoDepthStencil && !IsSupportedDepthFormat(params->AutoDepthStencilFormat)) {
    return D3DERR_INVALIDCALL;
  }
  if (params->Windowed) {
    // The client size in window units, as the window's own rectangle calls
    // report it; Present scales to the drawable when they differ.
    int w = 0, h = 0;
    SDL_GetWindowSize(window_->sdlWindow, &w, &h);
    if (params->BackBufferWidth == 0) params->BackBufferWidth = UINT(std::max(w, 1));
    if (params->BackBufferHeight == 0) params->BackBufferHeight = UINT(std::max(h, 1));
    if (params->BackBufferFormat == D3DFMT_UNKNOWN) {
      D3DDISPLAYMODE desktop;
      if (FAILED(d3d_->GetAdapterDisplayMode(adapter_, &desktop))) return D3DERR_INVALIDCALL;
      params->BackBufferFormat = desktop.Format;
    }
  } else if (params->BackBufferWidth == 0 || params->BackBufferHeight == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (!IsRenderTargetFormat(params->BackBufferFormat)) return D3DERR_INVALIDCALL;
  if (params->BackBufferWidth > caps_.MaxTextureWidth || params->BackBufferHeight > caps_.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (params->BackBufferCount == 0) params->BackBufferCount = 1;
  params->hDeviceWindow = window_;
  return D3D_OK;
}

HRESULT Device::Init(HWND window, DWORD, D3DPRESENT_PARAMETERS* params) {
  window_ = window;
  FillCaps(adapter_, &caps_);
  D3DPRESENT_PARAMETERS checked = *params;
  HRESULT result = ValidateParams(&checked);
  if (FAILED(result)) return result;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  context_ = SDL_GL_CreateContext(window->sdlWindow);
  if (context_ == nullptr) return D3DERR_NOTAVAILABLE;
  MakeCurrent();
  s3tc_ = ProbeGlLimits().s3tc;
  glGenFramebuffers(1, &fbo);
  glGenFramebuffers(1, &readFbo_);
  glGenFramebuffers(1, &copyFbo_);
  result = CreateSwapSurfaces(checked);
  if (FAILED(result)) return result;
  params_ = checked;
  *params = checked;
  ApplyWindowMode(params_);
  state.SetDefaults(params_.EnableAutoDepthStencil != 0);
  renderTarget_ = backBuffer_;
  renderTarget_->AddRef();
  depthStencil_ = autoDepth_;
  if (depthStencil_ != nullptr) depthStencil_->AddRef();
  state.viewport = {0, 0, backBuffer_->width, backBuffer_->height, 0.0f, 1.0f};
  BindTargets();
  draw = CreateDrawState(this);
  return D3D_OK;
}

void Device::ApplyWindowMode(const D3DPRESENT_PARAMETERS& params) {
  SDL_Window* window = window_->sdlWindow;
  const bool fullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
  if (!params.Windowed && !fullscreen) {
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  } else if (params.Windowed && fullscreen) {
    SDL_SetWindowFullscreen(window, 0);
  }
  if (!params.Windowed) {
    // The desktop shows the back buffer scaled; the window's client area is
    // the mode's, as on a display that switched to it.
    WinSetFullScreenClientSize(window_, int(params.BackBufferWidth), int(params.BackBufferHeight));
  }
  bool vsync = params.Windowed ? params.SwapEffect == D3DSWAPEFFECT_COPY_VSYNC
                               : params.FullScreen_PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE;
  SDL_GL_SetSwapInterval(vsync ? 1 : 0);
}

HRESULT Device::CreateSwapSurfaces(const D3DPRESENT_PARAMETERS& params) {
  backBuffer_ = NewColourSurface(SurfaceKind::BackBuffer, params.BackBufferWidth, params.BackBufferHeight,
                                 params.BackBufferFormat);
  backBuffer_->implicit = true;
  if (params.EnableAutoDepthStencil) {
    autoDepth_ = NewDepthSurface(params.BackBufferWidth, params.BackBufferHeight, params.AutoDepthStencilFormat);
    autoDepth_->implicit = true;
  }
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

Surface* Device::NewSurface(SurfaceKind kind, D3DPOOL pool, DWORD usage, D3DFORMAT format, UINT width, UINT height) {
  Surface* surface = new Surface;
  surface->kind = kind;
  surface->device = this;
  surface->pool = pool;
  surface->usage = usage;
  surface->format = format;
  surface->width = width;
  surface->height = height;
  Track(surface);
  return surface;
}

Surface* Device::NewColourSurface(SurfaceKind kind, UINT width, UINT height, D3DFORMAT format) {
  MakeCurrent();
  Surface* surface = NewSurface(kind, D3DPOOL_DEFAULT, D3DUSAGE_RENDERTARGET, format, width, height);
  glGenTextures(1, &surface->glTexture);
  glBindTexture(GL_TEXTURE_2D, surface->glTexture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glTexImage2D(GL_TEXTURE_2D, 0, FormatHasAlpha(format) ? GL_RGBA8 : GL_RGB8, GLsizei(width), GLsizei(height), 0,
               GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  glStateEpoch++;
  return surface;
}

Surface* Device::NewDepthSurface(UINT width, UINT height, D3DFORMAT format) {
  MakeCurrent();
  Surface* surface =
      NewSurface(SurfaceKind::DepthStencil, D3DPOOL_DEFAULT, D3DUSAGE_DEPTHSTENCIL, format, width, height);
  // Every depth format is held as 24-bit depth with 8-bit stencil.
  glGenRenderbuffers(1, &surface->glRenderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, surface->glRenderbuffer);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(width), GLsizei(height));
  glStateEpoch++;
  return surface;
}

void Device::ReleaseSwapSurfaces() {
  if (renderTarget_ != nullptr) renderTarget_->Release();
  renderTarget_ = nullptr;
  if (depthStencil_ != nullptr) depthStencil_->Release();
  depthStencil_ = nullptr;
  if (backBuffer_ != nullptr) backBuffer_->Release();
  backBuffer_ = nullptr;
  if (autoDepth_ != nullptr) autoDepth_->Release();
  autoDepth_ = nullptr;
}

void Device::ReleaseBindings() {
  for (BaseTexture*& texture : state.textures) {
    if (texture != nullptr) texture->ReleaseCommon();
    texture = nullptr;
  }
  for (StreamSlot& stream : state.streams) {
    if (stream.buffer != nullptr) stream.buffer->Release();
    stream.buffer = nullptr;
    stream.stride = 0;
  }
  if (state.indices != nullptr) state.indices->Release();
  state.indices = nullptr;
}

void Device::BindTargets() {
  MakeCurrent();
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  renderTarget_->AttachColor(GL_FRAMEBUFFER);
  if (depthStencil_ != nullptr) {
    depthStencil_->AttachDepth(GL_FRAMEBUFFER);
  } else {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0);
  }
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glStateEpoch++;
  ApplyViewport();
}

void Device::ApplyViewport() {
  glViewport(GLint(state.viewport.X), GLint(state.viewport.Y), GLsizei(state.viewport.Width),
             GLsizei(state.viewport.Height));
  glDepthRange(state.viewport.MinZ, state.viewport.MaxZ);
}

void Device::BindReadSurface(Surface* surface) {
  MakeCurrent();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  surface->AttachColor(GL_READ_FRAMEBUFFER);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glStateEpoch++;
}

void Device::RestoreFramebuffer() {
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glBindFramebuffer(GL_FRAMEBUFFER, fbo);
  glStateEpoch++;
}

UINT Device::TargetWidth() const { return renderTarget_ != nullptr ? renderTarget_->width : 0; }
UINT Device::TargetHeight() const { return renderTarget_ != nullptr ? renderTarget_->height : 0; }

size_t Device::UsedVideoBytes() const {
  size_t used = 0;
  for (const ResourceCore* resource : resources_) {
    if (!resource->implicit) used += resource->VideoBytes();
  }
  return used;
}

size_t Device::LiveResourceCount() const {
  size_t live = 0;
  for (const ResourceCore* resource : resources_) {
    if (!resource->implicit) live++;
  }
  return live;
}

bool Device::OverBudget(size_t extraBytes) const {
  return videoBudget != 0 && UsedVideoBytes() + extraBytes > videoBudget;
}

// ---------------------------------------------------------------------------

HRESULT Device::TestCooperativeLevel() {
  recorder.Record("TestCooperativeLevel", {});
  if (!lost) return D3D_OK;
  return resettable ? D3DERR_DEVICENOTRESET : D3DERR_DEVICELOST;
}

UINT Device::GetAvailableTextureMem() {
  recorder.Record("GetAvailableTextureMem", {});
  size_t total = videoBudget != 0 ? videoBudget : kDefaultVideoMemory;
  size_t used = std::min(UsedVideoBytes(), total);
  return UINT(total - used);
}

HRESULT Device::ResourceManagerDiscardBytes(DWORD bytes) {
  recorder.Record("ResourceManagerDiscardBytes", {bytes});
  // Managed resources keep their pixels in system memory; nothing to evict.
  return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS8* caps) {
  if (caps == nullptr) return D3DERR_INVALIDCALL;
  *caps = caps_;
  return D3D_OK;
}

HRESULT Device::GetDisplayMode(D3DDISPLAYMODE* mode) {
  if (mode == nullptr) return D3DERR_INVALIDCALL;
  if (!params_.Windowed) {
    *mode = {params_.BackBufferWidth, params_.BackBufferHeight,
             params_.FullScreen_RefreshRateInHz != 0 ? params_.FullScreen_RefreshRateInHz : 60,
             params_.BackBufferFormat};
    return D3D_OK;
  }
  return d3d_->GetAdapterDisplayMode(adapter_, mode);
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* params, IDirect3DSwapChain8** swapChain) {
  recorder.Record("CreateAdditionalSwapChain", {RecArg(params), RecArg(swapChain)});
  if (swapChain == nullptr) return D3DERR_INVALIDCALL;
  *swapChain = nullptr;
  if (params == nullptr || !params->Windowed || !params_.Windowed) return D3DERR_INVALIDCALL;
  HWND window = params->hDeviceWindow;
  if (window == nullptr || window->sdlWindow == nullptr || params->MultiSampleType != D3DMULTISAMPLE_NONE) {
    return D3DERR_INVALIDCALL;
  }
  D3DPRESENT_PARAMETERS checked = *params;
  int w = 0, h = 0;
  SDL_GetWindowSize(window->sdlWindow, &w, &h);
  if (checked.BackBufferWidth == 0) checked.BackBufferWidth = UINT(std::max(w, 1));
  if (checked.BackBufferHeight == 0) checked.BackBufferHeight = UINT(std::max(h, 1));
  if (checked.BackBufferFormat == D3DFMT_UNKNOWN) checked.BackBufferFormat = params_.BackBufferFormat;
  if (!IsRenderTargetFormat(checked.BackBufferFormat) || checked.BackBufferWidth > caps_.MaxTextureWidth ||
      checked.BackBufferHeight > caps_.MaxTextureHeight) {
    return D3DERR_INVALIDCALL;
  }
  if (OverBudget(size_t(checked.BackBufferWidth) * checked.BackBufferHeight * 4)) return D3DERR_OUTOFVIDEOMEMORY;
  // The device's context must be able to draw into that window.
  MakeCurrent();
  const bool usable = SDL_GL_MakeCurrent(window->sdlWindow, context_) == 0;
  MakeCurrent();
  if (!usable) return D3DERR_NOTAVAILABLE;
  if (checked.BackBufferCount == 0) checked.BackBufferCount = 1;
  SwapChain* chain = new SwapChain;
  chain->device = this;
  chain->pool = D3DPOOL_DEFAULT;
  chain->window = window;
  // The back buffer goes with its chain: the chain alone holds up a reset.
  chain->backBuffer = NewColourSurface(SurfaceKind::BackBuffer, checked.BackBufferWidth, checked.BackBufferHeight,
                                       checked.BackBufferFormat);
  chain->backBuffer->implicit = true;
  Track(chain);
  *params = checked;
  *swapChain = chain;
  return D3D_OK;
}

ULONG SwapChain::Release() {
  ULONG left = --refs;
  if (left == 0) {
    if (device != nullptr) device->Untrack(this);
    backBuffer->Release();
    delete this;
  }
  return left;
}

HRESULT SwapChain::Present(const RECT* source, const RECT* dest, HWND destWindowOverride, const RGNDATA*) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  device->recorder.Record("SwapChain::Present", {RecArg(this)});
  if (device->lost) return D3DERR_DEVICELOST;
  return device->PresentSurface(backBuffer, destWindowOverride != nullptr ? destWindowOverride : window, source, dest);
}

HRESULT SwapChain::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** out) {
  if (out == nullptr) return D3DERR_INVALIDCALL;
  *out = nullptr;
  if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  backBuffer->AddRef();
  *out = backBuffer;
  return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* params) {
  recorder.Record("Reset", {RecArg(params)});
  if (params == nullptr) return D3DERR_INVALIDCALL;
  if (lost && !resettable) return D3DERR_DEVICELOST;
  MakeCurrent();
  ReleaseBindings();
  // Back to the device's own surfaces, then every default-pool resource must
  // be gone: the caller releases them before a reset.
  if (renderTarget_ != backBuffer_) {
    renderTarget_->Release();
    renderTarget_ = backBuffer_;
    renderTarget_->AddRef();
  }
  if (depthStencil_ != autoDepth_) {
    if (depthStencil_ != nullptr) depthStencil_->Release();
    depthStencil_ = autoDepth_;
    if (depthStencil_ != nullptr) depthStencil_->AddRef();
  }
  BindTargets();
  bool busy = false;
  for (const ResourceCore* resource : resources_) {
    if (resource->pool == D3DPOOL_DEFAULT && !resource->implicit) busy = true;
  }
  // The device holds two references on each of its own surfaces (its own
  // and the binding); more means the caller kept one.
  if (backBuffer_->refs > 2 || (autoDepth_ != nullptr && autoDepth_->refs > 2)) busy = true;
  D3DPRESENT_PARAMETERS checked = *params;
  // Leaving full screen first, so that a windowed back buffer takes the
  // window's own size.
  if (!busy) ApplyWindowMode(checked);
  HRESULT result = busy ? D3DERR_INVALIDCALL : ValidateParams(&checked);
  if (FAILED(result)) {
    lost = true;
    return result;
  }
  ReleaseSwapSurfaces();
  result = CreateSwapSurfaces(checked);
  renderTarget_ = backBuffer_;
  renderTarget_->AddRef();
  depthStencil_ = autoDepth_;
  if (depthStencil_ != nullptr) depthStencil_->AddRef();
  params_ = checked;
  *params = checked;
  state.SetDefaults(params_.EnableAutoDepthStencil != 0);
  state.viewport = {0, 0, backBuffer_->width, backBuffer_->height, 0.0f, 1.0f};
  BindTargets();
  inScene_ = false;
  if (FAILED(result)) {
    lost = true;
    return result;
  }
  lost = false;
  resetSerial++;
  return D3D_OK;
}

HRESULT Device::Present(const RECT* source, const RECT* dest, HWND destWindowOverride, const RGNDATA* dirtyRegion) {
  recorder.Record("Present", {RecArg(source), RecArg(dest), RecArg(destWindowOverride), RecArg(dirtyRegion)});
  if (lost) return D3DERR_DEVICELOST;
  return PresentSurface(backBuffer_, destWindowOverride, source, dest);
}

HRESULT Device::PresentSurface(Surface* surface, HWND window, const RECT* source, const RECT* dest) {
  if (window == nullptr) window = window_;
  if (window->sdlWindow == nullptr) return D3DERR_INVALIDCALL;
  MakeCurrent();
  if (window != window_ && SDL_GL_MakeCurrent(window->sdlWindow, context_) != 0) {
    MakeCurrent();
    return D3DERR_DRIVERINTERNALERROR;
  }
  RECT from = {0, 0, LONG(surface->width), LONG(surface->height)};
  if (source != nullptr) from = *source;
  int drawableWidth = 0, drawableHeight = 0;
  SDL_GL_GetDrawableSize(window->sdlWindow, &drawableWidth, &drawableHeight);
  RECT to = {0, 0, drawableWidth, drawableHeight};
  if (dest != nullptr) to = *dest;
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  surface->AttachColor(GL_READ_FRAMEBUFFER);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDrawBuffer(GL_BACK);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  const bool sameSize = from.right - from.left == to.right - to.left && from.bottom - from.top == to.bottom - to.top;
  // Surfaces are held top-down; the window's rows count from the bottom.
  glBlitFramebuffer(from.left, from.top, from.right, from.bottom, to.left, drawableHeight - to.top, to.right,
                    drawableHeight - to.bottom, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
  SDL_GL_SwapWindow(window->sdlWindow);
  MakeCurrent();
  RestoreFramebuffer();
  return D3D_OK;
}

HRESULT Device::GetBackBuffer(UINT index, D3DBACKBUFFER_TYPE type, IDirect3DSurface8** backBuffer) {
  if (backBuffer == nullptr) return D3DERR_INVALIDCALL;
  *backBuffer = nullptr;
  if (index != 0 || type != D3DBACKBUFFER_TYPE_MONO) return D3DERR_INVALIDCALL;
  backBuffer_->AddRef();
  *backBuffer = backBuffer_;
  return D3D_OK;
}

HRESULT Device::SetRenderTarget(IDirect3DSurface8* renderTarget, IDirect3DSurface8* depthStencil) {
  recorder.Record("SetRenderTarget", {RecArg(renderTarget), RecArg(depthStencil)});
  Surface* target = renderTarget != nullptr ? static_cast<Surface*>(renderTarget) : renderTarget_;
  Surface* depth = static_cast<Surface*>(depthStencil);
  if (target->device != this || (target->usage & D3DUSAGE_RENDERTARGET) == 0) return D3DERR_INVALIDCALL;
  if (depth != nullptr) {
    if (depth->device != this || depth->kind != SurfaceKind::DepthStencil) return D3DERR_INVALIDCALL;
    if (depth->width < target->width || depth->height < target->height) return D3DERR_INVALIDCALL;
  }
  target->AddRef();
  if (depth != nullptr) depth->AddRef();
  renderTarget_->Release();
  if (depthStencil_ != nullptr) depthStencil_->Release();
  renderTarget_ = target;
  depthStencil_ = depth;
  state.viewport = {0, 0, target->width, target->height, 0.0f, 1.0f};
  BindTargets();
  return D3D_OK;
}

HRESULT Device::GetRenderTarget(IDirect3DSurface8** renderTarget) {
  recorder.Record("GetRenderTarget", {RecArg(renderTarget)});
  if (renderTarget == nullptr) return D3DERR_INVALIDCALL;
  renderTarget_->AddRef();
  *renderTarget = renderTarget_;
  return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface8** depthStencil) {
  recorder.Record("GetDepthStencilSurface", {RecArg(depthStencil)});
  if (depthStencil == nullptr) return D3DERR_INVALIDCALL;
  *depthStencil = depthStencil_;
  if (depthStencil_ == nullptr) return D3DERR_NOTFOUND;
  depthStencil_->AddRef();
  return D3D_OK;
}

HRESULT Device::BeginScene() {
  recorder.Record("BeginScene", {});
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT Device::EndScene() {
  recorder.Record("EndScene", {});
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

HRESULT Device::Clear(DWORD rectCount, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil) {
  recorder.Record("Clear", {rectCount, RecArg(rects), flags, color, RecArg(z), stencil});
  if (rectCount != 0 && rects == nullptr) return D3DERR_INVALIDCALL;
  if ((flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0 && depthStencil_ == nullptr) return D3DERR_INVALIDCALL;
  if ((flags & (D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) == 0) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_STENCIL) != 0 && depthStencil_->format != D3DFMT_D24S8 &&
      depthStencil_->format != D3DFMT_D15S1 && depthStencil_->format != D3DFMT_D24X4S4) {
    return D3DERR_INVALIDCALL;  // no stencil bits to clear
  }
  MakeCurrent();
  GLbitfield bits = 0;
  if (flags & D3DCLEAR_TARGET) {
    bits |= GL_COLOR_BUFFER_BIT;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((color >> 16) & 0xFF) / 255.0f, float((color >> 8) & 0xFF) / 255.0f,
                 float(color & 0xFF) / 255.0f, float(color >> 24) / 255.0f);
  }
  if (flags & D3DCLEAR_ZBUFFER) {
    bits |= GL_DEPTH_BUFFER_BIT;
    glDepthMask(GL_TRUE);
    glClearDepth(std::min(std::max(z, 0.0f), 1.0f));
  }
  if (flags & D3DCLEAR_STENCIL) {
    bits |= GL_STENCIL_BUFFER_BIT;
    glStencilMask(0xFFFFFFFF);
    glClearStencil(GLint(stencil));
  }
  glStateEpoch++;
  glEnable(GL_SCISSOR_TEST);
  // Clearing is limited to the viewport, and to the rectangles when given.
  const LONG vx1 = LONG(state.viewport.X), vy1 = LONG(state.viewport.Y);
  const LONG vx2 = std::min(vx1 + LONG(state.viewport.Width), LONG(TargetWidth()));
  const LONG vy2 = std::min(vy1 + LONG(state.viewport.Height), LONG(TargetHeight()));
  const DWORD count = rectCount != 0 ? rectCount : 1;
  for (DWORD i = 0; i < count; ++i) {
    LONG x1 = vx1, y1 = vy1, x2 = vx2, y2 = vy2;
    if (rectCount != 0) {
      x1 = std::max(x1, rects[i].x1);
      y1 = std::max(y1, rects[i].y1);
      x2 = std::min(x2, rects[i].x2);
      y2 = std::min(y2, rects[i].y2);
    }
    if (x2 <= x1 || y2 <= y1) continue;
    glScissor(x1, y1, x2 - x1, y2 - y1);
    glClear(bits);
  }
  glDisable(GL_SCISSOR_TEST);
  return D3D_OK;
}

HRESULT Device::CopyRects(IDirect3DSurface8* source, const RECT* sourceRects, UINT rectCount, IDirect3DSurface8* dest,
                          const POINT* destPoints) {
  recorder.Record("CopyRects", {RecArg(source), RecArg(sourceRects), rectCount, RecArg(dest), RecArg(destPoints)});
  Surface* from = static_cast<Surface*>(source);
  Surface* to = static_cast<Surface*>(dest);
  if (from == nullptr || to == nullptr || from == to) return D3DERR_INVALIDCALL;
  if (from->format != to->format || IsDepthFormat(from->format) || from->locked || to->locked) {
    return D3DERR_INVALIDCALL;
  }
  const bool dxt = IsDxtFormat(from->format);
  RECT whole = {0, 0, LONG(from->width), LONG(from->height)};
  const UINT count = (sourceRects == nullptr || rectCount == 0) ? 1 : rectCount;
  // Check every rectangle before copying any.
  for (UINT i = 0; i < count; ++i) {
    const RECT& r = sourceRects != nullptr && rectCount != 0 ? sourceRects[i] : whole;
    POINT p = destPoints != nullptr ? destPoints[i] : POINT{r.left, r.top};
    if (sourceRects == nullptr && destPoints == nullptr) p = POINT{0, 0};
    const LONG w = r.right - r.left, h = r.bottom - r.top;
    if (r.left < 0 || r.top < 0 || w <= 0 || h <= 0 || r.right > LONG(from->width) || r.bottom > LONG(from->height)) {
      return D3DERR_INVALIDCALL;
    }
    if (p.x < 0 || p.y < 0 || p.x + w > LONG(to->width) || p.y + h > LONG(to->height)) return D3DERR_INVALIDCALL;
    if (dxt && ((r.left | r.top | p.x | p.y) & 3) != 0) return D3DERR_INVALIDCALL;
  }
  std::vector<uint8_t> scratch;
  const bool blit = from->GpuResident() && to->GpuResident();
  for (UINT i = 0; i < count; ++i) {
    const RECT& r = sourceRects != nullptr && rectCount != 0 ? sourceRects[i] : whole;
    POINT p = destPoints != nullptr ? destPoints[i] : POINT{r.left, r.top};
    if (sourceRects == nullptr && destPoints == nullptr) p = POINT{0, 0};
    if (blit) {
      BlitSurfaces(from, r, to, p);
      continue;
    }
    const UINT w = UINT(r.right - r.left), h = UINT(r.bottom - r.top);
    const size_t pitch = FormatPitch(from->format, w);
    scratch.resize(pitch * FormatRowCount(from->format, h));
    from->ReadRect(r, scratch.data(), pitch);
    const RECT target = {p.x, p.y, p.x + LONG(w), p.y + LONG(h)};
    to->WriteRect(target, scratch.data(), pitch);
  }
  return D3D_OK;
}

void Device::BlitSurfaces(Surface* from, const RECT& rect, Surface* to, POINT at) {
  MakeCurrent();
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  from->AttachColor(GL_READ_FRAMEBUFFER);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copyFbo_);
  to->AttachColor(GL_DRAW_FRAMEBUFFER);
  glDrawBuffer(GL_COLOR_ATTACHMENT0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  // Both are held top-down: no flip.
  glBlitFramebuffer(rect.left, rect.top, rect.right, rect.bottom, at.x, at.y, at.x + (rect.right - rect.left),
                    at.y + (rect.bottom - rect.top), GL_COLOR_BUFFER_BIT, GL_NEAREST);
  glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  RestoreFramebuffer();
}

HRESULT Device::SetViewport(const D3DVIEWPORT8* viewport) {
  recorder.Record("SetViewport", {RecArg(viewport)});
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  if (uint64_t(viewport->X) + viewport->Width > TargetWidth() ||
      uint64_t(viewport->Y) + viewport->Height > TargetHeight() || viewport->MinZ < 0.0f || viewport->MaxZ > 1.0f ||
      viewport->MinZ > viewport->MaxZ) {
    return D3DERR_INVALIDCALL;
  }
  state.viewport = *viewport;
  if (recorder.enabled) {
    recorder.calls["SetViewport"].lastArgs = {
        viewport->X, viewport->Y, viewport->Width, viewport->Height, RecArg(viewport->MinZ), RecArg(viewport->MaxZ)};
  }
  MakeCurrent();
  ApplyViewport();
  return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT8* viewport) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = state.viewport;
  return D3D_OK;
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture8* texture) {
  recorder.Record("SetTexture", {stage, RecArg(texture)});
  if (stage >= D3D8_TEXTURE_STAGE_COUNT) return D3DERR_INVALIDCALL;
  BaseTexture* base = ToBaseTexture(texture);
  if (base != nullptr && base->device != this) return D3DERR_INVALIDCALL;
  if (base != nullptr) base->AddRefCommon();
  if (state.textures[stage] != nullptr) state.textures[stage]->ReleaseCommon();
  state.textures[stage] = base;
  return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture8** texture) {
  if (texture == nullptr || stage >= D3D8_TEXTURE_STAGE_COUNT) return D3DERR_INVALIDCALL;
  BaseTexture* base = state.textures[stage];
  *texture = base != nullptr ? base->Interface() : nullptr;
  if (base != nullptr) base->AddRefCommon();
  return D3D_OK;
}

HRESULT Device::ValidateDevice(DWORD* passes) {
  recorder.Record("ValidateDevice", {RecArg(passes)});
  if (passes == nullptr) return D3DERR_INVALIDCALL;
  *passes = 0;
  // States are read through the drawing code, which keeps them.
  auto stageState = [this](DWORD stage, D3DTEXTURESTAGESTATETYPE type) {
    DWORD value = 0;
    GetTextureStageState(stage, type, &value);
    return value;
  };
  for (DWORD stage = 0; stage < D3D8_TEXTURE_STAGE_COUNT; ++stage) {
    const DWORD colourOp = stageState(stage, D3DTSS_COLOROP);
    if (colourOp == D3DTOP_DISABLE) break;
    if (stage >= caps_.MaxTextureBlendStages) return D3DERR_TOOMANYOPERATIONS;
    if (colourOp < D3DTOP_DISABLE || colourOp > D3DTOP_LERP || (caps_.TextureOpCaps & (1u << (colourOp - 1))) == 0) {
      return D3DERR_UNSUPPORTEDCOLOROPERATION;
    }
    const DWORD alphaOp = stageState(stage, D3DTSS_ALPHAOP);
    if (alphaOp < D3DTOP_DISABLE || alphaOp > D3DTOP_LERP || (caps_.TextureOpCaps & (1u << (alphaOp - 1))) == 0) {
      return D3DERR_UNSUPPORTEDALPHAOPERATION;
    }
    for (DWORD filter : {stageState(stage, D3DTSS_MINFILTER), stageState(stage, D3DTSS_MAGFILTER)}) {
      if (filter == D3DTEXF_ANISOTROPIC && (caps_.RasterCaps & D3DPRASTERCAPS_ANISOTROPY) == 0) {
        return D3DERR_UNSUPPORTEDTEXTUREFILTER;
      }
      if (filter > D3DTEXF_ANISOTROPIC) return D3DERR_UNSUPPORTEDTEXTUREFILTER;
    }
  }
  *passes = 1;
  return D3D_OK;
}

HRESULT Device::SetPaletteEntries(UINT paletteNumber, const PALETTEENTRY* entries) {
  recorder.Record("SetPaletteEntries", {paletteNumber, RecArg(entries)});
  if (entries == nullptr || paletteNumber > 0xFFFF) return D3DERR_INVALIDCALL;
  Palette& palette = palettes_[paletteNumber];
  std::memcpy(palette.entries.data(), entries, 256 * sizeof(PALETTEENTRY));
  palette.generation = ++paletteGeneration_;
  return D3D_OK;
}

HRESULT Device::GetPaletteEntries(UINT paletteNumber, PALETTEENTRY* entries) {
  if (entries == nullptr) return D3DERR_INVALIDCALL;
  auto found = palettes_.find(paletteNumber);
  if (found == palettes_.end()) return D3DERR_INVALIDCALL;
  std::memcpy(entries, found->second.entries.data(), 256 * sizeof(PALETTEENTRY));
  return D3D_OK;
}

HRESULT Device::SetCurrentTexturePalette(UINT paletteNumber) {
  recorder.Record("SetCurrentTexturePalette", {paletteNumber});
  if (paletteNumber > 0xFFFF) return D3DERR_INVALIDCALL;
  state.currentPalette = paletteNumber;
  return D3D_OK;
}

HRESULT Device::GetCurrentTexturePalette(UINT* paletteNumber) {
  if (paletteNumber == nullptr) return D3DERR_INVALIDCALL;
  *paletteNumber = state.currentPalette;
  return D3D_OK;
}

const PALETTEENTRY* Device::CurrentPalette(uint64_t* generation) {
  auto found = palettes_.find(state.currentPalette);
  if (found == palettes_.end()) {
    *generation = 0;
    return nullptr;
  }
  *generation = found->second.generation;
  return found->second.entries.data();
}

}  // namespace d3d8
