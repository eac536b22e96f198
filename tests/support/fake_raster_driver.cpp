// The fake driver's raster functions; see fake_raster_driver.h.
#include "tests/support/fake_raster_driver.h"

#include <cstring>

#include "tests/support/fake_driver.h"

namespace {

constexpr RwUInt32 kFakeRasterPluginId = 0x40C;
constexpr RwInt32 kDefaultDepth = 16;

struct FakeRasterExtension {
  RwUInt8* memory;
  RwUInt8* paletteMemory;
  RwUInt32 chosenFormat;  // written by the format search, like a driver's own format code
};

FakeRasterState sState;

FakeRasterExtension* Extension(RwRaster* raster) {
  return RwPluginDataGet(FakeRasterExtension, raster, sState.extensionOffset);
}

RwInt32 DepthForFormat(RwUInt32 format) {
  if (format & (rwRASTERFORMATPAL8 >> 8)) {
    return 8;
  }
  switch ((format << 8) & rwRASTERFORMATPIXELFORMATMASK) {
    case rwRASTERFORMAT8888:
    case rwRASTERFORMAT888:
    case rwRASTERFORMAT32:
      return 32;
    case rwRASTERFORMATLUM8:
      return 8;
    case rwRASTERFORMATDEFAULT:
      return 0;
    default:
      return 16;
  }
}

RwBool Create(void* /*target*/, void* object, RwInt32 number) {
  if (sState.failCreate) {
    return FALSE;
  }
  RwRaster* raster = static_cast<RwRaster*>(object);
  const RwUInt32 flags = static_cast<RwUInt32>(number);
  raster->type = static_cast<RwUInt8>(flags & rwRASTERTYPEMASK);
  raster->flags = static_cast<RwUInt8>(flags & 0xF8);
  raster->format = static_cast<RwUInt8>((flags >> 8) & 0xFF);
  raster->stride = 0;
  if (raster->depth == 0) {
    raster->depth = DepthForFormat(raster->format);
  }
  if (raster->width == 0 || raster->height == 0) {
    raster->flags |= rwRASTERDONTALLOCATE;
  }
  if (raster->depth == 0) {
    raster->depth = kDefaultDepth;
  }
  // The extension is filled here: raster plugin constructors run after the
  // driver's create, so the extension has no constructor of its own.
  FakeRasterExtension* ext = Extension(raster);
  ext->memory = nullptr;
  ext->paletteMemory = nullptr;
  if ((raster->flags & rwRASTERDONTALLOCATE) == 0) {
    ext->memory = new RwUInt8[static_cast<size_t>(raster->width) * raster->height * raster->depth / 8]();
    ext->paletteMemory = new RwUInt8[1024]();
  }
  sState.created++;
  return TRUE;
}

RwBool Destroy(void* /*target*/, void* object, RwInt32 /*number*/) {
  FakeRasterExtension* ext = Extension(static_cast<RwRaster*>(object));
  delete[] ext->memory;
  delete[] ext->paletteMemory;
  ext->memory = nullptr;
  ext->paletteMemory = nullptr;
  sState.destroyed++;
  return TRUE;
}

RwBool Lock(void* target, void* object, RwInt32 number) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  RwRaster* top = raster->parent;
  FakeRasterExtension* ext = Extension(top);
  if (ext->memory == nullptr || raster->pixels != nullptr) {
    return FALSE;
  }
  const RwInt32 level = (number >> 8) & 0xFF;
  raster->originalWidth = raster->width;
  raster->originalHeight = raster->height;
  raster->width = raster->width >> level;
  raster->height = raster->height >> level;
  raster->width = raster->width > 0 ? raster->width : 1;
  raster->height = raster->height > 0 ? raster->height : 1;
  raster->stride = top->width * top->depth / 8;
  raster->pixels = ext->memory + raster->offsetY * raster->stride + raster->offsetX * raster->depth / 8;
  if (number & rwRASTERLOCKREAD) {
    raster->privateFlags |= kRwRasterPixelLockedRead;
  }
  if (number & rwRASTERLOCKWRITE) {
    raster->privateFlags |= kRwRasterPixelLockedWrite;
  }
  *static_cast<RwUInt8**>(target) = raster->pixels;
  return TRUE;
}

RwBool Unlock(void* /*target*/, void* object, RwInt32 /*number*/) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  if (raster->pixels == nullptr) {
    return FALSE;
  }
  raster->width = raster->originalWidth;
  raster->height = raster->originalHeight;
  raster->pixels = nullptr;
  raster->stride = 0;
  raster->privateFlags &= static_cast<RwUInt8>(~(kRwRasterPixelLockedRead | kRwRasterPixelLockedWrite));
  return TRUE;
}

RwBool LockPalette(void* target, void* object, RwInt32 number) {
  RwRaster* raster = static_cast<RwRaster*>(object);
  FakeRasterExtension* ext = Extension(raster->parent);
  if (ext->paletteMemory == nullptr || (raster->format & (rwRASTERFORMATPAL8 >> 8)) == 0) {
    return FALSE;
  }
  raster->palette = ext->paletteMemory;
  raster->privateFlags |= kRwRasterPaletteLocked;
  if (number & rwRASTERLOCKWRITE) {
    raster->privateFlags |= kRwRasterPaletteLockedWrite;
  }
  *static_cast<RwUInt8**>(target) = raster->palette;
  return TRUE;
}

RwBool UnlockPalette(void* /*target*/, void* object, RwInt32 /*number*/) {
  static_cast<RwRaster*>(object)->palette = nullptr;
  return TRUE;
}

