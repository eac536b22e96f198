// Images: pixel blocks, resizing, copies between depths, masks, gamma, the
// search path and reading through the registered formats.
#include "engine/src/image.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/counting_memory.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

// A 4-byte palette entry or 32-bit pixel as 0xRRGGBBAA.
RwUInt32 Rgba(const RwUInt8* p) {
  return (RwUInt32{p[0]} << 24) | (RwUInt32{p[1]} << 16) | (RwUInt32{p[2]} << 8) | p[3];
}

void SetRgba(RwUInt8* p, RwUInt32 v) {
  p[0] = static_cast<RwUInt8>(v >> 24);
  p[1] = static_cast<RwUInt8>(v >> 16);
  p[2] = static_cast<RwUInt8>(v >> 8);
  p[3] = static_cast<RwUInt8>(v);
}

RwUInt8* Pixel(RwImage* image, int x, int y) {
  return image->pixels + y * image->stride + x * (image->depth == 32 ? 4 : 1);
}

class ImageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FakeImageEngineStart(0));
    TakeError();
  }
  void TearDown() override {
    for (RwImage* image : images_) {
      RwImageDestroy(image);
    }
    FakeImageEngineStop();
  }
  RwImage* Make(int width, int height, int depth) {
    RwImage* image = RwImageCreate(width, height, depth);
    EXPECT_NE(image, nullptr);
    EXPECT_NE(RwImageAllocatePixels(image), nullptr);
    images_.push_back(image);
    return image;
  }
  std::vector<RwImage*> images_;
};

TEST_F(ImageTest, AllocationSetsStrideAndPaletteInOneBlock) {
  struct Case {
    int width, depth, stride;
    bool palette;
  };
  for (const Case& c : {Case{5, 4, 8, true}, Case{5, 8, 8, true}, Case{4, 8, 4, true}, Case{3, 32, 12, false}}) {
    SCOPED_TRACE(c.depth);
    RwImage* image = RwImageCreate(c.width, 7, c.depth);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels, nullptr);
    EXPECT_EQ(image->flags, 0);
    ASSERT_NE(RwImageAllocatePixels(image), nullptr);
    EXPECT_EQ(image->stride, c.stride);
    EXPECT_EQ(image->flags & kRwImageAllocated, kRwImageAllocated);
    if (c.palette) {
      EXPECT_EQ(image->palette, image->pixels + c.stride * 7);
      image->palette[(4 << c.depth) - 1] = 1;  // the last palette byte lies in the block
    } else {
      EXPECT_EQ(image->palette, nullptr);
    }
    RwImageFreePixels(image);
    EXPECT_EQ(image->pixels, nullptr);
    EXPECT_EQ(image->flags & kRwImageAllocated, 0);
    RwImageDestroy(image);
  }
}

TEST_F(ImageTest, AllocationRefusesSizesBeyondThirtyTwoBits) {
  RwImage* image = RwImageCreate(0x10000, 0x10000, 32);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(RwImageAllocatePixels(image), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrOutOfMemory);
  RwImageDestroy(image);
}

TEST(ImageMemoryTest, AllocatingPixelsAgainReleasesOnlyAnOwnedBlock) {
  CountingMemoryReset();
  ASSERT_TRUE(FakeImageEngineStart(0, CountingMemoryFunctions()));
  RwImage* image = RwImageCreate(4, 4, 8);
  ASSERT_NE(image, nullptr);
  ASSERT_NE(RwImageAllocatePixels(image), nullptr);
  const int live = CountingMemoryLiveBlocks();
  ASSERT_NE(RwImageAllocatePixels(image), nullptr);
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
  EXPECT_EQ(image->palette, image->pixels + 4 * 4);
  // Pixels the image does not own are left to their owner.
  RwImageFreePixels(image);
  RwUInt8 foreign[64] = {};
  image->pixels = foreign;
  ASSERT_NE(RwImageAllocatePixels(image), nullptr);
  EXPECT_NE(image->pixels, foreign);
  EXPECT_EQ(CountingMemoryLiveBlocks(), live);
  RwImageDestroy(image);
  FakeImageEngineStop();
}

