// Native textures on the Direct3D 8 stand-in: dictionaries written and read
// back in every raster format (palettes and mip levels included), DXT levels
// kept compressed, formats the device refuses taking the conversion road,
// and corrupt native chunks failing without leftovers.
#include "engine/driver/d3d8/d3d8texture_native.h"

#include <vector>

#include "engine/driver/d3d8/d3d8texture_native_internal.h"
#include "engine/driver/d3d8/dxt.h"
#include "tests/engine/driver/d3d8/raster_fixture.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/native_texture_bytes.h"

namespace {

using Bytes = std::vector<uint8_t>;

class NativeTextureTest : public D3D8RasterTest {
 protected:
  void StartNative(d3d8test::CapsProfile profile = d3d8test::CapsProfile::Full) {
    Start(profile);
    RwD3D8NativeTextureSetConversion(TRUE);
  }
  void TearDown() override {
    RwD3D8NativeTextureSetConversion(TRUE);
    D3D8RasterTest::TearDown();
  }

  static Bytes Write(RwTexDictionary* dictionary) {
    Bytes bytes;
    const bool ok = WriteToMemory(
        [dictionary](RwStream* stream) { return RwTexDictionaryStreamWrite(dictionary, stream); }, &bytes);
    return ok ? bytes : Bytes();
  }

  // Reads a whole ".txd" image: finds the dictionary chunk first.
  static RwTexDictionary* Read(const Bytes& bytes) {
    RwStream* stream = OpenMemoryRead(bytes);
    RwTexDictionary* dictionary = nullptr;
    if (RwStreamFindChunk(stream, 0x16, nullptr, nullptr)) {
      dictionary = RwTexDictionaryStreamRead(stream);
    }
    RwStreamClose(stream, nullptr);
    return dictionary;
  }

  static Bytes WithHeader(const ChunkBytes& body) {
    ChunkBytes whole;
    whole.Header(0x16, static_cast<uint32_t>(body.size())).Bytes(body.bytes());
    return whole.bytes();
  }

  static RwTexture* Only(RwTexDictionary* dictionary) {
    RwTexture* found = nullptr;
    RwTexDictionaryForAllTextures(
        dictionary,
        [](RwTexture* t, void* data) {
          *static_cast<RwTexture**>(data) = t;
          return t;
        },
        &found);
    return found;
  }

  // The bytes of one level, row by row without the lock's padding.
  static Bytes LevelBytes(RwRaster* raster, int level, size_t rowBytes, size_t rows) {
    const RwUInt8* pixels = RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKREAD);
    Bytes bytes;
    if (pixels == nullptr) {
      return bytes;
    }
    for (size_t row = 0; row < rows; ++row) {
      bytes.insert(bytes.end(), pixels + row * raster->stride, pixels + row * raster->stride + rowBytes);
    }
    RwRasterUnlock(raster);
    return bytes;
  }
};

// Texel rows of DXT blocks: every block red over blue with its own alpha.
Bytes DxtLevel(int blocks, int compression) {
  Bytes level;
  for (int i = 0; i < blocks; ++i) {
    if (compression != 1) {
      const Bytes alpha = compression <= 3 ? Bytes{0x21, 0x43, 0x65, 0x87, 0xA9, 0xCB, 0xED, 0x0F}
                                           : Bytes{0xFF, 0x00, 0x88, 0xC6, 0xFA, 0x88, 0xC6, 0xFA};
      level.insert(level.end(), alpha.begin(), alpha.end());
    }
    const Bytes colour = {0x00, 0xF8, 0x1F, 0x00, 0x00, 0x55, 0xAA, 0xFF};
    level.insert(level.end(), colour.begin(), colour.end());
  }
  return level;
}

struct FormatCase {
  const char* name;
  RwUInt32 format;
  size_t pixelBytes;
};

