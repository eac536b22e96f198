// Animations: the keyframe-type registry, reading forged animation chunks
// from memory and files, refusing corrupt ones, and making keys relative.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "tests/support/anim_engine.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/scratch_path.h"

namespace {

// Offsets in a forged animation chunk (header included).
constexpr size_t kVersionAt = 12;
constexpr size_t kTypeAt = 16;
constexpr size_t kCountAt = 20;
constexpr size_t kDurationAt = 28;
constexpr size_t kKeysAt = 32;
constexpr size_t kStoredKey = 36;
constexpr size_t kPreviousInKey = 32;

// Node 0 has three keys (0, 1, 2 s), node 1 two; node 0 turns 90 degrees
// about z each second and moves 2 along x.
ForgeAnimation TwoNodes() {
  ForgeAnimation animation;
  animation.duration = 2.0f;
  animation.flags = 7;
  animation.nodes = {{MakeKey(0.0f, kNoRotation, {0, 0, 0}), MakeKey(1.0f, AxisAngle(kAxisZ, 90), {2, 0, 0}),
                      MakeKey(2.0f, AxisAngle(kAxisZ, 180), {4, 0, 0})},
                     {MakeKey(0.0f, kNoRotation, {0, 1, 0}), MakeKey(2.0f, AxisAngle(kAxisX, 90), {0, 1, 0})}};
  return animation;
}

std::vector<uint8_t> Forged(const ForgeAnimation& animation) {
  std::vector<uint8_t> bytes;
  EXPECT_TRUE(WriteToMemory([&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); }, &bytes));
  return bytes;
}

RtAnimAnimation* ReadBytes(const std::vector<uint8_t>& bytes) {
  RwStream* stream = OpenMemoryRead(bytes);
  RtAnimAnimation* animation = nullptr;
  if (RwStreamFindChunk(stream, kRwChunkAnimAnimation, nullptr, nullptr)) {
    animation = RtAnimAnimationStreamRead(stream);
  }
  RwStreamClose(stream, nullptr);
  return animation;
}

RpHAnimStdKeyFrame* Keys(const RtAnimAnimation* animation) {
  return static_cast<RpHAnimStdKeyFrame*>(animation->pFrames);
}

void KeepNothing(void*, void*, void*) {}

using AnimationTest = AnimEngineTest;

TEST_F(AnimationTest, RegistryHoldsSixteenTypesOnce) {
  ASSERT_NE(RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId), nullptr);
  RtAnimKeyFrameType type = *RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId);
  EXPECT_FALSE(RtAnimRegisterKeyFrameType(&type));
  ExpectError(kRtAnimPluginId, kRtAnimErrTypeRegistered);

  type.keyFrameAddCB = KeepNothing;
  for (RwUInt32 id = 2; id <= kRtAnimMaxKeyFrameTypes; id++) {
    type.typeID = id;
    EXPECT_TRUE(RtAnimRegisterKeyFrameType(&type));
  }
  EXPECT_EQ(RtAnimGetKeyFrameType(16)->keyFrameAddCB, KeepNothing);
  type.typeID = 17;
  EXPECT_FALSE(RtAnimRegisterKeyFrameType(&type));
  ExpectError(kRtAnimPluginId, kRtAnimErrRegistryFull);
  EXPECT_EQ(RtAnimGetKeyFrameType(17), nullptr);
}

TEST_F(AnimationTest, ReadsForgedKeysInPlayerOrderAndWritesThemBack) {
  const std::vector<uint8_t> bytes = Forged(TwoNodes());
  RtAnimAnimation* animation = ReadBytes(bytes);
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(animation->interpInfo, RtAnimGetKeyFrameType(kRpHAnimStdKeyFrameTypeId));
  EXPECT_EQ(animation->numFrames, 5);
  EXPECT_EQ(animation->flags, 7u);
  EXPECT_FLOAT_EQ(animation->duration, 2.0f);

  // First keys, second keys, then node 0's third key.
  const RpHAnimStdKeyFrame* keys = Keys(animation);
  const RwReal times[] = {0.0f, 0.0f, 1.0f, 2.0f, 2.0f};
  for (int i = 0; i < 5; i++) {
    EXPECT_FLOAT_EQ(keys[i].time, times[i]) << "key " << i;
  }
  EXPECT_EQ(keys[2].prevFrame, &keys[0]);
  EXPECT_EQ(keys[3].prevFrame, &keys[1]);
  EXPECT_EQ(keys[4].prevFrame, &keys[2]);
  ExpectQuat(keys[2].q, AxisAngle(kAxisZ, 90));
  ExpectVector(keys[4].t, {4, 0, 0});

  std::vector<uint8_t> rewritten;
  ASSERT_TRUE(WriteToMemory([animation](RwStream* stream) { return RpHAnimKeyFrameStreamWrite(animation, stream); },
                            &rewritten));
  EXPECT_EQ(rewritten, std::vector<uint8_t>(bytes.begin() + kKeysAt, bytes.end()));
  EXPECT_EQ(RpHAnimKeyFrameStreamGetSize(animation), 5 * 36);
  RtAnimAnimationDestroy(animation);
}

