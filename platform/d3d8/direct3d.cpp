// The Direct3D object: adapters are SDL's displays, modes are SDL's plus the
// usual resolutions up to the desktop size, and the capabilities are what the
// OpenGL rendering really offers.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/d3d8/d3d8_testing.h"
#include "platform/d3d8/device_internal.h"
#include "platform/win/win_video.h"
#include "platform/win/window_internal.h"

namespace d3d8test {
namespace {
CapsProfile g_profile = CapsProfile::Full;
}
void SetCapsProfile(CapsProfile profile) { g_profile = profile; }
CapsProfile GetCapsProfile() { return g_profile; }
}  // namespace d3d8test

namespace d3d8 {

namespace {

bool Minimal() { return d3d8test::GetCapsProfile() == d3d8test::CapsProfile::Minimal; }

D3DFORMAT FormatFromSdl(Uint32 sdlFormat) {
  int bits = SDL_BITSPERPIXEL(sdlFormat);
  if (bits == 16) return D3DFMT_R5G6B5;
  if (bits == 15) return D3DFMT_X1R5G5B5;
  return D3DFMT_X8R8G8B8;
}

}  // namespace

const GlLimits& ProbeGlLimits() {
  static GlLimits limits;
  static bool probed = false;
  if (probed) return limits;
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return limits;
  probed = true;
  SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
  SDL_GLContext previousContext = SDL_GL_GetCurrentContext();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_Window* window = SDL_CreateWindow("probe", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
  if (window != nullptr) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context != nullptr) {
      GLint size = 0;
      glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
      if (size > 0) limits.maxTextureSize = size;
      GLint count = 0;
      glGetIntegerv(GL_NUM_EXTENSIONS, &count);
      for (GLint i = 0; i < count; ++i) {
        const char* name = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, GLuint(i)));
        if (name == nullptr) continue;
        if (std::strcmp(name, "GL_EXT_texture_compression_s3tc") == 0) limits.s3tc = true;
        if (std::strcmp(name, "GL_EXT_texture_filter_anisotropic") == 0 ||
            std::strcmp(name, "GL_ARB_texture_filter_anisotropic") == 0) {
          GLfloat anisotropy = 1.0f;
          glGetFloatv(0x84FF /* GL_MAX_TEXTURE_MAX_ANISOTROPY */, &anisotropy);
          limits.maxAnisotropy = anisotropy;
        }
      }
      SDL_GL_DeleteContext(context);
    }
    SDL_DestroyWindow(window);
  }
  if (previousContext != nullptr) SDL_GL_MakeCurrent(previousWindow, previousContext);
  return limits;
}

bool IsDisplayFormat(D3DFORMAT format) {
  return format == D3DFMT_X8R8G8B8 || format == D3DFMT_R5G6B5 || format == D3DFMT_X1R5G5B5;
}

bool IsTextureFormatSupported(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_L8:
    case D3DFMT_DXT1:
    case D3DFMT_DXT2:
    case D3DFMT_DXT3:
    case D3DFMT_DXT4:
    case D3DFMT_DXT5:
      return true;
    case D3DFMT_P8:
      return !Minimal();
    default:
      return false;
  }
}

bool IsRenderTargetFormat(D3DFORMAT format) {
  switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
      return true;
    default:
      return false;
  }
}

bool IsSupportedDepthFormat(D3DFORMAT format) {
  // All are held as 24-bit depth with 8-bit stencil; formats whose layout
  // OpenGL cannot honour (15/1 and 24/4/4) are refused.
  return format == D3DFMT_D16 || format == D3DFMT_D24S8 || format == D3DFMT_D24X8 || format == D3DFMT_D32;
}