class NativeFormatRoundTrip : public NativeTextureTest, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(NativeFormatRoundTrip, DictionaryRoundTripKeepsEveryByte) {
  StartNative();
  const FormatCase& c = GetParam();
  for (RwUInt32 mip : {0u, static_cast<RwUInt32>(rwRASTERFORMATMIPMAP)}) {
    SCOPED_TRACE(mip);
    RwRaster* raster = RwRasterCreate(16, 8, 0, rwRASTERTYPETEXTURE | c.format | mip);
    ASSERT_NE(raster, nullptr) << c.name;
    const int levels = RwRasterGetNumLevels(raster);
    EXPECT_EQ(levels, mip ? 5 : 1);
    std::vector<Bytes> written;
    for (int level = 0; level < levels; ++level) {
      RwUInt8* pixels = RwRasterLock(raster, static_cast<RwUInt8>(level), rwRASTERLOCKWRITE);
      ASSERT_NE(pixels, nullptr);
      Bytes bytes;
      for (int y = 0; y < raster->height; ++y) {
        for (size_t x = 0; x < raster->width * c.pixelBytes; ++x) {
          const RwUInt8 value = static_cast<RwUInt8>(level * 31 + y * 7 + x * 3);
          pixels[y * raster->stride + x] = value;
          bytes.push_back(value);
        }
      }
      written.push_back(bytes);
      RwRasterUnlock(raster);
    }
    if (c.format & rwRASTERFORMATPAL8) {
      RwUInt8* palette = RwRasterLockPalette(raster, rwRASTERLOCKWRITE);
      ASSERT_NE(palette, nullptr);
      for (int i = 0; i < 1024; ++i) {
        palette[i] = static_cast<RwUInt8>(i * 5);
      }
      RwRasterUnlockPalette(raster);
    }
    RwTexture* texture = RwTextureCreate(raster);
    RwTextureSetName(texture, "brick");
    RwTextureSetMaskName(texture, "brickmask");
    texture->filterAddressing = 0x3206;
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    RwTexDictionaryAddTexture(dictionary, texture);
    const Bytes file = Write(dictionary);
    ASSERT_FALSE(file.empty());
    RwTexDictionaryDestroy(dictionary);

    RwTexDictionary* read = Read(file);
    ASSERT_NE(read, nullptr);
    RwTexture* back = Only(read);
    ASSERT_NE(back, nullptr);
    EXPECT_STREQ(back->name, "brick");
    EXPECT_STREQ(back->mask, "brickmask");
    EXPECT_EQ(back->filterAddressing, 0x3206u);
    ASSERT_NE(back->raster, nullptr);
    EXPECT_EQ(static_cast<RwUInt32>(back->raster->format) << 8, c.format | mip);
    EXPECT_EQ(back->raster->width, 16);
    EXPECT_EQ(back->raster->height, 8);
    for (int level = 0; level < levels; ++level) {
      SCOPED_TRACE(level);
      const size_t width = std::max(16 >> level, 1);
      const size_t height = std::max(8 >> level, 1);
      EXPECT_EQ(LevelBytes(back->raster, level, width * c.pixelBytes, height), written[level]);
    }
    EXPECT_EQ(Write(read), file) << "writing what was read gives the same bytes";
    RwTexDictionaryDestroy(read);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, NativeFormatRoundTrip,
    ::testing::Values(FormatCase{"8888", rwRASTERFORMAT8888, 4}, FormatCase{"888", rwRASTERFORMAT888, 4},
                      FormatCase{"565", rwRASTERFORMAT565, 2}, FormatCase{"555", rwRASTERFORMAT555, 2},
                      FormatCase{"1555", rwRASTERFORMAT1555, 2}, FormatCase{"4444", rwRASTERFORMAT4444, 2},
                      FormatCase{"LUM8", rwRASTERFORMATLUM8, 1},
                      FormatCase{"PAL8", rwRASTERFORMATPAL8 | rwRASTERFORMAT8888, 1}),
    [](const ::testing::TestParamInfo<FormatCase>& info) { return std::string("F") + info.param.name; });

TEST_F(NativeTextureTest, DxtLevelsStayCompressedAndWriteBackUnchanged) {
  StartNative();
  for (int compression : {1, 2, 3, 4, 5}) {
    SCOPED_TRACE(compression);
    NativeTextureDescription description;
    description.compression = static_cast<uint8_t>(compression);
    description.format = rwRASTERFORMAT565 | rwRASTERFORMATMIPMAP;
    description.depth = 16;
    description.width = 8;
    description.height = 8;
    description.levels = 4;
    description.levelBytes = {DxtLevel(4, compression), DxtLevel(1, compression), DxtLevel(1, compression),
                              DxtLevel(1, compression)};
    const Bytes file = WithHeader(TexDictionaryBody({description}));
    RwTexDictionary* dictionary = Read(file);
    ASSERT_NE(dictionary, nullptr);
    RwTexture* texture = Only(dictionary);
    EXPECT_EQ(Ext(texture->raster)->d3dFormat, _rwD3D8NativeCompressionFormat(compression));
    const size_t block = compression == 1 ? 8 : 16;
    EXPECT_EQ(LevelBytes(texture->raster, 0, 2 * block, 2), description.levelBytes[0]);
    EXPECT_EQ(Write(dictionary), file);
    RwTexDictionaryDestroy(dictionary);
  }
}

TEST_F(NativeTextureTest, CompressedTextureWithoutAStoredFormatKeepsItsBlocks) {
  StartNative();
  NativeTextureDescription description;
  description.compression = 5;
  description.format = rwRASTERFORMATPAL8;  // no pixel format, no MIPMAP, a palette the blocks do not use
  description.palette.assign(1024, 7);
  description.depth = 16;
  description.levels = 3;
  description.levelBytes = {DxtLevel(1, 5), DxtLevel(1, 5), DxtLevel(1, 5)};
  RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({description})));
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = Only(dictionary);
  EXPECT_EQ(Ext(texture->raster)->d3dFormat, static_cast<RwUInt32>(D3DFMT_DXT5));
  EXPECT_EQ(RwRasterGetNumLevels(texture->raster), 1);
  EXPECT_EQ(LevelBytes(texture->raster, 0, 16, 1), description.levelBytes[0]);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, RefusedDxtIsDecodedIntoAFormatTheDeviceHolds) {
  struct Case {
    int compression;
    uint32_t hasAlpha;
    RwUInt32 format;
    RwRGBA firstTexel;
  };
  const Case cases[] = {{1, 0, rwRASTERFORMAT565, {255, 0, 0, 255}},
                        {1, 1, rwRASTERFORMAT1555, {255, 0, 0, 255}},
                        {3, 1, rwRASTERFORMAT4444, {255, 0, 0, 0x11}},
                        {5, 1, rwRASTERFORMAT4444, {255, 0, 0, 255}}};
  Refused().textures = {D3DFMT_DXT1, D3DFMT_DXT3, D3DFMT_DXT5};
  StartNative();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.compression);
    NativeTextureDescription description;
    description.compression = static_cast<uint8_t>(c.compression);
    description.hasAlpha = c.hasAlpha;
    description.format = rwRASTERFORMAT565 | rwRASTERFORMATMIPMAP;
    description.depth = 16;
    description.width = 4;
    description.height = 4;
    description.levels = 3;
    description.levelBytes = {DxtLevel(1, c.compression), DxtLevel(1, c.compression), DxtLevel(1, c.compression)};
    RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({description})));
    ASSERT_NE(dictionary, nullptr);
    RwTexture* texture = Only(dictionary);
    EXPECT_EQ(static_cast<RwUInt32>(texture->raster->format) << 8, c.format | rwRASTERFORMATMIPMAP);
    RwImage* image = RwImageCreate(4, 4, 32);
    RwImageAllocatePixels(image);
    ASSERT_NE(RwImageSetFromRaster(image, texture->raster), nullptr);
    const RwRGBA texel = ImagePixel(image, 0, 0);
    EXPECT_NEAR(texel.red, c.firstTexel.red, 16);
    EXPECT_EQ(texel.blue, 0);
    EXPECT_NEAR(texel.alpha, c.firstTexel.alpha, 17);
    RwImageDestroy(image);
    RwTexDictionaryDestroy(dictionary);
  }
  RwD3D8NativeTextureSetConversion(FALSE);
  NativeTextureDescription description;
  description.compression = 1;
  description.depth = 16;
  description.levelBytes = {DxtLevel(1, 1)};
  EXPECT_EQ(Read(WithHeader(TexDictionaryBody({description}))), nullptr) << "conversion switched off";
}

