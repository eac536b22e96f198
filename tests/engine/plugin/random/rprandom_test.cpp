// Tests of the random-number plugin against a separate model of its sequence.
#include "engine/plugin/random/rprandom.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/counting_memory.h"
#include "tests/support/fake_driver.h"
#include "tests/support/started_engine.h"

namespace {

// The generator written as a sequence rather than a table with cursors: the
// table's words, starting at the front cursor's word, continue by
// x(k) = x(k - 31) + x(k - 3), and each draw is the new term shifted right.
class ReferenceSequence {
 public:
  explicit ReferenceSequence(RwUInt32 seed) {
    RwUInt32 words[31];
    words[0] = seed;
    for (int i = 1; i < 31; i++) {
      words[i] = words[i - 1] * 1103515245u + 12345u;
    }
    for (int i = 0; i < 31; i++) {
      mTerms.push_back(words[(i + 3) % 31]);
    }
    for (int i = 0; i < 310; i++) {
      mLastDiscarded = Next();
    }
  }

  RwUInt32 Next() {
    const size_t k = mTerms.size();
    mTerms.push_back(mTerms[k - 31] + mTerms[k - 3]);
    return mTerms.back() >> 1;
  }

  RwUInt32 LastDiscarded() const { return mLastDiscarded; }

 private:
  std::vector<RwUInt32> mTerms;
  RwUInt32 mLastDiscarded = 0;
};

class RandomTest : public StartedEngineTest {
 protected:
  bool AttachPlugins() override { return RpRandomPluginAttach() != FALSE; }

  static void ExpectSequence(ReferenceSequence& reference, int draws) {
    for (int i = 0; i < draws; i++) {
      const RwUInt32 value = RpRandomNext();
      ASSERT_EQ(value, reference.Next()) << "draw " << i;
      ASSERT_LE(value, 0x7FFFFFFFu);
    }
  }
};

TEST_F(RandomTest, StartsWithTheDefaultSeed) {
  ReferenceSequence reference(kRpRandomDefaultSeed);
  ExpectSequence(reference, 2000);
}

TEST_F(RandomTest, SeedingRestartsTheSequence) {
  for (RwUInt32 seed : {0u, 1u, 0xFFFFFFFFu, kRpRandomDefaultSeed, 0x12345678u}) {
    SCOPED_TRACE(seed);
    ReferenceSequence reference(seed);
    EXPECT_EQ(RpRandomSeed(seed), reference.LastDiscarded());
    ExpectSequence(reference, 1000);
  }
  // A zero seed still fills the table through the recurrence's increment.
  RpRandomSeed(0);
  const RwUInt32 first = RpRandomNext();
  bool varies = false;
  for (int i = 0; i < 16; i++) {
    varies = varies || RpRandomNext() != first;
  }
  EXPECT_TRUE(varies);
}

TEST_F(RandomTest, StoppedEngineDrawsZero) {
  RpRandomNext();
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(RpRandomNext(), 0u);
  EXPECT_EQ(RpRandomSeed(7), 0u);
  // A new start begins again from the default seed.
  ASSERT_TRUE(RwEngineStart());
  ReferenceSequence reference(kRpRandomDefaultSeed);
  ExpectSequence(reference, 10);
}

TEST(RandomStartTest, FailedAllocationsFailTheStartAndLeakNothing) {
  FakeDriverInstall();
  CountingMemoryReset();
  RwEngineOpenParams params = {reinterpret_cast<void*>(0x1)};
  ASSERT_TRUE(RwEngineInit(CountingMemoryFunctions(), 0, 0));
  ASSERT_TRUE(RpRandomPluginAttach());
  ASSERT_TRUE(RwEngineOpen(&params));
  ExpectFailedMallocsLeakNothing(
      [] {
        if (!RwEngineStart()) {
          return false;
        }
        EXPECT_NE(RpRandomNext(), 0u);
        return RwEngineStop() != FALSE;
      },
      64);
  FakeEngineShutdown();
  FakeDriverUninstall();
}

}  // namespace
