// Textures and dictionaries: lists and lookups, reference counts, reads from
// image files along the search path (masks, mip-level files, generated
// levels), palettes and resampling, on the fake raster driver.
#include "engine/src/texture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "engine/tool/bmp/rtbmp.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

struct SetImageCall {
  RwInt32 width;
  RwInt32 height;
  RwInt32 depth;
};

std::vector<std::string> gTextureReads;         // file names read, without the directory
std::vector<SetImageCall> gSetImages;    // raster levels set from images
RwStandardFunc gFakeSetImage = nullptr;  // the fake's own 32-bit set
RwInt32 gForcedWidth = 0;                // non-zero: the size the format search asks for
RwInt32 gForcedHeight = 0;
std::string gDirectory;

RwImage* RecordingImageRead(const RwChar* name) {
  std::string path = name;
  gTextureReads.push_back(path.substr(path.find_last_of('_') + 1));
  return RtBMPImageRead(name);
}

// Accepts palette images too (the fake itself takes only 32-bit ones).
RwBool SetImage(void* target, void* object, RwInt32 number) {
  RwRaster* raster = static_cast<RwRaster*>(target);
  RwImage* image = static_cast<RwImage*>(object);
  gSetImages.push_back({image->width, image->height, image->depth});
  if (image->depth != 32) {
    return image->palette != nullptr && raster->depth == 8;
  }
  return gFakeSetImage(target, object, number);
}

RwBool FindFormat(void* target, void* object, RwInt32 number) {
  RwRaster* scratch = static_cast<RwRaster*>(target);
  const RwImage* image = static_cast<const RwImage*>(object);
  scratch->width = gForcedWidth != 0 ? gForcedWidth : image->width;
  scratch->height = gForcedHeight != 0 ? gForcedHeight : image->height;
  scratch->type = static_cast<RwUInt8>(number & rwRASTERTYPEMASK);
  scratch->depth = image->depth == 32 ? 32 : 8;
  scratch->format =
      static_cast<RwUInt8>((image->depth == 32 ? rwRASTERFORMAT8888 : (rwRASTERFORMATPAL8 | rwRASTERFORMAT888)) >> 8);
  return TRUE;
}

RwBool StoreRaster(void* target, void* object, RwInt32) {
  static_cast<RwTexture*>(target)->raster = static_cast<RwRaster*>(object);
  return TRUE;
}

RwTexture* ReadNothing(const RwChar*, const RwChar*) { return nullptr; }

std::vector<RwTexture*> ListOf(RwTexDictionary* dictionary) {
  std::vector<RwTexture*> list;
  RwTexDictionaryForAllTextures(
      dictionary,
      [](RwTexture* texture, void* data) {
        static_cast<std::vector<RwTexture*>*>(data)->push_back(texture);
        return texture;
      },
      &list);
  return list;
}

RwTexture* Named(const char* name) {
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  return texture;
}

class TextureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FakeImageEngineStart(0));
    RwStandardFunc* table = RwEngineInstance->standardFunctions;
    gFakeSetImage = table[kRwStdRasterSetImage];
    table[kRwStdRasterSetImage] = SetImage;
    table[kRwStdImageFindRasterFormat] = FindFormat;
    table[kRwStdTextureSetRaster] = StoreRaster;
    gTextureReads.clear();
    gSetImages.clear();
    gForcedWidth = 0;
    gForcedHeight = 0;
    gDirectory = ScratchPath("texture_test_" + std::to_string(reinterpret_cast<uintptr_t>(this)) + "_");
    RwImageRegisterImageFormat("bmp", RecordingImageRead, nullptr);
    RwImageSetPath(("missing/;" + gDirectory).c_str());
    TakeError();
  }
  void TearDown() override {
    for (const std::string& file : files_) {
      std::remove(file.c_str());
    }
    FakeImageEngineStop();
  }
  // A 24-bit bitmap filled with one colour (0xRRGGBB).
  void WriteColourFile(const std::string& name, int width, int height, uint32_t colour) {
    forge::BmpDescription description;
    description.width = width;
    description.height = height;
    description.pixels.assign(static_cast<size_t>(width) * height, colour);
    WriteFile(name, description);
  }
  // An 8-bit bitmap whose pixels cycle through the palette.
  void WritePaletteFile(const std::string& name, int width, int height, const std::vector<uint32_t>& palette) {
    forge::BmpDescription description;
    description.width = width;
    description.height = height;
    description.bitCount = 8;
    description.palette = palette;
    for (int i = 0; i < width * height; ++i) {
      description.pixels.push_back(static_cast<uint32_t>(i % palette.size()));
    }
    WriteFile(name, description);
  }
  void WriteFile(const std::string& name, const forge::BmpDescription& description) {
    const std::string path = gDirectory + name + ".bmp";
    ASSERT_TRUE(forge::WriteFileBytes(path, forge::WriteBmp(description)));
    files_.push_back(path);
  }
  std::vector<std::string> files_;
};

