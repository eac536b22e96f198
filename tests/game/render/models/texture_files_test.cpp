// Texture search paths, texture reads with and without masks, and texture
// dictionary files written and read back on the Direct3D 8 stand-in, with
// the saver's trace and the failures that must leave files untouched.
#include "game/render/models/texture_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "game/app/app_events.h"
#include "tests/support/d3d8_engine_window.h"
#include "tests/support/scratch_path.h"
#include "tools/forge/files/bmp_writer.h"

namespace {

class TextureFilesTest : public D3D8EngineWindowTest {
 protected:
  TextureFilesTest() : D3D8EngineWindowTest("textures", 64, 48, 1 << 20) {}

  void SetUp() override {
    D3D8EngineWindowTest::SetUp();
    StartEngine();
    ASSERT_TRUE(RegisterImageReaders());
    ASSERT_FALSE(mFolder.Path().empty());
  }

  void TearDown() override {
    RwTexDictionarySetCurrent(nullptr);
    for (RwTexDictionary* dictionary : mDictionaries) {
      RwTexDictionaryDestroy(dictionary);
    }
    D3D8EngineWindowTest::TearDown();
  }

  // A width x height bitmap of one colour at the folder's relative path.
  void WriteBitmap(const std::string& relative, int32_t width, int32_t height, uint32_t rgb) {
    forge::BmpDescription bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<size_t>(width * height), rgb);
    // Some variety, so that a round trip that loses rows shows.
    bitmap.pixels[0] = 0x123456;
    const std::filesystem::path path = mFolder.File(relative);
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(forge::WriteFileBytes(path.string(), forge::WriteBmp(bitmap)));
  }

  RwTexDictionary* NewCurrentDictionary() {
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    mDictionaries.push_back(dictionary);
    RwTexDictionarySetCurrent(dictionary);
    return dictionary;
  }

  static std::vector<RwTexture*> TexturesOf(RwTexDictionary* dictionary) {
    std::vector<RwTexture*> textures;
    RwTexDictionaryForAllTextures(
        dictionary,
        [](RwTexture* texture, void* data) {
          static_cast<std::vector<RwTexture*>*>(data)->push_back(texture);
          return texture;
        },
        &textures);
    return textures;
  }

  // The level-0 pixels as the raster holds them.
  static std::vector<uint8_t> Pixels(RwRaster* raster) {
    const RwUInt8* pixels = RwRasterLock(raster, 0, rwRASTERLOCKREAD);
    std::vector<uint8_t> bytes;
    if (pixels != nullptr) {
      bytes.assign(pixels, pixels + raster->stride * raster->height);
      RwRasterUnlock(raster);
    }
    return bytes;
  }

  static std::string FileText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  }

  ScratchFolder mFolder{"texture_files_test"};
  std::vector<RwTexDictionary*> mDictionaries;
};

