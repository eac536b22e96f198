// Images: device-independent pictures in main memory with 4-, 8- or 32-bit
// pixels and an optional palette, the image search path, and the registry of
// image file formats through which files are read by extension.
#pragma once

#include "engine/src/plcore/base_types.h"
#include "engine/src/plcore/memory.h"

// Depth 4 and 8: one palette index a byte (4-bit images use indices 0..15).
// Depth 32: red, green, blue, alpha bytes. Palette entries are four bytes in
// the same order; a depth-d image has 1 << d of them.
struct RwImage {
  RwInt32 flags;     // kRwImageAllocated, kRwImageGammaCorrected
  RwInt32 width;     // pixels
  RwInt32 height;    // pixels
  RwInt32 depth;     // bits per pixel
  RwInt32 stride;    // bytes per row, a multiple of 4; set when pixels are allocated
  RwUInt8* pixels;   // first row
  RwUInt8* palette;  // for depths 4 and 8; lies in the pixel block when allocated
};

constexpr RwInt32 kRwImageAllocated = 0x01;       // the image owns its pixel block
constexpr RwInt32 kRwImageGammaCorrected = 0x02;  // the colours went through the gamma table

constexpr RwUInt32 kRwImagePluginId = 0x406;
constexpr RwInt32 kRwImageExtensionChars = 20;  // "." + at most 18 characters + NUL

// Image error codes (core codes, plugin id 0).
constexpr RwInt32 kRwErrImageDepthUnsupported = static_cast<RwInt32>(0x80000008u);
constexpr RwInt32 kRwErrImageFormatUnsupported = static_cast<RwInt32>(0x80000009u);
constexpr RwInt32 kRwErrImageSizeMismatch = static_cast<RwInt32>(0x8000000Au);

typedef RwImage* (*RwImageCallBackRead)(const RwChar* imageName);
typedef RwImage* (*RwImageCallBackWrite)(RwImage* image, const RwChar* imageName);
// A search-path candidate; return 0 to end the search.
typedef RwBool (*RwImageSearchCallBack)(RwChar* candidate, void* data);

// A registered image file format; the formats form a list, newest first.
struct RwImageFormat {
  RwChar lowerCaseExtension[kRwImageExtensionChars];
  RwChar upperCaseExtension[kRwImageExtensionChars];
  RwImageCallBackRead imageRead;
  RwImageCallBackWrite imageWrite;  // stored; only RwImageWrite calls it
  RwImageFormat* next;
};

// The module's data in the engine instance (engine plugin kRwImagePluginId).
struct RwImageGlobals {
  RwFreeList* imageFreeList;
  RwChar* searchPath;  // elements separated by ';', each used as a prefix
  RwInt32 searchPathCapacity;
  RwUInt8 gammaTable[256];
  RwReal gammaValue;
  RwChar* pathBuffer;  // scratch buffer for search-path candidates
  RwInt32 pathBufferCapacity;
  RwFreeList* formatFreeList;
  RwImageFormat* formats;
};

RwImage* RwImageCreate(RwInt32 width, RwInt32 height, RwInt32 depth);
RwBool RwImageDestroy(RwImage* image);
RwImage* RwImageAllocatePixels(RwImage* image);
RwImage* RwImageFreePixels(RwImage* image);
RwImage* RwImageResize(RwImage* image, RwInt32 width, RwInt32 height);
// Destination first; both images must have the same size and pixels.
RwImage* RwImageCopy(RwImage* destination, const RwImage* source);
// Alpha := the largest of red, green and blue.
RwImage* RwImageMakeMask(RwImage* image);
// Alpha of every pixel from the mask; palette images become 32-bit first.
RwImage* RwImageApplyMask(RwImage* image, const RwImage* mask);
RwImage* RwImageGammaCorrect(RwImage* image);
RwBool RwImageSetGamma(RwReal gamma);
RwReal RwImageGetGamma(void);
const RwUInt8* RwImageGetGammaTable(void);

const RwChar* RwImageSetPath(const RwChar* path);
const RwChar* RwImageGetPath(void);
RwBool RwImageRegisterImageFormat(const RwChar* extension, RwImageCallBackRead imageRead,
                                  RwImageCallBackWrite imageWrite);
// Reads with the format chosen by the extension, along the search path.
RwImage* RwImageRead(const RwChar* imageName);
// Writes with the format chosen by the extension, to the name as given.
RwImage* RwImageWrite(RwImage* image, const RwChar* imageName);
RwImage* RwImageReadMaskedImage(const RwChar* imageName, const RwChar* maskName);
// The first registered extension (lower or upper form) for which the file
// exists along the search path, or null.
const RwChar* RwImageFindFileType(const RwChar* imageName);
const RwChar* RwImageSearchPathForAll(const RwChar* imageName, RwInt32 extraRoom, RwImageSearchCallBack callBack,
                                      void* data);
RwChar* RwImageGetPathBuffer(RwInt32 size);