TEST_F(TextureTest, DictionaryListsNewestFirstFindsIgnoringCaseAndMovesTextures) {
  RwTexDictionary* first = RwTexDictionaryCreate();
  RwTexDictionary* second = RwTexDictionaryCreate();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->type, kRwTexDictionaryObjectType);
  RwTexture* wall = RwTexDictionaryAddTexture(first, Named("wall"));
  RwTexture* floor = RwTexDictionaryAddTexture(first, Named("Floor_2"));
  EXPECT_EQ(ListOf(first), (std::vector<RwTexture*>{floor, wall}));
  EXPECT_EQ(RwTexDictionaryFindNamedTexture(first, "WALL"), wall);
  EXPECT_EQ(RwTexDictionaryFindNamedTexture(first, "floor_2"), floor);
  EXPECT_EQ(RwTexDictionaryFindNamedTexture(first, "wal"), nullptr);
  EXPECT_EQ(RwTexDictionaryFindNamedTexture(first, "walls"), nullptr);
  EXPECT_EQ(wall->refCount, 1);

  RwTexDictionaryAddTexture(second, wall);
  EXPECT_EQ(wall->dictionary, second);
  EXPECT_EQ(ListOf(first), (std::vector<RwTexture*>{floor}));
  EXPECT_EQ(ListOf(second), (std::vector<RwTexture*>{wall}));

  std::vector<RwTexDictionary*> dictionaries;
  RwTexDictionaryForAll(
      [](RwTexDictionary* d, void* data) {
        static_cast<std::vector<RwTexDictionary*>*>(data)->push_back(d);
        return d;
      },
      &dictionaries);
  ASSERT_EQ(dictionaries.size(), 3u);  // and the default dictionary, oldest
  EXPECT_EQ(dictionaries[0], second);
  EXPECT_EQ(dictionaries[1], first);

  // The walk fetches the next texture first, so the callback may destroy.
  RwTexDictionaryForAllTextures(
      first, [](RwTexture* t, void*) { return RwTextureDestroy(t) ? t : nullptr; }, nullptr);
  EXPECT_TRUE(ListOf(first).empty());
  RwTexDictionaryDestroy(first);
  RwTexDictionaryDestroy(second);
}

TEST_F(TextureTest, ReadFindsTheCurrentDictionaryOrElseTheNewestDictionary) {
  RwTexDictionary* current = RwTexDictionaryGetCurrent();
  ASSERT_NE(current, nullptr);  // the default dictionary
  RwTexture* wall = RwTexDictionaryAddTexture(current, Named("wall"));
  EXPECT_EQ(RwTextureRead("Wall", "ignored"), wall);
  EXPECT_EQ(wall->refCount, 2);

  RwTexDictionary* older = RwTexDictionaryCreate();
  RwTexDictionary* newer = RwTexDictionaryCreate();
  RwTexture* oldStone = RwTexDictionaryAddTexture(older, Named("stone"));
  RwTexture* newStone = RwTexDictionaryAddTexture(newer, Named("stone"));
  EXPECT_EQ(RwTextureRead("stone", nullptr), nullptr) << "not in the current dictionary, no file";
  TakeError();
  EXPECT_EQ(RwTexDictionarySetCurrent(nullptr), nullptr);
  EXPECT_EQ(RwTextureRead("STONE", nullptr), newStone);
  EXPECT_EQ(newStone->refCount, 2);
  EXPECT_EQ(oldStone->refCount, 1);
  EXPECT_EQ(RwTextureRead("wall", nullptr), wall);
  RwTexDictionaryDestroy(older);
  RwTexDictionaryDestroy(newer);
  RwTextureDestroy(newStone);
  RwTextureDestroy(wall);
}