TEST_F(ImageTest, ResizeKeepsTheOverlapAndThePalette) {
  RwImage* image = Make(3, 3, 8);
  for (int y = 0; y < 3; ++y) {
    for (int x = 0; x < 3; ++x) {
      *Pixel(image, x, y) = static_cast<RwUInt8>(10 * y + x);
    }
  }
  SetRgba(image->palette + 4 * 9, 0x11223344);
  ASSERT_EQ(RwImageResize(image, 5, 2), image);
  EXPECT_EQ(image->width, 5);
  EXPECT_EQ(image->height, 2);
  EXPECT_EQ(image->stride, 8);
  EXPECT_EQ(image->palette, image->pixels + 16);
  EXPECT_EQ(*Pixel(image, 2, 1), 12);
  EXPECT_EQ(*Pixel(image, 0, 0), 0);
  EXPECT_EQ(Rgba(image->palette + 4 * 9), 0x11223344u);

  RwImage* bare = RwImageCreate(4, 4, 32);
  RwImageResize(bare, 8, 9);
  EXPECT_EQ(bare->width, 8);
  EXPECT_EQ(bare->height, 9);
  EXPECT_EQ(bare->pixels, nullptr);
  RwImageDestroy(bare);
}

TEST_F(ImageTest, CopyBetweenDepths) {
  RwImage* source = Make(2, 2, 8);
  for (int i = 0; i < 256; ++i) {
    SetRgba(source->palette + 4 * i, 0x01020300u * i + 0xFF);
  }
  *Pixel(source, 0, 0) = 1;
  *Pixel(source, 1, 0) = 2;
  *Pixel(source, 0, 1) = 200;
  *Pixel(source, 1, 1) = 255;
  source->flags |= kRwImageGammaCorrected;

  RwImage* same = Make(2, 2, 8);
  ASSERT_EQ(RwImageCopy(same, source), same);
  EXPECT_EQ(*Pixel(same, 0, 1), 200);
  EXPECT_EQ(Rgba(same->palette + 4 * 200), Rgba(source->palette + 4 * 200));
  EXPECT_TRUE(same->flags & kRwImageGammaCorrected);

  RwImage* wide = Make(2, 2, 32);
  ASSERT_EQ(RwImageCopy(wide, source), wide);
  EXPECT_EQ(Rgba(Pixel(wide, 1, 0)), 0x02040600u + 0xFF);
  EXPECT_EQ(Rgba(Pixel(wide, 1, 1)), 0x01020300u * 255 + 0xFF);

  RwImage* four = Make(2, 2, 4);
  *Pixel(four, 1, 1) = 15;
  RwImage* eight = Make(2, 2, 8);
  ASSERT_EQ(RwImageCopy(eight, four), eight);
  EXPECT_EQ(*Pixel(eight, 1, 1), 15);

  RwImage* narrow = Make(2, 2, 8);
  EXPECT_EQ(RwImageCopy(narrow, wide), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageFormatUnsupported);
  RwImage* other = Make(3, 2, 8);
  EXPECT_EQ(RwImageCopy(other, source), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageSizeMismatch);
}

TEST_F(ImageTest, MakeMaskTakesTheLargestChannel) {
  RwImage* image = Make(2, 1, 32);
  SetRgba(Pixel(image, 0, 0), 0x10803000);
  SetRgba(Pixel(image, 1, 0), 0x000000FF);
  RwImageMakeMask(image);
  EXPECT_EQ(Rgba(Pixel(image, 0, 0)), 0x10803080u);
  EXPECT_EQ(Rgba(Pixel(image, 1, 0)), 0x00000000u);

  RwImage* paletted = Make(1, 1, 4);
  SetRgba(paletted->palette + 4 * 15, 0x0000C000);
  RwImageMakeMask(paletted);
  EXPECT_EQ(Rgba(paletted->palette + 4 * 15), 0x0000C0C0u);
}

