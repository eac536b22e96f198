// Tests of the random-number plugin against a separate model of its sequence.
#include "engine/plugin/random/rprandom.h"

#include <gtest/gtest.h>

#include <vector>

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
  void SetUp() override {
    StartEngine([] { return RpRandomPluginAttach() != FALSE; });
  }

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
  // Seed 0 included: the recurrence's increment still fills the table.
  for (RwUInt32 seed : {0u, 1u, 0xFFFFFFFFu, kRpRandomDefaultSeed, 0x12345678u}) {
    SCOPED_TRACE(seed);
    ReferenceSequence reference(seed);
    EXPECT_EQ(RpRandomSeed(seed), reference.LastDiscarded());
    ExpectSequence(reference, 1000);
  }
}

TEST_F(RandomTest, StoppedEngineDrawsZeroAndRestartsFromTheDefaultSeed) {
  RpRandomSeed(7);
  ASSERT_TRUE(RwEngineStop());
  EXPECT_EQ(RpRandomNext(), 0u);
  EXPECT_EQ(RpRandomSeed(7), 0u);
  ASSERT_TRUE(RwEngineStart());
  ReferenceSequence reference(kRpRandomDefaultSeed);
  ExpectSequence(reference, 10);
}

TEST(RandomStartTest, FailedAllocationsFailTheStartAndLeakNothing) {
  ExpectFailedStartsLeakNothing([] { return RpRandomPluginAttach() != FALSE; }, [] { return RpRandomNext() != 0; });
}

}  // namespace
