// Direct3D 8 rasters: the format choice for each raster type, the textures
// and surfaces behind rasters, palette numbers and records, and the list of
// rasters whose device objects or palettes go away with a device Reset.
#include <cstring>
#include <initializer_list>

#include "engine/driver/d3d8/d3d8_render_state.h"
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/src/plcore/error.h"
#include "engine/src/texture.h"
#include "platform/win/win32.h"

namespace {

constexpr RwUInt32 kResetEntriesPerBlock = 127;
constexpr RwUInt32 kPalettesPerBlock = 64;
constexpr RwUInt32 kRecordAlignment = 4;
constexpr RwInt32 kPaletteNumberGrowth = 512;

struct ResetEntry {
  RwRaster* raster;
  ResetEntry* next;
};

struct RasterModule {
  RwFreeList* resetEntryFreeList;
  ResetEntry* resetList;
  RwFreeList* paletteFreeList;
  RwUInt32 paletteCounter;
  RwUInt16* freePaletteNumbers;
  RwInt32 freePaletteCount;
  RwInt32 freePaletteCapacity;
  RwRaster* context;
};

RasterModule sModule;

RwD3D8RasterExtension* Ext(RwRaster* raster) { return _rwD3D8RasterExtensionGet(raster); }

// ---------------------------------------------------------------------------
// Device-reset list.

bool Link(RwRaster* raster) {
  if (sModule.resetEntryFreeList == nullptr && !RwD3D8RasterOpen()) {
    return false;
  }
  ResetEntry* entry = static_cast<ResetEntry*>(RwFreeListEntryAlloc(sModule.resetEntryFreeList));
  if (entry == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrOutOfMemory);
    return false;
  }
  entry->raster = raster;
  entry->next = sModule.resetList;
  sModule.resetList = entry;
  return true;
}

void Unlink(RwRaster* raster) {
  for (ResetEntry** at = &sModule.resetList; *at != nullptr; at = &(*at)->next) {
    if ((*at)->raster == raster) {
      ResetEntry* entry = *at;
      *at = entry->next;
      RwFreeListEntryFree(sModule.resetEntryFreeList, entry);
      return;
    }
  }
}

// ---------------------------------------------------------------------------
// Palette numbers and records.

RwUInt32 TakePaletteNumber() {
  if (sModule.freePaletteCount > 0) {
    sModule.freePaletteCount--;
    return sModule.freePaletteNumbers[sModule.freePaletteCount];
  }
  return sModule.paletteCounter++;
}

void ReturnPaletteNumber(RwUInt32 number) {
  if (sModule.freePaletteCount == sModule.freePaletteCapacity) {
    const RwInt32 capacity = sModule.freePaletteCapacity + kPaletteNumberGrowth;
    void* grown = RwRealloc(sModule.freePaletteNumbers, sizeof(RwUInt16) * static_cast<size_t>(capacity));
    if (grown == nullptr) {
      _rwD3D8RasterRaiseCore(kRwErrOutOfMemory);
      return;  // the number is lost, not reused twice
    }
    sModule.freePaletteNumbers = static_cast<RwUInt16*>(grown);
    sModule.freePaletteCapacity = capacity;
  }
  sModule.freePaletteNumbers[sModule.freePaletteCount++] = static_cast<RwUInt16>(number);
}

RwD3D8Palette* NewPalette() {
  if (sModule.paletteFreeList == nullptr) {
    sModule.paletteFreeList = RwFreeListCreate(sizeof(RwD3D8Palette), kPalettesPerBlock, kRecordAlignment);
    if (sModule.paletteFreeList == nullptr) {
      _rwD3D8RasterRaiseCore(kRwErrOutOfMemory);
      return nullptr;
    }
  }
  RwD3D8Palette* palette = static_cast<RwD3D8Palette*>(RwFreeListEntryAlloc(sModule.paletteFreeList));
  if (palette == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrOutOfMemory);
    return nullptr;
  }
  std::memset(palette, 0, sizeof(*palette));
  palette->paletteNumber = TakePaletteNumber();
  return palette;
}

void FreePalette(RwD3D8RasterExtension* extension) {
  if (extension->palette == nullptr) {
    return;
  }
  ReturnPaletteNumber(extension->palette->paletteNumber);
  RwFreeListEntryFree(sModule.paletteFreeList, extension->palette);
  extension->palette = nullptr;
}

// ---------------------------------------------------------------------------
// Format choice.

bool AlphaPalettes() { return (_rwD3D8Driver.caps.TextureCaps & D3DPTEXTURECAPS_ALPHAPALETTE) != 0; }

RwInt32 TableDepth(RwUInt32 nibble) {
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(nibble);
  return info != nullptr ? info->depth : 0;
}

// A chosen format: the format flags and the depth.
struct Choice {
  RwUInt32 format;
  RwInt32 depth;
};

