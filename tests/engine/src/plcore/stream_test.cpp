// Streams over memory, files and callbacks; chunk headers, stamps and the
// chunk search; typed readers and writers.
#include "engine/src/plcore/stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/src/plcore/chunk_body_reader.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"

namespace {

class StreamTest : public StartedEngineTest {};

struct StampCase {
  uint32_t stamp;
  uint32_t version;
  uint32_t build;
  bool accepted;
};

class ChunkStampTest : public StartedEngineTest, public ::testing::WithParamInterface<StampCase> {};

TEST_P(ChunkStampTest, HeaderDecodesStampAndFindChecksVersion) {
  const StampCase& c = GetParam();
  ChunkBytes bytes;
  bytes.Header(0xE, 4, c.stamp).U32(0xAABBCCDD);

  RwStream* stream = bytes.OpenRead();
  ASSERT_NE(stream, nullptr);
  RwUInt32 type = 0, length = 0, version = 0, build = 0;
  ASSERT_TRUE(RwStreamReadChunkHeader(stream, &type, &length, &version, &build));
  EXPECT_EQ(type, 0xEu);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(version, c.version);
  EXPECT_EQ(build, c.build);
  ASSERT_TRUE(RwStreamClose(stream, nullptr));

  stream = bytes.OpenRead();
  length = version = 0;
  EXPECT_EQ(RwStreamFindChunk(stream, 0xE, &length, &version), c.accepted ? TRUE : FALSE);
  if (c.accepted) {
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(version, c.version);
    ExpectNoError();
  } else {
    ExpectError(kRwPluginIdNone, kRwErrBadChunkVersion);
  }
  RwStreamClose(stream, nullptr);
}

INSTANTIATE_TEST_SUITE_P(Stamps, ChunkStampTest,
                         ::testing::Values(StampCase{0x310, 0x31000, 0, true},
                                           StampCase{0x1005FFFF, 0x34005, 0xFFFF, true},
                                           StampCase{RwChunkStampEncode(0x35000, 0), 0x35000, 0, false},
                                           StampCase{0x300, 0x30000, 0, false}));

TEST_F(StreamTest, WrittenHeaderCarriesTheEngineStamp) {
  EXPECT_EQ(RwChunkStampEncode(kRwLibraryVersion, kRwLibraryBuild), 0x1005FFFFu);
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(RwStreamWriteVersionedChunkHeader(stream, 0x10, 0x1234, kRwLibraryVersion, kRwLibraryBuild), nullptr);
  RwMemory memory = {};
  ASSERT_TRUE(RwStreamClose(stream, &memory));
  ChunkBytes expected;
  expected.Header(0x10, 0x1234, 0x1005FFFF);
  ASSERT_EQ(memory.length, 12u);
  EXPECT_EQ(std::vector<uint8_t>(memory.start, memory.start + memory.length), expected.bytes());
  RwFree(memory.start);
}

TEST_F(StreamTest, FindChunkSkipsOtherChunks) {
  ChunkBytes bytes;
  bytes.Header(1, 8).U32(1).U32(2).Header(0xE, 4).U32(77);
  RwStream* stream = bytes.OpenRead();
  RwUInt32 length = 0;
  ASSERT_TRUE(RwStreamFindChunk(stream, 0xE, &length, nullptr));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(stream->Type.memory.position, 32u);
  RwInt32 value = 0;
  ASSERT_NE(RwStreamReadInt32(stream, &value, sizeof(value)), nullptr);
  EXPECT_EQ(value, 77);
  RwStreamClose(stream, nullptr);
}

TEST_F(StreamTest, TruncatedStreamsFailCleanly) {
  ChunkBytes cutHeader;
  cutHeader.Header(0xE, 4).Truncate(4);
  ChunkBytes longBody;
  longBody.Header(1, 100).U32(0);
  ChunkBytes otherChunk;
  otherChunk.Header(1, 0);
  const struct {
    const char* name;
    ChunkBytes* bytes;
    bool find;       // RwStreamFindChunk of 0xE, else RwStreamReadChunkHeader
    bool endError;   // fails with the end-of-stream error
    bool atEnd;      // and leaves the stream at its end
  } cases[] = {
      {"header cut after 8 bytes", &cutHeader, false, true, false},
      {"header of the chunk asked for cut after 8 bytes", &cutHeader, true, true, false},
      {"skipped body runs past the end", &longBody, true, true, true},
      {"chunk not present", &otherChunk, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RwStream* stream = c.bytes->OpenRead();
    EXPECT_FALSE(c.find ? RwStreamFindChunk(stream, 0xE, nullptr, nullptr)
                        : RwStreamReadChunkHeader(stream, nullptr, nullptr, nullptr, nullptr));
    if (c.endError) {
      ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
    }
    if (c.atEnd) {
      EXPECT_EQ(stream->Type.memory.position, c.bytes->size());
    }
    RwStreamClose(stream, nullptr);
  }
}

TEST_F(StreamTest, TypedReadersFailOnAnyShortRead) {
  ChunkBytes bytes;
  bytes.U32(1).U32(2).U32(3);
  RwStream* stream = bytes.OpenRead();
  RwInt32 ints[4] = {};
  EXPECT_EQ(RwStreamReadInt32(stream, ints, sizeof(ints)), nullptr);
  EXPECT_EQ(ints[2], 3);
  ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
  RwStreamClose(stream, nullptr);

  stream = bytes.OpenRead();
  RwReal reals[2];
  ASSERT_NE(RwStreamReadReal(stream, reals, sizeof(reals)), nullptr);
  EXPECT_EQ(RwStreamReadReal(stream, reals, sizeof(reals)), nullptr);
  RwStreamClose(stream, nullptr);
}

TEST_F(StreamTest, TypedWordsRoundTripInLittleEndianOrder) {
  std::vector<RwReal> reals(100);
  std::vector<RwInt32> ints(70);
  for (size_t i = 0; i < reals.size(); ++i) {
    reals[i] = static_cast<RwReal>(i) * 0.5f - 3.0f;
  }
  for (size_t i = 0; i < ints.size(); ++i) {
    ints[i] = static_cast<RwInt32>(i * 1000003) - 5;
  }
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_NE(RwStreamWriteReal(stream, reals.data(), static_cast<RwUInt32>(reals.size() * 4)), nullptr);
  ASSERT_NE(RwStreamWriteInt32(stream, ints.data(), static_cast<RwUInt32>(ints.size() * 4)), nullptr);
  RwMemory memory = {};
  ASSERT_TRUE(RwStreamClose(stream, &memory));
  ASSERT_EQ(memory.length, 680u);
  EXPECT_EQ(RwReadLittleEndianReal(memory.start + 4), -2.5f);
  EXPECT_EQ(RwReadLittleEndianInt32(memory.start + 404), 1000003 - 5);

  stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  std::vector<RwReal> realsBack(reals.size());
  std::vector<RwInt32> intsBack(ints.size());
  ASSERT_NE(RwStreamReadReal(stream, realsBack.data(), static_cast<RwUInt32>(reals.size() * 4)), nullptr);
  ASSERT_NE(RwStreamReadInt32(stream, intsBack.data(), static_cast<RwUInt32>(ints.size() * 4)), nullptr);
  EXPECT_EQ(realsBack, reals);
  EXPECT_EQ(intsBack, ints);
  RwStreamClose(stream, nullptr);
  RwFree(memory.start);
}

TEST_F(StreamTest, MemoryStreamGrowsAndHandsBackWhatWasWritten) {
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_NE(stream, nullptr);
  std::vector<uint8_t> data(600, 0x5A);
  ASSERT_NE(RwStreamWrite(stream, "abc", 3), nullptr);
  EXPECT_EQ(stream->Type.memory.nSize, 512u);
  ASSERT_NE(RwStreamWrite(stream, data.data(), 600), nullptr);
  EXPECT_EQ(stream->Type.memory.nSize, 1112u);
  ASSERT_NE(RwStreamWrite(stream, data.data(), 100), nullptr);
  EXPECT_EQ(stream->Type.memory.nSize, 1112u);
  RwMemory memory = {};
  ASSERT_TRUE(RwStreamClose(stream, &memory));
  ASSERT_EQ(memory.length, 703u);
  EXPECT_EQ(std::memcmp(memory.start, "abc", 3), 0);
  EXPECT_EQ(memory.start[602], 0x5A);

  // Appending continues after the handed-back bytes.
  stream = RwStreamOpen(kRwStreamMemory, kRwStreamAppend, &memory);
  ASSERT_NE(RwStreamWrite(stream, "xyz", 3), nullptr);
  ASSERT_TRUE(RwStreamClose(stream, &memory));
  ASSERT_EQ(memory.length, 706u);
  EXPECT_EQ(std::memcmp(memory.start + 703, "xyz", 3), 0);
  RwFree(memory.start);

  // Closed without taking the bytes: the stream releases them (no leak under LSan).
  stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
  ASSERT_NE(RwStreamWrite(stream, data.data(), 10), nullptr);
  EXPECT_TRUE(RwStreamClose(stream, nullptr));
}

// Memory functions that grow the test's blocks in place while they fit and
// move them otherwise, recording what is freed.
constexpr size_t kCallerBlockSize = 1024;
struct GrowingAllocator {
  RwMemoryFunctions saved = {};
  std::vector<void*> freed;
} gGrowing;

void RecordingFree(void* block) {
  gGrowing.freed.push_back(block);
  gGrowing.saved.rwfree(block);
}

void* GrowingRealloc(void* block, size_t size) {
  if (size <= kCallerBlockSize) {
    return block;
  }
  void* moved = gGrowing.saved.rwmalloc(size);
  if (moved != nullptr && block != nullptr) {
    std::memcpy(moved, block, kCallerBlockSize);
    RecordingFree(block);
  }
  return moved;
}

TEST_F(StreamTest, AppendStreamClosedWithoutAnOutReleasesOnlyWhatItGrew) {
  gGrowing = GrowingAllocator();
  gGrowing.saved = RwEngineInstance->memoryFunctions;
  RwEngineInstance->memoryFunctions.rwfree = RecordingFree;
  RwEngineInstance->memoryFunctions.rwrealloc = GrowingRealloc;
  std::vector<uint8_t> data(2000, 0x5A);
  {
    SCOPED_TRACE("moved: the caller's block went with the growth, the grown one is freed at close");
    RwMemory memory = {static_cast<RwUInt8*>(RwMalloc(kCallerBlockSize)), 4};
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamAppend, &memory);
    ASSERT_NE(RwStreamWrite(stream, data.data(), 2000), nullptr);
    RwUInt8* grown = stream->Type.memory.memBlock;
    ASSERT_NE(grown, memory.start);
    EXPECT_EQ(gGrowing.freed, std::vector<void*>{memory.start});
    EXPECT_TRUE(RwStreamClose(stream, nullptr));
    EXPECT_EQ(gGrowing.freed, (std::vector<void*>{memory.start, grown}));
  }
  {
    SCOPED_TRACE("grown in place: the block stays the caller's");
    gGrowing.freed.clear();
    RwMemory memory = {static_cast<RwUInt8*>(RwMalloc(kCallerBlockSize)), 4};
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamAppend, &memory);
    ASSERT_NE(RwStreamWrite(stream, "wxyz", 4), nullptr);
    EXPECT_EQ(stream->Type.memory.memBlock, memory.start);
    EXPECT_TRUE(RwStreamClose(stream, nullptr));
    EXPECT_TRUE(gGrowing.freed.empty());
    EXPECT_EQ(std::memcmp(memory.start + 4, "wxyz", 4), 0);
    RwFree(memory.start);
  }
  RwEngineInstance->memoryFunctions = gGrowing.saved;
}

