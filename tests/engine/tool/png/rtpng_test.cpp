// The PNG reader on files written with libpng: palette, grey and colour
// types at every depth the reader transforms, transparency, interlacing,
// and clean failure on corrupt, truncated or out-of-memory reads.
#include "engine/tool/png/rtpng.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/counting_memory.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"
#include "tests/support/png_writer.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

RwUInt32 Rgba(const RwUInt8* p) {
  return (RwUInt32{p[0]} << 24) | (RwUInt32{p[1]} << 16) | (RwUInt32{p[2]} << 8) | p[3];
}

class PngTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CountingMemoryReset();
    ASSERT_TRUE(FakeImageEngineStart(0, CountingMemoryFunctions()));
    ASSERT_TRUE(RwImageRegisterImageFormat("png", RtPNGImageRead, nullptr));
    TakeError();
    path_ = ScratchPath(std::string("rtpng_test_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() +
                        ".png");
  }
  void TearDown() override {
    std::remove(path_.c_str());
    FakeImageEngineStop();
  }
  RwImage* Read(const std::vector<uint8_t>& bytes) {
    EXPECT_TRUE(forge::WriteFileBytes(path_, bytes));
    return RtPNGImageRead(path_.c_str());
  }
  std::string path_;
};

TEST_F(PngTest, PaletteWithTransparencyKeepsIndicesColoursAndAlphas) {
  tktest::PngDescription description = tktest::PngSequence(5, 3, PNG_COLOR_TYPE_PALETTE, 8);
  for (int i = 0; i < 256; ++i) {
    description.palette.push_back(
        {static_cast<png_byte>(i), static_cast<png_byte>(255 - i), static_cast<png_byte>(i / 2)});
  }
  for (unsigned& s : description.samples) {
    s %= 256;
  }
  description.paletteAlphas = {10, 20, 30};
  RwImage* image = Read(tktest::WritePng(description));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->depth, 8);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 3);
  for (int i = 0; i < 15; ++i) {
    ASSERT_EQ(image->pixels[(i / 5) * image->stride + i % 5], description.samples[i]) << i;
  }
  EXPECT_EQ(Rgba(image->palette + 0), 0x00FF000Au);
  EXPECT_EQ(Rgba(image->palette + 4 * 2), 0x02FD011Eu);
  EXPECT_EQ(Rgba(image->palette + 4 * 3), 0x03FC01FFu);
  EXPECT_EQ(Rgba(image->palette + 4 * 255), 0xFF007FFFu);
  RwImageDestroy(image);
}

TEST_F(PngTest, OneBitPaletteBecomesAFourBitImage) {
  tktest::PngDescription description = tktest::PngSequence(11, 2, PNG_COLOR_TYPE_PALETTE, 1);
  description.palette = {{200, 0, 0}, {0, 0, 200}};
  RwImage* image = Read(tktest::WritePng(description));
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->depth, 4);
  for (int i = 0; i < 22; ++i) {
    ASSERT_EQ(image->pixels[(i / 11) * image->stride + i % 11], description.samples[i]) << i;
  }
  EXPECT_EQ(Rgba(image->palette), 0xC80000FFu);
  EXPECT_EQ(Rgba(image->palette + 4), 0x0000C8FFu);
  EXPECT_EQ(Rgba(image->palette + 4 * 15), 0x0F0F0FFFu) << "entries without a colour keep the ramp";
  RwImageDestroy(image);
}

TEST_F(PngTest, GreyFilesBecomeEightBitImagesWithARampPalette) {
  struct Case {
    int bitDepth;
    bool key;
  };
  for (const Case& c : {Case{8, false}, Case{2, false}, Case{4, true}, Case{16, false}, Case{1, true}}) {
    SCOPED_TRACE(testing::Message() << c.bitDepth << " bits" << (c.key ? " with tRNS" : ""));
    tktest::PngDescription description = tktest::PngSequence(7, 3, PNG_COLOR_TYPE_GRAY, c.bitDepth);
    description.greyKey = c.key;
    RwImage* image = Read(tktest::WritePng(description));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 8);
    for (int i = 0; i < 21; ++i) {
      unsigned expected = description.samples[i];
      if (c.bitDepth == 16) {
        expected >>= 8;
      } else if (c.bitDepth < 8) {
        expected = expected * 255 / ((1u << c.bitDepth) - 1);
      }
      ASSERT_EQ(image->pixels[(i / 7) * image->stride + i % 7], expected) << i;
    }
    EXPECT_EQ(Rgba(image->palette + 4 * 77), 0x4D4D4DFFu);
    RwImageDestroy(image);
  }
}

