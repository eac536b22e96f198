// Texture and dictionary chunks: exact bytes of a texture chunk, the struct
// word's rules on reading, the mip-mapping switches during a read, the order
// and lengths of dictionary chunks, and corrupt dictionaries failing cleanly.
// The native texture body here is a small stand-in format (name and word).
#include "engine/src/texture_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/chunk_bytes.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_raster_driver.h"

namespace {

constexpr RwUInt32 kNativeBodyBytes = 36;  // name[32], word
constexpr RwInt32 kNativeSize = 12 + kNativeBodyBytes;

struct ReadSwitches {
  RwBool mipmapping;
  RwBool automatic;
};
std::vector<ReadSwitches> gSwitches;
bool gFailNativeSize = false;

RwBool NativeSize(void* size, void*, RwInt32) {
  *static_cast<RwInt32*>(size) = kNativeSize;
  return !gFailNativeSize;
}

RwBool NativeWrite(void* stream, void* object, RwInt32 size) {
  const RwTexture* texture = static_cast<const RwTexture*>(object);
  RwUInt8 body[kNativeBodyBytes] = {};
  std::memcpy(body, texture->name, sizeof(texture->name));
  RwWriteLittleEndianUInt32(body + 32, texture->filterAddressing);
  RwStream* s = static_cast<RwStream*>(stream);
  return size == kNativeSize &&
         RwStreamWriteVersionedChunkHeader(s, kRwChunkStruct, kNativeBodyBytes, kRwLibraryVersion, kRwLibraryBuild) &&
         RwStreamWrite(s, body, kNativeBodyBytes);
}

RwBool NativeRead(void* stream, void* out, RwInt32) {
  RwStream* s = static_cast<RwStream*>(stream);
  RwUInt32 length = 0;
  RwUInt8 body[kNativeBodyBytes];
  if (!RwStreamFindChunk(s, kRwChunkStruct, &length, nullptr) || length != kNativeBodyBytes ||
      !RwStreamReadExact(s, body, kNativeBodyBytes)) {
    return FALSE;
  }
  body[31] = 0;
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, reinterpret_cast<const char*>(body));
  texture->filterAddressing = RwReadLittleEndianUInt32(body + 32);
  *static_cast<RwTexture**>(out) = texture;
  return TRUE;
}

// A texture read that records the switches it ran under.
RwTexture* RecordingTextureRead(const RwChar* name, const RwChar*) {
  gSwitches.push_back({RwTextureGetMipmapping(), RwTextureGetAutoMipmapping()});
  if (std::strcmp(name, "missing") == 0) {
    return nullptr;
  }
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, name);
  return texture;
}

std::vector<std::string> NamesOf(RwTexDictionary* dictionary) {
  std::vector<std::string> names;
  RwTexDictionaryForAllTextures(
      dictionary,
      [](RwTexture* texture, void* data) {
        static_cast<std::vector<std::string>*>(data)->push_back(texture->name);
        return texture;
      },
      &names);
  return names;
}

RwInt32 DictionaryCount() {
  RwInt32 count = 0;
  RwTexDictionaryForAll(
      [](RwTexDictionary* d, void* data) {
        ++*static_cast<RwInt32*>(data);
        return d;
      },
      &count);
  return count;
}

// Writes through a memory stream and returns the bytes.
std::vector<uint8_t> Written(const std::function<bool(RwStream*)>& write) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(WriteToMemory(write, &bytes));
  return bytes;
}

class TextureStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(FakeImageEngineStart(0));
    RwStandardFunc* table = RwEngineInstance->standardFunctions;
    table[kRwStdNativeTextureGetSize] = NativeSize;
    table[kRwStdNativeTextureRead] = NativeRead;
    table[kRwStdNativeTextureWrite] = NativeWrite;
    RwTextureSetReadCallBack(RecordingTextureRead);
    gSwitches.clear();
    gFailNativeSize = false;
    TakeError();
  }
  void TearDown() override { FakeImageEngineStop(); }

  RwTexDictionary* DictionaryOf(const std::vector<std::string>& names) {
    RwTexDictionary* dictionary = RwTexDictionaryCreate();
    for (const std::string& name : names) {
      RwTexture* texture = RwTextureCreate(nullptr);
      RwTextureSetName(texture, name.c_str());
      RwTexDictionaryAddTexture(dictionary, texture);
    }
    return dictionary;
  }
};

