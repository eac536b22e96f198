// Seeds of the image fuzz targets: bitmap and PNG files of every kind their
// readers take (PNG with correct checksums, written by libpng), and the file
// sets of texture reads and image reads along a search path.
#include <algorithm>
#include <string>
#include <vector>

#include "tests/fuzz/fuzz_records.h"
#include "tests/fuzz/seeds/demo_seeds.h"
#include "tests/fuzz/seeds/seed_corpus.h"
#include "tests/support/png_writer.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

using forge::BmpDescription;
using tktest::PngDescription;

// Pixels that run through the values a depth holds.
std::vector<uint32_t> Pattern(int count, uint32_t modulus, uint32_t step) {
  std::vector<uint32_t> pixels;
  for (int i = 0; i < count; ++i) {
    pixels.push_back((static_cast<uint32_t>(i) * step + 1) % modulus);
  }
  return pixels;
}

std::vector<uint8_t> Bitmap(uint16_t bitCount, int width, int height) {
  BmpDescription description;
  description.width = width;
  description.height = height;
  description.bitCount = bitCount;
  const int count = width * height;
  if (bitCount <= 8) {
    description.palette = Pattern(1 << bitCount, 0x1000000, 0x050A0F);
    description.pixels = Pattern(count, 1u << bitCount, 3);
  } else if (bitCount <= 16) {
    description.pixels = Pattern(count, 0x10000, 0x0421);
  } else {
    description.pixels = Pattern(count, 0xFFFFFFFFu, 0x01030507);
  }
  return forge::WriteBmp(description);
}

// A bitmap of one colour (0xRRGGBB).
std::vector<uint8_t> PlainBitmap(int width, int height, uint32_t colour) {
  BmpDescription description;
  description.width = width;
  description.height = height;
  description.pixels.assign(static_cast<size_t>(width) * height, colour);
  return forge::WriteBmp(description);
}

std::vector<uint8_t> PaletteBitmap(int width, int height, uint32_t firstColour) {
  BmpDescription description;
  description.width = width;
  description.height = height;
  description.bitCount = 8;
  description.palette = {firstColour, 0x00FF00, 0x0000FF, 0x808080};
  description.pixels = Pattern(width * height, 4, 1);
  return forge::WriteBmp(description);
}

std::vector<uint8_t> Png(int colourType, int bitDepth, int width, int height) {
  PngDescription description = tktest::PngSequence(width, height, colourType, bitDepth);
  if (colourType == PNG_COLOR_TYPE_PALETTE) {
    for (int i = 0; i < (1 << bitDepth); ++i) {
      description.palette.push_back({static_cast<png_byte>(i * 50), static_cast<png_byte>(255 - i * 20), 128});
    }
    description.paletteAlphas = {0, 128, 255};
    description.paletteAlphas.resize(std::min(description.paletteAlphas.size(), description.palette.size()));
  }
  return tktest::WritePng(description);
}

}  // namespace

TK_FUZZ_SEEDS(engine_bmp_fuzz) {
  AddDemoSeeds(seeds, {"textures/alert.bmp", "textures/alert_mask.bmp"});
  for (uint16_t bits : {1, 4, 8, 15, 16, 24, 32}) {
    seeds.Add("depth" + std::to_string(bits) + ".bmp", Bitmap(bits, 5, 3));
  }
  BmpDescription rle;
  rle.width = 6;
  rle.height = 4;
  rle.bitCount = 8;
  rle.rle8 = true;
  rle.palette = {0xFF0000, 0x00FF00, 0x0000FF};
  rle.pixels = {0, 0, 0, 1, 2, 1, 2, 2, 2, 2, 0, 1, 1, 1, 0, 0, 2, 2, 0, 1, 2, 0, 1, 2};
  seeds.Add("rle8.bmp", forge::WriteBmp(rle));
  rle.rleStopAfterRows = 2;
  seeds.Add("rle8_ended_early.bmp", forge::WriteBmp(rle));
  BmpDescription core;
  core.width = 3;
  core.height = 2;
  core.bitCount = 8;
  core.coreHeader = true;
  core.palette = {0x102030, 0x405060};
  core.pixels = {0, 1, 0, 1, 0, 1};
  seeds.Add("core_header.bmp", forge::WriteBmp(core));
}