TEST_F(StreamTest, ReadStreamsOverCallerMemoryRefuseWrites) {
  uint8_t buffer[4] = {1, 2, 3, 4};
  RwMemory memory = {buffer, 4};
  RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamRead, &memory);
  EXPECT_EQ(RwStreamWrite(stream, "too long", 8), nullptr);
  ExpectError(kRwPluginIdCore, kRwErrBadStreamAccess);
  EXPECT_EQ(buffer[0], 1);
  RwStreamClose(stream, nullptr);
}

TEST_F(StreamTest, MemoryReadAndSkipStopAtTheEnd) {
  ChunkBytes bytes;
  bytes.U32(0x04030201).U32(0x08070605);
  RwStream* stream = bytes.OpenRead();
  uint8_t buffer[10] = {};
  ASSERT_NE(RwStreamSkip(stream, 4), nullptr);
  EXPECT_EQ(RwStreamRead(stream, buffer, 10), 4u);
  EXPECT_EQ(buffer[0], 5);
  EXPECT_EQ(buffer[3], 8);
  ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
  RwStreamClose(stream, nullptr);

  stream = bytes.OpenRead();
  EXPECT_NE(RwStreamSkip(stream, 0), nullptr);
  EXPECT_EQ(RwStreamSkip(stream, 9), nullptr);
  EXPECT_EQ(stream->Type.memory.position, 8u);
  ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
  RwStreamClose(stream, nullptr);
}

