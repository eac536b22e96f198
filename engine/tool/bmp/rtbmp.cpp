// Bitmap reader. Headers are read field by field from a bounded buffer; every
// size taken from the file is checked before it sizes a read or a write.
#include "engine/tool/bmp/rtbmp.h"

#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt16 kMagic = 0x4D42;  // "BM"
constexpr RwInt32 kMagicReadBytes = 4;
constexpr RwInt32 kFileHeaderRestBytes = 14;  // rest of the file header and the info header size
constexpr RwUInt32 kFileHeaderBytes = 14;
constexpr RwUInt32 kCoreHeaderBytes = 12;
constexpr RwUInt32 kInfoHeaderBytes = 40;
// Smallest header in the info layout that still holds width, height, planes and bit count.
constexpr RwUInt32 kMinimumInfoHeaderBytes = 16;
constexpr RwUInt32 kHeaderBufferBytes = 1024;  // the header after its size word, then the palette
constexpr RwUInt32 kCompressionNone = 0;
constexpr RwUInt32 kCompressionRle8 = 1;
constexpr RwUInt32 kCompressionRle4 = 2;
constexpr RwUInt8 kRleEndOfLine = 0;
constexpr RwUInt8 kRleEndOfBitmap = 1;
constexpr RwUInt8 kRleDelta = 2;
constexpr RwUInt8 kOpaque = 255;

struct BmpInfo {
  RwUInt32 dataOffset;
  RwUInt32 headerBytes;
  RwInt32 width;
  RwInt32 height;
  RwUInt32 bitCount;
  RwUInt32 compression;
  RwUInt32 colorsUsed;
};

void Raise(RwInt32 code) { RwErrorRaise(kRtBMPPluginId, code); }

bool ReadExact(RwStream* stream, void* buffer, RwUInt32 bytes) { return RwStreamRead(stream, buffer, bytes) == bytes; }

bool SupportedBitCount(RwUInt32 bitCount) {
  switch (bitCount) {
    case 1:
    case 4:
    case 8:
    case 15:
    case 16:
    case 24:
    case 32:
      return true;
    default:
      return false;
  }
}

RwInt32 ImageDepth(RwUInt32 bitCount) {
  if (bitCount <= 4) {
    return 4;
  }
  return bitCount == 8 ? 8 : 32;
}

// Bits one pixel takes in a file row; 15-bit pixels are stored as 16-bit words.
RwUInt32 StoredBits(RwUInt32 bitCount) { return bitCount == 15 ? 16 : bitCount; }

RwInt64 FileRowBytes(const BmpInfo& info) {
  const RwInt64 bits = static_cast<RwInt64>(StoredBits(info.bitCount)) * info.width;
  return ((bits + 7) / 8 + 3) & ~static_cast<RwInt64>(3);
}

bool Uncompressed(const BmpInfo& info) { return info.compression == kCompressionNone || info.bitCount == 24; }

// Reads the file header and the info or core header into info; the header
// bytes after the size word are left in buffer. Records the error on refusal.
bool ReadHeaders(RwStream* stream, RwUInt8* buffer, BmpInfo* info) {
  RwUInt8 head[kMagicReadBytes + kFileHeaderRestBytes];
  if (!ReadExact(stream, head, kMagicReadBytes) || RwReadLittleEndianUInt16(head) != kMagic ||
      !ReadExact(stream, head + kMagicReadBytes, kFileHeaderRestBytes)) {
    return false;
  }
  info->dataOffset = RwReadLittleEndianUInt32(head + 10);
  info->headerBytes = RwReadLittleEndianUInt32(head + 14);
  const RwUInt32 size = info->headerBytes;
  if ((size != kCoreHeaderBytes && size < kMinimumInfoHeaderBytes) || size - 4 > kHeaderBufferBytes) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  std::memset(buffer, 0, kHeaderBufferBytes);
  if (!ReadExact(stream, buffer, size - 4)) {
    return false;
  }
  if (size == kCoreHeaderBytes) {
    info->width = static_cast<RwInt16>(RwReadLittleEndianUInt16(buffer));
    info->height = static_cast<RwInt16>(RwReadLittleEndianUInt16(buffer + 2));
    info->bitCount = RwReadLittleEndianUInt16(buffer + 6);
    info->compression = kCompressionNone;
    info->colorsUsed = 0;
  } else {
    info->width = static_cast<RwInt32>(RwReadLittleEndianUInt32(buffer));
    info->height = static_cast<RwInt32>(RwReadLittleEndianUInt32(buffer + 4));
    info->bitCount = RwReadLittleEndianUInt16(buffer + 10);
    info->compression = RwReadLittleEndianUInt32(buffer + 12);
    info->colorsUsed = RwReadLittleEndianUInt32(buffer + 28);
  }
  return true;
}