TK_FUZZ_SEEDS(engine_png_fuzz) {
  struct Kind {
    const char* name;
    int colourType;
    int bitDepth;
  };
  const Kind kinds[] = {{"rgb8", PNG_COLOR_TYPE_RGB, 8},         {"rgb16", PNG_COLOR_TYPE_RGB, 16},
                        {"rgba8", PNG_COLOR_TYPE_RGB_ALPHA, 8},  {"rgba16", PNG_COLOR_TYPE_RGB_ALPHA, 16},
                        {"grey1", PNG_COLOR_TYPE_GRAY, 1},       {"grey2", PNG_COLOR_TYPE_GRAY, 2},
                        {"grey4", PNG_COLOR_TYPE_GRAY, 4},       {"grey8", PNG_COLOR_TYPE_GRAY, 8},
                        {"grey16", PNG_COLOR_TYPE_GRAY, 16},     {"grey_alpha8", PNG_COLOR_TYPE_GRAY_ALPHA, 8},
                        {"palette1", PNG_COLOR_TYPE_PALETTE, 1}, {"palette4", PNG_COLOR_TYPE_PALETTE, 4},
                        {"palette8", PNG_COLOR_TYPE_PALETTE, 8}};
  for (const Kind& kind : kinds) {
    seeds.Add(std::string(kind.name) + ".png", Png(kind.colourType, kind.bitDepth, 7, 5));
  }
  PngDescription interlaced = tktest::PngSequence(9, 9, PNG_COLOR_TYPE_RGB, 8);
  interlaced.interlaced = true;
  seeds.Add("interlaced.png", tktest::WritePng(interlaced));
  PngDescription keyed = tktest::PngSequence(4, 4, PNG_COLOR_TYPE_GRAY, 8);
  keyed.greyKey = true;
  seeds.Add("grey_key.png", tktest::WritePng(keyed));
}

// Records: flags (bit 0 mip levels, bit 1 generated levels), name, mask, files.
TK_FUZZ_SEEDS(engine_texture_read_fuzz) {
  seeds.Add("plain.bin",
            fuzzrecords::Writer(0).Text("brick").Text("").File("brick.bmp", PlainBitmap(8, 8, 0x804020)).bytes());
  seeds.Add("masked.bin", fuzzrecords::Writer(0)
                              .Text("brick")
                              .Text("bmask")
                              .File("brick.bmp", PlainBitmap(8, 4, 0x804020))
                              .File("bmask.png", Png(PNG_COLOR_TYPE_GRAY, 8, 8, 4))
                              .bytes());
  seeds.Add("palette.bin",
            fuzzrecords::Writer(0).Text("pal").Text("").File("pal.bmp", PaletteBitmap(4, 4, 0xFF0000)).bytes());
  seeds.Add("palette_png.bin",
            fuzzrecords::Writer(0).Text("pal").Text("").File("pal.PNG", Png(PNG_COLOR_TYPE_PALETTE, 4, 8, 8)).bytes());
  // Mip levels from files: palette images with a palette each, to be shared.
  fuzzrecords::Writer levels(1);
  levels.Text("pal").Text("pmask").File("pal.bmp", PaletteBitmap(8, 8, 0xFF0000));
  levels.File("pmask.bmp", PlainBitmap(8, 8, 0xFFFFFF));
  const char* suffixes[] = {"m1", "m2", "m3"};
  int size = 4;
  for (const char* suffix : suffixes) {
    levels.File(std::string("pal") + suffix + ".bmp", PaletteBitmap(size, size, 0x00FFFF >> size));
    levels.File(std::string("pmask") + suffix + ".bmp", PlainBitmap(size, size, 0x808080));
    size /= 2;
  }
  seeds.Add("mip_files.bin", levels.bytes());
  seeds.Add(
      "mip_generated.bin",
      fuzzrecords::Writer(3).Text("sky").Text("").File("sky.png", Png(PNG_COLOR_TYPE_RGB_ALPHA, 8, 16, 8)).bytes());
}

// Records: flags (unused), search path, image name, mask name, files.
TK_FUZZ_SEEDS(engine_image_path_fuzz) {
  seeds.Add("second_folder.bin", fuzzrecords::Writer(0)
                                     .Text("textures\\;maps/;")
                                     .Text("wall.bmp")
                                     .Text("")
                                     .File("maps/wall.bmp", PlainBitmap(4, 4, 0x336699))
                                     .bytes());
  seeds.Add("found_type.bin", fuzzrecords::Writer(0)
                                  .Text("textures\\")
                                  .Text("sky")
                                  .Text("skymask.bmp")
                                  .File("textures\\sky.PNG", Png(PNG_COLOR_TYPE_RGB, 8, 6, 6))
                                  .File("textures\\skymask.bmp", Bitmap(8, 6, 6))
                                  .bytes());
  seeds.Add("masked.bin", fuzzrecords::Writer(0)
                              .Text("a/;b/")
                              .Text("door.png")
                              .Text("doormask.png")
                              .File("b/door.png", Png(PNG_COLOR_TYPE_PALETTE, 8, 5, 5))
                              .File("a/doormask.png", Png(PNG_COLOR_TYPE_GRAY, 4, 5, 5))
                              .bytes());
  seeds.Add("absolute.bin", fuzzrecords::Writer(0)
                                .Text("unused/")
                                .Text("C:\\art\\logo.bmp")
                                .Text("")
                                .File("C:\\art\\logo.bmp", Bitmap(24, 3, 3))
                                .bytes());
}
