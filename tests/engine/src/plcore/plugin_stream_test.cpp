// Plugin data in extension chunks, with hand-built bytes: what is written,
// what is read back, and how damaged or misbehaving sub-chunks are handled.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "engine/engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/error_record.h"
#include "tests/support/fake_driver.h"

namespace {

struct Thing {
  RwInt32 own;
};

constexpr RwUInt32 kValuePlugin = 0x201;
constexpr RwUInt32 kSilentPlugin = 0x202;
constexpr RwUInt32 kSizeOnlyPlugin = 0x203;
constexpr RwUInt32 kAlwaysPlugin = 0x204;
constexpr RwUInt32 kUnknownPlugin = 0x999;
constexpr RwUInt32 kMarker = 0xC0FFEE11;

RwPluginRegistry sThingRegistry = RwPluginRegistryInitializer(sizeof(Thing));

// How the value plugin's callbacks behave in the current test.
struct ValuePluginBehaviour {
  RwInt32 announcedSize = 4;
  RwUInt32 bytesWritten = 4;
  RwUInt32 bytesRead = 4;
  bool readFails = false;
  bool alwaysFails = false;
  int alwaysCalls = 0;
  int readCalls = 0;
};
ValuePluginBehaviour sBehaviour;
RwInt32 sValueOffset = -1;

RwUInt32& Value(void* thing) { return *RwPluginDataGet(RwUInt32, thing, sValueOffset); }

RwStream* ValueRead(RwStream* stream, RwInt32, void* object, RwInt32 offset, RwInt32) {
  sBehaviour.readCalls++;
  if (sBehaviour.readFails) {
    return nullptr;
  }
  RwUInt8 bytes[16] = {};
  const RwUInt32 got = RwStreamRead(stream, bytes, sBehaviour.bytesRead);
  std::memcpy(RwPluginDataGet(RwUInt32, object, offset), bytes, 4);
  return got == sBehaviour.bytesRead ? stream : nullptr;
}

RwStream* ValueWrite(RwStream* stream, RwInt32, const void* object, RwInt32 offset, RwInt32) {
  RwUInt8 bytes[16] = {};
  std::memcpy(bytes, RwPluginDataGetConst(RwUInt32, object, offset), 4);
  return RwStreamWrite(stream, bytes, sBehaviour.bytesWritten);
}

RwInt32 ValueSize(const void*, RwInt32, RwInt32) { return sBehaviour.announcedSize; }
RwInt32 NothingSize(const void*, RwInt32, RwInt32) { return 0; }
RwInt32 EightSize(const void*, RwInt32, RwInt32) { return 8; }
RwStream* NeverWrite(RwStream*, RwInt32, const void*, RwInt32, RwInt32) { return nullptr; }

RwBool Always(void*, RwInt32, RwInt32) {
  sBehaviour.alwaysCalls++;
  return sBehaviour.alwaysFails ? FALSE : TRUE;
}

class PluginStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    FakeDriverInstall();
    sBehaviour = ValuePluginBehaviour();
    ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
    sValueOffset = RwPluginRegistryAddPlugin(&sThingRegistry, 4, kValuePlugin, nullptr, nullptr, nullptr);
    ASSERT_GE(sValueOffset, 0);
    ASSERT_GE(RwPluginRegistryAddPlugin(&sThingRegistry, 4, kSilentPlugin, nullptr, nullptr, nullptr), 0);
    ASSERT_GE(RwPluginRegistryAddPlugin(&sThingRegistry, 4, kSizeOnlyPlugin, nullptr, nullptr, nullptr), 0);
    ASSERT_GE(RwPluginRegistryAddPlugin(&sThingRegistry, 0, kAlwaysPlugin, nullptr, nullptr, nullptr), 0);
    RwPluginRegistryAddPluginStream(&sThingRegistry, kValuePlugin, ValueRead, ValueWrite, ValueSize);
    RwPluginRegistryAddPluginStream(&sThingRegistry, kSilentPlugin, nullptr, NeverWrite, NothingSize);
    RwPluginRegistryAddPluginStream(&sThingRegistry, kSizeOnlyPlugin, nullptr, nullptr, EightSize);
    RwPluginRegistryAddPluginStreamAlwaysCB(&sThingRegistry, kAlwaysPlugin, Always);
    RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
    ASSERT_TRUE(RwEngineOpen(&params));
    ASSERT_TRUE(RwEngineStart());
    thing_.assign(static_cast<size_t>(sThingRegistry.sizeOfStruct), 0);
  }
  void TearDown() override {
    FakeEngineShutdown();
    FakeDriverUninstall();
  }

  // Writes the thing's extension chunk; empty on failure.
  std::vector<RwUInt8> Write() {
    RwStream* stream = RwStreamOpen(kRwStreamMemory, kRwStreamWrite, nullptr);
    EXPECT_NE(stream, nullptr);
    const bool ok = RwPluginRegistryWriteDataChunks(&sThingRegistry, stream, thing_.data()) != nullptr;
    RwMemory memory = {nullptr, 0};
    RwStreamClose(stream, &memory);
    std::vector<RwUInt8> bytes;
    if (ok) {
      bytes.assign(memory.start, memory.start + memory.length);
    }
    EngineFree(memory.start);
    return bytes;
  }

  // Reads an extension chunk from the bytes; then expects the marker word
  // right after it when the read succeeded.
  bool Read(ChunkBytes& bytes) {
    bytes.U32(kMarker);
    RwStream* stream = bytes.OpenRead();
    const bool ok = RwPluginRegistryReadDataChunks(&sThingRegistry, stream, thing_.data()) != nullptr;
    if (ok) {
      RwUInt32 marker = 0;
      EXPECT_EQ(RwStreamRead(stream, &marker, 4), 4u);
      EXPECT_EQ(marker, kMarker);
    }
    RwStreamClose(stream, nullptr);
    return ok;
  }

  std::vector<RwUInt8> thing_;
};