TEST_F(AnimationTest, ReadsTheAnimationChunkOfAFile) {
  const std::string path = ScratchPath("walk.anm");
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, path.c_str());
  ASSERT_NE(stream, nullptr);
  const RwUInt8 other[4] = {1, 2, 3, 4};
  ASSERT_NE(RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, 4, kRwLibraryVersion, kRwLibraryBuild), nullptr);
  ASSERT_NE(RwStreamWrite(stream, other, sizeof(other)), nullptr);
  ASSERT_TRUE(ForgeWriteAnimation(stream, TwoNodes()));
  RwStreamClose(stream, nullptr);

  RtAnimAnimation* animation = RtAnimAnimationRead(path.c_str());
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(animation->numFrames, 5);
  RtAnimAnimationDestroy(animation);

  // A file holding no animation chunk, and no file at all.
  stream = RwStreamOpen(kRwStreamFileName, kRwStreamWrite, path.c_str());
  RwStreamWriteVersionedChunkHeader(stream, kRwChunkStruct, 4, kRwLibraryVersion, kRwLibraryBuild);
  RwStreamWrite(stream, other, sizeof(other));
  RwStreamClose(stream, nullptr);
  EXPECT_EQ(RtAnimAnimationRead(path.c_str()), nullptr);
  std::remove(path.c_str());
  EXPECT_EQ(RtAnimAnimationRead(path.c_str()), nullptr);
  TakeError();
}

struct Corruption {
  const char* name;
  std::function<void(std::vector<uint8_t>&)> damage;
  RwErrorRecord error;  // {0, kRwErrNoError} when none is expected
};

TEST_F(AnimationTest, CorruptChunksFailCleanly) {
  const auto setWord = [](size_t at, uint32_t value) {
    return [at, value](std::vector<uint8_t>& bytes) {
      for (int i = 0; i < 4; i++) {
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
      }
    };
  };
  const auto setReal = [setWord](size_t at, float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return setWord(at, bits);
  };
  const RwErrorRecord none = {kRwPluginIdNone, kRwErrNoError};
  const RwErrorRecord invalid = {kRwPluginIdNone, kRwErrInvalidValue};
  const Corruption corruptions[] = {
      {"version", setWord(kVersionAt, 0x101), none},
      {"unknown type", setWord(kTypeAt, 9), {static_cast<RwInt32>(kRtAnimPluginId), kRtAnimErrUnknownType}},
      {"negative count", setWord(kCountAt, 0xFFFFFFFF), invalid},
      {"count beyond the block limit", setWord(kCountAt, 0x10000000), invalid},
      // Within the limit but far beyond the bytes: the block grows as keys
      // arrive, so the short read comes long before a large allocation.
      {"count beyond the keys", setWord(kCountAt, 0x01000000), none},
      {"zero duration", setReal(kDurationAt, 0.0f), invalid},
      {"negative duration", setReal(kDurationAt, -2.0f), invalid},
      {"duration not a number", setReal(kDurationAt, std::numeric_limits<float>::quiet_NaN()), invalid},
      {"previous key beyond the block", setWord(kKeysAt + 4 * kStoredKey + kPreviousInKey, 5 * kStoredKey), none},
      {"truncated key", [](std::vector<uint8_t>& bytes) { bytes.resize(bytes.size() - 1); }, none},
      {"truncated header", [](std::vector<uint8_t>& bytes) { bytes.resize(kKeysAt - 2); }, none},
  };
  for (const Corruption& corruption : corruptions) {
    SCOPED_TRACE(corruption.name);
    std::vector<uint8_t> bytes = Forged(TwoNodes());
    corruption.damage(bytes);
    EXPECT_EQ(ReadBytes(bytes), nullptr);
    const RwErrorRecord error = TakeError();
    if (corruption.error.errorCode != kRwErrNoError) {
      EXPECT_EQ(error.pluginID, corruption.error.pluginID);
      EXPECT_EQ(error.errorCode, corruption.error.errorCode);
    }
  }

  // A previous-key offset inside a key is rounded down to that key.
  std::vector<uint8_t> bytes = Forged(TwoNodes());
  setWord(kKeysAt + 4 * kStoredKey + kPreviousInKey, 2 * kStoredKey + 20)(bytes);
  RtAnimAnimation* animation = ReadBytes(bytes);
  ASSERT_NE(animation, nullptr);
  EXPECT_EQ(Keys(animation)[4].prevFrame, &Keys(animation)[2]);
  RtAnimAnimationDestroy(animation);
}

TEST_F(AnimationTest, MakeRelativeRewritesEveryKeyAgainstThePoseAtTheTime) {
  RtAnimAnimation* animation = ForgeAnimationCreate(TwoNodes());
  ASSERT_NE(animation, nullptr);
  ASSERT_NE(RtAnimAnimationMakeRelative(animation, 2, 0.0f), nullptr);
  const RpHAnimStdKeyFrame* keys = Keys(animation);
  // At time 0 both nodes are unturned: rotations stay, translations lose the start.
  ExpectQuat(keys[0].q, kNoRotation);
  ExpectVector(keys[0].t, {0, 0, 0});
  ExpectVector(keys[1].t, {0, 0, 0});
  ExpectQuat(keys[3].q, AxisAngle(kAxisX, 90));
  ExpectVector(keys[3].t, {0, 0, 0});
  RtAnimAnimationDestroy(animation);

  // Against the pose at 1 s node 0 turns back 90 degrees at its first key.
  animation = ForgeAnimationCreate(TwoNodes());
  ASSERT_NE(RtAnimAnimationMakeRelative(animation, 2, 1.0f), nullptr);
  keys = Keys(animation);
  ExpectQuat(keys[0].q, AxisAngle(kAxisZ, -90));
  ExpectVector(keys[0].t, {-2, 0, 0});
  ExpectQuat(keys[2].q, kNoRotation);
  ExpectQuat(keys[4].q, AxisAngle(kAxisZ, 90));
  ExpectVector(keys[4].t, {2, 0, 0});

  // Three nodes need six keys.
  EXPECT_EQ(RtAnimAnimationMakeRelative(animation, 3, 0.0f), nullptr);
  TakeError();
  RtAnimAnimationDestroy(animation);
}

}  // namespace