void FillCaps(UINT adapter, D3DCAPS8* caps) {
  const GlLimits& gl = ProbeGlLimits();
  const bool minimal = Minimal();
  std::memset(caps, 0, sizeof *caps);
  caps->DeviceType = D3DDEVTYPE_HAL;
  caps->AdapterOrdinal = adapter;
  caps->Caps2 = D3DCAPS2_CANRENDERWINDOWED | D3DCAPS2_DYNAMICTEXTURES;
  caps->PresentationIntervals = D3DPRESENT_INTERVAL_IMMEDIATE | D3DPRESENT_INTERVAL_ONE;
  caps->DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_EXECUTEVIDEOMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY |
                  D3DDEVCAPS_TLVERTEXVIDEOMEMORY | D3DDEVCAPS_TEXTURESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                  D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                  D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
  if (d3d8test::GetCapsProfile() == d3d8test::CapsProfile::SoftwareVertexProcessing) {
    caps->DevCaps &= ~DWORD(D3DDEVCAPS_HWTRANSFORMANDLIGHT);
  }
  caps->PrimitiveMiscCaps = D3DPMISCCAPS_MASKZ | D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                            D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP;
  caps->RasterCaps = D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_FOGVERTEX | D3DPRASTERCAPS_FOGTABLE | D3DPRASTERCAPS_WFOG |
                     D3DPRASTERCAPS_MIPMAPLODBIAS | D3DPRASTERCAPS_ZBIAS;
  if (gl.maxAnisotropy > 1.0f) caps->RasterCaps |= D3DPRASTERCAPS_ANISOTROPY;
  caps->ZCmpCaps = caps->AlphaCmpCaps = 0xFF;
  caps->SrcBlendCaps = caps->DestBlendCaps = 0x1FFF;
  caps->ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND |
                    D3DPSHADECAPS_FOGGOURAUD;
  caps->TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_ALPHA | D3DPTEXTURECAPS_ALPHAPALETTE |
                      D3DPTEXTURECAPS_PROJECTED | D3DPTEXTURECAPS_CUBEMAP | D3DPTEXTURECAPS_MIPMAP |
                      D3DPTEXTURECAPS_MIPCUBEMAP;
  if (minimal) {
    caps->TextureCaps |= D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY | D3DPTEXTURECAPS_CUBEMAP_POW2;
  }
  DWORD filters = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MIPFPOINT |
                  D3DPTFILTERCAPS_MIPFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
  if (gl.maxAnisotropy > 1.0f) filters |= D3DPTFILTERCAPS_MINFANISOTROPIC | D3DPTFILTERCAPS_MAGFANISOTROPIC;
  caps->TextureFilterCaps = caps->CubeTextureFilterCaps = filters;
  caps->TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_MIRROR | D3DPTADDRESSCAPS_CLAMP |
                             D3DPTADDRESSCAPS_BORDER | D3DPTADDRESSCAPS_INDEPENDENTUV | D3DPTADDRESSCAPS_MIRRORONCE;
  caps->LineCaps = D3DLINECAPS_TEXTURE | D3DLINECAPS_ZTEST | D3DLINECAPS_BLEND | D3DLINECAPS_ALPHACMP | D3DLINECAPS_FOG;
  caps->MaxTextureWidth = caps->MaxTextureHeight = DWORD(gl.maxTextureSize);
  caps->MaxTextureRepeat = 8192;
  caps->MaxTextureAspectRatio = minimal ? 1 : DWORD(gl.maxTextureSize);
  caps->MaxAnisotropy = DWORD(gl.maxAnisotropy);
  caps->MaxVertexW = 1.0e10f;
  caps->GuardBandLeft = caps->GuardBandTop = -32768.0f;
  caps->GuardBandRight = caps->GuardBandBottom = 32767.0f;
  caps->StencilCaps = 0xFF;
  caps->FVFCaps = 8 | D3DFVFCAPS_DONOTSTRIPELEMENTS;
  caps->TextureOpCaps =
      D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 | D3DTEXOPCAPS_MODULATE |
      D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MODULATE4X | D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_ADDSIGNED |
      D3DTEXOPCAPS_ADDSIGNED2X | D3DTEXOPCAPS_SUBTRACT | D3DTEXOPCAPS_ADDSMOOTH | D3DTEXOPCAPS_BLENDDIFFUSEALPHA |
      D3DTEXOPCAPS_BLENDTEXTUREALPHA | D3DTEXOPCAPS_BLENDFACTORALPHA | D3DTEXOPCAPS_BLENDTEXTUREALPHAPM |
      D3DTEXOPCAPS_BLENDCURRENTALPHA | D3DTEXOPCAPS_MODULATEALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATECOLOR_ADDALPHA |
      D3DTEXOPCAPS_MODULATEINVALPHA_ADDCOLOR | D3DTEXOPCAPS_MODULATEINVCOLOR_ADDALPHA | D3DTEXOPCAPS_DOTPRODUCT3 |
      D3DTEXOPCAPS_MULTIPLYADD | D3DTEXOPCAPS_LERP;
  if (minimal) caps->TextureOpCaps &= ~DWORD(D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_MULTIPLYADD);
  caps->MaxTextureBlendStages = caps->MaxSimultaneousTextures = minimal ? 2 : 8;
  if (d3d8test::GetCapsProfile() == d3d8test::CapsProfile::ThreeStages) {
    caps->MaxTextureBlendStages = caps->MaxSimultaneousTextures = 3;
  }
  caps->VertexProcessingCaps = D3DVTXPCAPS_TEXGEN | D3DVTXPCAPS_MATERIALSOURCE7 | D3DVTXPCAPS_DIRECTIONALLIGHTS |
                               D3DVTXPCAPS_POSITIONALLIGHTS | D3DVTXPCAPS_LOCALVIEWER;
  caps->MaxActiveLights = 8;
  caps->MaxPointSize = 64.0f;
  caps->MaxPrimitiveCount = 0xFFFFF;
  caps->MaxVertexIndex = 0xFFFFFF;
  caps->MaxStreams = 1;
  caps->MaxStreamStride = 255;
  caps->VertexShaderVersion = 0;
  caps->PixelShaderVersion = 0;
}

