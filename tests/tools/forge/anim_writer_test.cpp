// The forge's animation writer: the player's key order and the animations it
// refuses to write.
#include <gtest/gtest.h>

#include <vector>

#include "tests/support/anim_engine.h"
#include "tests/support/chunk_bytes.h"

namespace {

// Keys at the given times, unmoving.
std::vector<ForgeKey> KeysAt(const std::vector<RwReal>& times) {
  std::vector<ForgeKey> keys;
  for (RwReal time : times) {
    keys.push_back(MakeKey(time, kNoRotation, {}));
  }
  return keys;
}

using AnimWriterTest = AnimEngineTest;

TEST_F(AnimWriterTest, KeysComeFirstSecondThenByThePreviousKeysTime) {
  ForgeAnimation animation;
  animation.duration = 4.0f;
  animation.nodes = {KeysAt({0, 1, 3, 4}), KeysAt({0, 2, 4}), KeysAt({0, 1, 2, 4})};
  const std::vector<ForgeKeyRef> order = ForgeAnimationKeyOrder(animation);
  // After the first and second keys: node 0's third (after 1 s) and node 2's
  // third (after 1 s, later node), then node 1's third and node 2's fourth
  // (after 2 s), then node 0's fourth (after 3 s).
  const std::vector<std::pair<int, int>> expected = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {1, 1}, {2, 1},
                                                     {0, 2}, {2, 2}, {1, 2}, {2, 3}, {0, 3}};
  ASSERT_EQ(order.size(), expected.size());
  for (size_t i = 0; i < order.size(); i++) {
    EXPECT_EQ(order[i].node, expected[i].first) << "position " << i;
    EXPECT_EQ(order[i].key, expected[i].second) << "position " << i;
  }

  // The same order reaches the engine, previous keys linking each node's keys.
  RtAnimAnimation* read = ForgeAnimationCreate(animation);
  ASSERT_NE(read, nullptr);
  const RpHAnimStdKeyFrame* keys = static_cast<const RpHAnimStdKeyFrame*>(read->pFrames);
  EXPECT_FLOAT_EQ(keys[9].time, 4.0f);
  EXPECT_EQ(keys[9].prevFrame, &keys[7]);
  EXPECT_EQ(keys[10].prevFrame, &keys[6]);
  RtAnimAnimationDestroy(read);
}

TEST_F(AnimWriterTest, RefusesAnimationsThePlayerCannotPlay) {
  const struct {
    const char* name;
    RwReal duration;
    std::vector<std::vector<ForgeKey>> nodes;
  } cases[] = {
      {"no nodes", 1.0f, {}},
      {"one key", 1.0f, {KeysAt({0})}},
      {"late first key", 1.0f, {KeysAt({0.5f, 1})}},
      {"short of the duration", 1.0f, {KeysAt({0, 0.5f})}},
      {"times not rising", 1.0f, {KeysAt({0, 0.5f, 0.5f, 1})}},
      {"no duration", 0.0f, {KeysAt({0, 0})}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ForgeAnimation animation;
    animation.duration = c.duration;
    animation.nodes = c.nodes;
    std::vector<uint8_t> bytes;
    EXPECT_FALSE(
        WriteToMemory([&animation](RwStream* stream) { return ForgeWriteAnimation(stream, animation); }, &bytes));
    EXPECT_TRUE(bytes.empty());
  }
}

}  // namespace
