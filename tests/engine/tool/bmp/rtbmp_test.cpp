// The bitmap reader: every bit count and header it reads, run-length rows,
// and clean refusal of corrupt or truncated files.
#include "engine/tool/bmp/rtbmp.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/counting_memory.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

using forge::BmpDescription;
using forge::WriteBmp;

RwUInt32 Rgba(const RwUInt8* p) {
  return (RwUInt32{p[0]} << 24) | (RwUInt32{p[1]} << 16) | (RwUInt32{p[2]} << 8) | p[3];
}

class BmpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CountingMemoryReset();
    ASSERT_TRUE(FakeImageEngineStart(0, CountingMemoryFunctions()));
    ASSERT_TRUE(RwImageRegisterImageFormat("bmp", RtBMPImageRead, nullptr));
    TakeError();
    path_ = ScratchPath(std::string("rtbmp_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    std::remove(path_.c_str());
    std::remove((path_ + "_mask.bmp").c_str());
    FakeImageEngineStop();
  }
  RwImage* Read(const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(forge::WriteFileBytes(path_, bytes));
    return RtBMPImageRead(path_.c_str());
  }
  // Reads a file that must be refused, expecting the given error code (0: any or none).
  void ExpectRefused(const std::vector<uint8_t>& bytes, RwInt32 code) {
    RwImage* image = Read(bytes);
    EXPECT_EQ(image, nullptr);
    if (image != nullptr) {
      RwImageDestroy(image);
    }
    const RwErrorRecord e = TakeError();
    if (code != 0) {
      EXPECT_EQ(e.errorCode, code);
    }
  }
  std::string path_;
};

// A description with every pixel set: index (x + 3y) masked to the bit count, or a
// colour derived from the position.
BmpDescription Pattern(uint16_t bitCount, int width, int height) {
  BmpDescription description;
  description.width = width;
  description.height = height;
  description.bitCount = bitCount;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint32_t v = static_cast<uint32_t>(x + 3 * y);
      if (bitCount <= 8) {
        v &= (1u << bitCount) - 1;
      } else if (bitCount <= 16) {
        v = (v * 0x1357u) & 0xFFFF;
      } else {
        v = (v * 0x10305u) & 0xFFFFFF;
      }
      description.pixels.push_back(v);
    }
  }
  if (bitCount <= 8) {
    for (uint32_t i = 0; i < (1u << bitCount); ++i) {
      description.palette.push_back(0x010203u * i + 0x100000u);
    }
  }
  return description;
}

TEST_F(BmpTest, PaletteBitCountsBecomeIndexImages) {
  struct Case {
    uint16_t bitCount;
    int width;
    bool coreHeader;
    int depth;
  };
  const Case cases[] = {{1, 11, false, 4}, {1, 9, true, 4},  {4, 5, false, 4},
                        {4, 3, true, 4},   {8, 3, false, 8}, {8, 6, true, 8}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bitCount << " bits, width " << c.width << (c.coreHeader ? ", core" : ""));
    BmpDescription description = Pattern(c.bitCount, c.width, 4);
    description.coreHeader = c.coreHeader;
    RwImage* image = Read(WriteBmp(description));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->width, c.width);
    EXPECT_EQ(image->height, 4);
    EXPECT_EQ(image->depth, c.depth);
    for (int y = 0; y < 4; ++y) {
      for (int x = 0; x < c.width; ++x) {
        ASSERT_EQ(image->pixels[y * image->stride + x], description.pixels[y * c.width + x]) << x << "," << y;
      }
    }
    for (uint32_t i = 0; i < description.palette.size(); ++i) {
      ASSERT_EQ(Rgba(image->palette + 4 * i), (description.palette[i] << 8) | 0xFF) << i;
    }
    // Entries the file does not fill are cleared.
    for (int i = static_cast<int>(description.palette.size()); i < (1 << c.depth); ++i) {
      ASSERT_EQ(Rgba(image->palette + 4 * i), 0u) << i;
    }
    RwImageDestroy(image);
  }
}