TEST_F(StreamTest, OpenRefusesBadTypesAccessesAndMissingFiles) {
  RwMemory memory = {nullptr, 0};
  EXPECT_EQ(RwStreamOpen(7, kRwStreamRead, &memory), nullptr);
  ExpectError(kRwPluginIdCore, kRwErrBadStreamType);
  EXPECT_EQ(RwStreamOpen(kRwStreamMemory, 4, &memory), nullptr);
  ExpectError(kRwPluginIdCore, kRwErrBadStreamAccess);
  EXPECT_EQ(RwStreamOpen(kRwStreamFileName, 0, "anything"), nullptr);
  ExpectError(kRwPluginIdCore, kRwErrBadStreamAccess);
  // Failed opens return their records: many of them never exhaust anything.
  for (int i = 0; i < 40; ++i) {
    EXPECT_EQ(RwStreamOpen(kRwStreamFileName, kRwStreamRead, "no/such/file.dff"), nullptr);
  }
  ExpectError(kRwPluginIdNone, kRwErrFileOpen);
}

class FileStreamTest : public StreamTest {
 protected:
  void SetUp() override {
    StreamTest::SetUp();
    dir_ = folder_.Path();
    ASSERT_FALSE(dir_.empty());
  }
  ScratchFolder folder_{"stream_test"};
  std::string dir_;
};

