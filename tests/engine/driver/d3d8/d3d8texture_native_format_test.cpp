// The native texture struct's decoding and checks: fields, terminated names,
// refused platforms, versions and compressions, and level counts and sizes
// measured against the chunk before anything is read into a raster.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/driver/d3d8/d3d8texture_native.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/fake_raster_driver.h"

namespace {

struct NativeSpec {
  RwUInt32 platform = 8;
  RwUInt32 filterAddressing = 0x1102;
  std::string name = "wall";
  std::string mask = "";
  RwUInt32 format = rwRASTERFORMAT8888;
  RwUInt32 hasAlpha = 1;
  RwUInt16 width = 4;
  RwUInt16 height = 4;
  RwUInt8 depth = 32;
  RwUInt8 levels = 1;
  RwUInt8 compression = 0;
  RwUInt32 stamp = kTestStamp;
  RwInt32 structSlack = 0;  // added to the struct length written
};

// The struct chunk for the spec with every announced level at its right size.
ChunkBytes NativeStruct(const NativeSpec& spec, const std::vector<RwUInt32>& levelSizes) {
  std::vector<uint8_t> fixed(88, 0);
  RwWriteLittleEndianUInt32(fixed.data(), spec.platform);
  RwWriteLittleEndianUInt32(fixed.data() + 4, spec.filterAddressing);
  std::memcpy(fixed.data() + 8, spec.name.data(), std::min<size_t>(spec.name.size(), 32));
  std::memcpy(fixed.data() + 40, spec.mask.data(), std::min<size_t>(spec.mask.size(), 32));
  RwWriteLittleEndianUInt32(fixed.data() + 72, spec.format);
  RwWriteLittleEndianUInt32(fixed.data() + 76, spec.hasAlpha);
  fixed[80] = static_cast<uint8_t>(spec.width);
  fixed[81] = static_cast<uint8_t>(spec.width >> 8);
  fixed[82] = static_cast<uint8_t>(spec.height);
  fixed[83] = static_cast<uint8_t>(spec.height >> 8);
  fixed[84] = spec.depth;
  fixed[85] = spec.levels;
  fixed[86] = 4;
  fixed[87] = spec.compression;
  std::vector<uint8_t> body = fixed;
  body.resize(body.size() + _rwD3D8NativePaletteBytes(spec.format), 0x33);
  for (RwUInt32 size : levelSizes) {
    const size_t at = body.size();
    body.resize(at + 4 + size, 0x44);
    RwWriteLittleEndianUInt32(body.data() + at, size);
  }
  ChunkBytes bytes;
  bytes.Header(1, static_cast<uint32_t>(static_cast<RwInt32>(body.size()) + spec.structSlack), spec.stamp).Bytes(body);
  return bytes;
}

class NativeFormatTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(FakeImageEngineStart(0)); }
  void TearDown() override { FakeImageEngineStop(); }

  bool Parse(ChunkBytes bytes, RwD3D8NativeTextureHeader* header, RwInt32 chunkSlack = 12) {
    RwStream* stream = bytes.OpenRead();
    RwUInt32 structLength = 0;
    const bool ok = _rwD3D8NativeTextureReadHeader(stream, static_cast<RwUInt32>(static_cast<RwInt32>(bytes.size()) + chunkSlack), header,
                                                   &structLength) != 0;
    RwStreamClose(stream, nullptr);
    RwErrorRecord e;
    RwErrorGet(&e);
    lastError_ = e.errorCode;
    return ok;
  }
  RwInt32 lastError_ = 0;
};

TEST_F(NativeFormatTest, DecodesTheFixedFields) {
  NativeSpec spec;
  spec.name = std::string(32, 'n');  // no terminator in the file
  spec.mask = "mask";
  spec.width = 300;
  spec.height = 2;
  spec.levels = 9;
  spec.format = rwRASTERFORMAT565 | rwRASTERFORMATMIPMAP;
  spec.depth = 16;
  std::vector<RwUInt32> sizes;
  for (int level = 0; level < 9; ++level) {
    sizes.push_back(static_cast<RwUInt32>(std::max(300 >> level, 1) * std::max(2 >> level, 1) * 2));
  }
  RwD3D8NativeTextureHeader header;
  ASSERT_TRUE(Parse(NativeStruct(spec, sizes), &header));
  EXPECT_EQ(header.filterAddressing, 0x1102u);
  EXPECT_EQ(std::string(header.name), std::string(31, 'n'));
  EXPECT_STREQ(header.mask, "mask");
  EXPECT_EQ(header.rasterFormat, static_cast<RwUInt32>(rwRASTERFORMAT565 | rwRASTERFORMATMIPMAP));
  EXPECT_EQ(header.width, 300);
  EXPECT_EQ(header.height, 2);
  EXPECT_EQ(header.depth, 16);
  EXPECT_EQ(header.numLevels, 9);
  EXPECT_EQ(header.rasterType, 4u);
  RwD3D8NativeLevelLayout layout;
  ASSERT_TRUE(_rwD3D8NativeLevelLayout(&header, 8, &layout));
  EXPECT_EQ(layout.width, 1);
  EXPECT_EQ(layout.height, 1);
  EXPECT_EQ(layout.bytes, 2u);
}

