// Writes PNG files with libpng for the image reader tests and fuzz seeds:
// every colour type and bit depth, palettes with transparency, grey keys and
// interlacing, with correct checksums.
#pragma once

#include <png.h>

#include <cstdint>
#include <vector>

namespace tktest {

struct PngDescription {
  int width = 0;
  int height = 0;
  int colourType = PNG_COLOR_TYPE_RGB;
  int bitDepth = 8;
  bool interlaced = false;
  std::vector<png_color> palette;
  std::vector<png_byte> paletteAlphas;
  bool greyKey = false;  // a tRNS chunk on a grey file (key value 1)
  // Samples top row first, one value a sample (16-bit samples as values up to 65535).
  std::vector<unsigned> samples;
};

// Samples per pixel of a colour type.
int PngChannels(int colourType);

// A description whose samples run through a fixed sequence within the depth.
PngDescription PngSequence(int width, int height, int colourType, int bitDepth);

// The bytes of the PNG file; empty when libpng refuses the description.
std::vector<uint8_t> WritePng(const PngDescription& description);

}  // namespace tktest