TEST_F(ImageTest, ApplyingA32BitMaskToAPaletteImageExpandsIt) {
  RwImage* image = Make(2, 1, 8);
  SetRgba(image->palette + 4 * 3, 0xAABBCCFF);
  SetRgba(image->palette + 4 * 4, 0x112233FF);
  *Pixel(image, 0, 0) = 3;
  *Pixel(image, 1, 0) = 4;
  image->flags |= kRwImageGammaCorrected;
  RwImage* mask = Make(2, 1, 32);
  SetRgba(Pixel(mask, 0, 0), 0x00000010);
  SetRgba(Pixel(mask, 1, 0), 0xFFFFFF20);
  ASSERT_EQ(RwImageApplyMask(image, mask), image);
  EXPECT_EQ(image->depth, 32);
  EXPECT_EQ(image->stride, 8);
  EXPECT_EQ(image->palette, nullptr);
  EXPECT_TRUE(image->flags & kRwImageAllocated);
  EXPECT_TRUE(image->flags & kRwImageGammaCorrected);
  EXPECT_EQ(Rgba(Pixel(image, 0, 0)), 0xAABBCC10u);
  EXPECT_EQ(Rgba(Pixel(image, 1, 0)), 0x11223320u);
}

TEST_F(ImageTest, ApplyMaskWithAPaletteMaskAndItsFailures) {
  RwImage* image = Make(2, 1, 32);
  RwImage* mask = Make(2, 1, 4);
  SetRgba(mask->palette + 4 * 1, 0x00000077);
  *Pixel(mask, 0, 0) = 1;
  *Pixel(mask, 1, 0) = 0x31;  // out-of-range index stays within the 16 entries
  SetRgba(mask->palette + 4 * 0, 0x00000000);
  ASSERT_EQ(RwImageApplyMask(image, mask), image);
  EXPECT_EQ(Pixel(image, 0, 0)[3], 0x77);
  EXPECT_EQ(Pixel(image, 1, 0)[3], 0x77);

  RwImage* small = Make(1, 1, 32);
  EXPECT_EQ(RwImageApplyMask(small, mask), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageSizeMismatch);
  RwImage* odd = Make(2, 1, 16);
  EXPECT_EQ(RwImageApplyMask(odd, mask), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageFormatUnsupported);
}

TEST_F(ImageTest, GammaTableAndCorrection) {
  const RwUInt8* table = RwImageGetGammaTable();
  for (int i = 0; i < 256; ++i) {
    ASSERT_EQ(table[i], i) << "gamma 1.0 is the identity";
  }
  RwImageSetGamma(2.0f);
  EXPECT_EQ(RwImageGetGamma(), 2.0f);
  for (int i = 1; i < 256; ++i) {
    const float expected = std::pow(static_cast<float>(i) * 0.003921569f, 0.5f) * 255.0f + 0.5f;
    ASSERT_EQ(table[i], static_cast<int>(expected)) << i;
  }
  EXPECT_EQ(table[0], 0);
  EXPECT_EQ(table[64], 128);

  RwImage* image = Make(1, 1, 32);
  SetRgba(Pixel(image, 0, 0), 0x40404040);
  ASSERT_EQ(RwImageGammaCorrect(image), image);
  EXPECT_EQ(Rgba(Pixel(image, 0, 0)), 0x80808040u);
  EXPECT_TRUE(image->flags & kRwImageGammaCorrected);
  RwImageGammaCorrect(image);  // corrects again
  EXPECT_EQ(Pixel(image, 0, 0)[0], table[128]);

  RwImage* paletted = Make(1, 1, 8);
  SetRgba(paletted->palette + 4 * 255, 0x40000040);
  RwImageGammaCorrect(paletted);
  EXPECT_EQ(Rgba(paletted->palette + 4 * 255), 0x80000040u);

  // Degenerate gammas saturate instead of overflowing the table entries.
  RwImageSetGamma(0.0f);
  EXPECT_EQ(table[1], 0);
  EXPECT_EQ(table[255], 255);
  RwImageSetGamma(std::nanf(""));
  EXPECT_EQ(table[128], 255);
  RwImageSetGamma(0.25f);
  EXPECT_EQ(table[255], 255);
  RwImageSetGamma(2.0f);

  RwImage* odd = Make(1, 1, 16);
  EXPECT_EQ(RwImageGammaCorrect(odd), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrImageDepthUnsupported);
  RwImage* bare = RwImageCreate(1, 1, 32);
  EXPECT_EQ(RwImageGammaCorrect(bare), nullptr);
  EXPECT_EQ(TakeError().errorCode, kRwErrNullArgument);
  RwImageDestroy(bare);
}