TEST_F(PluginStreamTest, WritesOneSubChunkPerPluginWithData) {
  Value(thing_.data()) = 0x11223344;
  EXPECT_EQ(RwPluginRegistryGetSize(&sThingRegistry, thing_.data()), 16);
  const std::vector<RwUInt8> expected =
      ChunkBytes().Header(kRwChunkExtension, 16).Header(kValuePlugin, 4).U32(0x11223344).bytes();
  EXPECT_EQ(Write(), expected);
}

TEST_F(PluginStreamTest, ObjectWithoutPluginDataGetsAnEmptyExtension) {
  sBehaviour.announcedSize = 0;
  EXPECT_EQ(RwPluginRegistryGetSize(&sThingRegistry, thing_.data()), 0);
  EXPECT_EQ(Write(), ChunkBytes().Header(kRwChunkExtension, 0).bytes());
}

TEST_F(PluginStreamTest, WriterThatWritesOtherThanItAnnouncedFails) {
  for (RwUInt32 written : {2u, 8u}) {
    SCOPED_TRACE(written);
    sBehaviour.bytesWritten = written;
    EXPECT_TRUE(Write().empty());
    EXPECT_EQ(TakeError().errorCode, kRwErrWrite);
  }
}

TEST_F(PluginStreamTest, ReadsBackWhatWasWritten) {
  Value(thing_.data()) = 0xA5A5F00D;
  const std::vector<RwUInt8> written = Write();
  Value(thing_.data()) = 0;
  ChunkBytes bytes;
  bytes.Bytes(written);
  EXPECT_TRUE(Read(bytes));
  EXPECT_EQ(Value(thing_.data()), 0xA5A5F00Du);
  EXPECT_EQ(sBehaviour.alwaysCalls, 1);
}

TEST_F(PluginStreamTest, OtherChunksBeforeTheExtensionAndUnknownSubChunksAreSkipped) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkStruct, 4).U32(1);
  bytes.Header(kRwChunkExtension, 12 + 3 + 12 + 4).Header(kUnknownPlugin, 3).Bytes({1, 2, 3});
  bytes.Header(kValuePlugin, 4).U32(77);
  EXPECT_TRUE(Read(bytes));
  EXPECT_EQ(Value(thing_.data()), 77u);
  EXPECT_EQ(sBehaviour.alwaysCalls, 1);
}

TEST_F(PluginStreamTest, AlwaysCallbacksRunWithoutSubChunksAndCanFailTheRead) {
  ChunkBytes empty;
  empty.Header(kRwChunkExtension, 0);
  EXPECT_TRUE(Read(empty));
  EXPECT_EQ(sBehaviour.alwaysCalls, 1);
  EXPECT_EQ(sBehaviour.readCalls, 0);

  sBehaviour.alwaysFails = true;
  ChunkBytes again;
  again.Header(kRwChunkExtension, 0);
  EXPECT_FALSE(Read(again));
}

TEST_F(PluginStreamTest, ReaderThatUnderReadsLeavesTheStreamAtTheSubChunkEnd) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkExtension, 12 + 8 + 12 + 2).Header(kValuePlugin, 8).U32(5).U32(0xDEADBEEF);
  bytes.Header(kUnknownPlugin, 2).Bytes({9, 9});
  EXPECT_TRUE(Read(bytes));
  EXPECT_EQ(Value(thing_.data()), 5u);
}