TEST_F(FileStreamTest, NamedFileRoundTripThroughWindowsStyleNames) {
  const std::string written = dir_ + "/Models.DFF";
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, written.c_str());
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(RwStreamWriteVersionedChunkHeader(stream, 0x10, 8, kRwLibraryVersion, kRwLibraryBuild), nullptr);
  const RwInt32 words[2] = {-1, 12345};
  ASSERT_NE(RwStreamWriteInt32(stream, words, sizeof(words)), nullptr);
  ASSERT_TRUE(RwStreamClose(stream, nullptr));

  std::string windowsName = dir_ + "\\models.dff";
  EXPECT_TRUE(RwFileExists(windowsName.c_str()));
  EXPECT_TRUE(RwEngineGetFileInterface()->rwfexist(windowsName.c_str()));
  stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, windowsName.c_str());
  ASSERT_NE(stream, nullptr);
  RwUInt32 length = 0;
  ASSERT_TRUE(RwStreamFindChunk(stream, 0x10, &length, nullptr));
  EXPECT_EQ(length, 8u);
  RwInt32 back[2] = {};
  ASSERT_NE(RwStreamReadInt32(stream, back, sizeof(back)), nullptr);
  EXPECT_EQ(back[0], -1);
  EXPECT_EQ(back[1], 12345);
  uint8_t extra[4];
  EXPECT_EQ(RwStreamRead(stream, extra, 4), 0u);
  ExpectError(kRwPluginIdCore, kRwErrEndOfStream);
  ASSERT_TRUE(RwStreamClose(stream, nullptr));
}