RwBool SubRaster(void* target, void* object, RwInt32 /*number*/) {
  RwRaster* sub = static_cast<RwRaster*>(target);
  const RwRaster* parent = static_cast<const RwRaster*>(object);
  sub->stride = parent->stride;
  sub->depth = parent->depth;
  sub->type = parent->type;
  sub->format = parent->format;
  return TRUE;
}

RwBool MipLevels(void* target, void* object, RwInt32 /*number*/) {
  const RwRaster* raster = static_cast<const RwRaster*>(object);
  RwInt32 size = raster->width > raster->height ? raster->width : raster->height;
  RwInt32 levels = 1;
  while (size > 1) {
    size >>= 1;
    levels++;
  }
  *static_cast<RwInt32*>(target) = levels;
  return TRUE;
}

RwBool SetContext(void* /*target*/, void* object, RwInt32 /*number*/) {
  if (sState.failSetContext) {
    return FALSE;
  }
  sState.contexts.push_back(static_cast<RwRaster*>(object));
  return TRUE;
}

RwBool RenderScaled(void* /*target*/, void* object, RwInt32 /*number*/) {
  sState.scaledRects.push_back(*static_cast<const RwRect*>(object));
  return TRUE;
}

RwBool Show(void* target, void* /*object*/, RwInt32 /*number*/) {
  if (sState.failShow) {
    return FALSE;
  }
  sState.shown.push_back(static_cast<RwRaster*>(target));
  return TRUE;
}

// Copies the rows both hold between a 32-bit raster and a 32-bit image, into
// the image or into the raster. False when either has no pixels or another depth.
bool CopyPixels(RwRaster* raster, RwImage* image, bool intoImage) {
  FakeRasterExtension* ext = Extension(raster);
  if (ext->memory == nullptr || raster->depth != 32 || image->depth != 32 || image->pixels == nullptr) {
    return false;
  }
  const size_t rowBytes = 4 * static_cast<size_t>(image->width < raster->width ? image->width : raster->width);
  for (RwInt32 y = 0; y < image->height && y < raster->height; ++y) {
    RwUInt8* rasterRow = ext->memory + y * raster->width * 4;
    RwUInt8* imageRow = image->pixels + y * image->stride;
    if (intoImage) {
      std::memcpy(imageRow, rasterRow, rowBytes);
    } else {
      std::memcpy(rasterRow, imageRow, rowBytes);
    }
  }
  return true;
}

RwBool ImageGetRaster(void* target, void* object, RwInt32 /*number*/) {
  return CopyPixels(static_cast<RwRaster*>(object), static_cast<RwImage*>(target), true) ? TRUE : FALSE;
}

RwBool RasterSetImage(void* target, void* object, RwInt32 /*number*/) {
  return CopyPixels(static_cast<RwRaster*>(target), static_cast<RwImage*>(object), false) ? TRUE : FALSE;
}

// A texture of the image's size: 8888 for 32-bit images, PAL8 | 888 otherwise.
RwBool FindRasterFormat(void* target, void* object, RwInt32 number) {
  RwRaster* scratch = static_cast<RwRaster*>(target);
  const RwImage* image = static_cast<const RwImage*>(object);
  scratch->width = image->width;
  scratch->height = image->height;
  scratch->type = static_cast<RwUInt8>(number & rwRASTERTYPEMASK);
  if (image->depth == 32) {
    scratch->depth = 32;
    scratch->format = rwRASTERFORMAT8888 >> 8;
  } else {
    scratch->depth = 8;
    scratch->format = (rwRASTERFORMATPAL8 | rwRASTERFORMAT888) >> 8;
  }
  Extension(scratch)->chosenFormat = scratch->format;
  return TRUE;
}

}  // namespace

FakeRasterState& FakeRaster() { return sState; }

bool FakeRasterAttach() {
  sState = FakeRasterState();
  sState.extensionOffset =
      RwRasterRegisterPlugin(sizeof(FakeRasterExtension), kFakeRasterPluginId, nullptr, nullptr, nullptr);
  return sState.extensionOffset >= 0;
}

void FakeRasterInstallFunctions() {
  RwStandardFunc* table = RwEngineInstance->standardFunctions;
  table[kRwStdRasterCreate] = Create;
  table[kRwStdRasterDestroy] = Destroy;
  table[kRwStdImageGetRaster] = ImageGetRaster;
  table[kRwStdRasterSetImage] = RasterSetImage;
  table[kRwStdImageFindRasterFormat] = FindRasterFormat;
  table[kRwStdSetRasterContext] = SetContext;
  table[kRwStdRasterSubRaster] = SubRaster;
  table[kRwStdRasterLock] = Lock;
  table[kRwStdRasterUnlock] = Unlock;
  table[kRwStdRasterRenderScaled] = RenderScaled;
  table[kRwStdRasterShowRaster] = Show;
  table[kRwStdRasterLockPalette] = LockPalette;
  table[kRwStdRasterUnlockPalette] = UnlockPalette;
  table[kRwStdRasterGetMipLevels] = MipLevels;
}

bool FakeImageEngineStart(RwUInt32 arenaSize, const RwMemoryFunctions* memory) {
  FakeDriverInstall();
  if (!RwEngineInit(memory, 0, arenaSize) || !FakeRasterAttach()) {
    return false;
  }
  RwEngineOpenParams params = {&sState};
  if (!RwEngineOpen(&params)) {
    return false;
  }
  FakeRasterInstallFunctions();
  return RwEngineStart() != 0;
}

void FakeImageEngineStop() {
  FakeEngineShutdown();
  FakeDriverUninstall();
}