TEST_F(PluginStreamTest, ReaderThatOverReadsFails) {
  sBehaviour.bytesRead = 8;
  ChunkBytes bytes;
  bytes.Header(kRwChunkExtension, 12 + 4 + 12 + 4).Header(kValuePlugin, 4).U32(5);
  bytes.Header(kUnknownPlugin, 4).U32(6);
  EXPECT_FALSE(Read(bytes));
  // The plugin saw its own 4 bytes and nothing of the next sub-chunk.
  EXPECT_EQ(Value(thing_.data()), 5u);
  EXPECT_NE(TakeError().errorCode, kRwErrNoError);
}

TEST_F(PluginStreamTest, FailingReaderFailsTheRead) {
  sBehaviour.readFails = true;
  ChunkBytes bytes;
  bytes.Header(kRwChunkExtension, 16).Header(kValuePlugin, 4).U32(5);
  EXPECT_FALSE(Read(bytes));
  EXPECT_EQ(sBehaviour.alwaysCalls, 0);
}

TEST_F(PluginStreamTest, DamagedExtensionsAreRefused) {
  struct Case {
    const char* name;
    ChunkBytes bytes;
    RwInt32 error;
  };
  std::vector<Case> cases;
  {
    Case c = {"sub-chunk longer than the extension", ChunkBytes(), kRwErrRead};
    c.bytes.Header(kRwChunkExtension, 16).Header(kValuePlugin, 100).U32(5);
    cases.push_back(c);
  }
  {
    Case c = {"sub-chunk length beyond what a reader can be given", ChunkBytes(), kRwErrRead};
    c.bytes.Header(kRwChunkExtension, 0xFFFFFFFFu).Header(kValuePlugin, 0x80000000u).U32(5);
    cases.push_back(c);
  }
  {
    Case c = {"sub-chunk header cut by the extension's end", ChunkBytes(), kRwErrRead};
    c.bytes.Header(kRwChunkExtension, 5).Bytes({1, 2, 3, 4, 5});
    cases.push_back(c);
  }
  {
    Case c = {"version out of range", ChunkBytes(), kRwErrBadChunkVersion};
    c.bytes.Header(kRwChunkExtension, 0, 0x350);
    cases.push_back(c);
  }
  {
    Case c = {"stream ends inside the extension", ChunkBytes(), kRwErrNoError};
    c.bytes.Header(kRwChunkExtension, 40).Header(kValuePlugin, 28).U32(5);
    cases.push_back(c);
  }
  {
    // The plugin is never handed a body its stream cannot hold, so it
    // cannot size anything by the length claimed.
    Case c = {"sub-chunk longer than the stream", ChunkBytes(), kRwErrRead};
    c.bytes.Header(kRwChunkExtension, 0x7FFFFFFFu).Header(kValuePlugin, 0x7FFFFFF0u).U32(5);
    cases.push_back(c);
  }
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    sBehaviour = ValuePluginBehaviour();
    RwStream* stream = c.bytes.OpenRead();
    EXPECT_EQ(RwPluginRegistryReadDataChunks(&sThingRegistry, stream, thing_.data()), nullptr);
    RwStreamClose(stream, nullptr);
    const RwErrorRecord e = TakeError();
    if (c.error != kRwErrNoError) {
      EXPECT_EQ(e.errorCode, c.error);
    } else {
      EXPECT_NE(e.errorCode, kRwErrNoError);
    }
    EXPECT_EQ(sBehaviour.alwaysCalls, 0);
    EXPECT_EQ(sBehaviour.readCalls, 0);
  }
}

TEST_F(PluginStreamTest, SkipPassesOverTheExtensionAndRefusesOversizeSubChunks) {
  ChunkBytes bytes;
  bytes.Header(kRwChunkExtension, 12 + 4 + 12).Header(kValuePlugin, 4).U32(5).Header(kUnknownPlugin, 0).U32(kMarker);
  RwStream* stream = bytes.OpenRead();
  EXPECT_EQ(RwPluginRegistrySkipDataChunks(&sThingRegistry, stream), &sThingRegistry);
  RwUInt32 marker = 0;
  EXPECT_EQ(RwStreamRead(stream, &marker, 4), 4u);
  EXPECT_EQ(marker, kMarker);
  RwStreamClose(stream, nullptr);
  EXPECT_EQ(sBehaviour.readCalls, 0);

  ChunkBytes damaged;
  damaged.Header(kRwChunkExtension, 16).Header(kValuePlugin, 5).U32(5);
  stream = damaged.OpenRead();
  EXPECT_EQ(RwPluginRegistrySkipDataChunks(&sThingRegistry, stream), nullptr);
  RwStreamClose(stream, nullptr);
}

}  // namespace