// Search path and format registry.

std::vector<std::string> gCandidates;
std::vector<std::string> gReads;
std::string gAccept;

RwBool RecordCandidate(RwChar* candidate, void* data) {
  gCandidates.push_back(candidate);
  return data == nullptr;  // stop when data is given
}

RwImage* RecordingRead(const RwChar* name) {
  gReads.push_back(name);
  if (gAccept.empty() || std::string(name).find(gAccept) == std::string::npos) {
    return nullptr;
  }
  RwImage* image = RwImageCreate(1, 1, 32);
  RwImageAllocatePixels(image);
  SetRgba(image->pixels, 0x0000FF00);
  return image;
}

RwImage* OtherRead(const RwChar*) { return nullptr; }

RwImage* gWritten = nullptr;
RwImage* RecordingWrite(RwImage* image, const RwChar* name) {
  gReads.push_back(name);
  gWritten = image;
  return image;
}

class ImagePathTest : public ImageTest {
 protected:
  void SetUp() override {
    ImageTest::SetUp();
    gCandidates.clear();
    gReads.clear();
    gAccept.clear();
    dir_ = ScratchPath("image_path_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_");
  }
  void TearDown() override {
    for (const std::string& f : files_) {
      std::remove(f.c_str());
    }
    ImageTest::TearDown();
  }
  void Touch(const std::string& name) {
    const std::string path = dir_ + name;
    ASSERT_TRUE(forge::WriteFileBytes(path, {1, 2, 3}));
    files_.push_back(path);
  }
  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(ImagePathTest, SearchWalksEveryElementInOrder) {
  struct Case {
    const char* path;
    const char* name;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"a/;b/", "x.bmp", {"a/x.bmp", "b/x.bmp"}},
      {"a/;b/;", "x.bmp", {"a/x.bmp", "b/x.bmp"}},
      {"a/;;b/", "x.bmp", {"a/x.bmp", "x.bmp", "b/x.bmp"}},
      {"", "art/x.png", {"art/x.png"}},
      {"a/;b/", "c:\\art\\x.png", {"c:\\art\\x.png"}},
      {"a/;b/", "\\x.png", {"\\x.png"}},
      {"a/;b/", "art/x.png", {"a/art/x.png", "b/art/x.png"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.path) + " + " + c.name);
    gCandidates.clear();
    ASSERT_NE(RwImageSetPath(c.path), nullptr);
    EXPECT_EQ(RwImageSearchPathForAll(c.name, 5, RecordCandidate, nullptr), c.name);
    EXPECT_EQ(gCandidates, c.expected);
  }
  gCandidates.clear();
  RwImageSetPath("a/;b/");
  int stop = 0;
  RwImageSearchPathForAll("x", 5, RecordCandidate, &stop);
  EXPECT_EQ(gCandidates, std::vector<std::string>{"a/x"});
}

TEST_F(ImagePathTest, LongPathsGrowTheBuffers) {
  const std::string element(300, 'p');
  const std::string path = element + "/;" + element + "/";
  ASSERT_NE(RwImageSetPath(path.c_str()), nullptr);
  EXPECT_EQ(std::string(RwImageGetPath()), path);
  EXPECT_NE(RwImageSetPath(RwImageGetPath()), nullptr);
  EXPECT_EQ(std::string(RwImageGetPath()), path);
  RwImageSearchPathForAll("name.png", 5, RecordCandidate, nullptr);
  ASSERT_EQ(gCandidates.size(), 2u);
  EXPECT_EQ(gCandidates[1], element + "/name.png");
}