// Refuses what the reader cannot decode, before anything is allocated.
bool CheckDecodable(const BmpInfo& info) {
  if (info.compression == kCompressionRle4) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  if (!SupportedBitCount(info.bitCount)) {
    Raise(kRwErrImageDepthUnsupported);
    return false;
  }
  // Top-down (negative) heights and empty images are not supported.
  if (info.width <= 0 || info.height <= 0 || FileRowBytes(info) > INT32_MAX) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  if (info.bitCount <= 8 && info.headerBytes != kCoreHeaderBytes && info.headerBytes != kInfoHeaderBytes) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  // Run-length data decodes to one byte a pixel, so only 8-bit rows can use it.
  const bool rle8 = info.compression == kCompressionRle8 && info.bitCount == 8;
  if (!Uncompressed(info) && !rle8) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  return true;
}

RwUInt32 PaletteEntries(const BmpInfo& info) {
  const RwUInt32 full = 1u << info.bitCount;
  if (info.headerBytes == kCoreHeaderBytes) {
    return full;
  }
  return (info.colorsUsed >= 1 && info.colorsUsed <= full) ? info.colorsUsed : full;
}

// Reads the palette into the image as {red, green, blue, 255}; unused
// entries of the image palette are cleared. Returns the bytes consumed, or -1.
RwInt32 ReadPalette(RwStream* stream, RwUInt8* buffer, const BmpInfo& info, RwImage* image) {
  const RwUInt32 entries = PaletteEntries(info);
  const RwUInt32 entryBytes = info.headerBytes == kCoreHeaderBytes ? 3 : 4;
  const RwUInt32 bytes = entries * entryBytes;
  if (bytes > kHeaderBufferBytes) {
    Raise(kRwErrImageFormatUnsupported);
    return -1;
  }
  if (!ReadExact(stream, buffer, bytes)) {
    return -1;
  }
  std::memset(image->palette, 0, static_cast<size_t>(4) << image->depth);
  for (RwUInt32 i = 0; i < entries; ++i) {
    const RwUInt8* in = buffer + i * entryBytes;
    RwUInt8* out = image->palette + 4 * i;
    out[0] = in[2];
    out[1] = in[1];
    out[2] = in[0];
    out[3] = kOpaque;
  }
  return static_cast<RwInt32>(bytes);
}

