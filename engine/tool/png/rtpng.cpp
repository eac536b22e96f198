// PNG reader on libpng. libpng reports errors by jumping back to the
// setjmp in DecodeImage; everything that the decoder must release after such
// a jump lives in a DecodeState that the caller owns.
#include "engine/tool/png/rtpng.h"

#include <png.h>

#include <csetjmp>
#include <cstring>

#include "engine/src/plcore/engine_instance.h"
#include "engine/src/plcore/error.h"
#include "engine/src/plcore/stream.h"

namespace {

constexpr RwUInt32 kFillerAlpha = 0xFF;
constexpr RwUInt8 kOpaque = 255;
constexpr RwInt32 kPaletteEntryBytes = 4;

struct DecodeState {
  RwImage* image;
  png_bytep* rows;
};

void ReadData(png_structp png, png_bytep data, size_t length) {
  RwStream* stream = static_cast<RwStream*>(png_get_io_ptr(png));
  if (stream == nullptr) {
    png_error(png, "no stream to read from");
  }
  if (length > UINT32_MAX || RwStreamRead(stream, data, static_cast<RwUInt32>(length)) != length) {
    png_error(png, "file truncated");
  }
}

png_voidp Allocate(png_structp /*png*/, png_alloc_size_t size) { return RwMalloc(size); }

void Release(png_structp /*png*/, png_voidp block) { RwFree(block); }

// Chooses the transformations for the colour type; returns the image depth.
RwInt32 SetTransformations(png_structp png, int colourType, int bitDepth) {
  png_set_strip_16(png);
  switch (colourType) {
    case PNG_COLOR_TYPE_GRAY:
      if (bitDepth < 8) {
        // Widens the grey samples only; a full expand would add an alpha
        // channel for a tRNS chunk, which an 8-bit image has no room for.
        png_set_expand_gray_1_2_4_to_8(png);
      }
      return 8;
    case PNG_COLOR_TYPE_RGB:
      png_set_filler(png, kFillerAlpha, PNG_FILLER_AFTER);
      return 32;
    case PNG_COLOR_TYPE_PALETTE:
      if (bitDepth < 8) {
        png_set_packing(png);
        return 4;
      }
      return 8;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      png_set_gray_to_rgb(png);
      return 32;
    default:  // RGB with alpha
      return 32;
  }
}

// Grey ramp, then the file's palette colours and transparency, each kept
// within the image palette's 1 << depth entries.
void FillPalette(png_structp png, png_infop info, RwImage* image) {
  const int entries = 1 << image->depth;
  for (int i = 0; i < entries; ++i) {
    RwUInt8* p = image->palette + kPaletteEntryBytes * i;
    p[0] = p[1] = p[2] = static_cast<RwUInt8>(i);
    p[3] = kOpaque;
  }
  png_colorp colours = nullptr;
  int colourCount = 0;
  if (png_get_valid(png, info, PNG_INFO_PLTE) && png_get_PLTE(png, info, &colours, &colourCount)) {
    for (int i = 0; i < colourCount && i < entries; ++i) {
      RwUInt8* p = image->palette + kPaletteEntryBytes * i;
      p[0] = colours[i].red;
      p[1] = colours[i].green;
      p[2] = colours[i].blue;
    }
  }
  png_bytep alphas = nullptr;
  int alphaCount = 0;
  if (png_get_valid(png, info, PNG_INFO_tRNS) && png_get_tRNS(png, info, &alphas, &alphaCount, nullptr) &&
      alphas != nullptr) {
    for (int i = 0; i < alphaCount && i < entries; ++i) {
      image->palette[kPaletteEntryBytes * i + 3] = alphas[i];
    }
  }
}

// Decodes into state->image; false after a libpng error or a failed
// allocation, with whatever state holds left for the caller to release.
bool DecodeImage(png_structp png, png_infop info, RwStream* stream, DecodeState* state) {
  if (setjmp(png_jmpbuf(png))) {
    return false;
  }
  png_set_read_fn(png, stream, ReadData);
  png_read_info(png, info);
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int bitDepth = 0;
  int colourType = 0;
  int interlace = 0;
  png_get_IHDR(png, info, &width, &height, &bitDepth, &colourType, &interlace, nullptr, nullptr);
  const RwInt32 depth = SetTransformations(png, colourType, bitDepth);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);

  state->image = RwImageCreate(static_cast<RwInt32>(width), static_cast<RwInt32>(height), depth);
  if (state->image == nullptr || RwImageAllocatePixels(state->image) == nullptr) {
    return false;
  }
  RwImage* image = state->image;
  if (png_get_rowbytes(png, info) > static_cast<size_t>(image->stride)) {
    png_error(png, "row does not fit the image");
  }
  state->rows = static_cast<png_bytep*>(RwMalloc(sizeof(png_bytep) * height));
  if (state->rows == nullptr) {
    return false;
  }
  for (png_uint_32 y = 0; y < height; ++y) {
    state->rows[y] = image->pixels + static_cast<size_t>(y) * image->stride;
  }
  if (image->palette != nullptr) {
    FillPalette(png, info, image);
  }
  png_read_image(png, state->rows);
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

RwImage* RtPNGImageRead(const RwChar* imageName) {
  if (imageName == nullptr) {
    RwErrorRaise(kRtPNGPluginId, kRwErrNullArgument);
    return nullptr;
  }
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, imageName);
  if (stream == nullptr) {
    return nullptr;
  }
  png_structp png =
      png_create_read_struct_2(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr, nullptr, Allocate, Release);
  png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    if (png != nullptr) {
      png_destroy_read_struct(&png, nullptr, nullptr);
    }
    RwStreamClose(stream, nullptr);
    return nullptr;
  }
  DecodeState state = {nullptr, nullptr};
  const bool ok = DecodeImage(png, info, stream, &state);
  png_destroy_read_struct(&png, &info, nullptr);
  if (state.rows != nullptr) {
    RwFree(state.rows);
  }
  RwStreamClose(stream, nullptr);
  if (!ok && state.image != nullptr) {
    RwImageDestroy(state.image);
    return nullptr;
  }
  return ok ? state.image : nullptr;
}