TEST_F(TextureStreamTest, TextureChunkBytes) {
  RwTexture* texture = RwTextureCreate(nullptr);
  RwTextureSetName(texture, "wall");
  RwTextureSetFilterMode(texture, 2);
  // Whatever the field held behind the terminator is not written.
  std::memcpy(texture->mask, "\0junk", 5);
  EXPECT_EQ(RwTextureStreamGetSize(texture), 8u + 4u + 52u + 0u);
  const std::vector<uint8_t> bytes = Written([texture](RwStream* s) { return RwTextureStreamWrite(texture, s); });
  ChunkBytes expected;
  expected.Header(6, 64).Header(1, 4).U32(0x1102);
  expected.Header(2, 8).Bytes({'w', 'a', 'l', 'l', 0, 0, 0, 0});
  expected.Header(2, 4).U32(0);
  expected.Header(3, 0);
  EXPECT_EQ(bytes, expected.bytes());
  RwTextureDestroy(texture);
}

TEST_F(TextureStreamTest, MipmappedRasterWithoutAutomaticLevelsSetsBitSixteen) {
  RwRaster* raster = RwRasterCreate(4, 4, 32, rwRASTERTYPETEXTURE | rwRASTERFORMAT8888 | rwRASTERFORMATMIPMAP);
  RwTexture* texture = RwTextureCreate(raster);
  RwTextureSetFilterMode(texture, 4);
  std::vector<uint8_t> bytes = Written([texture](RwStream* s) { return RwTextureStreamWrite(texture, s); });
  EXPECT_EQ(RwReadLittleEndianUInt32(bytes.data() + 24), 0x11104u);
  raster->format |= rwRASTERFORMATAUTOMIPMAP >> 8;
  bytes = Written([texture](RwStream* s) { return RwTextureStreamWrite(texture, s); });
  EXPECT_EQ(RwReadLittleEndianUInt32(bytes.data() + 24), 0x1104u);
  RwTextureDestroy(texture);
}

TEST_F(TextureStreamTest, ReadingAppliesTheWordAndTheMipSwitchesThenRestoresThem) {
  struct Case {
    RwUInt32 word;
    RwUInt32 filterAddressing;
    ReadSwitches during;
  };
  const Case cases[] = {{0x0102, 0x1102, {FALSE, FALSE}},
                        {0x3204, 0x3204, {TRUE, TRUE}},
                        {0x11106, 0x1106, {TRUE, FALSE}},
                        {0x0201, 0x2201, {FALSE, FALSE}}};
  RwTextureSetMipmapping(TRUE);  // the values outside the read
  RwTextureSetAutoMipmapping(FALSE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.word);
    gSwitches.clear();
    ChunkBytes chunk;
    chunk.Header(1, 4)
        .U32(c.word)
        .Header(2, 8)
        .Bytes({'r', 'o', 'c', 'k', 0, 0, 0, 0})
        .Header(2, 4)
        .U32(0)
        .Header(3, 0);
    RwStream* stream = chunk.OpenRead();
    RwTexture* texture = RwTextureStreamRead(stream);
    RwStreamClose(stream, nullptr);
    ASSERT_NE(texture, nullptr);
    EXPECT_STREQ(texture->name, "rock");
    EXPECT_EQ(texture->filterAddressing, c.filterAddressing);
    ASSERT_EQ(gSwitches.size(), 1u);
    EXPECT_EQ(gSwitches[0].mipmapping, c.during.mipmapping);
    EXPECT_EQ(gSwitches[0].automatic, c.during.automatic);
    EXPECT_TRUE(RwTextureGetMipmapping());
    EXPECT_FALSE(RwTextureGetAutoMipmapping());
    RwTextureDestroy(texture);
  }
}

TEST_F(TextureStreamTest, TextureFoundInTheDictionaryKeepsItsOwnWord) {
  RwTexture* rock = RwTextureCreate(nullptr);
  RwTextureSetName(rock, "rock");
  rock->filterAddressing = 0x3302;
  RwTexDictionaryAddTexture(RwTexDictionaryGetCurrent(), rock);
  ChunkBytes chunk;
  chunk.Header(1, 4).U32(0x1101).Header(2, 8).Bytes({'R', 'O', 'C', 'K', 0, 0, 0, 0}).Header(2, 4).U32(0).Header(3, 0);
  RwStream* stream = chunk.OpenRead();
  EXPECT_EQ(RwTextureStreamRead(stream), rock);
  RwStreamClose(stream, nullptr);
  EXPECT_EQ(rock->refCount, 2);
  EXPECT_EQ(rock->filterAddressing, 0x3302u);
  EXPECT_TRUE(gSwitches.empty());
  RwTextureDestroy(rock);
}

TEST_F(TextureStreamTest, MissingTextureSkipsItsExtensionAndStopsAfterTheChunk) {
  ChunkBytes chunk;
  chunk.Header(1, 4).U32(0x1101).Header(2, 8).Bytes({'m', 'i', 's', 's', 'i', 'n', 'g', 0});
  chunk.Header(2, 4).U32(0).Header(3, 16).Header(0x120, 4).U32(7).U32(0xABCD);
  RwStream* stream = chunk.OpenRead();
  EXPECT_EQ(RwTextureStreamRead(stream), nullptr);
  RwUInt32 marker = 0;
  EXPECT_EQ(RwStreamRead(stream, &marker, 4), 4u);
  EXPECT_EQ(marker, 0xABCDu);
  RwStreamClose(stream, nullptr);
}