TEST_F(TextureTest, FailedReadRecordsItsErrorAndAddsNothing) {
  RwTextureSetReadCallBack(ReadNothing);
  EXPECT_EQ(RwTextureRead("nothing", nullptr), nullptr);
  const RwErrorRecord e = TakeError();
  EXPECT_EQ(e.pluginID, kRwPluginIdCore);
  EXPECT_EQ(e.errorCode, kRwErrTextureReadFailed);
  EXPECT_TRUE(ListOf(RwTexDictionaryGetCurrent()).empty());
}

TEST_F(TextureTest, DestroyedDictionaryLeavesTexturesStillHeldValidWithoutADictionary) {
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  RwTexDictionarySetCurrent(dictionary);
  RwTexture* held = RwTexDictionaryAddTexture(dictionary, Named("held"));
  RwTexture* alone = RwTexDictionaryAddTexture(dictionary, Named("alone"));
  (void)alone;
  ASSERT_EQ(RwTextureRead("held", nullptr), held);  // a material's reference
  RwTexDictionaryDestroy(dictionary);
  EXPECT_EQ(RwTexDictionaryGetCurrent(), nullptr);
  EXPECT_EQ(held->refCount, 1);
  EXPECT_EQ(held->dictionary, nullptr);
  // Moving and destroying it later touches nothing of the gone dictionary.
  RwTexDictionary* other = RwTexDictionaryCreate();
  RwTexDictionaryAddTexture(other, held);
  EXPECT_EQ(ListOf(other), (std::vector<RwTexture*>{held}));
  RwTextureDestroy(held);
  EXPECT_TRUE(ListOf(other).empty());
  RwTexDictionaryDestroy(other);
}

TEST_F(TextureTest, NamesOfThirtyTwoCharactersOrMoreAreCut) {
  RwTexture* texture = RwTextureCreate(nullptr);
  const std::string fits(31, 'a');
  RwTextureSetName(texture, fits.c_str());
  EXPECT_EQ(TakeError().errorCode, kRwErrNoError);
  EXPECT_EQ(std::string(texture->name), fits);
  const std::string tooLong(40, 'b');
  RwTextureSetMaskName(texture, tooLong.c_str());
  EXPECT_EQ(TakeError().errorCode, kRwErrTextureNameTooLong);
  EXPECT_EQ(std::string(texture->mask), std::string(31, 'b'));
  RwTextureDestroy(texture);
}

TEST_F(TextureTest, MipLevelNamesAppendOneHexadecimalDigit) {
  struct Case {
    RwInt32 level;
    const char* mask;
    const char* name;
    const char* maskAfter;
  };
  const Case cases[] = {{0, "bmask", "brick", "bmask"},
                        {1, "bmask", "brickm1", "bmaskm1"},
                        {10, "bmask", "brickma", "bmaskma"},
                        {15, "", "brickmf", ""},
                        {16, "bmask", "brick", "bmask"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.level);
    char name[260] = "brick";
    char mask[260];
    std::snprintf(mask, sizeof(mask), "%s", c.mask);
    EXPECT_TRUE(RwTextureGenerateMipmapName(name, mask, c.level, 4));
    EXPECT_STREQ(name, c.name);
    EXPECT_STREQ(mask, c.maskAfter);
  }
}