TEST_F(BmpTest, ColoursUsedShortensThePalette) {
  BmpDescription description = Pattern(8, 4, 2);
  description.colorsUsed = 12;
  for (uint32_t& p : description.pixels) {
    p %= 12;
  }
  RwImage* image = Read(WriteBmp(description));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Rgba(image->palette + 4 * 11), (description.palette[11] << 8) | 0xFF);
  EXPECT_EQ(Rgba(image->palette + 4 * 12), 0u);
  EXPECT_EQ(image->pixels[image->stride + 3], description.pixels[4 + 3]);
  RwImageDestroy(image);
}

TEST_F(BmpTest, DirectColourBitCountsBecome32BitImages) {
  struct Case {
    uint16_t bitCount;
    int width;
  };
  for (const Case& c : {Case{15, 5}, Case{16, 3}, Case{24, 3}, Case{24, 5}, Case{32, 2}}) {
    SCOPED_TRACE(c.bitCount);
    const BmpDescription description = Pattern(c.bitCount, c.width, 3);
    RwImage* image = Read(WriteBmp(description));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 32);
    for (int y = 0; y < 3; ++y) {
      for (int x = 0; x < c.width; ++x) {
        const uint32_t v = description.pixels[y * c.width + x];
        uint32_t expected = 0;
        if (c.bitCount == 15) {
          expected = (((v >> 7) & 0xF8) << 24) | (((v >> 2) & 0xF8) << 16) | (((v << 3) & 0xF8) << 8);
        } else if (c.bitCount == 16) {
          expected = (((v >> 8) & 0xF8) << 24) | (((v >> 3) & 0xFC) << 16) | (((v << 3) & 0xF8) << 8);
        } else {
          expected = (v & 0xFFFFFF) << 8;
        }
        ASSERT_EQ(Rgba(image->pixels + y * image->stride + 4 * x), expected | 0xFF) << x << "," << y;
      }
    }
    RwImageDestroy(image);
  }
}

TEST_F(BmpTest, Rle8RowsWithRunsLiteralsAndEarlyEnd) {
  BmpDescription description;
  description.width = 9;
  description.height = 3;
  description.bitCount = 8;
  description.rle8 = true;
  // Top row: a run then an odd literal; middle: literals; bottom: one run.
  description.pixels = {7, 7, 7, 7, 1, 2, 3, 9, 9, 1, 2, 3, 4, 5, 6, 7, 8, 9, 5, 5, 5, 5, 5, 5, 5, 5, 5};
  description.palette = {0x000000, 0xFF0000};
  RwImage* image = Read(WriteBmp(description));
  ASSERT_NE(image, nullptr);
  for (int i = 0; i < 27; ++i) {
    ASSERT_EQ(image->pixels[(i / 9) * image->stride + i % 9], description.pixels[i]) << i;
  }
  EXPECT_EQ(Rgba(image->palette + 4), 0xFF0000FFu);
  RwImageDestroy(image);

  // End of bitmap after the first (bottom) row: that row lands, the rest stay 0.
  description.rleStopAfterRows = 1;
  image = Read(WriteBmp(description));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels[2 * image->stride + 4], 5);
  EXPECT_EQ(image->pixels[0 * image->stride + 0], 0);
  EXPECT_EQ(image->pixels[1 * image->stride + 8], 0);
  RwImageDestroy(image);
}

TEST_F(BmpTest, Rle8RunsMayCoverTheRowPadding) {
  // Rows count up: padding repeating the last index ends them with a run, padding counting on makes one literal.
  for (int step = 0; step <= 1; ++step) {
    for (int width = 1; width <= 8; ++width) {
      SCOPED_TRACE(testing::Message() << (step == 0 ? "run" : "literal") << ", width " << width);
      BmpDescription description = Pattern(8, width, 2);
      description.rle8 = true;
      description.rlePadStep = step;
      RwImage* image = Read(WriteBmp(description));
      ASSERT_NE(image, nullptr);
      for (int i = 0; i < 2 * width; ++i) {
        EXPECT_EQ(image->pixels[(i / width) * image->stride + i % width], description.pixels[i]) << i;
      }
      RwImageDestroy(image);
    }
  }
}