TEST_F(TextureFilesTest, SearchPathsFollowTheModelOrTheName) {
  const struct {
    const char* file;
    const char* folder;
    const char* name;  // SetTexturePathFromName instead when set
    const char* path;
  } cases[] = {
      {"data/x/door.dff", nullptr, nullptr, "data\\x\\textures\\"},
      {"data\\x\\door.dff", nullptr, nullptr, "data\\x\\textures\\"},
      // The last '\' counts before any '/'.
      {"data\\x/y/door.dff", nullptr, nullptr, "data\\textures\\"},
      {"door.dff", nullptr, nullptr, "\\textures\\"},
      {"data/x/door.dff", "data/shared/", nullptr, "data\\shared\\"},
      {nullptr, nullptr, "data/textures/crosshair", "data\\textures\\"},
      {nullptr, nullptr, "glow", "textures\\"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    RwImageSetPath("unchanged");
    if (c.name != nullptr) {
      SetTexturePathFromName(c.name);
    } else {
      SetTexturePath(c.file, c.folder);
    }
    EXPECT_STREQ(c.path, RwImageGetPath());
  }
}

TEST_F(TextureFilesTest, ReadTextureLooksInTheNamesFolderWithOrWithoutMask) {
  WriteBitmap("ui/glow.bmp", 4, 4, 0xFF8000);
  WriteBitmap("ui/glow_mask.bmp", 4, 4, 0x404040);
  const std::string name = mFolder.Path() + "/ui/glow";

  RwTexture* plain = ReadTexture(name.c_str(), false);
  ASSERT_NE(nullptr, plain);
  EXPECT_STREQ("glow", plain->name);
  EXPECT_STREQ("", plain->mask);
  EXPECT_EQ(4, plain->raster->width);
  std::string folder = mFolder.Path() + "/ui/";
  std::replace(folder.begin(), folder.end(), '/', '\\');
  EXPECT_EQ(folder, RwImageGetPath());
  RwTextureDestroy(plain);

  RwTexture* masked = ReadTexture(name.c_str(), true);
  ASSERT_NE(nullptr, masked);
  EXPECT_STREQ("glow_mask", masked->mask);
  EXPECT_EQ(rwRASTERFORMAT8888, (masked->raster->format << 8) & rwRASTERFORMATPIXELFORMATMASK);
  RwTextureDestroy(masked);

  // A name without a folder is looked for in "textures/".
  EXPECT_EQ(nullptr, ReadTexture("glow", false));
  EXPECT_STREQ("textures\\", RwImageGetPath());
  TakeError();
}

TEST_F(TextureFilesTest, DictionaryRoundTripKeepsNamesSizesAndPixels) {
  WriteBitmap("textures/wall.bmp", 8, 4, 0x336699);
  WriteBitmap("textures/floor.bmp", 2, 2, 0xC0C0C0);
  RwTexDictionary* saved = NewCurrentDictionary();
  SetTexturePath((mFolder.Path() + "/door.dff").c_str(), nullptr);
  RwTexture* wall = RwTextureRead("wall", nullptr);
  RwTexture* floor = RwTextureRead("floor", nullptr);
  ASSERT_NE(nullptr, wall);
  ASSERT_NE(nullptr, floor);
  const std::vector<uint8_t> wallPixels = Pixels(wall->raster);
  ASSERT_FALSE(wallPixels.empty());
  const RwInt32 depth = wall->raster->depth;

  const std::string path = mFolder.File("level.txd");
  testing::internal::CaptureStderr();
  EXPECT_TRUE(SaveTextureDictionary(path.c_str()));
  const std::string trace = testing::internal::GetCapturedStderr();
  EXPECT_NE(std::string::npos, trace.find("\n\n\n\n\nTexture dictionary: " + path + "\n\n")) << trace;
  char line[200];
  snprintf(line, sizeof(line), "Texture: %-32s Size: %7d Width: %7d Height: %7d Depth: %7d\n", "wall",
           8 * 4 * depth / 8, 8, 4, depth);
  EXPECT_NE(std::string::npos, trace.find(line)) << trace;

  RwTexDictionary* loaded = LoadTextureDictionary(path.c_str());
  ASSERT_NE(nullptr, loaded);
  mDictionaries.push_back(loaded);
  const std::vector<RwTexture*> before = TexturesOf(saved);
  ASSERT_EQ(2u, before.size());
  EXPECT_EQ(before.size(), TexturesOf(loaded).size());
  for (RwTexture* original : before) {
    SCOPED_TRACE(original->name);
    RwTexture* copy = RwTexDictionaryFindNamedTexture(loaded, original->name);
    ASSERT_NE(nullptr, copy);
    EXPECT_EQ(original->raster->width, copy->raster->width);
    EXPECT_EQ(original->raster->height, copy->raster->height);
    EXPECT_EQ(Pixels(original->raster), Pixels(copy->raster));
  }
}

TEST_F(TextureFilesTest, FailedSavesAndLoadsLeaveFilesAlone) {
  const std::string path = mFolder.File("level.txd");
  ASSERT_TRUE(WriteWholeFile(path, "earlier contents"));
  {
    SCOPED_TRACE("no current dictionary");
    RwTexDictionarySetCurrent(nullptr);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveTextureDictionary(path.c_str()));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("no current dictionary"));
  }
  {
    SCOPED_TRACE("a texture the driver cannot write");
    RwTexDictionary* dictionary = NewCurrentDictionary();
    RwTexDictionaryAddTexture(dictionary, RwTextureCreate(nullptr));
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveTextureDictionary(path.c_str()));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("cannot be written"));
    TakeError();
  }
  EXPECT_EQ("earlier contents", FileText(path));
  {
    SCOPED_TRACE("an unwritable file");
    NewCurrentDictionary();
    const std::string unwritable = mFolder.File("missing/level.txd");
    testing::internal::CaptureStderr();
    EXPECT_FALSE(SaveTextureDictionary(unwritable.c_str()));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find("cannot write " + unwritable));
  }
  {
    SCOPED_TRACE("loads");
    EXPECT_EQ(nullptr, LoadTextureDictionary(mFolder.File("absent.txd").c_str()));
    EXPECT_EQ(nullptr, LoadTextureDictionary(path.c_str()));
    TakeError();
  }
}

}  // namespace
