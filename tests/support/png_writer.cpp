// PNG file writer for the image reader tests and fuzz seeds; see png_writer.h.
#include "tests/support/png_writer.h"

#include <csetjmp>

namespace tktest {

namespace {

void AppendBytes(png_structp png, png_bytep data, size_t length) {
  auto* out = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + length);
}

void Flush(png_structp) {}

}  // namespace

int PngChannels(int colourType) {
  switch (colourType) {
    case PNG_COLOR_TYPE_RGB:
      return 3;
    case PNG_COLOR_TYPE_RGB_ALPHA:
      return 4;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
      return 2;
    default:
      return 1;
  }
}

PngDescription PngSequence(int width, int height, int colourType, int bitDepth) {
  PngDescription description;
  description.width = width;
  description.height = height;
  description.colourType = colourType;
  description.bitDepth = bitDepth;
  const unsigned limit = bitDepth == 16 ? 65536u : (1u << bitDepth);
  const int count = width * height * PngChannels(colourType);
  for (int i = 0; i < count; ++i) {
    description.samples.push_back((static_cast<unsigned>(i) * 7919u + 13u) % limit);
  }
  return description;
}

// Encodes description as a PNG file's bytes with libpng.
std::vector<uint8_t> WritePng(const PngDescription& description) {
  std::vector<uint8_t> out;
  out.reserve(4096);
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return {};
  }
  png_set_write_fn(png, &out, AppendBytes, Flush);
  png_set_IHDR(png, info, description.width, description.height, description.bitDepth, description.colourType,
               description.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  if (!description.palette.empty()) {
    png_set_PLTE(png, info, description.palette.data(), static_cast<int>(description.palette.size()));
  }
  if (!description.paletteAlphas.empty()) {
    png_set_tRNS(png, info, description.paletteAlphas.data(), static_cast<int>(description.paletteAlphas.size()),
                 nullptr);
  }
  if (description.greyKey) {
    png_color_16 key = {};
    key.gray = 1;
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  png_write_info(png, info);
  const int channels = PngChannels(description.colourType);
  const size_t rowBytes = (static_cast<size_t>(description.width) * channels * description.bitDepth + 7) / 8;
  std::vector<std::vector<png_byte>> rows(description.height, std::vector<png_byte>(rowBytes, 0));
  for (int y = 0; y < description.height; ++y) {
    for (int s = 0; s < description.width * channels; ++s) {
      const unsigned v = description.samples[static_cast<size_t>(y) * description.width * channels + s];
      png_byte* row = rows[y].data();
      if (description.bitDepth == 16) {
        row[2 * s] = static_cast<png_byte>(v >> 8);
        row[2 * s + 1] = static_cast<png_byte>(v);
      } else if (description.bitDepth == 8) {
        row[s] = static_cast<png_byte>(v);
      } else {
        const int perByte = 8 / description.bitDepth;
        const int shift = 8 - description.bitDepth * (s % perByte + 1);
        row[s / perByte] |= static_cast<png_byte>(v << shift);
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (auto& r : rows) {
    pointers.push_back(r.data());
  }
  png_write_image(png, pointers.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return out;
}

}  // namespace tktest