// A body length that claims more than the stream holds is cut to what the
// stream has, so counts checked against the body cannot ask for memory that
// the bytes behind them could never fill.
TEST_F(FileStreamTest, ChunkBodiesHoldNoMoreThanTheirStreamHas) {
  ChunkBytes bytes;
  bytes.U32(7).U32(8);
  const std::string name = dir_ + "/body.bin";
  RwStream* stream = bytes.OpenRead();
  ASSERT_NE(stream, nullptr);
  RwStream* written = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, name.c_str());
  ASSERT_NE(written, nullptr);
  const RwInt32 words[2] = {7, 8};
  ASSERT_NE(RwStreamWriteInt32(written, words, sizeof(words)), nullptr);
  ASSERT_TRUE(RwStreamClose(written, nullptr));
  RwStream* file = RwStreamOpen(kRwStreamFileName, kRwStreamRead, name.c_str());
  ASSERT_NE(file, nullptr);

  for (RwStream* s : {stream, file}) {
    RwUInt32 first = 0;
    RwChunkBodyReader reader = RwChunkBodyReaderOpen(s, 100000000);
    ASSERT_TRUE(RwChunkBodyReadUInt32(&reader, &first));
    EXPECT_EQ(first, 7u);
    EXPECT_TRUE(RwChunkBodyReaderHas(&reader, 1, 4));
    EXPECT_FALSE(RwChunkBodyReaderHas(&reader, 2, 4));
    // A body shorter than its stream keeps its own length.
    EXPECT_EQ(RwChunkBodyReaderOpen(s, 2).left, 2u);
    ASSERT_TRUE(RwStreamClose(s, nullptr));
  }
}

// A file opened by name learns its length when it opens and reads through a
// view of it (a block of its own for a small one): reads, reads in place and
// skips give the file's bytes, and the bytes left follow each.
TEST_F(FileStreamTest, NamedFilesReadAheadAndCountTheBytesLeft) {
  const std::string name = dir_ + "/counted.bin";
  std::vector<RwUInt8> data(200000);
  for (size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<RwUInt8>(i * 7 % 251);
  }
  RwStream* written = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, name.c_str());
  ASSERT_NE(written, nullptr);
  ASSERT_NE(RwStreamWrite(written, data.data(), static_cast<RwUInt32>(data.size())), nullptr);
  ASSERT_TRUE(RwStreamClose(written, nullptr));
  enum How { kRead, kSkip, kInPlace };
  struct Step {
    const char* what;
    How how;
    RwUInt32 bytes;
  };
  const Step steps[] = {{"a header", kRead, 12},
                        {"a skip within the block", kSkip, 500},
                        {"a read across the block", kRead, 70000},
                        {"a read in place", kInPlace, 20000},
                        {"a skip past the block", kSkip, 10000},
                        {"a read longer than the block", kRead, 99000},
                        {"a short read at the end", kRead, 900},
                        {"a skip past the end", kSkip, 50}};
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, name.c_str());
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(_rwStreamBytesAvailable(stream, 500000), data.size());
  size_t position = 0;
  std::vector<RwUInt8> buffer(data.size());
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const size_t expected = std::min<size_t>(step.bytes, data.size() - position);
    if (step.how == kInPlace) {
      const RwUInt8* bytes = _rwStreamReadInPlace(stream, buffer.data(), step.bytes);
      ASSERT_NE(bytes, nullptr);
      EXPECT_TRUE(std::equal(bytes, bytes + step.bytes, data.begin() + static_cast<std::ptrdiff_t>(position)));
    } else if (step.how == kSkip) {
      // A file seek may pass the end; what counts is that nothing is left then.
      RwStream* skipped = RwStreamSkip(stream, step.bytes);
      if (expected == step.bytes) {
        EXPECT_NE(skipped, nullptr);
      }
    } else {
      ASSERT_EQ(RwStreamRead(stream, buffer.data(), step.bytes), expected);
      EXPECT_TRUE(std::equal(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(expected),
                             data.begin() + static_cast<std::ptrdiff_t>(position)));
    }
    TakeError();
    position += expected;
    EXPECT_EQ(_rwStreamBytesAvailable(stream, 500000), data.size() - position);
  }
  ASSERT_TRUE(RwStreamClose(stream, nullptr));
}