bool ChooseTextureFormat(RwUInt32 formatFlags, Choice* choice) {
  const RwUInt32 nibble = _rwD3D8RasterNibble(formatFlags);
  const RwUInt32 modifiers = formatFlags & ~rwRASTERFORMATPIXELFORMATMASK;
  if (formatFlags & rwRASTERFORMATPAL4) {
    // 4-bit palettes have no Direct3D 8 texture format.
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return false;
  }
  if (formatFlags & rwRASTERFORMATPAL8) {
    if (!RwD3D8CheckTextureFormat(D3DFMT_P8)) {
      return false;
    }
    RwUInt32 entryFormat = nibble;
    if (nibble == rwRASTERFORMATDEFAULT) {
      entryFormat = AlphaPalettes() ? rwRASTERFORMAT8888 : rwRASTERFORMAT888;
    } else if (!(nibble == rwRASTERFORMAT888 || (nibble == rwRASTERFORMAT8888 && AlphaPalettes()))) {
      return false;
    }
    *choice = {modifiers | entryFormat, 8};
    return true;
  }
  if (nibble == rwRASTERFORMATDEFAULT) {
    RwUInt32 chosen = rwRASTERFORMAT1555;
    if (_rwD3D8RasterDisplayDepth() > 16 && _rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT8888)) {
      chosen = rwRASTERFORMAT8888;
    } else if (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT4444)) {
      chosen = rwRASTERFORMAT4444;
    }
    *choice = {modifiers | chosen, TableDepth(chosen)};
    return true;
  }
  if (!_rwD3D8RasterTextureFormatSupported(nibble)) {
    return false;
  }
  *choice = {formatFlags, TableDepth(nibble)};
  return true;
}

bool ChooseZBufferFormat(RwUInt32 formatFlags, Choice* choice) {
  const RwUInt32 nibble = _rwD3D8RasterNibble(formatFlags);
  const RwInt32 zDepth = _rwD3D8RasterZBufferDepth();
  const RwUInt32 wanted = zDepth == 16 ? RwUInt32{rwRASTERFORMAT16} : (zDepth == 32 ? RwUInt32{rwRASTERFORMAT32} : 0u);
  if (wanted == 0 || (nibble != rwRASTERFORMATDEFAULT && nibble != wanted)) {
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return false;
  }
  *choice = {(formatFlags & ~rwRASTERFORMATPIXELFORMATMASK) | wanted, zDepth};
  return true;
}

bool ChooseCameraFormat(RwUInt32 formatFlags, Choice* choice) {
  const RwUInt32 display = RwD3D8FormatToRasterFormat(_rwD3D8RasterDisplayFormat());
  const RwUInt32 nibble = _rwD3D8RasterNibble(formatFlags);
  if (nibble != rwRASTERFORMATDEFAULT && nibble != display) {
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return false;
  }
  *choice = {(formatFlags & ~rwRASTERFORMATPIXELFORMATMASK) | display, _rwD3D8RasterDisplayDepth()};
  return true;
}

bool RenderTargetSupported(RwUInt32 nibble) {
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(nibble);
  return info != nullptr && info->d3dFormat != D3DFMT_UNKNOWN && RwD3D8CheckRenderTargetFormat(info->d3dFormat);
}

bool ChooseCameraTextureFormat(RwUInt32 formatFlags, Choice* choice) {
  const RwUInt32 nibble = _rwD3D8RasterNibble(formatFlags);
  const RwUInt32 modifiers = formatFlags & ~rwRASTERFORMATPIXELFORMATMASK;
  if (nibble == rwRASTERFORMATDEFAULT) {
    const bool wide = _rwD3D8RasterDisplayDepth() != 16 && RwD3D8CheckRenderTargetFormat(D3DFMT_X8R8G8B8);
    const RwUInt32 chosen = wide ? rwRASTERFORMAT888 : rwRASTERFORMAT565;
    *choice = {modifiers | chosen, TableDepth(chosen)};
    return true;
  }
  if (!RenderTargetSupported(nibble)) {
    _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
    return false;
  }
  *choice = {formatFlags, TableDepth(nibble)};
  return true;
}

bool ChooseFormat(RwUInt32 type, RwUInt32 formatFlags, Choice* choice) {
  switch (type) {
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      return ChooseTextureFormat(formatFlags, choice);
    case rwRASTERTYPEZBUFFER:
      return ChooseZBufferFormat(formatFlags, choice);
    case rwRASTERTYPECAMERA:
      return ChooseCameraFormat(formatFlags, choice);
    case rwRASTERTYPECAMERATEXTURE:
      return ChooseCameraTextureFormat(formatFlags, choice);
    default:
      _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      return false;
  }
}

// ---------------------------------------------------------------------------
// Device objects.

RwUInt32 Levels(const RwRaster* raster) { return (_rwD3D8RasterFormatFlags(raster) & rwRASTERFORMATMIPMAP) ? 0 : 1; }

HRESULT CreateD3DTexture(RwRaster* raster, RwD3D8RasterExtension* extension, DWORD usage, D3DFORMAT format,
                         D3DPOOL pool) {
  IDirect3DDevice8* device = _rwD3D8RasterDevice();
  if (extension->cube) {
    IDirect3DCubeTexture8* cube = nullptr;
    const HRESULT result =
        device->CreateCubeTexture(static_cast<UINT>(raster->width), Levels(raster), usage, format, pool, &cube);
    extension->texture = SUCCEEDED(result) ? cube : nullptr;
    return result;
  }
  IDirect3DTexture8* texture = nullptr;
  const HRESULT result = device->CreateTexture(static_cast<UINT>(raster->width), static_cast<UINT>(raster->height),
                                               Levels(raster), usage, format, pool, &texture);
  extension->texture = SUCCEEDED(result) ? texture : nullptr;
  return result;
}

