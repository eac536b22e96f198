// Native texture chunks of the Direct3D 8 driver: the size, writer and reader
// behind standard functions 25, 26 and 27. Levels travel exactly as the
// Direct3D texture holds them; a stored format the device cannot hold is
// converted through images (DXT levels through the decoders).
#include "engine/driver/d3d8/d3d8texture_native.h"

#include <cstring>

#include "engine/driver/d3d8/d3d8_device.h"
#include "engine/driver/d3d8/d3d8convert.h"
#include "engine/driver/d3d8/d3d8convert_internal.h"
#include "engine/driver/d3d8/d3d8raster.h"
#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/driver/d3d8/d3d8texture_native_internal.h"
#include "engine/driver/d3d8/dxt.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"

namespace {

constexpr RwUInt32 kFixedNameBytes = 72;    // platform, word, name and mask
constexpr RwUInt32 kFixedRasterBytes = 16;  // format, alpha, sizes, depth, levels, type, compression
constexpr RwUInt32 kLevelSizeBytes = 4;
constexpr RwUInt32 kMipFlags = rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP;
constexpr RwUInt32 kFilterAddressingBits = 0xFFFF;
constexpr RwUInt8 kAutoMipmapBit = rwRASTERFORMATAUTOMIPMAP >> 8;

RwBool conversionEnabled = TRUE;

RwUInt32 FormatFlags(const RwRaster* raster) { return static_cast<RwUInt32>(raster->format) << 8; }

// The Direct3D texture of a raster that can be written, or null.
IDirect3DTexture8* PlainTexture(RwRaster* raster) {
  RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(raster);
  if (extension == nullptr || extension->texture == nullptr || extension->cube) {
    return nullptr;
  }
  return static_cast<IDirect3DTexture8*>(extension->texture);
}

RwBool LevelBytes(IDirect3DTexture8* texture, RwUInt32 level, RwUInt32* bytes) {
  D3DSURFACE_DESC description;
  if (FAILED(texture->GetLevelDesc(level, &description))) {
    return FALSE;
  }
  *bytes = description.Size;
  return TRUE;
}

RwBool Write(RwStream* stream, const void* bytes, RwUInt32 length) {
  return RwStreamWrite(stream, bytes, length) != nullptr;
}

RwBool WriteU32(RwStream* stream, RwUInt32 value) {
  RwUInt8 bytes[4];
  RwWriteLittleEndianUInt32(bytes, value);
  return Write(stream, bytes, sizeof(bytes));
}

// A name field as 32 bytes: the characters and zeros behind them.
void PadName(RwUInt8* out, const RwChar* field) {
  std::memset(out, 0, kRwTextureNameLength);
  std::memcpy(out, field, strnlen(field, kRwTextureNameLength - 1));
}

// Copies rows of a locked level to or from the stream; rows of rowBytes at
// the lock's stride.
RwBool WriteRows(RwStream* stream, const RwUInt8* pixels, RwInt32 stride, RwUInt32 rows, RwUInt32 rowBytes) {
  for (RwUInt32 row = 0; row < rows; ++row) {
    if (!Write(stream, pixels + static_cast<size_t>(row) * static_cast<RwUInt32>(stride), rowBytes)) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool ReadRows(RwStream* stream, RwUInt8* pixels, RwInt32 stride, RwUInt32 rows, RwUInt32 rowBytes) {
  for (RwUInt32 row = 0; row < rows; ++row) {
    if (!RwStreamReadExact(stream, pixels + static_cast<size_t>(row) * static_cast<RwUInt32>(stride), rowBytes)) {
      return FALSE;
    }
  }
  return TRUE;
}

// The level-size word, which must be the level's one possible size.
RwBool ReadLevelSize(RwStream* stream, const RwD3D8NativeLevelLayout& layout) {
  RwUInt8 bytes[kLevelSizeBytes];
  return RwStreamReadExact(stream, bytes, kLevelSizeBytes) && RwReadLittleEndianUInt32(bytes) == layout.bytes;
}

struct NativeRead {
  RwStream* stream;
  RwD3D8NativeTextureHeader header;
  RwUInt32 structLength;
  RwUInt32 consumed;  // bytes of the struct read so far
  RwUInt8 palette[kRwD3D8NativePal8Bytes];
};

RwBool ReadPalette(NativeRead* read, RwUInt8* destination) {
  const RwUInt32 bytes = _rwD3D8NativePaletteBytes(read->header.rasterFormat);
  if (bytes == 0) {
    return TRUE;
  }
  read->consumed += bytes;
  return RwStreamReadExact(read->stream, destination, bytes);
}

RwBool SkipLevel(NativeRead* read, const RwD3D8NativeLevelLayout& layout) {
  read->consumed += kLevelSizeBytes + layout.bytes;
  return ReadLevelSize(read->stream, layout) && RwStreamSkip(read->stream, layout.bytes) != nullptr;
}

// One stored level loaded into a level of the raster.
typedef RwBool (*LevelLoader)(NativeRead* read, RwRaster* raster, RwInt32 level, const RwD3D8NativeLevelLayout& layout);

// Every stored level in order: those the raster has are loaded, the others
// skipped.
RwBool ReadLevels(NativeRead* read, RwRaster* raster, LevelLoader load) {
  const RwInt32 rasterLevels = RwRasterGetNumLevels(raster);
  for (RwInt32 level = 0; level < read->header.numLevels; ++level) {
    RwD3D8NativeLevelLayout layout;
    _rwD3D8NativeLevelLayout(&read->header, level, &layout);
    if (level >= rasterLevels) {
      if (!SkipLevel(read, layout)) {
        return FALSE;
      }
      continue;
    }
    read->consumed += kLevelSizeBytes + layout.bytes;
    if (!load(read, raster, level, layout)) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool ReadLevelDirect(NativeRead* read, RwRaster* raster, RwInt32 level, const RwD3D8NativeLevelLayout& layout) {
  RwUInt8* pixels = RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKWRITE);
  if (pixels == nullptr) {
    return FALSE;
  }
  const RwBool ok = static_cast<RwUInt32>(raster->stride) >= layout.rowBytes && ReadLevelSize(read->stream, layout) &&
                    ReadRows(read->stream, pixels, raster->stride, layout.rows, layout.rowBytes);
  RwRasterUnlock(raster);
  return ok;
}

// Levels straight into the raster: same format, size and storage.
RwBool ReadDirect(NativeRead* read, RwRaster* raster) {
  if (read->header.compression != 0) {
    if (!ReadPalette(read, read->palette)) {  // stored, but unused by blocks
      return FALSE;
    }
  } else if (_rwD3D8NativePaletteBytes(read->header.rasterFormat) != 0) {
    RwUInt8* palette = RwRasterLockPalette(raster, rwRASTERLOCKWRITE);
    if (palette == nullptr) {
      return FALSE;
    }
    const RwBool ok = ReadPalette(read, palette);
    RwRasterUnlockPalette(raster);
    if (!ok) {
      return FALSE;
    }
  }
  return ReadLevels(read, raster, ReadLevelDirect);
}

RwRGBA ColourFromWord(RwUInt32 word, RwBool withAlpha) {
  RwRGBA colour;
  colour.red = static_cast<RwUInt8>(word >> 16);
  colour.green = static_cast<RwUInt8>(word >> 8);
  colour.blue = static_cast<RwUInt8>(word);
  colour.alpha = withAlpha ? static_cast<RwUInt8>(word >> 24) : 255;
  return colour;
}

// Converts the level's stored bytes into the 32-bit image.
RwBool ConvertLevel(const RwD3D8NativeTextureHeader& header, const RwD3D8NativeLevelLayout& layout,
                    const RwUInt8* stored, RwImage* image) {
  if (header.compression != 0) {
    // Decoded over whole blocks, so levels smaller than a block get their texels too.
    const RwInt32 paddedWidth =
        static_cast<RwInt32>(layout.rowBytes / (header.compression == 1 ? kRwDxt1BlockBytes : kRwDxtAlphaBlockBytes)) *
        kRwDxtBlockEdge;
    const RwInt32 paddedHeight = static_cast<RwInt32>(layout.rows) * kRwDxtBlockEdge;
    RwUInt32* decoded =
        static_cast<RwUInt32*>(RwMalloc(static_cast<size_t>(paddedWidth) * static_cast<size_t>(paddedHeight) * 4));
    if (decoded == nullptr) {
      RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
      return FALSE;
    }
    if (header.compression == 1) {
      RwD3D8DecompressDXT1(paddedWidth, paddedHeight, decoded, stored);
    } else if (header.compression <= 3) {
      RwD3D8DecompressDXT3(paddedWidth, paddedHeight, decoded, stored);
    } else {
      RwD3D8DecompressDXT5(paddedWidth, paddedHeight, decoded, stored);
    }
    for (RwInt32 y = 0; y < layout.height; ++y) {
      std::memcpy(image->pixels + static_cast<size_t>(y) * static_cast<RwUInt32>(image->stride),
                  decoded + static_cast<size_t>(y) * static_cast<RwUInt32>(paddedWidth),
                  static_cast<size_t>(layout.width) * 4);
    }
    RwFree(decoded);
    return TRUE;
  }
  const RwUInt32 nibble = header.rasterFormat & rwRASTERFORMATPIXELFORMATMASK;
  const RwInt32 pixelBytes = header.depth / 8;
  for (RwInt32 y = 0; y < layout.height; ++y) {
    const RwUInt8* row = stored + static_cast<size_t>(y) * layout.rowBytes;
    RwRGBA* out =
        reinterpret_cast<RwRGBA*>(image->pixels + static_cast<size_t>(y) * static_cast<RwUInt32>(image->stride));
    for (RwInt32 x = 0; x < layout.width; ++x) {
      const RwUInt8* p = row + static_cast<size_t>(x) * static_cast<RwUInt32>(pixelBytes);
      RwUInt32 word = p[0];
      if (pixelBytes >= 2) {
        word |= static_cast<RwUInt32>(p[1]) << 8;
      }
      if (pixelBytes == 4) {
        word |= (static_cast<RwUInt32>(p[2]) << 16) | (static_cast<RwUInt32>(p[3]) << 24);
      }
      if (pixelBytes == 4 && (nibble == rwRASTERFORMAT888 || nibble == rwRASTERFORMAT8888)) {
        out[x] = ColourFromWord(word, nibble == rwRASTERFORMAT8888);
      } else if (!_rwD3D8UnpackPixel(word, header.rasterFormat & rwRASTERFORMATPIXELFORMATMASK, &out[x])) {
        return FALSE;
      }
    }
  }
  return TRUE;
}

// One stored level into an image of the level's size.
RwImage* ReadLevelImage(NativeRead* read, const RwD3D8NativeLevelLayout& layout) {
  const RwBool palettised = read->header.compression == 0 && _rwD3D8NativePaletteBytes(read->header.rasterFormat) != 0;
  if (palettised && read->header.depth != 8) {
    return nullptr;
  }
  RwImage* image = RwImageCreate(layout.width, layout.height, palettised ? 8 : 32);
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  RwBool ok = FALSE;
  if (palettised) {
    std::memcpy(image->palette, read->palette, kRwD3D8NativePal8Bytes);
    ok = ReadRows(read->stream, image->pixels, image->stride, layout.rows, layout.rowBytes);
  } else {
    RwUInt8* stored = static_cast<RwUInt8*>(RwMalloc(layout.bytes));
    if (stored == nullptr) {
      RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    } else {
      ok = RwStreamReadExact(read->stream, stored, layout.bytes) && ConvertLevel(read->header, layout, stored, image);
      RwFree(stored);
    }
  }
  if (!ok) {
    RwImageDestroy(image);
    return nullptr;
  }
  return image;
}

RwBool ReadLevelConverted(NativeRead* read, RwRaster* raster, RwInt32 level, const RwD3D8NativeLevelLayout& layout) {
  if (!ReadLevelSize(read->stream, layout)) {
    return FALSE;
  }
  RwImage* image = ReadLevelImage(read, layout);
  if (image == nullptr) {
    return FALSE;
  }
  RwBool ok = RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKWRITE) != nullptr;
  if (ok) {
    ok = RwRasterSetFromImage(raster, image) != nullptr;
    RwRasterUnlock(raster);
  }
  RwImageDestroy(image);
  return ok;
}

// Levels through images into a raster of another format or size.
RwBool ReadConverted(NativeRead* read, RwRaster* raster) {
  std::memset(read->palette, 0, sizeof(read->palette));
  if (!ReadPalette(read, read->palette)) {
    return FALSE;
  }
  return ReadLevels(read, raster, ReadLevelConverted);
}

// A raster that keeps the compressed blocks, or null when the device cannot.
RwRaster* CreateCompressedRaster(const RwD3D8NativeTextureHeader& header) {
  const RwUInt32 fourcc = _rwD3D8NativeCompressionFormat(header.compression);
  IDirect3DDevice8* device = RwD3D8GetCurrentD3DDevice();
  if (device == nullptr || !RwD3D8CheckTextureFormat(fourcc)) {
    return nullptr;
  }
  // Blocks carry no palette: palette flags of the stored format are dropped.
  const RwUInt32 format = header.rasterFormat & rwRASTERFORMATMASK & ~(rwRASTERFORMATPAL4 | rwRASTERFORMATPAL8);
  RwRaster* raster =
      RwRasterCreate(header.width, header.height, header.depth, header.rasterType | format | rwRASTERDONTALLOCATE);
  if (raster == nullptr) {
    return nullptr;
  }
  if (raster->width != header.width || raster->height != header.height) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(raster);
  const UINT levels = (header.rasterFormat & rwRASTERFORMATMIPMAP) ? static_cast<UINT>(header.numLevels) : 1;
  IDirect3DTexture8* texture = nullptr;
  if (extension == nullptr ||
      FAILED(device->CreateTexture(static_cast<UINT>(header.width), static_cast<UINT>(header.height), levels, 0,
                                   static_cast<D3DFORMAT>(fourcc), D3DPOOL_MANAGED, &texture)) ||
      texture == nullptr) {
    RwRasterDestroy(raster);
    return nullptr;
  }
  extension->texture = texture;
  raster->flags = static_cast<RwUInt8>(raster->flags & ~rwRASTERDONTALLOCATE);
  extension->hasAlpha = header.hasAlpha != 0 ? 1 : 0;
  extension->d3dFormat = fourcc;
  return raster;
}

// The format a compressed texture is decoded into.
RwUInt32 DecompressedFormat(const RwD3D8NativeTextureHeader& header) {
  if (header.compression == 1) {
    return header.hasAlpha ? rwRASTERFORMAT1555 : rwRASTERFORMAT565;
  }
  return RwD3D8CheckTextureFormat(D3DFMT_A4R4G4B4) ? rwRASTERFORMAT4444 : rwRASTERFORMAT1555;
}

RwBool ReadTexture(NativeRead* read, RwTexture** result) {
  const RwD3D8NativeTextureHeader& header = read->header;
  RwRaster* raster = nullptr;
  RwBool converted = FALSE;
  if (header.compression == 0) {
    const RwUInt32 flags =
        header.rasterType |
        RwD3D8RasterFindSupportedFormat(header.rasterType, header.rasterFormat & rwRASTERFORMATMASK) |
        (header.rasterFormat & kMipFlags);
    raster = RwRasterCreate(header.width, header.height, header.depth, flags);
  } else {
    raster = CreateCompressedRaster(header);
    if (raster == nullptr) {
      converted = TRUE;
      raster = RwRasterCreate(header.width, header.height, 0,
                              header.rasterType | DecompressedFormat(header) | (header.rasterFormat & kMipFlags));
    }
  }
  if (raster == nullptr) {
    return FALSE;
  }
  // Kept blocks always go straight in; uncompressed levels only into their own format and size.
  const RwBool keptCompressed = header.compression != 0 && !converted;
  const RwBool direct =
      keptCompressed || (header.compression == 0 && FormatFlags(raster) == (header.rasterFormat & rwRASTERFORMATMASK) &&
                         raster->width == header.width && raster->height == header.height);
  if (!direct && !conversionEnabled) {
    RwRasterDestroy(raster);
    return FALSE;
  }
  const RwUInt8 autoMipmap = raster->format & kAutoMipmapBit;
  raster->format = static_cast<RwUInt8>(raster->format & ~kAutoMipmapBit);  // the levels come from the stream
  RwBool ok = direct ? ReadDirect(read, raster) : ReadConverted(read, raster);
  raster->format = static_cast<RwUInt8>(raster->format | autoMipmap);
  // Whatever a longer struct holds behind the levels is passed over.
  if (ok && read->structLength > read->consumed) {
    ok = RwStreamSkip(read->stream, read->structLength - read->consumed) != nullptr;
  }
  RwTexture* texture = ok ? RwTextureCreate(raster) : nullptr;
  if (texture == nullptr) {
    RwRasterDestroy(raster);
    return FALSE;
  }
  texture->filterAddressing = header.filterAddressing & kFilterAddressingBits;
  RwTextureSetName(texture, header.name);
  RwTextureSetMaskName(texture, header.mask);
  *result = texture;
  return TRUE;
}

}  // namespace

RwBool RwD3D8NativeTextureSetConversion(RwBool enable) {
  conversionEnabled = enable;
  return TRUE;
}

RwBool RwD3D8NativeTextureGetConversion(void) { return conversionEnabled; }

RwBool RwD3D8NativeTextureGetSize(void* size, void* textureObject, RwInt32 /*unused*/) {
  RwTexture* texture = static_cast<RwTexture*>(textureObject);
  // A texture without pixels has nothing a reader could rebuild: it cannot
  // be stored, so the dictionary write fails before writing anything.
  IDirect3DTexture8* d3dTexture = texture->raster != nullptr ? PlainTexture(texture->raster) : nullptr;
  if (d3dTexture == nullptr) {
    return FALSE;
  }
  RwUInt32 total =
      kRwChunkHeaderSize + kRwD3D8NativeFixedBytes + _rwD3D8NativePaletteBytes(FormatFlags(texture->raster));
  const RwUInt32 levels = d3dTexture->GetLevelCount();
  for (RwUInt32 level = 0; level < levels; ++level) {
    RwUInt32 bytes = 0;
    if (!LevelBytes(d3dTexture, level, &bytes)) {
      return FALSE;
    }
    total += kLevelSizeBytes + bytes;
  }
  *static_cast<RwInt32*>(size) = static_cast<RwInt32>(total);
  return TRUE;
}

RwBool RwD3D8NativeTextureWrite(void* streamObject, void* textureObject, RwInt32 nativeSize) {
  RwStream* stream = static_cast<RwStream*>(streamObject);
  RwTexture* texture = static_cast<RwTexture*>(textureObject);
  RwRaster* raster = texture->raster;
  IDirect3DTexture8* d3dTexture = raster != nullptr ? PlainTexture(raster) : nullptr;
  if (d3dTexture == nullptr || nativeSize < static_cast<RwInt32>(kRwChunkHeaderSize)) {
    return FALSE;
  }
  const RwD3D8RasterExtension* extension = _rwD3D8RasterExtensionGet(raster);
  const RwUInt32 levels = d3dTexture->GetLevelCount();
  RwUInt8 fixed[kFixedNameBytes + kFixedRasterBytes];
  RwWriteLittleEndianUInt32(fixed, kRwD3D8NativePlatformId);
  RwWriteLittleEndianUInt32(fixed + 4, texture->filterAddressing & kFilterAddressingBits);
  PadName(fixed + 8, texture->name);
  PadName(fixed + 40, texture->mask);
  RwWriteLittleEndianUInt32(fixed + 72, FormatFlags(raster));
  RwWriteLittleEndianUInt32(fixed + 76, extension->hasAlpha ? 1 : 0);
  fixed[80] = static_cast<RwUInt8>(raster->width);
  fixed[81] = static_cast<RwUInt8>(raster->width >> 8);
  fixed[82] = static_cast<RwUInt8>(raster->height);
  fixed[83] = static_cast<RwUInt8>(raster->height >> 8);
  fixed[84] = static_cast<RwUInt8>(raster->depth);
  fixed[85] = static_cast<RwUInt8>(levels);
  fixed[86] = raster->type;
  fixed[87] = static_cast<RwUInt8>(_rwD3D8NativeCompressionOf(extension->d3dFormat));
  if (RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, static_cast<RwUInt32>(nativeSize) - kRwChunkHeaderSize,
                                        kRwLibraryVersion, kRwLibraryBuild) == nullptr ||
      !Write(stream, fixed, sizeof(fixed))) {
    return FALSE;
  }
  const RwUInt32 paletteBytes = _rwD3D8NativePaletteBytes(FormatFlags(raster));
  if (paletteBytes != 0) {
    const RwUInt8* palette = RwRasterLockPalette(raster, rwRASTERLOCKREAD);
    if (palette == nullptr) {
      return FALSE;
    }
    const RwBool ok = Write(stream, palette, paletteBytes);
    RwRasterUnlockPalette(raster);
    if (!ok) {
      return FALSE;
    }
  }
  RwD3D8NativeTextureHeader header;  // the layout of what is written
  header.width = raster->width;
  header.height = raster->height;
  header.depth = raster->depth;
  header.compression = fixed[87];
  for (RwUInt32 level = 0; level < levels; ++level) {
    RwUInt32 bytes = 0;
    RwD3D8NativeLevelLayout layout;
    if (!LevelBytes(d3dTexture, level, &bytes) ||
        !_rwD3D8NativeLevelLayout(&header, static_cast<RwInt32>(level), &layout) || layout.bytes != bytes ||
        !WriteU32(stream, bytes)) {
      return FALSE;
    }
    const RwUInt8* pixels = RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKREAD);
    if (pixels == nullptr) {
      return FALSE;
    }
    const RwBool ok = static_cast<RwUInt32>(raster->stride) >= layout.rowBytes &&
                      WriteRows(stream, pixels, raster->stride, layout.rows, layout.rowBytes);
    RwRasterUnlock(raster);
    if (!ok) {
      return FALSE;
    }
  }
  return TRUE;
}