TEST_F(NativeFormatTest, CompressedLevelsAreWholeBlocks) {
  NativeSpec spec;
  spec.compression = 5;
  spec.width = 8;
  spec.height = 2;
  spec.levels = 4;
  spec.depth = 16;
  RwD3D8NativeTextureHeader header;
  ASSERT_TRUE(Parse(NativeStruct(spec, {32, 16, 16, 16}), &header));
  RwD3D8NativeLevelLayout layout;
  ASSERT_TRUE(_rwD3D8NativeLevelLayout(&header, 0, &layout));
  EXPECT_EQ(layout.rows, 1u);
  EXPECT_EQ(layout.rowBytes, 32u);
  spec.compression = 1;
  ASSERT_TRUE(Parse(NativeStruct(spec, {16, 8, 8, 8}), &header));
  EXPECT_EQ(_rwD3D8NativeCompressionFormat(1), static_cast<RwUInt32>(D3DFMT_DXT1));
  EXPECT_EQ(_rwD3D8NativeCompressionOf(D3DFMT_DXT4), 4);
  EXPECT_EQ(_rwD3D8NativeCompressionOf(D3DFMT_A8R8G8B8), 0);
}

TEST_F(NativeFormatTest, RefusesWhatCannotBeRead) {
  struct Case {
    const char* what;
    NativeSpec spec;
    std::vector<RwUInt32> sizes;
    RwInt32 chunkSlack;
    RwInt32 error;
  };
  std::vector<Case> cases;
  auto add = [&cases](const char* what, void (*change)(NativeSpec&), std::vector<RwUInt32> sizes,
                      RwInt32 chunkSlack = 12, RwInt32 error = kRwErrNoError) {
    NativeSpec spec;
    change(spec);
    cases.push_back({what, spec, sizes, chunkSlack, error});
  };
  add("platform 9", [](NativeSpec& s) { s.platform = 9; }, {64});
  add("compression 6", [](NativeSpec& s) { s.compression = 6; }, {64});
  add(
      "version 0x30FFF", [](NativeSpec& s) { s.stamp = RwChunkStampEncode(0x30FFF, 0xFFFF); }, {64}, 12,
      kRwErrBadChunkVersion);
  add(
      "version 0x34006", [](NativeSpec& s) { s.stamp = RwChunkStampEncode(0x34006, 0xFFFF); }, {64}, 12,
      kRwErrBadChunkVersion);
  add("zero width", [](NativeSpec& s) { s.width = 0; }, {64});
  add("no levels", [](NativeSpec& s) { s.levels = 0; }, {});
  add("more levels than the chain", [](NativeSpec& s) { s.levels = 4; }, {64, 16, 4, 4});
  add("odd depth", [](NativeSpec& s) { s.depth = 24; }, {48});
  add("levels beyond the struct", [](NativeSpec& s) { s.levels = 2; }, {64});
  add(
      "struct beyond the chunk", [](NativeSpec&) {}, {64}, -1, kRwErrRead);
  add(
      "struct shorter than its fields", [](NativeSpec& s) { s.structSlack = -100; }, {64}, 12, kRwErrRead);
  add("palette missing",
      [](NativeSpec& s) {
        s.format |= rwRASTERFORMATPAL8;
        s.depth = 8;
        s.structSlack = -1024;
      },
      {16});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RwD3D8NativeTextureHeader header;
    EXPECT_FALSE(Parse(NativeStruct(c.spec, c.sizes), &header, c.chunkSlack));
    if (c.error != kRwErrNoError) {
      EXPECT_EQ(lastError_, c.error);
    }
  }
}

}  // namespace