TEST_F(PngTest, ColourFilesBecome32BitImages) {
  struct Case {
    int colourType;
    int bitDepth;
    bool interlaced;
  };
  const Case cases[] = {{PNG_COLOR_TYPE_RGB_ALPHA, 16, false}, {PNG_COLOR_TYPE_RGB_ALPHA, 8, true},
                        {PNG_COLOR_TYPE_RGB, 8, false},        {PNG_COLOR_TYPE_RGB, 16, true},
                        {PNG_COLOR_TYPE_GRAY_ALPHA, 8, false}, {PNG_COLOR_TYPE_GRAY_ALPHA, 16, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "type " << c.colourType << ", " << c.bitDepth << " bits"
                                    << (c.interlaced ? ", interlaced" : ""));
    tktest::PngDescription description = tktest::PngSequence(9, 5, c.colourType, c.bitDepth);
    description.interlaced = c.interlaced;
    RwImage* image = Read(tktest::WritePng(description));
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->depth, 32);
    EXPECT_EQ(image->palette, nullptr);
    const int channels = tktest::PngChannels(c.colourType);
    for (int p = 0; p < 45; ++p) {
      unsigned s[4];
      for (int k = 0; k < channels; ++k) {
        s[k] = description.samples[p * channels + k] >> (c.bitDepth == 16 ? 8 : 0);
      }
      RwUInt32 expected = 0;
      if (channels == 4) {
        expected = (s[0] << 24) | (s[1] << 16) | (s[2] << 8) | s[3];
      } else if (channels == 3) {
        expected = (s[0] << 24) | (s[1] << 16) | (s[2] << 8) | 0xFF;
      } else {
        expected = (s[0] << 24) | (s[0] << 16) | (s[0] << 8) | s[1];
      }
      ASSERT_EQ(Rgba(image->pixels + (p / 9) * image->stride + 4 * (p % 9)), expected) << p;
    }
    RwImageDestroy(image);
  }
}

TEST_F(PngTest, LibpngMemoryComesFromTheEngine) {
  const std::vector<uint8_t> bytes = tktest::WritePng(tktest::PngSequence(4, 4, PNG_COLOR_TYPE_RGB, 8));
  const int before = CountingMemoryState().mallocs - CountingMemoryState().frees;
  const int mallocsBefore = CountingMemoryState().mallocs;
  RwImage* image = Read(bytes);
  ASSERT_NE(image, nullptr);
  // libpng's structures, the row pointers and the image: more than the image alone.
  EXPECT_GT(CountingMemoryState().mallocs - mallocsBefore, 3);
  RwImageDestroy(image);
  EXPECT_EQ(CountingMemoryState().mallocs - CountingMemoryState().frees, before);
}

TEST_F(PngTest, EveryFailedAllocationFailsCleanly) {
  tktest::PngDescription description = tktest::PngSequence(6, 6, PNG_COLOR_TYPE_PALETTE, 4);
  description.palette.assign(16, png_color{1, 2, 3});
  description.paletteAlphas = {0, 128};
  const std::vector<uint8_t> bytes = tktest::WritePng(description);
  ASSERT_FALSE(bytes.empty());
  ASSERT_TRUE(forge::WriteFileBytes(path_, bytes));
  ExpectFailedImageReadsLeakNothing(RtPNGImageRead, path_, 200);
}

TEST_F(PngTest, CorruptAndTruncatedFilesFail) {
  const std::vector<uint8_t> good = tktest::WritePng(tktest::PngSequence(8, 8, PNG_COLOR_TYPE_RGB_ALPHA, 8));
  for (size_t length = 0; length < good.size(); ++length) {
    SCOPED_TRACE(length);
    RwImage* image = Read(std::vector<uint8_t>(good.begin(), good.begin() + length));
    ASSERT_EQ(image, nullptr);
  }
  struct Case {
    const char* what;
    size_t at;
  };
  // Signature, IHDR width, IHDR CRC, first IDAT data byte.
  for (const Case& c : {Case{"signature", 1}, Case{"width", 17}, Case{"header CRC", 30}, Case{"image data", 43}}) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bytes = good;
    bytes[c.at] ^= 0x5A;
    EXPECT_EQ(Read(bytes), nullptr);
  }
  EXPECT_EQ(RtPNGImageRead((path_ + ".missing.png").c_str()), nullptr);
  TakeError();
  EXPECT_EQ(RtPNGImageRead(nullptr), nullptr);
  const RwErrorRecord e = TakeError();
  EXPECT_EQ(e.errorCode, kRwErrNullArgument);
}

TEST_F(PngTest, ReadsThroughTheFormatRegistry) {
  ASSERT_TRUE(forge::WriteFileBytes(path_, tktest::WritePng(tktest::PngSequence(2, 2, PNG_COLOR_TYPE_GRAY, 8))));
  RwImage* image = RwImageRead(path_.c_str());
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(image->depth, 8);
  RwImageDestroy(image);
}

}  // namespace