TEST_F(BmpTest, EveryVariantReadsThroughTheFormatRegistry) {
  BmpDescription description = Pattern(24, 2, 2);
  ASSERT_TRUE(forge::WriteFileBytes(path_ + ".BMP", WriteBmp(description)));
  RwImage* image = RwImageRead((path_ + ".BMP").c_str());
  std::remove((path_ + ".BMP").c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->depth, 32);
  RwImageDestroy(image);
}

TEST_F(BmpTest, MaskedReadTakesTheMasksBrightnessAsAlpha) {
  BmpDescription picture = Pattern(8, 2, 1);
  BmpDescription mask = Pattern(8, 2, 1);
  mask.pixels = {0, 1};
  mask.palette = {0x000000, 0x203010};
  ASSERT_TRUE(forge::WriteFileBytes(path_ + ".bmp", WriteBmp(picture)));
  ASSERT_TRUE(forge::WriteFileBytes(path_ + "_mask.bmp", WriteBmp(mask)));
  RwImage* image = RwImageReadMaskedImage((path_ + ".bmp").c_str(), (path_ + "_mask.bmp").c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->depth, 32);
  EXPECT_EQ(Rgba(image->pixels), (picture.palette[0] << 8) | 0x00);
  EXPECT_EQ(Rgba(image->pixels + 4), (picture.palette[1] << 8) | 0x30);
  RwImageDestroy(image);
  // A missing mask fails the whole read.
  EXPECT_EQ(RwImageReadMaskedImage((path_ + ".bmp").c_str(), (path_ + "_none.bmp").c_str()), nullptr);
  std::remove((path_ + ".bmp").c_str());
}

void Put32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    bytes[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
}

TEST_F(BmpTest, CorruptHeadersAreRefused) {
  const std::vector<uint8_t> good = WriteBmp(Pattern(8, 4, 4));
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool word;
    RwInt32 code;
  };
  const Case cases[] = {
      {"magic", 0, 0x4D43, false, 0},
      {"header size 3", 14, 3, true, kRwErrImageFormatUnsupported},
      {"header size 0", 14, 0, true, kRwErrImageFormatUnsupported},
      {"header size 13", 14, 13, true, kRwErrImageFormatUnsupported},
      {"header larger than the buffer", 14, 2000, true, kRwErrImageFormatUnsupported},
      {"palette file with a 108-byte header", 14, 108, true, kRwErrImageFormatUnsupported},
      {"bit count 2", 28, 2, false, kRwErrImageDepthUnsupported},
      {"bit count 0", 28, 0, false, kRwErrImageDepthUnsupported},
      {"4-bit run-length", 30, 2, true, kRwErrImageFormatUnsupported},
      {"bit fields", 30, 3, true, kRwErrImageFormatUnsupported},
      {"negative height", 22, static_cast<uint32_t>(-4), true, kRwErrImageFormatUnsupported},
      {"zero width", 18, 0, true, kRwErrImageFormatUnsupported},
      {"negative width", 18, 0x80000000u, true, kRwErrImageFormatUnsupported},
      {"pixel data inside the palette", 10, 20, true, kRwErrImageFormatUnsupported},
      {"pixel data past the end", 10, 0x7FFFFFF0, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    if (c.word) {
      Put32(bytes, c.at, c.value);
    } else {
      bytes[c.at] = static_cast<uint8_t>(c.value);
      bytes[c.at + 1] = static_cast<uint8_t>(c.value >> 8);
    }
    ExpectRefused(bytes, c.code);
  }
  // A 16-bit file with a short run-length header is refused, as run-length data is 8-bit only.
  BmpDescription wide = Pattern(16, 4, 2);
  std::vector<uint8_t> bytes = WriteBmp(wide);
  Put32(bytes, 30, 1);
  ExpectRefused(bytes, kRwErrImageFormatUnsupported);
}

