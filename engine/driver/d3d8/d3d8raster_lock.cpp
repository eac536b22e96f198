// Raster locks: texture levels are locked in place; camera and camera-texture
// rasters are read and written through a system-memory image surface that is
// copied from and back to the back buffer or the texture level. Also palette
// locks, mip level counts, sub-rasters and the regeneration of mip levels.
#include <cstring>

#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/src/image.h"
#include "engine/src/image_resample.h"

namespace {

constexpr DWORD kLockWriteFlags = D3DLOCK_NOSYSLOCK;
constexpr DWORD kLockReadFlags = D3DLOCK_READONLY | D3DLOCK_NOSYSLOCK | D3DLOCK_NO_DIRTY_UPDATE;

RwD3D8RasterExtension* Ext(RwRaster* raster) { return _rwD3D8RasterExtensionGet(raster); }

RwRaster* Top(RwRaster* raster) { return raster->parent != nullptr ? raster->parent : raster; }

bool IsTextureType(RwUInt32 type) { return type == rwRASTERTYPENORMAL || type == rwRASTERTYPETEXTURE; }

// A level surface of a raster's texture (with a reference), or null.
IDirect3DSurface8* LevelSurface(RwRaster* top, RwUInt32 level) {
  RwD3D8RasterExtension* extension = Ext(top);
  if (extension == nullptr || extension->texture == nullptr) {
    return nullptr;
  }
  IDirect3DSurface8* surface = nullptr;
  HRESULT result;
  if (extension->cube) {
    result = static_cast<IDirect3DCubeTexture8*>(extension->texture)
                 ->GetCubeMapSurface(static_cast<D3DCUBEMAP_FACES>(extension->face), level, &surface);
  } else {
    result = static_cast<IDirect3DTexture8*>(extension->texture)->GetSurfaceLevel(level, &surface);
  }
  return SUCCEEDED(result) ? surface : nullptr;
}

// The surface a camera raster's pixels live in (with a reference).
IDirect3DSurface8* CameraSurface(RwRaster* top) {
  RwD3D8RasterExtension* extension = Ext(top);
  if (extension != nullptr && extension->surface != nullptr) {
    extension->surface->AddRef();
    return extension->surface;
  }
  IDirect3DSurface8* back = nullptr;
  if (FAILED(_rwD3D8RasterDevice()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &back))) {
    return nullptr;
  }
  return back;
}

IDirect3DSurface8* SourceSurface(RwRaster* top, RwUInt32 level) {
  return top->type == rwRASTERTYPECAMERA ? CameraSurface(top) : LevelSurface(top, level);
}

RECT RasterRect(const RwRaster* raster, RwInt32 width, RwInt32 height) {
  return {raster->offsetX, raster->offsetY, raster->offsetX + width, raster->offsetY + height};
}

bool LockTexture(RwRaster* raster, RwD3D8RasterExtension* extension, RwUInt32 level, DWORD flags) {
  RwRaster* top = Top(raster);
  IDirect3DSurface8* surface = LevelSurface(top, level);
  if (surface == nullptr) {
    return false;
  }
  const RECT rect = RasterRect(raster, raster->width, raster->height);
  if (FAILED(surface->LockRect(&extension->lockedRect, top != raster ? &rect : nullptr, flags))) {
    surface->Release();
    return false;
  }
  extension->lockedSurface = surface;
  return true;
}

bool LockThroughImage(RwRaster* raster, RwD3D8RasterExtension* extension, RwUInt32 level, RwUInt32 mode, DWORD flags) {
  RwRaster* top = Top(raster);
  IDirect3DSurface8* source = SourceSurface(top, level);
  if (source == nullptr) {
    return false;
  }
  D3DSURFACE_DESC desc;
  std::memset(&desc, 0, sizeof(desc));
  IDirect3DSurface8* image = nullptr;
  const RwInt32 width = _rwD3D8LevelSize(raster->width, level);
  const RwInt32 height = _rwD3D8LevelSize(raster->height, level);
  bool ok = SUCCEEDED(source->GetDesc(&desc)) &&
            SUCCEEDED(_rwD3D8RasterDevice()->CreateImageSurface(static_cast<UINT>(width), static_cast<UINT>(height),
                                                                desc.Format, &image));
  if (ok && (mode & rwRASTERLOCKREAD)) {
    const RECT rect = RasterRect(raster, width, height);
    const POINT origin = {0, 0};
    ok = SUCCEEDED(_rwD3D8RasterDevice()->CopyRects(source, &rect, 1, image, &origin));
  }
  if (ok) {
    ok = SUCCEEDED(image->LockRect(&extension->lockedRect, nullptr, flags));
  }
  source->Release();
  if (!ok) {
    if (image != nullptr) {
      image->Release();
    }
    return false;
  }
  extension->lockedSurface = image;
  return true;
}