TEST_F(TextureStreamTest, BrokenExtensionReleasesTheTextureItRead) {
  ChunkBytes chunk;
  chunk.Header(1, 4).U32(0x1101).Header(2, 8).Bytes({'r', 'o', 'c', 'k', 0, 0, 0, 0}).Header(2, 4).U32(0);
  chunk.Header(3, 20).Header(0x120, 40).U32(1);  // a sub-chunk longer than its extension
  RwStream* stream = chunk.OpenRead();
  EXPECT_EQ(RwTextureStreamRead(stream), nullptr);
  RwStreamClose(stream, nullptr);
  TakeError();
  EXPECT_EQ(RwTexDictionaryFindNamedTexture(RwTexDictionaryGetCurrent(), "rock"), nullptr);
}

TEST_F(TextureStreamTest, NamesInWideStringsAndOtherChunksBetween) {
  ChunkBytes chunk;
  chunk.Header(1, 4).U32(0x1101);
  chunk.Header(0x99, 4).U32(0);  // skipped
  chunk.Header(0x13, 10).Bytes({'s', 0, 'a', 0, 'n', 0, 'd', 0, 0, 0});
  chunk.Header(0x13, 2).Bytes({0, 0}).Header(3, 0);
  RwStream* stream = chunk.OpenRead();
  RwTexture* texture = RwTextureStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_STREQ(texture->name, "sand");
  RwTextureDestroy(texture);
}

TEST_F(TextureStreamTest, OverlongNamesAreCutWithinTheirBuffers) {
  std::vector<uint8_t> longName(300, 'q');
  longName.back() = 0;
  ChunkBytes chunk;
  chunk.Header(1, 4).U32(0x1101).Header(2, 300).Bytes(longName).Header(2, 4).U32(0).Header(3, 0);
  RwStream* stream = chunk.OpenRead();
  RwTexture* texture = RwTextureStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(texture, nullptr);
  EXPECT_EQ(std::string(texture->name), std::string(31, 'q'));
  RwTextureDestroy(texture);
}

TEST_F(TextureStreamTest, BadVersionsAndShortStructsAreRefused) {
  struct Case {
    const char* what;
    ChunkBytes bytes;
    RwInt32 error;
  };
  std::vector<Case> cases;
  cases.push_back(
      {"old struct", ChunkBytes().Header(1, 4, RwChunkStampEncode(0x30FFF, 0xFFFF)).U32(1), kRwErrBadChunkVersion});
  cases.push_back({"new name",
                   ChunkBytes().Header(1, 4).U32(1).Header(2, 4, RwChunkStampEncode(0x34006, 0xFFFF)).U32(0),
                   kRwErrBadChunkVersion});
  cases.push_back({"short struct", ChunkBytes().Header(1, 2).Bytes({1, 1}), kRwErrRead});
  for (Case& c : cases) {
    SCOPED_TRACE(c.what);
    RwStream* stream = c.bytes.OpenRead();
    EXPECT_EQ(RwTextureStreamRead(stream), nullptr);
    RwStreamClose(stream, nullptr);
    EXPECT_EQ(TakeError().errorCode, c.error);
  }
  EXPECT_TRUE(gSwitches.empty());
}

TEST_F(TextureStreamTest, WideStringReadKeepsTheLowBytesAndTerminates) {
  ChunkBytes body;
  std::vector<uint8_t> wide;
  for (int i = 0; i < 150; ++i) {
    wide.push_back(static_cast<uint8_t>('a' + i % 26));
    wide.push_back(0x7F);
  }
  body.Bytes(wide);
  RwStream* stream = body.OpenRead();
  RwChar* text = RwStreamReadWideString(nullptr, stream, 300);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(text, nullptr);
  for (int i = 0; i < 150; ++i) {
    ASSERT_EQ(text[i], 'a' + i % 26) << i;
  }
  EXPECT_EQ(text[150], '\0');
  RwFree(text);

  // Into a caller's buffer, and with a lone last byte, which is no character.
  for (RwUInt32 length : {300u, 5u, 1u, 0u}) {
    SCOPED_TRACE(length);
    std::vector<RwChar> buffer(length > 0 ? length : 1, 'x');
    stream = body.OpenRead();
    ASSERT_EQ(RwStreamReadWideString(buffer.data(), stream, length), buffer.data());
    RwStreamClose(stream, nullptr);
    EXPECT_EQ(std::strlen(buffer.data()), length / 2);
  }
  stream = body.OpenRead();
  EXPECT_EQ(RwStreamReadWideString(nullptr, stream, 302), nullptr) << "a short read frees its buffer";
  RwStreamClose(stream, nullptr);
  TakeError();
}