bool CreateTexture(RwRaster* raster, RwD3D8RasterExtension* extension) {
  const RwUInt32 formatFlags = _rwD3D8RasterFormatFlags(raster);
  const RwUInt32 nibble = _rwD3D8RasterNibble(formatFlags);
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(nibble);
  D3DFORMAT format = static_cast<D3DFORMAT>(info != nullptr ? info->d3dFormat : 0);
  if (formatFlags & kRwRasterPaletteFormats) {
    if (nibble != rwRASTERFORMAT888 && nibble != rwRASTERFORMAT8888) {
      _rwD3D8RasterRaiseDriver("Palletized texture can only be rwRASTERFORMAT888 or rwRASTERFORMAT8888.");
      return false;
    }
    extension->palette = NewPalette();
    if (extension->palette == nullptr) {
      return false;
    }
    format = D3DFMT_P8;
  }
  extension->hasAlpha = info != nullptr ? info->hasAlpha : 0;
  RwD3D8RasterAdjustSize(raster, raster->type);
  if (FAILED(CreateD3DTexture(raster, extension, 0, format, D3DPOOL_MANAGED))) {
    FreePalette(extension);
    _rwD3D8RasterRaiseDriver("Failed to create texture.");
    return false;
  }
  extension->d3dFormat = static_cast<RwUInt32>(format);
  return true;
}

// Creates with the given call, discarding managed resources and trying once
// more when video memory runs out. False after recording the error.
template <typename Create>
bool CreateInVideoMemory(Create create, HRESULT* result) {
  *result = create();
  if (*result == D3DERR_OUTOFVIDEOMEMORY) {
    _rwD3D8RasterDevice()->ResourceManagerDiscardBytes(0);
    *result = create();
    if (*result == D3DERR_OUTOFVIDEOMEMORY) {
      _rwD3D8RasterRaiseDriver("Out of video memory. Failed to create raster.");
      return false;
    }
  }
  return true;
}

bool CreateRenderTargetTexture(RwRaster* raster, RwD3D8RasterExtension* extension, bool adjust) {
  const RwUInt32 formatFlags = _rwD3D8RasterFormatFlags(raster);
  if (formatFlags & kRwRasterPaletteFormats) {
    _rwD3D8RasterRaiseDriver("rwRASTERTYPECAMERATEXTURE can not be palletized.");
    return false;
  }
  const RwD3D8RasterFormatInfo* info = _rwD3D8RasterFormatInfo(formatFlags);
  const D3DFORMAT format = static_cast<D3DFORMAT>(info != nullptr ? info->d3dFormat : 0);
  extension->hasAlpha = info != nullptr ? info->hasAlpha : 0;
  if (adjust) {
    RwD3D8RasterAdjustSize(raster, raster->type);
  }
  HRESULT result = D3D_OK;
  if (!CreateInVideoMemory(
          [&] { return CreateD3DTexture(raster, extension, D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT); },
          &result)) {
    return false;
  }
  if (SUCCEEDED(result)) {
    extension->renderTarget = 1;
    extension->d3dFormat = static_cast<RwUInt32>(format);
    return true;
  }
  // No render target of this kind: a plain texture filled by copies from the
  // back buffer, in the display format.
  const D3DFORMAT fallback = extension->cube ? format : _rwD3D8RasterDisplayFormat();
  if (FAILED(CreateD3DTexture(raster, extension, 0, fallback, D3DPOOL_DEFAULT))) {
    _rwD3D8RasterRaiseDriver("Failed to create raster.");
    return false;
  }
  extension->renderTarget = 0;
  extension->d3dFormat = static_cast<RwUInt32>(fallback);
  if (!extension->cube) {
    const RwUInt32 displayFormat = RwD3D8FormatToRasterFormat(fallback);
    raster->format = static_cast<RwUInt8>(((formatFlags & ~rwRASTERFORMATPIXELFORMATMASK) | displayFormat) >> 8);
    raster->depth = _rwD3D8RasterDisplayDepth();
    const RwD3D8RasterFormatInfo* displayInfo = _rwD3D8RasterFormatInfo(displayFormat);
    extension->hasAlpha = displayInfo != nullptr ? displayInfo->hasAlpha : 0;
  }
  return true;
}

D3DFORMAT DepthSurfaceFormat() {
  if (_rwD3D8RasterZBufferDepth() == 16) {
    return RwD3D8CheckZBufferFormat(D3DFMT_D15S1) ? D3DFMT_D15S1 : D3DFMT_D16;
  }
  const D3DFORMAT candidates[] = {D3DFMT_D24S8, D3DFMT_D24X4S4, D3DFMT_D32};
  for (D3DFORMAT candidate : candidates) {
    if (RwD3D8CheckZBufferFormat(candidate)) {
      return candidate;
    }
  }
  return D3DFMT_D24X8;
}