void FinishUnlock(RwRaster* raster, RwD3D8RasterExtension* extension) {
  raster->width = raster->originalWidth;
  raster->height = raster->originalHeight;
  raster->stride = 0;
  raster->pixels = nullptr;
  raster->privateFlags &= static_cast<RwUInt8>(~(kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite));
  extension->lockedSurface = nullptr;
}

bool RegenerateAfterWrite(RwRaster* raster, bool written, RwUInt32 level) {
  return written && level == 0 && (_rwD3D8RasterFormatFlags(raster) & rwRASTERFORMATAUTOMIPMAP) != 0;
}

}  // namespace

RwBool RwD3D8RasterLock(void* out, void* object, RwInt32 number) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  RwD3D8RasterExtension* extension = Ext(raster);
  if (raster->pixels != nullptr || extension == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotLock);
    return FALSE;
  }
  const RwUInt32 level = (static_cast<RwUInt32>(number) >> 8) & 0xFF;
  const RwUInt32 mode = static_cast<RwUInt32>(number) & 0xFF;
  const DWORD flags = (mode & rwRASTERLOCKWRITE) ? kLockWriteFlags : kLockReadFlags;
  bool locked = false;
  switch (Top(raster)->type) {
    case rwRASTERTYPENORMAL:
    case rwRASTERTYPETEXTURE:
      locked = LockTexture(raster, extension, level, flags);
      break;
    case rwRASTERTYPECAMERA:
    case rwRASTERTYPECAMERATEXTURE:
      locked = LockThroughImage(raster, extension, level, mode, flags);
      break;
    default:
      break;
  }
  if (!locked) {
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotLock);
    return FALSE;
  }
  if (mode & rwRASTERLOCKREAD) {
    raster->privateFlags |= kRwRasterPixelLockedRead;
  }
  if (mode & rwRASTERLOCKWRITE) {
    raster->privateFlags |= kRwRasterPixelLockedWrite;
  }
  raster->pixels = static_cast<RwUInt8*>(extension->lockedRect.pBits);
  raster->originalWidth = raster->width;
  raster->originalHeight = raster->height;
  raster->width = _rwD3D8LevelSize(raster->width, level);
  raster->height = _rwD3D8LevelSize(raster->height, level);
  raster->stride = extension->lockedRect.Pitch;
  extension->lockedLevel = level;
  *static_cast<RwUInt8**>(out) = raster->pixels;
  return TRUE;
}

RwBool RwD3D8RasterUnlock(void* /*unused*/, void* object, RwInt32 /*unused*/) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  RwD3D8RasterExtension* extension = Ext(raster);
  if (raster->pixels == nullptr || extension == nullptr || extension->lockedSurface == nullptr) {
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotUnlock);
    return FALSE;
  }
  RwRaster* top = Top(raster);
  const bool written = (raster->privateFlags & kRwRasterPixelLockedWrite) != 0;
  const RwUInt32 level = extension->lockedLevel;
  IDirect3DSurface8* surface = extension->lockedSurface;
  RwBool result = TRUE;
  if (IsTextureType(top->type)) {
    surface->UnlockRect();
    surface->Release();
    FinishUnlock(raster, extension);
  } else {
    FinishUnlock(raster, extension);
    surface->UnlockRect();
    if (written) {
      IDirect3DSurface8* destination = SourceSurface(top, level);
      const POINT at = {raster->offsetX, raster->offsetY};
      if (destination == nullptr || FAILED(_rwD3D8RasterDevice()->CopyRects(surface, nullptr, 1, destination, &at))) {
        result = FALSE;
      }
      if (destination != nullptr) {
        destination->Release();
      }
    }
    surface->Release();
  }
  extension->lockedLevel = kRwD3D8NoLockedLevel;
  if (top->type != rwRASTERTYPECAMERA && RegenerateAfterWrite(top, written, level)) {
    _rwD3D8RasterRegenerateMipLevels(top);
  }
  return result;
}