// A small file's read-ahead block and a large file's view both read bytes
// appended after the open.
TEST_F(FileStreamTest, ReadAheadBlocksAndViewsFollowAppends) {
  struct Row {
    const char* what;
    size_t first, total;
  };
  for (const Row& row : {Row{"block", 3000, 8000}, Row{"view", 70000, 150000}}) {
    SCOPED_TRACE(row.what);
    const std::string name = dir_ + "/grown_" + row.what + ".bin";
    std::vector<RwUInt8> data(row.total), back(row.total);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<RwUInt8>(i * 13 % 253);
    FILE* file = std::fopen(name.c_str(), "wb");
    ASSERT_TRUE(file != nullptr && std::fwrite(data.data(), 1, row.first, file) == row.first && std::fflush(file) == 0);
    RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, name.c_str());
    const size_t rest = row.total - row.first;
    EXPECT_TRUE(std::fwrite(data.data() + row.first, 1, rest, file) == rest && std::fclose(file) == 0);
    ASSERT_NE(stream, nullptr);
    // Within the first end, on past it, longer than the block, the rest.
    const RwUInt32 reads[] = {RwUInt32(row.first / 4), RwUInt32(row.first - row.first / 4 + 200), RwUInt32(rest - 1000),
                              900};
    RwUInt32 got = 0;
    for (RwUInt32 length : reads) got += RwStreamRead(stream, back.data() + got, length);
    TakeError();
    EXPECT_EQ(got, row.total);
    EXPECT_EQ(back, data);
    ASSERT_TRUE(RwStreamClose(stream, nullptr));
  }
}

// A small file's block holds the whole file and lends its bytes in place,
// after a skip too, never more than the file had; they stay while the
// stream reads on past the first end into bytes appended after the open.
TEST_F(FileStreamTest, SmallFileBlocksLendBytesThatStayUntilClose) {
  std::vector<RwUInt8> data(5000), back(2000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<RwUInt8>(i * 11 % 241);
  const std::string name = dir_ + "/lent.bin";
  for (RwUInt32 skip : {0u, 100u}) {
    SCOPED_TRACE(skip);
    FILE* file = std::fopen(name.c_str(), "wb");
    ASSERT_TRUE(file != nullptr && std::fwrite(data.data(), 1, 3000, file) == 3000 && std::fflush(file) == 0);
    RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, name.c_str());
    ASSERT_TRUE(stream != nullptr && RwStreamSkip(stream, skip) != nullptr);
    EXPECT_EQ(_rwStreamLendBytes(stream, 3001 - skip), nullptr);
    const RwUInt8* lent = _rwStreamLendBytes(stream, 3000 - skip);
    ASSERT_NE(lent, nullptr);
    EXPECT_EQ(_rwStreamBytesAvailable(stream, 10000), 0u);
    ASSERT_TRUE(std::fwrite(data.data() + 3000, 1, 2000, file) == 2000 && std::fclose(file) == 0);
    EXPECT_EQ(_rwStreamLendBytes(stream, 10), nullptr);
    ASSERT_EQ(RwStreamRead(stream, back.data(), 2000), 2000u);
    EXPECT_TRUE(std::equal(back.begin(), back.end(), data.begin() + 3000));
    EXPECT_TRUE(std::equal(lent, lent + 3000 - skip, data.begin() + skip));
    ASSERT_TRUE(RwStreamClose(stream, nullptr));
  }
}

TEST_F(FileStreamTest, OpenHandleStaysOpenAfterClose) {
  const std::string name = dir_ + "/handle.bin";
  FILE* file = std::fopen(name.c_str(), "w+b");
  ASSERT_NE(file, nullptr);
  RwStream* stream = RwStreamOpen(kRwStreamFile, kRwStreamWrite, file);
  ASSERT_NE(stream, nullptr);
  ASSERT_NE(RwStreamWrite(stream, "chunk", 5), nullptr);
  ASSERT_TRUE(RwStreamClose(stream, nullptr));
  EXPECT_EQ(std::ftell(file), 5);
  std::rewind(file);
  stream = RwStreamOpen(kRwStreamFile, kRwStreamRead, file);
  ASSERT_NE(RwStreamSkip(stream, 2), nullptr);
  char text[4] = {};
  EXPECT_EQ(RwStreamRead(stream, text, 3), 3u);
  EXPECT_STREQ(text, "unk");
  ASSERT_TRUE(RwStreamClose(stream, nullptr));
  EXPECT_EQ(std::fclose(file), 0);
}