// The device's own depth-stencil surface, held without a reference (the
// device keeps it).
IDirect3DSurface8* DeviceDepthSurface() {
  IDirect3DSurface8* surface = nullptr;
  if (FAILED(_rwD3D8RasterDevice()->GetDepthStencilSurface(&surface)) || surface == nullptr) {
    return nullptr;
  }
  surface->Release();
  return surface;
}

bool CreateDepthSurface(RwRaster* raster, RwD3D8RasterExtension* extension) {
  extension->hasAlpha = 0;
  const D3DFORMAT format = DepthSurfaceFormat();
  extension->d3dFormat = static_cast<RwUInt32>(format);
  RwInt32 clientWidth = 0;
  RwInt32 clientHeight = 0;
  if (_rwD3D8RasterClientSize(&clientWidth, &clientHeight) && clientWidth == raster->width &&
      clientHeight == raster->height) {
    extension->surface = DeviceDepthSurface();
    extension->deviceDepthSurface = 1;
    return true;
  }
  const UINT width = static_cast<UINT>(raster->width > 0 ? raster->width : 1);
  const UINT height = static_cast<UINT>(raster->height > 0 ? raster->height : 1);
  HRESULT result = D3D_OK;
  IDirect3DSurface8* surface = nullptr;
  if (!CreateInVideoMemory(
          [&] {
            return _rwD3D8RasterDevice()->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE,
                                                                    &surface);
          },
          &result)) {
    return false;
  }
  if (FAILED(result)) {
    _rwD3D8RasterRaiseDriver("Failed to create raster.");
    return false;
  }
  extension->surface = surface;
  extension->deviceDepthSurface = 0;
  return true;
}

RwInt32 CameraDepth() {
  switch (_rwD3D8Driver.present.BackBufferFormat) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
      return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
      return 16;
    default:
      return 0;
  }
}

bool CreateCamera(RwRaster* raster, bool ownsPixels) {
  RwInt32 clientWidth = 0;
  RwInt32 clientHeight = 0;
  if (ownsPixels && _rwD3D8RasterClientSize(&clientWidth, &clientHeight) &&
      (clientWidth < raster->width || clientHeight < raster->height)) {
    _rwD3D8RasterRaiseDriver("Camera raster is too big.");
    return false;
  }
  raster->depth = CameraDepth();
  raster->stride = 0;
  raster->pixels = nullptr;
  raster->flags = rwRASTERDONTALLOCATE;
  raster->originalWidth = raster->width;
  raster->originalHeight = raster->height;
  return Link(raster);
}

void ReleaseTexture(RwD3D8RasterExtension* extension) {
  if (extension->texture != nullptr) {
    extension->texture->Release();
    extension->texture = nullptr;
  }
}

RwRaster* Top(RwRaster* raster) { return raster->parent != nullptr ? raster->parent : raster; }

}  // namespace

// ---------------------------------------------------------------------------
// Shared helpers.

void _rwD3D8RasterRaiseCore(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(code)); }

void _rwD3D8RasterRaiseDriver(const char* message) {
  RwErrorRaise(kRwPluginIdCore, ReturnFirstArgument(kRwErrD3D8Driver, message));
}

D3DFORMAT _rwD3D8RasterDisplayFormat(void) { return _rwD3D8Driver.displayMode.format; }

RwInt32 _rwD3D8RasterDisplayDepth(void) { return _rwD3D8Driver.displayDepth; }

RwInt32 _rwD3D8RasterZBufferDepth(void) {
  switch (_rwD3D8Driver.depthStencilFormat) {
    case D3DFMT_D15S1:
    case D3DFMT_D16:
      return 16;
    case D3DFMT_D24S8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32:
    case D3DFMT_D24X8:
      return 32;
    default:
      return _rwD3D8Driver.displayDepth;
  }
}

bool _rwD3D8RasterClientSize(RwInt32* width, RwInt32* height) {
  RECT client = {0, 0, 0, 0};
  // The device window's client size decides whether camera rasters fit and
  // whether depth rasters share the device's depth surface. In full screen
  // the display shows the back buffer scaled, so its size is the client's.
  const bool windowed = (_rwD3D8Driver.displayMode.flags & kRwVideoModeExclusive) == 0;
  if (windowed && _rwD3D8Driver.window != nullptr && GetClientRect(_rwD3D8Driver.window, &client)) {
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
  }
  IDirect3DSurface8* back = nullptr;
  if (_rwD3D8RasterDevice() == nullptr ||
      FAILED(_rwD3D8RasterDevice()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back)) || back == nullptr) {
    return false;
  }
  D3DSURFACE_DESC desc;
  const bool described = SUCCEEDED(back->GetDesc(&desc));
  back->Release();
  if (!described) {
    return false;
  }
  *width = static_cast<RwInt32>(desc.Width);
  *height = static_cast<RwInt32>(desc.Height);
  return true;
}

RwRaster* _rwD3D8RasterGetContext(void) { return sModule.context; }

// ---------------------------------------------------------------------------
// Size and format.