TEST_F(TextureTest, DefaultReadFindsTheFileAlongTheSearchPathWithItsMask) {
  WriteColourFile("brick", 4, 2, 0x204080);
  WriteColourFile("bmask", 4, 2, 0x111111);
  RwTexture* texture = RwTextureRead("brick", "bmask");
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(gTextureReads, (std::vector<std::string>{"brick.bmp", "bmask.bmp"}));
  EXPECT_STREQ(texture->name, "brick");
  EXPECT_STREQ(texture->mask, "bmask");
  EXPECT_EQ(texture->dictionary, RwTexDictionaryGetCurrent());
  ASSERT_NE(texture->raster, nullptr);
  EXPECT_EQ(texture->raster->width, 4);
  EXPECT_EQ(texture->raster->height, 2);
  const RwUInt8* pixels = RwRasterLock(texture->raster, 0, rwRASTERLOCKREAD);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(pixels[0], 0x20);
  EXPECT_EQ(pixels[1], 0x40);
  EXPECT_EQ(pixels[2], 0x80);
  EXPECT_EQ(pixels[3], 0x11);  // the mask's largest channel
  RwRasterUnlock(texture->raster);
  // A second read finds it in the dictionary instead of the file.
  EXPECT_EQ(RwTextureRead("BRICK", nullptr), texture);
  EXPECT_EQ(gTextureReads.size(), 2u);
  RwTextureDestroy(texture);
}

TEST_F(TextureTest, MipmappedReadTakesOneFilePerLevelWithoutAutomaticMipmaps) {
  WriteColourFile("brick", 8, 8, 0xFF0000);
  WriteColourFile("bmask", 8, 8, 0xFFFFFF);
  int size = 4;
  for (const char* level : {"1", "2", "3"}) {
    WriteColourFile(std::string("brickm") + level, size, size, 0x00FF00);
    WriteColourFile(std::string("bmaskm") + level, size, size, 0x808080);
    size /= 2;
  }
  RwTextureSetMipmapping(TRUE);
  RwTexture* texture = RwTextureRead("brick", "bmask");
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(gTextureReads, (std::vector<std::string>{"brick.bmp", "bmask.bmp", "brickm1.bmp", "bmaskm1.bmp", "brickm2.bmp",
                                              "bmaskm2.bmp", "brickm3.bmp", "bmaskm3.bmp"}));
  EXPECT_NE(texture->raster->format & (rwRASTERFORMATMIPMAP >> 8), 0);
  ASSERT_EQ(gSetImages.size(), 4u);
  for (size_t i = 0; i < gSetImages.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gSetImages[i].width, 8 >> i);
    EXPECT_EQ(gSetImages[i].height, 8 >> i);
  }
  RwTextureDestroy(texture);
}

TEST_F(TextureTest, MissingMipFileFailsTheReadAndLeavesNothing) {
  WriteColourFile("brick", 4, 4, 0xFF0000);
  WriteColourFile("brickm1", 2, 2, 0xFF0000);
  RwTextureSetMipmapping(TRUE);
  const RwInt32 destroyedBefore = FakeRaster().destroyed;
  EXPECT_EQ(RwTextureRead("brick", nullptr), nullptr);
  EXPECT_EQ(FakeRaster().destroyed, destroyedBefore + 1);
  EXPECT_EQ(FakeRaster().created, FakeRaster().destroyed);
  EXPECT_TRUE(ListOf(RwTexDictionaryGetCurrent()).empty());
}

TEST_F(TextureTest, AutomaticMipmapsReadLevelZeroOnly) {
  WriteColourFile("brick", 8, 8, 0xFF0000);
  RwTextureSetMipmapping(TRUE);
  RwTextureSetAutoMipmapping(TRUE);
  RwTexture* texture = RwTextureRead("brick", nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(gTextureReads, (std::vector<std::string>{"brick.bmp"}));
  EXPECT_EQ(texture->raster->format & ((rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP) >> 8),
            (rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP) >> 8);
  RwTextureDestroy(texture);
}

TEST_F(TextureTest, ResizedPaletteImageIsQuantisedBackToItsDepth) {
  WritePaletteFile("pal", 5, 3, {0xFF0000, 0x0000FF});
  gForcedWidth = 8;
  gForcedHeight = 4;
  RwInt32 width = 0;
  RwInt32 height = 0;
  RwInt32 depth = 0;
  RwUInt32 format = 0;
  RwImage* image = RwTextureReadImage("pal", nullptr, rwRASTERTYPETEXTURE, &width, &height, &depth, &format);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(width, 8);
  EXPECT_EQ(height, 4);
  EXPECT_EQ(image->width, 8);
  EXPECT_EQ(image->height, 4);
  ASSERT_EQ(image->depth, 8);
  ASSERT_NE(image->palette, nullptr);
  // Every pixel maps to a palette entry near red, blue or a blend of them.
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 8; ++x) {
      const RwUInt8* entry = image->palette + 4 * image->pixels[y * image->stride + x];
      EXPECT_LE(entry[1], 8) << "no green was in the source";
      EXPECT_EQ(entry[3], 255);
    }
  }
  RwImageDestroy(image);
}