TEST_F(FileStreamTest, WritesToAFileOpenedForReadingFail) {
  const std::string name = dir_ + "/readonly.bin";
  FILE* file = std::fopen(name.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fclose(file);
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, name.c_str());
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(RwStreamWrite(stream, "x", 1), nullptr);
  ExpectError(kRwPluginIdNone, kRwErrWrite);
  EXPECT_FALSE(RwStreamReadChunkHeader(stream, nullptr, nullptr, nullptr, nullptr));
  EXPECT_NE(TakeError().errorCode, kRwErrNoError);
  EXPECT_TRUE(RwStreamClose(stream, nullptr));
}

TEST_F(FileStreamTest, ReplacedOpenEntryServesEveryNamedStream) {
  static int opens;
  static std::string lastName;
  opens = 0;
  RwFileFunctions* files = RwEngineGetFileInterface();
  const RwFileFunctions saved = *files;
  files->rwfopen = [](const RwChar* name, const RwChar* mode) -> void* {
    ++opens;
    lastName = name;
    return std::fopen("/dev/null", mode);
  };
  EXPECT_TRUE(RwFileExists("data\\anything.txd"));
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, "data\\other.txd");
  ASSERT_NE(stream, nullptr);
  EXPECT_TRUE(RwStreamClose(stream, nullptr));
  *files = saved;
  EXPECT_EQ(opens, 2);
  EXPECT_EQ(lastName, "data\\other.txd");
}

// A callback stream over a string with counted calls.
struct CallbackData {
  std::string text;
  size_t position = 0;
  int closes = 0;
  bool refuseWrite = false;
};

TEST_F(StreamTest, CallbackStreamForwardsEveryOperation) {
  CallbackData data;
  data.text = "0123456789";
  RwStreamCustom custom = {[](void* d) { static_cast<CallbackData*>(d)->closes++; },
                           [](void* d, void* buffer, RwUInt32 length) -> RwUInt32 {
                             CallbackData* self = static_cast<CallbackData*>(d);
                             const size_t count = std::min<size_t>(length, self->text.size() - self->position);
                             std::memcpy(buffer, self->text.data() + self->position, count);
                             self->position += count;
                             return static_cast<RwUInt32>(count);
                           },
                           [](void* d, const void* buffer, RwUInt32 length) -> RwInt32 {
                             CallbackData* self = static_cast<CallbackData*>(d);
                             if (self->refuseWrite) {
                               return 0;
                             }
                             self->text.append(static_cast<const char*>(buffer), length);
                             return 1;
                           },
                           [](void* d, RwUInt32 offset) -> RwInt32 {
                             CallbackData* self = static_cast<CallbackData*>(d);
                             if (self->position + offset > self->text.size()) {
                               return 0;
                             }
                             self->position += offset;
                             return 1;
                           },
                           &data};
  RwStream* stream = RwStreamOpen(kRwStreamCustom, kRwStreamRead, &custom);
  ASSERT_NE(stream, nullptr);
  char buffer[8] = {};
  ASSERT_NE(RwStreamSkip(stream, 3), nullptr);
  EXPECT_EQ(RwStreamRead(stream, buffer, 4), 4u);
  EXPECT_STREQ(buffer, "3456");
  EXPECT_EQ(RwStreamSkip(stream, 10), nullptr);
  EXPECT_NE(RwStreamWrite(stream, "ab", 2), nullptr);
  EXPECT_EQ(data.text, "0123456789ab");
  data.refuseWrite = true;
  EXPECT_EQ(RwStreamWrite(stream, "cd", 2), nullptr);
  EXPECT_TRUE(RwStreamClose(stream, nullptr));
  EXPECT_EQ(data.closes, 1);
}

}  // namespace