void RwD3D8RasterAdjustSize(RwRaster* raster, RwUInt32 type) {
  const D3DCAPS8& caps = _rwD3D8Driver.caps;
  if (caps.MaxTextureWidth > 0 && static_cast<DWORD>(raster->width) > caps.MaxTextureWidth) {
    raster->width = static_cast<RwInt32>(caps.MaxTextureWidth);
  }
  if (caps.MaxTextureHeight > 0 && static_cast<DWORD>(raster->height) > caps.MaxTextureHeight) {
    raster->height = static_cast<RwInt32>(caps.MaxTextureHeight);
  }
  const bool pow2 = (caps.TextureCaps & D3DPTEXTURECAPS_POW2) != 0;
  const bool conditional = (caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL) != 0;
  const bool texture = type == rwRASTERTYPETEXTURE || type == rwRASTERTYPECAMERATEXTURE;
  if ((texture && pow2) || (type == rwRASTERTYPENORMAL && pow2 && !conditional)) {
    for (RwInt32* size : {&raster->width, &raster->height}) {
      RwInt32 power = 1;
      while (power <= *size / 2) {
        power <<= 1;
      }
      *size = *size > 0 ? power : *size;
    }
  }
  if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) {
    const RwInt32 smaller = raster->width < raster->height ? raster->width : raster->height;
    raster->width = smaller;
    raster->height = smaller;
  }
}

RwUInt32 RwD3D8RasterFindSupportedFormat(RwUInt32 type, RwUInt32 flags) {
  RwUInt32 format = flags & rwRASTERFORMATMASK;
  const RwUInt32 nibble = _rwD3D8RasterNibble(format);
  RwUInt32 modifiers = format & ~rwRASTERFORMATPIXELFORMATMASK;
  switch (type) {
    case rwRASTERTYPEZBUFFER:
    case rwRASTERTYPECAMERA: {
      if (nibble != rwRASTERFORMATDEFAULT) {
        _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
        return 0;
      }
      if (type == rwRASTERTYPECAMERA) {
        return modifiers | RwD3D8FormatToRasterFormat(_rwD3D8RasterDisplayFormat());
      }
      return modifiers | (_rwD3D8RasterZBufferDepth() == 16 ? rwRASTERFORMAT16 : rwRASTERFORMAT32);
    }
    case rwRASTERTYPECAMERATEXTURE: {
      RwUInt32 chosen = nibble;
      const bool narrowDisplay = _rwD3D8RasterDisplayDepth() == 16;
      if (nibble == rwRASTERFORMATDEFAULT) {
        chosen =
            (!narrowDisplay && RwD3D8CheckRenderTargetFormat(D3DFMT_X8R8G8B8)) ? rwRASTERFORMAT888 : rwRASTERFORMAT565;
      } else if (!narrowDisplay && TableDepth(nibble) == 16) {
        chosen =
            (nibble == rwRASTERFORMAT4444 || nibble == rwRASTERFORMAT1555) ? rwRASTERFORMAT8888 : rwRASTERFORMAT888;
      } else if (narrowDisplay && TableDepth(nibble) == 32) {
        chosen = nibble == rwRASTERFORMAT8888 ? rwRASTERFORMAT4444 : rwRASTERFORMAT565;
      }
      if (chosen == rwRASTERFORMAT8888 && !RenderTargetSupported(rwRASTERFORMAT8888)) {
        chosen = rwRASTERFORMAT888;
      }
      if (chosen == rwRASTERFORMAT4444 && !RenderTargetSupported(rwRASTERFORMAT4444)) {
        chosen = rwRASTERFORMAT1555;
      }
      if (chosen == rwRASTERFORMAT1555 && !RenderTargetSupported(rwRASTERFORMAT1555)) {
        chosen = rwRASTERFORMAT565;
      }
      return modifiers | chosen;
    }
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      break;
    default:
      _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      return 0;
  }
  auto bestTrueColour = [] {
    if (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT8888)) return rwRASTERFORMAT8888;
    if (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT4444)) return rwRASTERFORMAT4444;
    return rwRASTERFORMAT1555;
  };
  if (modifiers & kRwRasterPaletteFormats) {
    if (modifiers & rwRASTERFORMATPAL4) {
      modifiers = (modifiers & ~rwRASTERFORMATPAL4) | rwRASTERFORMATPAL8;
    }
    if (RwD3D8CheckTextureFormat(D3DFMT_P8)) {
      if (nibble == rwRASTERFORMATDEFAULT) {
        return modifiers | (AlphaPalettes() ? rwRASTERFORMAT8888 : rwRASTERFORMAT888);
      }
      if (!(nibble == rwRASTERFORMAT8888 && !AlphaPalettes())) {
        return modifiers | nibble;
      }
    }
    modifiers &= ~kRwRasterPaletteFormats;
    if (nibble == rwRASTERFORMAT888) {
      return modifiers |
             (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT888) ? rwRASTERFORMAT888 : rwRASTERFORMAT565);
    }
    return modifiers | bestTrueColour();
  }
  switch (nibble) {
    case rwRASTERFORMAT8888:
      if (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT8888)) return format;
      return modifiers |
             (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT4444) ? rwRASTERFORMAT4444 : rwRASTERFORMAT1555);
    case rwRASTERFORMAT888:
      return modifiers |
             (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT888) ? rwRASTERFORMAT888 : rwRASTERFORMAT565);
    case rwRASTERFORMAT4444:
      return modifiers |
             (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT4444) ? rwRASTERFORMAT4444 : rwRASTERFORMAT1555);
    case rwRASTERFORMATLUM8:
      if (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMATLUM8)) return format;
      return modifiers |
             (_rwD3D8RasterTextureFormatSupported(rwRASTERFORMAT888) ? rwRASTERFORMAT888 : rwRASTERFORMAT565);
    case rwRASTERFORMATDEFAULT:
      return modifiers | bestTrueColour();
    default:
      return format;
  }
}

