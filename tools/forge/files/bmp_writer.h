// Writes Windows bitmap files, for image reader tests and data: palette depths 1, 4
// and 8, 15/16-bit words, 24 and 32-bit colour, 8-bit run-length rows and the
// old 12-byte core header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace forge {

struct BmpDescription {
  int32_t width = 0;
  int32_t height = 0;
  uint16_t bitCount = 24;
  bool coreHeader = false;        // 12-byte header with 16-bit sizes and 3-byte palette entries
  bool rle8 = false;              // compression 1; needs bitCount 8
  int32_t rleStopAfterRows = -1;  // >= 0: end the bitmap after this many rows
  int32_t rlePadStep = -1;        // >= 0: rows encode their padding too, each byte the one before plus this
  uint32_t colorsUsed = 0;        // written as given (info header only)
  // Palette as 0xRRGGBB; written with 1 << bitCount entries, or colorsUsed
  // entries when that is set, missing entries black.
  std::vector<uint32_t> palette;
  // Top row first. Indices for bit counts up to 8, the raw 16-bit word for 15
  // and 16, 0xRRGGBB for 24 and 0xXXRRGGBB for 32.
  std::vector<uint32_t> pixels;
};

// The bytes of a bitmap file; the pixel data directly follows the palette.
std::vector<uint8_t> WriteBmp(const BmpDescription& description);

// One 8-bit row as run-length pairs, literal runs and an end-of-line code.
std::vector<uint8_t> EncodeRle8Row(const std::vector<uint8_t>& row);

bool WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace forge