TEST_F(TextureStreamTest, DictionaryReadsInReverseAndWritesInListOrder) {
  ChunkBytes bytes;
  const RwUInt32 native = kNativeSize + 12;
  bytes.Header(1, 4).U32(3);
  for (const char* name : {"A", "B", "C"}) {
    std::vector<uint8_t> body(36, 0);
    body[0] = static_cast<uint8_t>(name[0]);
    body[32] = 0x01;
    body[33] = 0x11;
    bytes.Header(0x15, native).Header(1, 36).Bytes(body).Header(3, 0);
  }
  bytes.Header(3, 0);
  RwStream* stream = bytes.OpenRead();
  RwTexDictionary* dictionary = RwTexDictionaryStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(dictionary, nullptr);
  EXPECT_EQ(NamesOf(dictionary), (std::vector<std::string>{"C", "B", "A"}));
  EXPECT_NE(RwTexDictionaryGetCurrent(), dictionary) << "reading does not make it current";

  const std::vector<uint8_t> written =
      Written([dictionary](RwStream* s) { return RwTexDictionaryStreamWrite(dictionary, s); });
  ASSERT_EQ(written.size(), 12 + 16 + 3 * (12 + kNativeSize + 12) + 12u);
  EXPECT_EQ(RwReadLittleEndianUInt32(written.data()), 0x16u);
  EXPECT_EQ(RwReadLittleEndianUInt32(written.data() + 4), written.size() - 12);
  EXPECT_EQ(RwReadLittleEndianUInt32(written.data() + 24), 3u);
  const size_t perTexture = 12 + kNativeSize + 12;
  for (int i = 0; i < 3; ++i) {
    const uint8_t* chunk = written.data() + 28 + i * perTexture;
    EXPECT_EQ(RwReadLittleEndianUInt32(chunk), 0x15u);
    EXPECT_EQ(RwReadLittleEndianUInt32(chunk + 4), native);
    EXPECT_EQ(chunk[24], "CBA"[i]);
  }
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(TextureStreamTest, EmptyDictionaryRoundTrip) {
  RwTexDictionary* empty = RwTexDictionaryCreate();
  std::vector<uint8_t> bytes = Written([empty](RwStream* s) { return RwTexDictionaryStreamWrite(empty, s); });
  ChunkBytes expected;
  expected.Header(0x16, 28).Header(1, 4).U32(0).Header(3, 0);
  EXPECT_EQ(bytes, expected.bytes());
  std::vector<uint8_t> body(bytes.begin() + 12, bytes.end());
  RwStream* stream = OpenMemoryRead(body);
  RwTexDictionary* read = RwTexDictionaryStreamRead(stream);
  RwStreamClose(stream, nullptr);
  ASSERT_NE(read, nullptr);
  EXPECT_TRUE(NamesOf(read).empty());
  RwTexDictionaryDestroy(read);
  RwTexDictionaryDestroy(empty);
}

TEST_F(TextureStreamTest, WriteFailsBeforeWritingWhenATextureCannotBeSized) {
  RwTexDictionary* dictionary = DictionaryOf({"x"});
  gFailNativeSize = true;
  RwMemory memory = {nullptr, 0};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, &memory);
  EXPECT_EQ(RwTexDictionaryStreamWrite(dictionary, stream), nullptr);
  RwStreamClose(stream, &memory);
  EXPECT_EQ(memory.length, 0u);
  RwFree(memory.start);
  RwTexDictionaryDestroy(dictionary);
}

TEST_F(TextureStreamTest, TruncatedDictionariesFailAndLeaveNothingBehind) {
  RwTexDictionary* dictionary = DictionaryOf({"one", "two", "three"});
  std::vector<uint8_t> bytes = Written([dictionary](RwStream* s) { return RwTexDictionaryStreamWrite(dictionary, s); });
  RwTexDictionaryDestroy(dictionary);
  const RwInt32 dictionaries = DictionaryCount();
  for (size_t keep = 12; keep < bytes.size(); ++keep) {
    SCOPED_TRACE(keep);
    std::vector<uint8_t> body(bytes.begin() + 12, bytes.begin() + static_cast<long>(keep));
    RwStream* stream = OpenMemoryRead(body);
    EXPECT_EQ(RwTexDictionaryStreamRead(stream), nullptr);
    RwStreamClose(stream, nullptr);
    EXPECT_EQ(DictionaryCount(), dictionaries);
    TakeError();
  }
}

}  // namespace