RwBool RwD3D8RasterSetFormat(RwRaster* raster, RwUInt32 flags) {
  const RwUInt32 type = flags & rwRASTERTYPEMASK;
  raster->type = static_cast<RwUInt8>(type);
  raster->flags = static_cast<RwUInt8>(flags & 0xF8);
  const RwUInt32 format = RwD3D8RasterFindSupportedFormat(type, flags);
  raster->format = static_cast<RwUInt8>(format >> 8);
  raster->depth = (format & kRwRasterPaletteFormats) ? 8 : TableDepth(_rwD3D8RasterNibble(format));
  if (type == rwRASTERTYPEZBUFFER) {
    raster->depth = _rwD3D8RasterZBufferDepth();
  }
  return TRUE;
}

// ---------------------------------------------------------------------------
// Create and destroy.

RwBool RwD3D8RasterCreate(void* /*unused*/, void* object, RwInt32 number) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  RwD3D8RasterExtension* extension = Ext(raster);
  if (extension == nullptr || _rwD3D8RasterDevice() == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrWrongEngineState);
    return FALSE;
  }
  const RwUInt32 flags = static_cast<RwUInt32>(number);
  std::memset(extension, 0, sizeof(*extension));
  extension->maxAnisotropy = 1;
  extension->lockedLevel = kRwD3D8NoLockedLevel;
  raster->pixels = nullptr;
  raster->palette = nullptr;
  const RwUInt32 type = flags & rwRASTERTYPEMASK;
  raster->type = static_cast<RwUInt8>(type);
  raster->flags = static_cast<RwUInt8>(flags & 0xF8);
  Choice choice = {0, 0};
  if (!ChooseFormat(type, flags & rwRASTERFORMATMASK, &choice)) {
    return FALSE;
  }
  raster->format = static_cast<RwUInt8>(choice.format >> 8);
  raster->depth = choice.depth;
  if (raster->width == 0 || raster->height == 0) {
    raster->flags = rwRASTERDONTALLOCATE;
    raster->stride = 0;
    if (raster->depth == 0) {
      raster->depth = 16;
    }
    return type == rwRASTERTYPECAMERA ? (Link(raster) ? TRUE : FALSE) : TRUE;
  }
  const bool ownsPixels = (flags & rwRASTERDONTALLOCATE) == 0;
  if (type == rwRASTERTYPECAMERA) {
    return CreateCamera(raster, ownsPixels) ? TRUE : FALSE;
  }
  if (!ownsPixels) {
    return TRUE;
  }
  bool created = false;
  bool linked = false;
  switch (type) {
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      created = CreateTexture(raster, extension);
      linked = !created || !_rwD3D8RasterIsPalettised(raster) || Link(raster);
      break;
    case rwRASTERTYPEZBUFFER:
      created = CreateDepthSurface(raster, extension);
      linked = !created || Link(raster);
      break;
    default:
      created = CreateRenderTargetTexture(raster, extension, true);
      linked = !created || Link(raster);
      break;
  }
  if (created && !linked) {
    // Nothing stays allocated for a creation that fails.
    FreePalette(extension);
    ReleaseTexture(extension);
    if (extension->surface != nullptr && !extension->deviceDepthSurface) {
      extension->surface->Release();
    }
    extension->surface = nullptr;
    return FALSE;
  }
  return created ? TRUE : FALSE;
}