// ---------------------------------------------------------------------------

Direct3D::Direct3D() = default;

Direct3D::~Direct3D() {
  if (ownsVideo_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool Direct3D::Init() {
  if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
    if (!WinStartVideo()) return false;
    ownsVideo_ = true;
  }
  return SDL_GetNumVideoDisplays() > 0;
}

ULONG Direct3D::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

UINT Direct3D::GetAdapterCount() {
  int count = SDL_GetNumVideoDisplays();
  return count > 0 ? UINT(count) : 0;
}

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD, D3DADAPTER_IDENTIFIER8* identifier) {
  if (identifier == nullptr || adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  std::memset(identifier, 0, sizeof *identifier);
  const char* name = SDL_GetDisplayName(int(adapter));
  std::snprintf(identifier->Driver, sizeof identifier->Driver, "opengl");
  std::snprintf(identifier->Description, sizeof identifier->Description, "OpenGL on %s",
                name != nullptr ? name : "display");
  identifier->DeviceIdentifier.Data1 = adapter + 1;
  return D3D_OK;
}

const std::vector<D3DDISPLAYMODE>& Direct3D::Modes(UINT adapter) {
  auto found = modes_.find(adapter);
  if (found != modes_.end()) return found->second;
  std::vector<D3DDISPLAYMODE>& modes = modes_[adapter];
  D3DDISPLAYMODE desktop;
  if (FAILED(GetAdapterDisplayMode(adapter, &desktop))) return modes;
  // Each size is offered in 32-bit and 16-bit colour: the back buffer keeps
  // the format whatever the display does.
  auto add = [&modes](UINT w, UINT h, UINT rate) {
    for (D3DFORMAT format : {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}) {
      D3DDISPLAYMODE mode = {w, h, rate, format};
      bool known = std::any_of(modes.begin(), modes.end(), [&mode](const D3DDISPLAYMODE& m) {
        return m.Width == mode.Width && m.Height == mode.Height && m.RefreshRate == mode.RefreshRate &&
               m.Format == mode.Format;
      });
      if (!known) modes.push_back(mode);
    }
  };
  int count = SDL_GetNumDisplayModes(int(adapter));
  for (int i = 0; i < count; ++i) {
    SDL_DisplayMode mode;
    if (SDL_GetDisplayMode(int(adapter), i, &mode) != 0 || mode.w <= 0 || mode.h <= 0) continue;
    add(UINT(mode.w), UINT(mode.h), mode.refresh_rate > 0 ? UINT(mode.refresh_rate) : 60);
  }
  // Full screen never changes the display: it shows the back buffer scaled
  // over the desktop mode. So every usual size that fits the desktop is a
  // mode, whether or not the display itself offers it.
  static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1152, 864},  {1280, 720},
                                   {1280, 960},  {1280, 1024}, {1366, 768},  {1440, 900},  {1600, 900},
                                   {1600, 1200}, {1680, 1050}, {1920, 1080}, {1920, 1200}, {2560, 1440}};
  for (const auto& size : kSizes) {
    if (size[0] <= desktop.Width && size[1] <= desktop.Height) add(size[0], size[1], desktop.RefreshRate);
  }
  add(desktop.Width, desktop.Height, desktop.RefreshRate);
  std::stable_sort(modes.begin(), modes.end(), [](const D3DDISPLAYMODE& a, const D3DDISPLAYMODE& b) {
    if (a.Format != b.Format) return a.Format < b.Format;
    if (a.Width != b.Width) return a.Width < b.Width;
    if (a.Height != b.Height) return a.Height < b.Height;
    return a.RefreshRate < b.RefreshRate;
  });
  return modes;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter) {
  if (adapter >= GetAdapterCount()) return 0;
  return UINT(Modes(adapter).size());
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, UINT mode, D3DDISPLAYMODE* displayMode) {
  if (displayMode == nullptr || adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  const std::vector<D3DDISPLAYMODE>& modes = Modes(adapter);
  if (mode >= modes.size()) return D3DERR_INVALIDCALL;
  *displayMode = modes[mode];
  return D3D_OK;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* displayMode) {
  if (displayMode == nullptr || adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  SDL_DisplayMode mode;
  if (SDL_GetDesktopDisplayMode(int(adapter), &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
    mode.w = 1024;
    mode.h = 768;
    mode.refresh_rate = 60;
    mode.format = SDL_PIXELFORMAT_RGB888;
  }
  displayMode->Width = UINT(mode.w);
  displayMode->Height = UINT(mode.h);
  displayMode->RefreshRate = mode.refresh_rate > 0 ? UINT(mode.refresh_rate) : 60;
  displayMode->Format = FormatFromSdl(mode.format);
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE type, D3DFORMAT displayFormat, D3DFORMAT backBufferFormat,
                                  BOOL) {
  if (adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  if (!IsDisplayFormat(displayFormat) || !IsRenderTargetFormat(backBufferFormat)) return D3DERR_NOTAVAILABLE;
  return D3D_OK;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat, DWORD usage,
                                    D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat) {
  if (adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  bool ok = false;
  switch (resourceType) {
    case D3DRTYPE_SURFACE:
    case D3DRTYPE_TEXTURE:
    case D3DRTYPE_CUBETEXTURE:
      if (usage & D3DUSAGE_DEPTHSTENCIL) {
        ok = resourceType == D3DRTYPE_SURFACE && IsSupportedDepthFormat(checkFormat) &&
             (usage & D3DUSAGE_RENDERTARGET) == 0;
      } else if (usage & D3DUSAGE_RENDERTARGET) {
        ok = IsRenderTargetFormat(checkFormat);
      } else {
        ok = IsTextureFormatSupported(checkFormat);
      }
      break;
    case D3DRTYPE_VERTEXBUFFER:
      ok = checkFormat == D3DFMT_VERTEXDATA;
      break;
    case D3DRTYPE_INDEXBUFFER:
      ok = checkFormat == D3DFMT_INDEX16 || checkFormat == D3DFMT_INDEX32;
      break;
    default:
      break;
  }
  return ok ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDepthStencilMatch(UINT adapter, D3DDEVTYPE type, D3DFORMAT adapterFormat,
                                         D3DFORMAT renderTargetFormat, D3DFORMAT depthStencilFormat) {
  if (adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL || !IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
  if (!IsRenderTargetFormat(renderTargetFormat) || !IsSupportedDepthFormat(depthStencilFormat)) {
    return D3DERR_NOTAVAILABLE;
  }
  return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE type, D3DCAPS8* caps) {
  if (caps == nullptr || adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  FillCaps(adapter, caps);
  return D3D_OK;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* params, IDirect3DDevice8** device) {
  if (device == nullptr) return D3DERR_INVALIDCALL;
  *device = nullptr;
  if (params == nullptr || adapter >= GetAdapterCount()) return D3DERR_INVALIDCALL;
  if (type != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
  const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING | D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                            D3DCREATE_MIXED_VERTEXPROCESSING);
  // Exactly one way of processing vertices must be asked for.
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
      processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
    return D3DERR_INVALIDCALL;
  }
  // Hardware or mixed processing needs hardware transform and lighting.
  D3DCAPS8 caps;
  FillCaps(adapter, &caps);
  if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && (caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) == 0) {
    return D3DERR_INVALIDCALL;
  }
  HWND window = params->hDeviceWindow != nullptr ? params->hDeviceWindow : focusWindow;
  if (window == nullptr || window->sdlWindow == nullptr) return D3DERR_INVALIDCALL;
  Device* created = new Device(this, adapter);
  HRESULT result = created->Init(window, behaviorFlags, params);
  if (FAILED(result)) {
    created->Release();
    return result;
  }
  *device = created;
  return D3D_OK;
}

}  // namespace d3d8

IDirect3D8* WINAPI Direct3DCreate8(UINT sdkVersion) {
  if (sdkVersion != D3D_SDK_VERSION) return nullptr;
  d3d8::Direct3D* d3d = new d3d8::Direct3D;
  if (!d3d->Init()) {
    d3d->Release();
    return nullptr;
  }
  return d3d;
}