TEST_F(ImagePathTest, RegistrationUpdatesOneRecordPerExtension) {
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", OtherRead, nullptr));
  ASSERT_TRUE(RwImageRegisterImageFormat("BMP", RecordingRead, nullptr));
  ASSERT_TRUE(RwImageRegisterImageFormat("bmp", nullptr, RecordingWrite));
  Touch("tex.bmp");
  Touch("tex.BMP");
  Touch("tex.bMp");
  RwImageSetPath(dir_.c_str());
  gAccept = "tex";
  for (const char* name : {"tex.bmp", "tex.BMP"}) {
    SCOPED_TRACE(name);
    gReads.clear();
    RwImage* image = RwImageRead(name);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(gReads, std::vector<std::string>{dir_ + name});
    RwImageDestroy(image);
  }
  gReads.clear();
  EXPECT_EQ(RwImageRead("tex.bMp"), nullptr);
  EXPECT_EQ(RwImageRead("tex"), nullptr);
  EXPECT_EQ(RwImageRead("dir.bmp/tex"), nullptr);
  EXPECT_TRUE(gReads.empty());

  RwImage* image = Make(1, 1, 32);
  EXPECT_EQ(RwImageWrite(image, "out.bmp"), image);
  EXPECT_EQ(gWritten, image);
  EXPECT_EQ(RwImageWrite(image, "out.png"), nullptr);

  // Extensions keep at most 18 characters.
  ASSERT_TRUE(RwImageRegisterImageFormat("abcdefghijklmnopqrstuvwxyz", RecordingRead, nullptr));
  Touch("long.abcdefghijklmnopqr");
  const RwChar* found = RwImageFindFileType("long");
  ASSERT_NE(found, nullptr);
  EXPECT_STREQ(found, ".abcdefghijklmnopqr");
}

TEST_F(ImagePathTest, ReadTriesTheNextElementWhenTheFileIsMissingOrRefused) {
  RwImageRegisterImageFormat("bmp", RecordingRead, nullptr);
  const std::string a = "a_", b = "b_";
  Touch(b + "x.bmp");
  const std::string path = dir_ + a + ";" + dir_ + b;
  RwImageSetPath(path.c_str());
  gAccept = "b_x";
  RwImage* image = RwImageRead("x.bmp");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(gReads, std::vector<std::string>{dir_ + b + "x.bmp"});
  RwImageDestroy(image);

  Touch(a + "x.bmp");
  gReads.clear();
  image = RwImageRead("x.bmp");
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(gReads, (std::vector<std::string>{dir_ + a + "x.bmp", dir_ + b + "x.bmp"}));
  RwImageDestroy(image);
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
}

std::vector<std::string> gExisting;

RwBool ExistsExactly(const RwChar* name) {
  for (const std::string& e : gExisting) {
    if (e == name) {
      return TRUE;
    }
  }
  return FALSE;
}

TEST_F(ImagePathTest, FindFileTypeReportsTheFormThatExists) {
  RwImageRegisterImageFormat("png", RecordingRead, nullptr);
  RwImageRegisterImageFormat("bmp", RecordingRead, nullptr);
  // Exact-case file existence, so that the upper-case form can be told apart.
  RwEngineGetFileInterface()->rwfexist = ExistsExactly;
  gExisting = {"second/low.png", "first/UP.BMP", "first/both.bmp", "first/both.png"};
  RwImageSetPath("first/;second/");
  struct Case {
    const char* name;
    const char* extension;
  };
  // The newest format is tried first, lower case before upper case.
  for (const Case& c : {Case{"low", ".png"}, Case{"UP", ".BMP"}, Case{"both", ".bmp"}, Case{"missing", nullptr}}) {
    SCOPED_TRACE(c.name);
    const RwChar* found = RwImageFindFileType(c.name);
    if (c.extension == nullptr) {
      EXPECT_EQ(found, nullptr);
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_STREQ(found, c.extension);
    }
  }
}

}  // namespace