RwBool RwD3D8RasterDestroy(void* /*unused*/, void* object, RwInt32 /*unused*/) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  RwD3D8RasterExtension* extension = Ext(raster);
  if (extension == nullptr) {
    return FALSE;
  }
  if (RwD3D8GetTextureRaster(0) == raster) {
    RwD3D8SetTextureRaster(nullptr, 0);
    if (_rwD3D8RasterIsPalettised(raster) && _rwD3D8RasterDevice() != nullptr) {
      _rwD3D8RasterDevice()->SetCurrentTexturePalette(0);
    }
  }
  // The other stages let go of it too: a stage that still named a destroyed
  // raster would take a new raster at the same address for the bound one and
  // never bind its texture.
  for (RwUInt32 stage = 1; stage < kRwD3D8TextureStageCount; stage++) {
    if (RwD3D8GetTextureRaster(stage) == raster) {
      RwD3D8SetTextureRaster(nullptr, stage);
    }
  }
  if (Top(raster) != raster) {
    Unlink(raster);
    return TRUE;
  }
  switch (raster->type) {
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      if ((raster->flags & rwRASTERDONTALLOCATE) == 0) {
        Unlink(raster);
        FreePalette(extension);
        ReleaseTexture(extension);
      }
      return TRUE;
    case rwRASTERTYPEZBUFFER:
      Unlink(raster);
      if (extension->surface != nullptr && !extension->deviceDepthSurface) {
        extension->surface->Release();
      }
      extension->surface = nullptr;
      return TRUE;
    case rwRASTERTYPECAMERA:
      Unlink(raster);
      return TRUE;
    case rwRASTERTYPECAMERATEXTURE:
      Unlink(raster);
      ReleaseTexture(extension);
      return TRUE;
    default:
      _rwD3D8RasterRaiseCore(kRwErrInvalidRasterFormat);
      return FALSE;
  }
}

RwBool RwD3D8RasterIsCubeMap(RwRaster* raster) {
  RwD3D8RasterExtension* extension = Ext(raster);
  return extension != nullptr ? extension->cube : FALSE;
}

IDirect3DBaseTexture8* RwD3D8RasterGetD3DTexture(RwRaster* raster) {
  RwD3D8RasterExtension* extension = Ext(raster != nullptr ? Top(raster) : nullptr);
  return extension != nullptr ? extension->texture : nullptr;
}

// What the render-state cache binds for a raster: a sub-raster draws from its
// top-level raster's texture, palette and alpha.
RwBool _rwD3D8RasterGetTexture(RwRaster* raster, RwD3D8RasterTexture* out) {
  const RwD3D8RasterExtension* extension = Ext(raster != nullptr ? Top(raster) : nullptr);
  const bool hasTexture = extension != nullptr && extension->texture != nullptr;
  if (out != nullptr) {
    *out = {nullptr, FALSE, -1, 1};
    if (hasTexture) {
      out->texture = extension->texture;
      out->hasAlpha = extension->hasAlpha != 0 ? TRUE : FALSE;
      out->palette = extension->palette != nullptr ? static_cast<RwInt32>(extension->palette->paletteNumber) : -1;
      out->maxAnisotropy = extension->maxAnisotropy;
    }
  }
  return hasTexture ? TRUE : FALSE;
}

RwBool RwD3D8TextureSetRaster(void* texture, void* raster, RwInt32 /*unused*/) {
  if (texture == nullptr) {
    return FALSE;
  }
  static_cast<RwTexture*>(texture)->raster = static_cast<RwRaster*>(raster);
  return TRUE;
}

RwBool RwD3D8TextureHasAlpha(const RwTexture* texture) {
  const RwD3D8RasterExtension* extension =
      texture != nullptr && texture->raster != nullptr ? Ext(Top(texture->raster)) : nullptr;
  return extension != nullptr && extension->hasAlpha != 0 ? TRUE : FALSE;
}

// ---------------------------------------------------------------------------
// Driver start and stop, device reset.

RwBool RwD3D8RasterOpen(void) {
  if (sModule.resetEntryFreeList != nullptr) {
    return TRUE;
  }
  sModule.resetEntryFreeList = RwFreeListCreate(sizeof(ResetEntry), kResetEntriesPerBlock, kRecordAlignment);
  if (sModule.resetEntryFreeList == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrOutOfMemory);
    return FALSE;
  }
  sModule.resetList = nullptr;
  sModule.context = nullptr;
  return TRUE;
}

void RwD3D8RasterClose(void) {
  while (sModule.resetList != nullptr) {
    ResetEntry* entry = sModule.resetList;
    sModule.resetList = entry->next;
    RwFreeListEntryFree(sModule.resetEntryFreeList, entry);
  }
  if (sModule.resetEntryFreeList != nullptr) {
    RwFreeListDestroy(sModule.resetEntryFreeList);
  }
  EngineFree(sModule.freePaletteNumbers);
  if (sModule.paletteFreeList != nullptr) {
    RwFreeListDestroy(sModule.paletteFreeList);
  }
  sModule = RasterModule();
}

namespace {

// The extension of a raster of the device-reset list that owns its device
// objects; null for a sub-raster, whose parent answers for them.
RwD3D8RasterExtension* TopLevelExtension(RwRaster* raster) { return Top(raster) == raster ? Ext(raster) : nullptr; }

}  // namespace

void RwD3D8RasterReleaseVideoMemory(void) {
  for (ResetEntry* entry = sModule.resetList; entry != nullptr; entry = entry->next) {
    RwRaster* raster = entry->raster;
    RwD3D8RasterExtension* extension = TopLevelExtension(raster);
    if (extension == nullptr) {
      continue;
    }
    switch (raster->type) {
      case rwRASTERTYPEZBUFFER:
        if (extension->surface != nullptr && !extension->deviceDepthSurface) {
          extension->surface->Release();
        }
        extension->surface = nullptr;
        break;
      case rwRASTERTYPECAMERA:
        if (extension->swapChain != nullptr) {
          extension->swapChain->Release();
          extension->swapChain = nullptr;
        }
        if (extension->surface != nullptr) {
          extension->surface->Release();
          extension->surface = nullptr;
        }
        break;
      case rwRASTERTYPECAMERATEXTURE:
        ReleaseTexture(extension);
        break;
      default:
        break;
    }
  }
}