void ConvertRow(const RwUInt8* in, RwUInt8* out, RwInt32 width, RwUInt32 bitCount) {
  for (RwInt32 x = 0; x < width; ++x) {
    switch (bitCount) {
      case 1:
        out[x] = (in[x >> 3] >> (7 - (x & 7))) & 0x1;
        break;
      case 4:
        out[x] = (in[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
        break;
      case 8:
        out[x] = in[x];
        break;
      case 15:
      case 16: {
        const RwUInt32 w = RwReadLittleEndianUInt16(in + 2 * x);
        RwUInt8* p = out + 4 * x;
        if (bitCount == 15) {
          p[0] = static_cast<RwUInt8>((w >> 7) & 0xF8);
          p[1] = static_cast<RwUInt8>((w >> 2) & 0xF8);
        } else {
          p[0] = static_cast<RwUInt8>((w >> 8) & 0xF8);
          p[1] = static_cast<RwUInt8>((w >> 3) & 0xFC);
        }
        p[2] = static_cast<RwUInt8>((w << 3) & 0xF8);
        p[3] = kOpaque;
        break;
      }
      default: {  // 24 and 32: blue, green, red (, unused)
        const RwUInt32 bytes = bitCount / 8;
        const RwUInt8* q = in + bytes * x;
        RwUInt8* p = out + 4 * x;
        p[0] = q[2];
        p[1] = q[1];
        p[2] = q[0];
        p[3] = kOpaque;
        break;
      }
    }
  }
}

RwUInt8* ImageRow(RwImage* image, RwInt32 fileRow) {
  return image->pixels + static_cast<size_t>(image->height - 1 - fileRow) * image->stride;
}

bool ReadUncompressed(RwStream* stream, const BmpInfo& info, RwUInt8* row, RwUInt32 rowBytes, RwImage* image) {
  for (RwInt32 i = 0; i < info.height; ++i) {
    if (!ReadExact(stream, row, rowBytes)) {
      return false;
    }
    ConvertRow(row, ImageRow(image, i), info.width, info.bitCount);
  }
  return true;
}

enum class RleRowEnd { kEndOfLine, kEndOfBitmap, kFailed };

// Decodes one run-length row into row (rowBytes bytes, cleared first). Runs
// may cover the row's padding to four bytes, as common writers emit them at
// widths that are not a multiple of four; what lands past the width is not
// part of the image. A run past the padded row is refused.
RleRowEnd DecodeRleRow(RwStream* stream, RwUInt8* row, RwUInt32 rowBytes) {
  const RwInt32 room = static_cast<RwInt32>(rowBytes);
  std::memset(row, 0, rowBytes);
  RwInt32 x = 0;
  for (;;) {
    RwUInt8 pair[2];
    if (!ReadExact(stream, pair, 2)) {
      return RleRowEnd::kFailed;
    }
    const RwInt32 count = pair[0];
    const RwInt32 value = pair[1];
    if (count > 0) {
      if (count > room - x) {
        Raise(kRwErrImageFormatUnsupported);
        return RleRowEnd::kFailed;
      }
      std::memset(row + x, value, static_cast<size_t>(count));
      x += count;
    } else if (value == kRleEndOfLine) {
      return RleRowEnd::kEndOfLine;
    } else if (value == kRleEndOfBitmap) {
      return RleRowEnd::kEndOfBitmap;
    } else if (value == kRleDelta) {
      Raise(kRwErrImageFormatUnsupported);
      return RleRowEnd::kFailed;
    } else {
      if (value > room - x) {
        Raise(kRwErrImageFormatUnsupported);
        return RleRowEnd::kFailed;
      }
      if (!ReadExact(stream, row + x, static_cast<RwUInt32>(value))) {
        return RleRowEnd::kFailed;
      }
      x += value;
      RwUInt8 pad;
      if ((value & 1) && !ReadExact(stream, &pad, 1)) {
        return RleRowEnd::kFailed;
      }
    }
  }
}

bool ReadRle8(RwStream* stream, const BmpInfo& info, RwUInt8* row, RwUInt32 rowBytes, RwImage* image) {
  // Rows after an early end of bitmap stay index 0.
  std::memset(image->pixels, 0, static_cast<size_t>(image->stride) * image->height);
  for (RwInt32 i = 0; i < info.height; ++i) {
    const RleRowEnd end = DecodeRleRow(stream, row, rowBytes);
    if (end == RleRowEnd::kFailed) {
      return false;
    }
    ConvertRow(row, ImageRow(image, i), info.width, info.bitCount);
    if (end == RleRowEnd::kEndOfBitmap) {
      break;
    }
  }
  return true;
}

bool ReadPixels(RwStream* stream, const BmpInfo& info, RwUInt32 consumed, RwImage* image) {
  if (info.dataOffset < consumed) {
    Raise(kRwErrImageFormatUnsupported);
    return false;
  }
  if (info.dataOffset > consumed && RwStreamSkip(stream, info.dataOffset - consumed) == nullptr) {
    return false;
  }
  const RwUInt32 rowBytes = static_cast<RwUInt32>(FileRowBytes(info));
  RwUInt8* row = static_cast<RwUInt8*>(RwMalloc(rowBytes));
  if (row == nullptr) {
    Raise(kRwErrOutOfMemory);
    return false;
  }
  const bool ok = Uncompressed(info) ? ReadUncompressed(stream, info, row, rowBytes, image)
                                     : ReadRle8(stream, info, row, rowBytes, image);
  RwFree(row);
  return ok;
}

RwImage* ReadBitmap(RwStream* stream) {
  RwUInt8 buffer[kHeaderBufferBytes];
  BmpInfo info;
  if (!ReadHeaders(stream, buffer, &info) || !CheckDecodable(info)) {
    return nullptr;
  }
  RwImage* image = RwImageCreate(info.width, info.height, ImageDepth(info.bitCount));
  if (image == nullptr) {
    return nullptr;
  }
  if (RwImageAllocatePixels(image) == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  RwUInt32 consumed = kFileHeaderBytes + info.headerBytes;
  if (info.bitCount <= 8) {
    const RwInt32 paletteBytes = ReadPalette(stream, buffer, info, image);
    if (paletteBytes < 0) {
      RwImageDestroy(image);
      return nullptr;
    }
    consumed += static_cast<RwUInt32>(paletteBytes);
  }
  if (!ReadPixels(stream, info, consumed, image)) {
    RwImageDestroy(image);
    return nullptr;
  }
  return image;
}

}  // namespace

RwImage* RtBMPImageRead(const RwChar* imageName) {
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, imageName);
  if (stream == nullptr) {
    return nullptr;
  }
  RwImage* image = ReadBitmap(stream);
  RwStreamClose(stream, nullptr);
  return image;
}