TEST_F(BmpTest, PixelDataAfterAGapIsFoundThroughItsOffset) {
  const BmpDescription description = Pattern(24, 2, 2);
  std::vector<uint8_t> bytes = WriteBmp(description);
  const size_t offset = 14 + 40;
  bytes.insert(bytes.begin() + offset, 6, 0xEE);
  Put32(bytes, 10, offset + 6);
  RwImage* image = Read(bytes);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(Rgba(image->pixels + image->stride + 4), (description.pixels[3] << 8) | 0xFF);
  RwImageDestroy(image);
}

TEST_F(BmpTest, HugeDimensionsFailWithoutOverrunning) {
  std::vector<uint8_t> bytes = WriteBmp(Pattern(32, 1, 1));
  Put32(bytes, 18, 0x7FFFFFFF);
  Put32(bytes, 22, 0x7FFFFFFF);
  ExpectRefused(bytes, 0);
  bytes = WriteBmp(Pattern(24, 1, 1));
  Put32(bytes, 18, 0x40000000);
  Put32(bytes, 22, 1);
  ExpectRefused(bytes, 0);
}

TEST_F(BmpTest, RunLengthDataOutsideTheRowIsRefused) {
  BmpDescription description = Pattern(8, 4, 2);
  description.rle8 = true;
  const std::vector<uint8_t> good = WriteBmp(description);
  const size_t data = good.size() - (good.size() - (14 + 40 + 1024));
  struct Case {
    const char* what;
    std::vector<uint8_t> rows;
  };
  const Case cases[] = {
      {"run past the row", {5, 1, 0, 0}},
      {"run after a full row", {4, 1, 1, 2, 0, 0}},
      {"literal past the row", {0, 5, 1, 2, 3, 4, 5, 0}},
      {"delta", {0, 2, 1, 1}},
      {"missing end of line", {4, 1}},
      {"truncated literal", {0, 3, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes(good.begin(), good.begin() + data);
    bytes.insert(bytes.end(), c.rows.begin(), c.rows.end());
    ExpectRefused(bytes, 0);
  }
  // A row that ends early is padded with index 0.
  std::vector<uint8_t> bytes(good.begin(), good.begin() + data);
  for (uint8_t b : {2, 9, 0, 0, 1, 3, 0, 1}) {
    bytes.push_back(b);
  }
  RwImage* image = Read(bytes);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->pixels[image->stride + 1], 9);
  EXPECT_EQ(image->pixels[image->stride + 2], 0);
  EXPECT_EQ(image->pixels[0], 3);
  RwImageDestroy(image);
}

TEST_F(BmpTest, EveryTruncationFails) {
  BmpDescription rle = Pattern(8, 5, 3);
  rle.rle8 = true;
  BmpDescription core = Pattern(4, 3, 2);
  core.coreHeader = true;
  for (const BmpDescription& description : {Pattern(24, 3, 2), Pattern(1, 9, 2), rle, core}) {
    const std::vector<uint8_t> full = WriteBmp(description);
    // The end-of-bitmap code after the last row is never needed, so it may be missing.
    const size_t needed = full.size() - (description.rle8 ? 2 : 0);
    for (size_t length = 0; length < needed; ++length) {
      SCOPED_TRACE(testing::Message() << description.bitCount << " bits cut at " << length);
      ExpectRefused(std::vector<uint8_t>(full.begin(), full.begin() + length), 0);
    }
  }
}

TEST_F(BmpTest, EveryFailedAllocationFailsCleanly) {
  BmpDescription description = Pattern(8, 40, 40);
  description.rle8 = true;
  ASSERT_TRUE(forge::WriteFileBytes(path_, WriteBmp(description)));
  ExpectFailedImageReadsLeakNothing(RtBMPImageRead, path_, 20);
}

TEST_F(BmpTest, MissingFileFails) {
  EXPECT_EQ(RtBMPImageRead((path_ + "_missing.bmp").c_str()), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrFileOpen);
}

}  // namespace