RwBool RwD3D8NativeTextureRead(void* streamObject, void* textureOut, RwInt32 chunkLength) {
  RwTexture** result = static_cast<RwTexture**>(textureOut);
  *result = nullptr;
  NativeRead* read = static_cast<NativeRead*>(RwMalloc(sizeof(NativeRead)));
  if (read == nullptr) {
    RwErrorRaise(kRwPluginIdCore, kRwErrOutOfMemory);
    return FALSE;
  }
  read->stream = static_cast<RwStream*>(streamObject);
  read->consumed = kRwD3D8NativeFixedBytes;
  RwBool ok = chunkLength >= 0 &&
              _rwD3D8NativeTextureReadHeader(read->stream, static_cast<RwUInt32>(chunkLength), &read->header,
                                             &read->structLength) &&
              ReadTexture(read, result);
  RwFree(read);
  return ok;
}

void RwD3D8NativeTextureStandardFunctionsInstall(RwStandardFunc* table, RwInt32 count) {
  if (count > kRwStdNativeTextureGetSize) {
    table[kRwStdNativeTextureGetSize] = RwD3D8NativeTextureGetSize;
  }
  if (count > kRwStdNativeTextureRead) {
    table[kRwStdNativeTextureRead] = RwD3D8NativeTextureRead;
  }
  if (count > kRwStdNativeTextureWrite) {
    table[kRwStdNativeTextureWrite] = RwD3D8NativeTextureWrite;
  }
}