RwBool RwD3D8RasterRestoreVideoMemory(void) {
  RwBool result = TRUE;
  IDirect3DDevice8* device = _rwD3D8RasterDevice();
  for (ResetEntry* entry = sModule.resetList; entry != nullptr; entry = entry->next) {
    RwRaster* raster = entry->raster;
    RwD3D8RasterExtension* extension = TopLevelExtension(raster);
    if (extension == nullptr) {
      continue;
    }
    switch (raster->type) {
      case rwRASTERTYPENORMAL:
      case rwRASTERTYPETEXTURE:
        if (extension->palette != nullptr) {
          device->SetPaletteEntries(extension->palette->paletteNumber,
                                    reinterpret_cast<const PALETTEENTRY*>(extension->palette->entries));
        }
        break;
      case rwRASTERTYPEZBUFFER:
        if (extension->deviceDepthSurface) {
          extension->surface = DeviceDepthSurface();
          RwInt32 width = raster->width;
          RwInt32 height = raster->height;
          if (_rwD3D8RasterClientSize(&width, &height)) {
            raster->width = width;
            raster->height = height;
          }
        } else if (extension->surface == nullptr && (raster->flags & rwRASTERDONTALLOCATE) == 0) {
          const UINT width = static_cast<UINT>(raster->width > 0 ? raster->width : 1);
          const UINT height = static_cast<UINT>(raster->height > 0 ? raster->height : 1);
          const D3DFORMAT format = static_cast<D3DFORMAT>(extension->d3dFormat);
          HRESULT created = D3D_OK;
          IDirect3DSurface8* surface = nullptr;
          if (!CreateInVideoMemory(
                  [&] {
                    return device->CreateDepthStencilSurface(width, height, format, D3DMULTISAMPLE_NONE, &surface);
                  },
                  &created) ||
              FAILED(created)) {
            result = FALSE;
          } else {
            extension->surface = surface;
          }
        }
        break;
      case rwRASTERTYPECAMERA:
        if (extension->window != nullptr && extension->swapChain == nullptr) {
          D3DPRESENT_PARAMETERS params = _rwD3D8Driver.present;
          params.hDeviceWindow = extension->window;
          if (FAILED(device->CreateAdditionalSwapChain(&params, &extension->swapChain)) ||
              FAILED(extension->swapChain->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &extension->surface))) {
            result = FALSE;
          }
        }
        break;
      case rwRASTERTYPECAMERATEXTURE:
        if (extension->texture == nullptr && (raster->flags & rwRASTERDONTALLOCATE) == 0 &&
            !CreateRenderTargetTexture(raster, extension, false)) {
          result = FALSE;
        }
        break;
      default:
        break;
    }
  }
  return result;
}

void RwD3D8RasterStandardFunctionsInstall(RwStandardFunc* table, RwInt32 count) {
  struct Slot {
    RwInt32 slot;
    RwStandardFunc function;
  };
  const Slot slots[] = {
      {kRwStdRGBToPixel, RwD3D8RGBToPixel},
      {kRwStdPixelToRGB, RwD3D8PixelToRGB},
      {kRwStdRasterCreate, RwD3D8RasterCreate},
      {kRwStdRasterDestroy, RwD3D8RasterDestroy},
      {kRwStdImageGetRaster, RwD3D8ImageGetFromRaster},
      {kRwStdRasterSetImage, RwD3D8RasterSetFromImage},
      {kRwStdTextureSetRaster, RwD3D8TextureSetRaster},
      {kRwStdImageFindRasterFormat, RwD3D8ImageFindRasterFormat},
      {kRwStdSetRasterContext, RwD3D8RasterSetContext},
      {kRwStdRasterSubRaster, RwD3D8RasterSubRaster},
      {kRwStdRasterClearRect, RwD3D8RasterClearRect},
      {kRwStdRasterClear, RwD3D8RasterClear},
      {kRwStdRasterLock, RwD3D8RasterLock},
      {kRwStdRasterUnlock, RwD3D8RasterUnlock},
      {kRwStdRasterRender, RwD3D8RasterRender},
      {kRwStdRasterRenderScaled, RwD3D8RasterRenderScaled},
      {kRwStdRasterRenderFast, RwD3D8RasterRenderFast},
      {kRwStdRasterLockPalette, RwD3D8RasterLockPalette},
      {kRwStdRasterUnlockPalette, RwD3D8RasterUnlockPalette},
      {kRwStdRasterGetMipLevels, RwD3D8RasterGetNumLevels},
  };
  for (const Slot& entry : slots) {
    if (entry.slot < count) {
      table[entry.slot] = entry.function;
    }
  }
}

RwBool RwD3D8RasterSetContext(void* /*unused*/, void* raster, RwInt32 /*unused*/) {
  sModule.context = static_cast<RwRaster*>(raster);
  return TRUE;
}
