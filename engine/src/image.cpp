// The image module: image records and pixel blocks, copies between depths,
// masks, gamma correction, the search path and the image format registry.
#include "engine/src/image.h"

#include <cmath>
#include <cstring>

#include "engine/src/engine_internal.h"
#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/plugin_registry.h"

namespace {

static_assert(sizeof(RwImageGlobals) <= kRwImageModuleDataSize, "module data must fit its engine plugin block");

constexpr RwUInt32 kImagesPerBlock = 128;
constexpr RwUInt32 kFormatsPerBlock = 128;
constexpr RwInt32 kInitialPathBytes = 256;
constexpr RwInt32 kReadExtraRoom = 5;
constexpr RwInt32 kFileTypeExtraRoom = 20;
constexpr RwInt32 kExtensionCopyChars = 18;
constexpr RwInt32 kPaletteEntryBytes = 4;
constexpr RwInt32 kAlphaByte = 3;
constexpr RwReal kByteToUnit = 0.003921569f;  // 1 / 255

RwInt32 imageModuleOffset = -1;
RwPluginRegistry imageRegistry = RwPluginRegistryInitializer(sizeof(RwImage));

RwImageGlobals* Globals() { return RwPluginDataGet(RwImageGlobals, RwEngineInstance, imageModuleOffset); }

void Raise(RwInt32 code) { RwErrorRaise(kRwPluginIdCore, code); }

bool HasPalette(RwInt32 depth) { return depth == 4 || depth == 8; }

RwInt32 PaletteBytes(RwInt32 depth) { return HasPalette(depth) ? (kPaletteEntryBytes << depth) : 0; }

RwInt32 BytesPerPixel(RwInt32 depth) { return (depth + 7) / 8; }

// Bytes of a pixel block with its palette, or -1 when the size is negative
// or does not fit the engine's 32-bit sizes.
RwInt64 PixelBlockBytes(RwInt32 width, RwInt32 height, RwInt32 depth, RwInt32* strideOut) {
  if (width < 0 || height < 0 || depth <= 0) {
    return -1;
  }
  const RwInt64 stride = ((static_cast<RwInt64>(BytesPerPixel(depth)) * width) + 3) & ~static_cast<RwInt64>(3);
  const RwInt64 total = stride * height + PaletteBytes(depth);
  if (stride > INT32_MAX || total > INT32_MAX) {
    return -1;
  }
  *strideOut = static_cast<RwInt32>(stride);
  return total;
}

// A pixel block for the given size; never a zero-byte request.
RwUInt8* AllocatePixelBlock(RwInt32 width, RwInt32 height, RwInt32 depth, RwInt32* strideOut) {
  const RwInt64 bytes = PixelBlockBytes(width, height, depth, strideOut);
  if (bytes < 0) {
    return nullptr;
  }
  return static_cast<RwUInt8*>(RwMalloc(bytes > 0 ? static_cast<size_t>(bytes) : 1));
}

// Palette index of a pixel, kept inside the image's palette.
RwInt32 PaletteIndex(RwUInt8 value, RwInt32 depth) { return value & ((1 << depth) - 1); }

// Palette-to-32-bit expansion of every row (source depth 4 or 8).
void ExpandPalette(RwImage* destination, const RwImage* source) {
  for (RwInt32 y = 0; y < destination->height; ++y) {
    const RwUInt8* in = source->pixels + static_cast<size_t>(y) * source->stride;
    RwUInt8* out = destination->pixels + static_cast<size_t>(y) * destination->stride;
    for (RwInt32 x = 0; x < destination->width; ++x) {
      const RwUInt8* entry = source->palette + kPaletteEntryBytes * PaletteIndex(in[x], source->depth);
      std::memcpy(out + kPaletteEntryBytes * x, entry, kPaletteEntryBytes);
    }
  }
}

void CopyRows(RwImage* destination, const RwImage* source, RwInt32 rowBytes) {
  for (RwInt32 y = 0; y < destination->height; ++y) {
    std::memcpy(destination->pixels + static_cast<size_t>(y) * destination->stride,
                source->pixels + static_cast<size_t>(y) * source->stride, rowBytes);
  }
}

RwUInt8 LargestColour(const RwUInt8* rgba) {
  RwUInt8 m = rgba[0] > rgba[1] ? rgba[0] : rgba[1];
  return m > rgba[2] ? m : rgba[2];
}

// Grows a module buffer to at least size bytes; false (and the old buffer
// kept) when the memory functions refuse.
bool GrowBuffer(RwChar** buffer, RwInt32* capacity, RwInt32 size) {
  if (size <= *capacity) {
    return true;
  }
  RwChar* grown = static_cast<RwChar*>(RwRealloc(*buffer, static_cast<size_t>(size)));
  if (grown == nullptr) {
    Raise(kRwErrOutOfMemory);
    return false;
  }
  *buffer = grown;
  *capacity = size;
  return true;
}

bool IsAbsoluteName(const RwChar* name) {
  if (name[0] == '\\') {
    return true;
  }
  const bool letter = (name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z');
  return letter && name[1] == ':';
}

// The extension of a name: from the last '.' after the last '\', '/' and ':'.
const RwChar* FindExtension(const RwChar* name) {
  const RwChar* start = name;
  const RwChar seps[] = {':', '/', '\\'};
  for (RwChar sep : seps) {
    const RwChar* found = std::strrchr(start, sep);
    if (found != nullptr) {
      start = found;
    }
  }
  return std::strrchr(start, '.');
}

RwImageFormat* FindFormat(const RwChar* extension) {
  for (RwImageFormat* format = Globals()->formats; format != nullptr; format = format->next) {
    if (std::strcmp(extension, format->lowerCaseExtension) == 0 ||
        std::strcmp(extension, format->upperCaseExtension) == 0) {
      return format;
    }
  }
  return nullptr;
}

void MakeExtensionKey(RwChar* out, const RwChar* extension, bool upper) {
  out[0] = '.';
  RwInt32 i = 0;
  for (; i < kExtensionCopyChars && extension[i] != '\0'; ++i) {
    RwChar c = extension[i];
    if (upper && c >= 'a' && c <= 'z') {
      c = static_cast<RwChar>(c - 'a' + 'A');
    } else if (!upper && c >= 'A' && c <= 'Z') {
      c = static_cast<RwChar>(c - 'A' + 'a');
    }
    out[1 + i] = c;
  }
  out[1 + i] = '\0';
}

bool FileExists(const RwChar* name) { return RwEngineInstance->fileFunctions.rwfexist(name) != 0; }

struct ReadSearch {
  RwImageCallBackRead reader;
  RwImage* image;
};

RwBool TryRead(RwChar* candidate, void* data) {
  ReadSearch* search = static_cast<ReadSearch*>(data);
  if (!FileExists(candidate)) {
    return TRUE;
  }
  search->image = search->reader(candidate);
  return search->image == nullptr;
}

struct TypeSearch {
  const RwChar* extension;
};

RwBool TryExtensions(RwChar* candidate, void* data) {
  TypeSearch* search = static_cast<TypeSearch*>(data);
  const size_t length = std::strlen(candidate);
  for (RwImageFormat* format = Globals()->formats; format != nullptr; format = format->next) {
    const RwChar* forms[] = {format->lowerCaseExtension, format->upperCaseExtension};
    for (const RwChar* form : forms) {
      std::strcpy(candidate + length, form);
      if (FileExists(candidate)) {
        search->extension = form;
        candidate[length] = '\0';
        return FALSE;
      }
    }
  }
  candidate[length] = '\0';
  return TRUE;
}

void FreeModule(RwImageGlobals* globals) {
  if (globals->pathBuffer != nullptr) {
    RwFree(globals->pathBuffer);
    globals->pathBuffer = nullptr;
  }
  if (globals->searchPath != nullptr) {
    RwFree(globals->searchPath);
    globals->searchPath = nullptr;
  }
  while (globals->formats != nullptr) {
    RwImageFormat* next = globals->formats->next;
    RwFreeListEntryFree(globals->formatFreeList, globals->formats);
    globals->formats = next;
  }
  if (globals->formatFreeList != nullptr) {
    RwFreeListDestroy(globals->formatFreeList);
    globals->formatFreeList = nullptr;
  }
  if (globals->imageFreeList != nullptr) {
    RwFreeListDestroy(globals->imageFreeList);
    globals->imageFreeList = nullptr;
  }
}

}  // namespace

RwImage* RwImageCreate(RwInt32 width, RwInt32 height, RwInt32 depth) {
  RwImage* image = static_cast<RwImage*>(RwFreeListEntryAlloc(Globals()->imageFreeList));
  if (image == nullptr) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  image->flags = 0;
  image->width = width;
  image->height = height;
  image->depth = depth;
  image->stride = 0;
  image->pixels = nullptr;
  image->palette = nullptr;
  if (RwPluginRegistryInitObject(&imageRegistry, image) == nullptr) {
    RwFreeListEntryFree(Globals()->imageFreeList, image);
    return nullptr;
  }
  return image;
}

RwBool RwImageDestroy(RwImage* image) {
  if (image->flags & kRwImageAllocated) {
    RwFree(image->pixels);
  }
  RwPluginRegistryDeInitObject(&imageRegistry, image);
  RwFreeListEntryFree(Globals()->imageFreeList, image);
  return TRUE;
}

RwImage* RwImageAllocatePixels(RwImage* image) {
  RwInt32 stride = 0;
  RwUInt8* block = AllocatePixelBlock(image->width, image->height, image->depth, &stride);
  if (block == nullptr) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  // A block the image already owns would otherwise be lost.
  if (image->flags & kRwImageAllocated) {
    RwFree(image->pixels);
  }
  image->stride = stride;
  image->pixels = block;
  image->palette = HasPalette(image->depth) ? block + static_cast<size_t>(stride) * image->height : nullptr;
  image->flags |= kRwImageAllocated;
  return image;
}

RwImage* RwImageFreePixels(RwImage* image) {
  if (image->flags & kRwImageAllocated) {
    RwFree(image->pixels);
  }
  image->pixels = nullptr;
  image->palette = nullptr;
  image->flags &= ~kRwImageAllocated;
  return image;
}

RwImage* RwImageResize(RwImage* image, RwInt32 width, RwInt32 height) {
  if ((image->flags & kRwImageAllocated) == 0 || image->pixels == nullptr) {
    image->width = width;
    image->height = height;
    return image;
  }
  RwInt32 stride = 0;
  RwUInt8* block = AllocatePixelBlock(width, height, image->depth, &stride);
  if (block == nullptr) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  RwUInt8* palette = nullptr;
  if (HasPalette(image->depth)) {
    palette = block + static_cast<size_t>(stride) * height;
    std::memcpy(palette, image->palette, PaletteBytes(image->depth));
  }
  const RwInt32 rows = height < image->height ? height : image->height;
  const RwInt32 columns = width < image->width ? width : image->width;
  const size_t rowBytes = static_cast<size_t>(columns) * BytesPerPixel(image->depth);
  for (RwInt32 y = 0; y < rows; ++y) {
    std::memcpy(block + static_cast<size_t>(y) * stride, image->pixels + static_cast<size_t>(y) * image->stride,
                rowBytes);
  }
  RwFree(image->pixels);
  image->pixels = block;
  image->palette = palette;
  image->stride = stride;
  image->width = width;
  image->height = height;
  return image;
}

RwImage* RwImageCopy(RwImage* destination, const RwImage* source) {
  if (destination->width != source->width || destination->height != source->height) {
    Raise(kRwErrImageSizeMismatch);
    return nullptr;
  }
  if (destination->pixels == nullptr || source->pixels == nullptr) {
    Raise(kRwErrNullArgument);
    return nullptr;
  }
  const RwInt32 from = source->depth;
  const RwInt32 to = destination->depth;
  if (from == to) {
    if (destination->palette != nullptr && source->palette != nullptr && to <= 8) {
      std::memcpy(destination->palette, source->palette, PaletteBytes(to));
    }
    CopyRows(destination, source, BytesPerPixel(to) * destination->width);
  } else if (from == 4 && to == 8) {
    CopyRows(destination, source, destination->width);
  } else if (HasPalette(from) && to == 32 && source->palette != nullptr) {
    ExpandPalette(destination, source);
  } else {
    Raise(kRwErrImageFormatUnsupported);
    return nullptr;
  }
  destination->flags = (destination->flags & ~kRwImageGammaCorrected) | (source->flags & kRwImageGammaCorrected);
  return destination;
}

RwImage* RwImageMakeMask(RwImage* image) {
  if (HasPalette(image->depth) && image->palette != nullptr) {
    for (RwInt32 i = 0; i < (1 << image->depth); ++i) {
      RwUInt8* entry = image->palette + kPaletteEntryBytes * i;
      entry[kAlphaByte] = LargestColour(entry);
    }
  } else if (image->depth == 32 && image->pixels != nullptr) {
    for (RwInt32 y = 0; y < image->height; ++y) {
      RwUInt8* row = image->pixels + static_cast<size_t>(y) * image->stride;
      for (RwInt32 x = 0; x < image->width; ++x) {
        row[kPaletteEntryBytes * x + kAlphaByte] = LargestColour(row + kPaletteEntryBytes * x);
      }
    }
  }
  return image;
}

RwImage* RwImageApplyMask(RwImage* image, const RwImage* mask) {
  if (image->width != mask->width || image->height != mask->height) {
    Raise(kRwErrImageSizeMismatch);
    return nullptr;
  }
  if (image->pixels == nullptr || mask->pixels == nullptr) {
    Raise(kRwErrNullArgument);
    return nullptr;
  }
  if (HasPalette(image->depth)) {
    // Expand into a fresh 32-bit block first, so that a failure leaves the
    // image as it was; the temporary then takes the old block away.
    RwImage* expanded = RwImageCreate(image->width, image->height, 32);
    if (expanded == nullptr) {
      return nullptr;
    }
    if (RwImageAllocatePixels(expanded) == nullptr || RwImageCopy(expanded, image) == nullptr) {
      RwImageDestroy(expanded);
      return nullptr;
    }
    RwUInt8* oldPixels = image->pixels;
    const RwInt32 oldFlags = image->flags;
    image->pixels = expanded->pixels;
    image->palette = nullptr;
    image->stride = expanded->stride;
    image->depth = 32;
    image->flags |= kRwImageAllocated;
    expanded->pixels = oldPixels;
    expanded->flags = oldFlags;
    RwImageDestroy(expanded);
  } else if (image->depth != 32) {
    Raise(kRwErrImageFormatUnsupported);
    return nullptr;
  }
  const bool maskPalette = HasPalette(mask->depth) && mask->palette != nullptr;
  if (!maskPalette && mask->depth != 32) {
    return image;
  }
  for (RwInt32 y = 0; y < image->height; ++y) {
    RwUInt8* out = image->pixels + static_cast<size_t>(y) * image->stride;
    const RwUInt8* in = mask->pixels + static_cast<size_t>(y) * mask->stride;
    for (RwInt32 x = 0; x < image->width; ++x) {
      const RwUInt8* source = maskPalette ? mask->palette + kPaletteEntryBytes * PaletteIndex(in[x], mask->depth)
                                          : in + kPaletteEntryBytes * x;
      out[kPaletteEntryBytes * x + kAlphaByte] = source[kAlphaByte];
    }
  }
  return image;
}

RwImage* RwImageGammaCorrect(RwImage* image) {
  const RwUInt8* table = Globals()->gammaTable;
  RwUInt8* first = nullptr;
  RwInt32 rows = 0;
  RwInt32 columns = 0;
  RwInt32 rowStep = 0;
  if (HasPalette(image->depth)) {
    first = image->palette;
    rows = 1;
    columns = 1 << image->depth;
  } else if (image->depth == 32) {
    first = image->pixels;
    rows = image->height;
    columns = image->width;
    rowStep = image->stride;
  } else {
    Raise(kRwErrImageDepthUnsupported);
    return nullptr;
  }
  if (first == nullptr) {
    Raise(kRwErrNullArgument);
    return nullptr;
  }
  for (RwInt32 y = 0; y < rows; ++y) {
    RwUInt8* row = first + static_cast<size_t>(y) * rowStep;
    for (RwInt32 x = 0; x < columns; ++x) {
      RwUInt8* pixel = row + kPaletteEntryBytes * x;
      pixel[0] = table[pixel[0]];
      pixel[1] = table[pixel[1]];
      pixel[2] = table[pixel[2]];
    }
  }
  image->flags |= kRwImageGammaCorrected;
  return image;
}

RwBool RwImageSetGamma(RwReal gamma) {
  RwImageGlobals* globals = Globals();
  globals->gammaValue = gamma;
  globals->gammaTable[0] = 0;
  const RwReal exponent = 1.0f / gamma;
  for (RwInt32 i = 1; i < 256; ++i) {
    const RwReal value = std::pow(static_cast<RwReal>(i) * kByteToUnit, exponent) * 255.0f + 0.5f;
    // Gammas below 1 can round past 255; a gamma of 0 or NaN saturates.
    globals->gammaTable[i] = static_cast<RwUInt8>(value < 255.0f ? static_cast<RwInt32>(value) : 255);
  }
  return TRUE;
}

RwReal RwImageGetGamma(void) { return Globals()->gammaValue; }

const RwUInt8* RwImageGetGammaTable(void) { return Globals()->gammaTable; }

const RwChar* RwImageSetPath(const RwChar* path) {
  RwImageGlobals* globals = Globals();
  const size_t length = std::strlen(path);
  if (length >= INT32_MAX) {
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  if (!GrowBuffer(&globals->searchPath, &globals->searchPathCapacity, static_cast<RwInt32>(length + 1))) {
    return nullptr;
  }
  std::memmove(globals->searchPath, path, length + 1);  // path may be the current path itself
  return path;
}

const RwChar* RwImageGetPath(void) { return Globals()->searchPath; }

RwChar* RwImageGetPathBuffer(RwInt32 size) {
  RwImageGlobals* globals = Globals();
  if (!GrowBuffer(&globals->pathBuffer, &globals->pathBufferCapacity, size)) {
    return nullptr;
  }
  return globals->pathBuffer;
}

const RwChar* RwImageSearchPathForAll(const RwChar* imageName, RwInt32 extraRoom, RwImageSearchCallBack callBack,
                                      void* data) {
  const RwChar* path = Globals()->searchPath;
  const size_t nameLength = std::strlen(imageName);
  if (IsAbsoluteName(imageName) || path[0] == '\0') {
    RwChar* candidate = RwImageGetPathBuffer(static_cast<RwInt32>(nameLength + extraRoom + 1));
    if (candidate == nullptr) {
      return nullptr;
    }
    std::memcpy(candidate, imageName, nameLength + 1);
    callBack(candidate, data);
    return imageName;
  }
  const RwChar* element = path;
  while (*element != '\0') {
    const RwChar* end = std::strchr(element, ';');
    const size_t elementLength = end != nullptr ? static_cast<size_t>(end - element) : std::strlen(element);
    // The path may move when the buffer grows only if they were the same
    // buffer; they are distinct, so element stays valid.
    RwChar* candidate = RwImageGetPathBuffer(static_cast<RwInt32>(elementLength + nameLength + extraRoom + 1));
    if (candidate == nullptr) {
      return nullptr;
    }
    std::memcpy(candidate, element, elementLength);
    std::memcpy(candidate + elementLength, imageName, nameLength + 1);
    if (!callBack(candidate, data) || end == nullptr) {
      break;
    }
    element = end + 1;
  }
  return imageName;
}

RwBool RwImageRegisterImageFormat(const RwChar* extension, RwImageCallBackRead imageRead,
                                  RwImageCallBackWrite imageWrite) {
  RwImageGlobals* globals = Globals();
  RwChar key[kRwImageExtensionChars];
  MakeExtensionKey(key, extension, false);
  RwImageFormat* format = globals->formats;
  while (format != nullptr && std::strcmp(format->lowerCaseExtension, key) != 0) {
    format = format->next;
  }
  if (format == nullptr) {
    format = static_cast<RwImageFormat*>(RwFreeListEntryAlloc(globals->formatFreeList));
    if (format == nullptr) {
      return FALSE;
    }
    std::memcpy(format->lowerCaseExtension, key, sizeof(key));
    MakeExtensionKey(format->upperCaseExtension, extension, true);
    format->imageRead = nullptr;
    format->imageWrite = nullptr;
    format->next = globals->formats;
    globals->formats = format;
  }
  if (imageRead != nullptr) {
    format->imageRead = imageRead;
  }
  if (imageWrite != nullptr) {
    format->imageWrite = imageWrite;
  }
  return TRUE;
}

RwImage* RwImageRead(const RwChar* imageName) {
  const RwChar* extension = FindExtension(imageName);
  if (extension == nullptr) {
    return nullptr;
  }
  RwImageFormat* format = FindFormat(extension);
  if (format == nullptr || format->imageRead == nullptr) {
    return nullptr;
  }
  ReadSearch search = {format->imageRead, nullptr};
  if (RwImageSearchPathForAll(imageName, kReadExtraRoom, TryRead, &search) == nullptr) {
    return nullptr;
  }
  return search.image;
}

RwImage* RwImageWrite(RwImage* image, const RwChar* imageName) {
  const RwChar* extension = FindExtension(imageName);
  if (extension == nullptr) {
    return nullptr;
  }
  RwImageFormat* format = FindFormat(extension);
  if (format == nullptr || format->imageWrite == nullptr) {
    return nullptr;
  }
  return format->imageWrite(image, imageName);
}

RwImage* RwImageReadMaskedImage(const RwChar* imageName, const RwChar* maskName) {
  RwImage* image = RwImageRead(imageName);
  if (image == nullptr || maskName == nullptr || maskName[0] == '\0') {
    return image;
  }
  RwImage* mask = RwImageRead(maskName);
  if (mask == nullptr) {
    RwImageDestroy(image);
    return nullptr;
  }
  RwImageMakeMask(mask);
  RwImage* result = RwImageApplyMask(image, mask);
  RwImageDestroy(mask);
  if (result == nullptr) {
    RwImageDestroy(image);
  }
  return result;
}

const RwChar* RwImageFindFileType(const RwChar* imageName) {
  TypeSearch search = {nullptr};
  if (RwImageSearchPathForAll(imageName, kFileTypeExtraRoom, TryExtensions, &search) == nullptr) {
    return nullptr;
  }
  return search.extension;
}

void* RwImageOpen(void* instance, RwInt32 offset, RwInt32 /*size*/) {
  imageModuleOffset = offset;
  RwImageGlobals* globals = Globals();
  std::memset(globals, 0, sizeof(*globals));
  globals->imageFreeList = RwFreeListCreate(static_cast<RwUInt32>(imageRegistry.sizeOfStruct), kImagesPerBlock, 0);
  globals->formatFreeList = RwFreeListCreate(sizeof(RwImageFormat), kFormatsPerBlock, 0);
  globals->searchPath = static_cast<RwChar*>(RwMalloc(kInitialPathBytes));
  globals->pathBuffer = static_cast<RwChar*>(RwMalloc(kInitialPathBytes));
  if (globals->imageFreeList == nullptr || globals->formatFreeList == nullptr || globals->searchPath == nullptr ||
      globals->pathBuffer == nullptr) {
    FreeModule(globals);
    Raise(kRwErrOutOfMemory);
    return nullptr;
  }
  globals->searchPath[0] = '\0';
  globals->searchPathCapacity = kInitialPathBytes;
  globals->pathBuffer[0] = '\0';
  globals->pathBufferCapacity = kInitialPathBytes;
  globals->formats = nullptr;
  RwImageSetGamma(1.0f);
  return instance;
}

void* RwImageClose(void* instance, RwInt32 /*offset*/, RwInt32 /*size*/) {
  FreeModule(Globals());
  return instance;
}