RwBool RwD3D8RasterLockPalette(void* out, void* object, RwInt32 mode) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  const RwUInt32 type = Top(raster)->type;
  RwD3D8RasterExtension* extension = Ext(Top(raster));
  if (!IsTextureType(type) && type != rwRASTERTYPECAMERATEXTURE) {
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotLock);
    return FALSE;
  }
  if (extension == nullptr || extension->palette == nullptr) {
    // Only palettised rasters have a palette to lock.
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotLock);
    return FALSE;
  }
  raster->palette = &extension->palette->entries[0][0];
  raster->privateFlags |= kRwRasterPaletteLocked;
  if (mode & rwRASTERLOCKWRITE) {
    raster->privateFlags |= kRwRasterPaletteLockedWrite;
  }
  *static_cast<RwUInt8**>(out) = raster->palette;
  return TRUE;
}

RwBool RwD3D8RasterUnlockPalette(void* /*unused*/, void* object, RwInt32 /*unused*/) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  const RwUInt32 type = Top(raster)->type;
  RwD3D8RasterExtension* extension = Ext(Top(raster));
  if ((!IsTextureType(type) && type != rwRASTERTYPECAMERATEXTURE) || extension == nullptr ||
      (raster->privateFlags & kRwRasterPaletteLocked) == 0) {
    _rwD3D8RasterRaiseCore(kRwErrRasterCannotUnlock);
    return FALSE;
  }
  RwBool result = TRUE;
  if ((raster->privateFlags & kRwRasterPaletteLockedWrite) && extension->palette != nullptr) {
    result = SUCCEEDED(_rwD3D8RasterDevice()->SetPaletteEntries(
        extension->palette->paletteNumber, reinterpret_cast<const PALETTEENTRY*>(extension->palette->entries)));
  }
  raster->palette = nullptr;
  raster->privateFlags &= static_cast<RwUInt8>(~(kRwRasterPaletteLocked | kRwRasterPaletteLockedWrite));
  return result;
}

RwBool RwD3D8RasterGetNumLevels(void* out, void* object, RwInt32 /*unused*/) {
  RwRaster* top = Top(static_cast<RwRaster*>(object));
  RwD3D8RasterExtension* extension = Ext(top);
  RwInt32 levels = 1;
  if (IsTextureType(top->type) || top->type == rwRASTERTYPECAMERATEXTURE) {
    if (extension != nullptr && extension->texture != nullptr) {
      levels = static_cast<RwInt32>(extension->texture->GetLevelCount());
    } else {
      RwUInt32 size = static_cast<RwUInt32>(top->width > top->height ? top->width : top->height);
      levels = 0;
      while (size != 0) {
        levels++;
        size >>= 1;
      }
    }
  }
  *static_cast<RwInt32*>(out) = levels;
  return TRUE;
}

RwBool RwD3D8RasterSubRaster(void* target, void* object, RwInt32 /*unused*/) {
  RwRaster* sub = static_cast<RwRaster*>(target);
  const RwRaster* parent = static_cast<const RwRaster*>(object);
  sub->stride = parent->stride;
  sub->depth = parent->depth;
  sub->type = parent->type;
  sub->format = parent->format;
  sub->pixels = nullptr;
  return TRUE;
}

// Every lower level is resampled from level 0 through a 32-bit image.
// Palettised rasters keep their levels: a quantised level would replace the
// palette the other levels index.
void _rwD3D8RasterRegenerateMipLevels(RwRaster* raster) {
  if (_rwD3D8RasterIsPalettised(raster)) {
    return;
  }
  RwInt32 levels = 1;
  RwD3D8RasterGetNumLevels(&levels, raster, 0);
  if (levels <= 1) {
    return;
  }
  RwImage* base = RwImageCreate(raster->width, raster->height, 32);
  if (base == nullptr) {
    return;
  }
  if (RwImageAllocatePixels(base) == nullptr || !RwD3D8ImageGetFromRaster(base, raster, 0)) {
    RwImageDestroy(base);
    return;
  }
  for (RwInt32 level = 1; level < levels; ++level) {
    RwImage* scaled = RwImageCreateResample(base, _rwD3D8LevelSize(raster->width, static_cast<RwUInt32>(level)),
                                            _rwD3D8LevelSize(raster->height, static_cast<RwUInt32>(level)));
    if (scaled == nullptr) {
      break;
    }
    RwUInt8* pixels = nullptr;
    const RwInt32 lockWord = (level << 8) | static_cast<RwInt32>(rwRASTERLOCKWRITE);
    if (RwD3D8RasterLock(&pixels, raster, lockWord)) {
      RwD3D8RasterSetFromImage(raster, scaled, 0);
      // The level's own unlock: no further regeneration, as it is not level 0.
      RwD3D8RasterUnlock(nullptr, raster, 0);
    }
    RwImageDestroy(scaled);
  }
  RwImageDestroy(base);
}
