// Decoding and checking of the native texture struct: the fixed fields, the
// palette size and the layout every stored level must have, so that the
// reader never trusts a size it has not checked against the chunk.
#include <cstring>

#include "engine/driver/d3d8/d3d8raster_internal.h"
#include "engine/driver/d3d8/d3d8texture_native.h"
#include "engine/driver/d3d8/d3d8texture_native_internal.h"
#include "engine/driver/d3d8/dxt.h"
#include "engine/src/plcore/error.h"
#include "platform/d3d8/d3d8.h"

namespace {

constexpr RwUInt32 kLevelSizeBytes = 4;
constexpr RwInt32 kMaxLevels = 17;  // a 65535 x 65535 chain

RwInt32 ChainLength(RwInt32 width, RwInt32 height) {
  RwInt32 size = width > height ? width : height;
  RwInt32 levels = 1;
  while (size > 1) {
    size >>= 1;
    ++levels;
  }
  return levels;
}

void CopyTerminated(RwChar* field, const RwUInt8* bytes) {
  std::memcpy(field, bytes, kRwTextureNameLength);
  field[kRwTextureNameLength - 1] = '\0';
}

}  // namespace

RwUInt32 _rwD3D8NativePaletteBytes(RwUInt32 rasterFormat) {
  if (rasterFormat & rwRASTERFORMATPAL8) {
    return kRwD3D8NativePal8Bytes;
  }
  if (rasterFormat & rwRASTERFORMATPAL4) {
    return kRwD3D8NativePal4Bytes;
  }
  return 0;
}

RwUInt32 _rwD3D8NativeCompressionFormat(RwInt32 compression) {
  static const RwUInt32 kFormats[] = {0, D3DFMT_DXT1, D3DFMT_DXT2, D3DFMT_DXT3, D3DFMT_DXT4, D3DFMT_DXT5};
  if (compression < 1 || compression > kRwD3D8NativeMaxCompression) {
    return 0;
  }
  return kFormats[compression];
}

RwInt32 _rwD3D8NativeCompressionOf(RwUInt32 d3dFormat) {
  for (RwInt32 compression = 1; compression <= kRwD3D8NativeMaxCompression; ++compression) {
    if (_rwD3D8NativeCompressionFormat(compression) == d3dFormat) {
      return compression;
    }
  }
  return 0;
}

RwBool _rwD3D8NativeLevelLayout(const RwD3D8NativeTextureHeader* header, RwInt32 level,
                                RwD3D8NativeLevelLayout* layout) {
  if (level < 0 || level >= kMaxLevels) {
    return FALSE;
  }
  layout->width = _rwD3D8LevelSize(header->width, static_cast<RwUInt32>(level));
  layout->height = _rwD3D8LevelSize(header->height, static_cast<RwUInt32>(level));
  if (header->compression != 0) {
    const RwInt32 blockBytes = header->compression == 1 ? kRwDxt1BlockBytes : kRwDxtAlphaBlockBytes;
    layout->rows = static_cast<RwUInt32>((layout->height + kRwDxtBlockEdge - 1) / kRwDxtBlockEdge);
    layout->rowBytes = static_cast<RwUInt32>((layout->width + kRwDxtBlockEdge - 1) / kRwDxtBlockEdge * blockBytes);
  } else {
    if (header->depth != 8 && header->depth != 16 && header->depth != 32) {
      return FALSE;
    }
    layout->rows = static_cast<RwUInt32>(layout->height);
    layout->rowBytes = static_cast<RwUInt32>(layout->width * (header->depth / 8));
  }
  // A level of 4 GiB or more has no size word that could hold it; computed
  // wide so that such a level cannot wrap to a small size and pass the
  // check against the struct's length.
  const RwUInt64 bytes = static_cast<RwUInt64>(layout->rows) * layout->rowBytes;
  if (bytes > UINT32_MAX) {
    return FALSE;
  }
  layout->bytes = static_cast<RwUInt32>(bytes);
  return TRUE;
}

RwBool _rwD3D8NativeTextureReadHeader(RwStream* stream, RwUInt32 chunkLength, RwD3D8NativeTextureHeader* header,
                                      RwUInt32* structLength) {
  RwUInt32 length = 0;
  if (!RwStreamFindChunk(stream, kRwChunkStruct, &length, nullptr)) {
    return FALSE;
  }
  if (length < kRwD3D8NativeFixedBytes || length > chunkLength || chunkLength - length < kRwChunkHeaderSize) {
    RwErrorRaise(kRwPluginIdCore, kRwErrRead);
    return FALSE;
  }
  RwUInt8 bytes[kRwD3D8NativeFixedBytes];
  if (!RwStreamReadExact(stream, bytes, sizeof(bytes))) {
    return FALSE;
  }
  header->platformId = RwReadLittleEndianUInt32(bytes);
  header->filterAddressing = RwReadLittleEndianUInt32(bytes + 4);
  CopyTerminated(header->name, bytes + 8);
  CopyTerminated(header->mask, bytes + 40);
  header->rasterFormat = RwReadLittleEndianUInt32(bytes + 72);
  header->hasAlpha = RwReadLittleEndianUInt32(bytes + 76);
  header->width = static_cast<RwInt32>(bytes[80] | (bytes[81] << 8));
  header->height = static_cast<RwInt32>(bytes[82] | (bytes[83] << 8));
  header->depth = bytes[84];
  header->numLevels = bytes[85];
  header->rasterType = bytes[86];
  header->compression = bytes[87];
  *structLength = length;
  if (header->platformId != kRwD3D8NativePlatformId || header->compression > kRwD3D8NativeMaxCompression ||
      header->width == 0 || header->height == 0 || header->numLevels == 0 ||
      header->numLevels > ChainLength(header->width, header->height)) {
    return FALSE;
  }
  // Every announced level, at the only size it may have, must fit the struct.
  RwUInt64 needed = kRwD3D8NativeFixedBytes + _rwD3D8NativePaletteBytes(header->rasterFormat);
  for (RwInt32 level = 0; level < header->numLevels; ++level) {
    RwD3D8NativeLevelLayout layout;
    if (!_rwD3D8NativeLevelLayout(header, level, &layout)) {
      return FALSE;
    }
    needed += kLevelSizeBytes + layout.bytes;
  }
  return needed <= length;
}
