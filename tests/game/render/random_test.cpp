// RandomFloat over the engine's random-number plugin.
#include "game/render/random.h"

#include "tests/support/started_engine.h"

namespace {

class RandomFloatTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartEngine([] { return RpRandomPluginAttach() != FALSE; });
  }
};

TEST_F(RandomFloatTest, ValuesFollowTheEngineSequenceWithinTheRange) {
  RpRandomSeed(7);
  const u32 first = RpRandomNext();
  RpRandomSeed(7);
  EXPECT_FLOAT_EQ(-1.0f + static_cast<f32>(first) / 2147483648.0f * 4.0f, RandomFloat(-1.0f, 3.0f));
  f32 lowest = 3.0f;
  f32 highest = -1.0f;
  for (int i = 0; i < 2000; i++) {
    const f32 value = RandomFloat(-1.0f, 3.0f);
    lowest = value < lowest ? value : lowest;
    highest = value > highest ? value : highest;
  }
  EXPECT_GE(lowest, -1.0f);
  EXPECT_LT(highest, 3.0f);
  EXPECT_LT(lowest, -0.9f);
  EXPECT_GT(highest, 2.9f);
  for (int i = 0; i < 10; i++) {
    EXPECT_EQ(2.0f, RandomFloat(2.0f, 2.0f));
  }
}

}  // namespace