TEST_F(NativeTextureTest, FourBitPaletteIsReadIntoAnEightBitPalette) {
  StartNative();
  NativeTextureDescription description;
  description.format = rwRASTERFORMATPAL4 | rwRASTERFORMAT8888;
  description.depth = 8;
  description.palette.assign(128, 0);
  const RwUInt8 entries[2][4] = {{10, 20, 30, 255}, {200, 100, 50, 255}};
  std::memcpy(description.palette.data() + 4 * 15, entries[0], 4);
  std::memcpy(description.palette.data() + 4 * 31, entries[1], 4);
  description.levelBytes = {Bytes(16, 15)};
  description.levelBytes[0][5] = 31;
  RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({description})));
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = Only(dictionary);
  EXPECT_NE(texture->raster->format & (rwRASTERFORMATPAL8 >> 8), 0);
  RwImage* image = RwImageCreate(4, 4, 32);
  RwImageAllocatePixels(image);
  ASSERT_NE(RwImageSetFromRaster(image, texture->raster), nullptr);
  EXPECT_EQ(ImagePixel(image, 0, 0), (RwRGBA{10, 20, 30, 255}));
  EXPECT_EQ(ImagePixel(image, 1, 1), (RwRGBA{200, 100, 50, 255}));
  RwImageDestroy(image);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, PaletteTextureOnTheMinimalProfileIsConverted) {
  StartNative(d3d8test::CapsProfile::Minimal);
  NativeTextureDescription description;
  description.format = rwRASTERFORMATPAL8 | rwRASTERFORMAT8888;
  description.depth = 8;
  description.palette.assign(1024, 0);
  const RwUInt8 entries[3][4] = {{255, 0, 0, 255}, {0, 255, 0, 128}, {0, 0, 255, 255}};
  std::memcpy(description.palette.data(), entries, sizeof(entries));
  description.levelBytes = {Bytes(16, 0)};
  for (int i = 0; i < 16; ++i) {
    description.levelBytes[0][i] = static_cast<uint8_t>(i % 3);
  }
  RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({description})));
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = Only(dictionary);
  EXPECT_EQ(texture->raster->format & (rwRASTERFORMATPAL8 >> 8), 0) << "no P8 on this device";
  RwImage* image = RwImageCreate(4, 4, 32);
  RwImageAllocatePixels(image);
  ASSERT_NE(RwImageSetFromRaster(image, texture->raster), nullptr);
  for (int i = 0; i < 16; ++i) {
    const RwRGBA texel = ImagePixel(image, i % 4, i / 4);
    const RwUInt8* want = entries[i % 3];
    EXPECT_NEAR(texel.red, want[0], 17) << i;
    EXPECT_NEAR(texel.green, want[1], 17) << i;
    EXPECT_NEAR(texel.blue, want[2], 17) << i;
  }
  RwImageDestroy(image);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, StoredFormatTheDeviceLacksNeedsTheConversionSwitch) {
  Refused().textures = {D3DFMT_A8R8G8B8};
  StartNative();
  NativeTextureDescription description;
  description.levelBytes = {Bytes(64, 0)};
  for (int i = 0; i < 16; ++i) {
    description.levelBytes[0][4 * i + 2] = 0xFF;  // red in bits 16..23
    description.levelBytes[0][4 * i + 3] = 0x80;  // alpha in bits 24..31
  }
  const Bytes file = WithHeader(TexDictionaryBody({description}));
  RwD3D8NativeTextureSetConversion(FALSE);
  EXPECT_EQ(Read(file), nullptr);
  TakeError();
  RwD3D8NativeTextureSetConversion(TRUE);
  RwTexDictionary* dictionary = Read(file);
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = Only(dictionary);
  EXPECT_EQ(static_cast<RwUInt32>(texture->raster->format) << 8, static_cast<RwUInt32>(rwRASTERFORMAT4444));
  RwImage* image = RwImageCreate(4, 4, 32);
  RwImageAllocatePixels(image);
  ASSERT_NE(RwImageSetFromRaster(image, texture->raster), nullptr);
  EXPECT_NEAR(ImagePixel(image, 3, 3).red, 255, 16);
  EXPECT_NEAR(ImagePixel(image, 3, 3).alpha, 0x80, 16);
  RwImageDestroy(image);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, CorruptNativeChunksFailCleanly) {
  StartNative();
  struct Case {
    const char* what;
    void (*change)(NativeTextureDescription&);
  };
  const Case cases[] = {
      {"level size not rows x row bytes", [](NativeTextureDescription& s) { s.levelBytes[0].resize(60); }},
      {"level size larger", [](NativeTextureDescription& s) { s.levelBytes[0].resize(68); }},
      {"platform 9", [](NativeTextureDescription& s) { s.platform = 9; }},
      {"compression 6", [](NativeTextureDescription& s) { s.compression = 6; }},
      {"more levels than stored", [](NativeTextureDescription& s) { s.levels = 3; }},
      {"struct length too short", [](NativeTextureDescription& s) { s.structSlack = -8; }},
      {"version 0x34006", [](NativeTextureDescription& s) { s.stamp = RwChunkStampEncode(0x34006, 0xFFFF); }},
      {"version 0x30FFF", [](NativeTextureDescription& s) { s.stamp = RwChunkStampEncode(0x30FFF, 0xFFFF); }},
      {"struct beyond the chunk", [](NativeTextureDescription& s) { s.chunkSlack = -13; }},
      {"more levels than the chain",
       [](NativeTextureDescription& s) {
         s.levels = 4;
         s.levelBytes = {Bytes(64), Bytes(16), Bytes(4), Bytes(4)};
       }},
      {"zero width", [](NativeTextureDescription& s) { s.width = 0; }},
      {"depth 24",
       [](NativeTextureDescription& s) {
         s.depth = 24;
         s.levelBytes = {Bytes(48)};
       }},
      {"palette missing",
       [](NativeTextureDescription& s) {
         s.format = rwRASTERFORMATPAL8 | rwRASTERFORMAT8888;
         s.depth = 8;
         s.levelBytes = {Bytes(16)};
       }},
  };
  NativeTextureDescription good;
  good.levelBytes = {Bytes(64, 0x5A)};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NativeTextureDescription description = good;
    c.change(description);
    // A good texture first, so the failure must also take it away.
    EXPECT_EQ(Read(WithHeader(TexDictionaryBody({good, description}))), nullptr);
    TakeError();
  }
  RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({good, good})));
  ASSERT_NE(dictionary, nullptr);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, HugeDeclaredTexturesAreRefusedBeforeAnyTextureIsMade) {
  StartNative();
  struct Case {
    const char* what;
    RwUInt8 compression;
    RwUInt8 depth;
    RwUInt8 type;
  };
  // A DXT3 or DXT5 level of 65535 x 65535 is exactly 4 GiB: its size wraps
  // to 0 in a 32-bit word, the very size its (empty) level announces.
  const Case cases[] = {{"DXT3 camera texture", 3, 16, rwRASTERTYPECAMERATEXTURE},
                        {"DXT5 texture", 5, 16, rwRASTERTYPETEXTURE},
                        {"DXT1 texture", 1, 16, rwRASTERTYPETEXTURE},
                        {"8888 texture", 0, 32, rwRASTERTYPETEXTURE}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    NativeTextureDescription description;
    description.width = 65535;
    description.height = 65535;
    description.compression = c.compression;
    description.depth = c.depth;
    description.type = c.type;
    description.levelBytes = {Bytes()};
    const Bytes file = WithHeader(TexDictionaryBody({description}));
    EXPECT_EQ(file.size(), 168u);
    Record();
    EXPECT_EQ(Read(file), nullptr);
    EXPECT_EQ(Calls("CreateTexture"), 0u);
    TakeError();
  }
}

TEST_F(NativeTextureTest, NamesWithoutTerminatorsAreTerminated) {
  StartNative();
  NativeTextureDescription description;
  description.name = std::string(32, 'N');
  description.mask = std::string(32, 'M');
  description.levelBytes = {Bytes(64, 1)};
  RwTexDictionary* dictionary = Read(WithHeader(TexDictionaryBody({description})));
  ASSERT_NE(dictionary, nullptr);
  RwTexture* texture = Only(dictionary);
  EXPECT_EQ(std::string(texture->name), std::string(31, 'N'));
  EXPECT_EQ(std::string(texture->mask), std::string(31, 'M'));
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(NativeTextureTest, TexturesWithoutPixelsCannotBeWritten) {
  StartNative();
  RwTexDictionary* dictionary = RwTexDictionaryCreate();
  RwTexDictionaryAddTexture(dictionary, RwTextureCreate(nullptr));
  EXPECT_TRUE(Write(dictionary).empty());
  RwTexDictionaryDestroy(dictionary);
}

}  // namespace