TEST_F(TextureTest, PalettisingKeepsASharedPaletteAndQuantisesDifferentOnes) {
  auto make = [](RwUInt8 red) {
    RwImage* image = RwImageCreate(2, 2, 8);
    RwImageAllocatePixels(image);
    std::fill(image->palette, image->palette + 1024, 0);
    image->palette[0] = red;
    image->palette[3] = 255;
    std::fill(image->pixels, image->pixels + image->stride * 2, 0);
    return image;
  };
  RwImage* images[2] = {make(200), make(200)};
  RwImage* originals[2] = {images[0], images[1]};
  RwUInt8 palette[1024];
  ASSERT_TRUE(RwTexturePalettizeImages(palette, nullptr, images, 2, 8));
  EXPECT_EQ(images[0], originals[0]);
  EXPECT_EQ(images[1], originals[1]);
  EXPECT_EQ(palette[0], 200);

  RwImageDestroy(images[1]);
  images[1] = make(10);
  RwImage* keep = images[0];
  ASSERT_TRUE(RwTexturePalettizeImages(palette, keep, images, 2, 8));
  for (RwImage* image : images) {
    EXPECT_EQ(image->depth, 8);
    EXPECT_EQ(image->palette, palette);
  }
  // Both reds are in the shared palette, each image mapped to its own.
  EXPECT_NEAR(palette[4 * images[0]->pixels[0]], 200, 8);
  EXPECT_NEAR(palette[4 * images[1]->pixels[0]], 10, 8);
  RwImageDestroy(keep);
  RwImageDestroy(images[0]);
  RwImageDestroy(images[1]);
}

TEST_F(TextureTest, PaletteImageReadsIntoAPalettisedRaster) {
  WritePaletteFile("pal", 4, 4, {0xFF0000, 0x00FF00, 0x0000FF});
  RwTexture* texture = RwTextureRead("pal", nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_NE(texture->raster->format & (rwRASTERFORMATPAL8 >> 8), 0);
  ASSERT_EQ(gSetImages.size(), 1u);
  EXPECT_EQ(gSetImages[0].depth, 8);
  RwTextureDestroy(texture);
}

TEST_F(TextureTest, GeneratedMipLevelsAreSetFromResampledImages) {
  RwRaster* raster = RwRasterCreate(
      8, 4, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP | rwRASTERFORMATAUTOMIPMAP);
  ASSERT_NE(raster, nullptr);
  RwImage* image = RwImageCreate(8, 4, 32);
  RwImageAllocatePixels(image);
  std::fill(image->pixels, image->pixels + image->stride * 4, 0x7F);
  EXPECT_TRUE(RwTextureRasterGenerateMipmaps(raster, image));
  ASSERT_EQ(gSetImages.size(), 4u);
  const SetImageCall expected[] = {{8, 4, 32}, {4, 2, 32}, {2, 1, 32}, {1, 1, 32}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(gSetImages[i].width, expected[i].width);
    EXPECT_EQ(gSetImages[i].height, expected[i].height);
  }
  EXPECT_NE(raster->format & (rwRASTERFORMATAUTOMIPMAP >> 8), 0) << "restored after the generation";
  EXPECT_EQ(image->width, 8) << "the caller's image stays the caller's";
  RwImageDestroy(image);

  // Without an image, level 0 is read back from the raster.
  gSetImages.clear();
  EXPECT_TRUE(RwTextureRasterGenerateMipmaps(raster, nullptr));
  EXPECT_EQ(gSetImages.size(), 4u);
  RwRasterDestroy(raster);
}

}  // namespace
