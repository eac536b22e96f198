// The damaged-data walk's plan: the bytes it damages, the road that reads
// each file, the dictionaries an image's case leaves out, and what counts as
// a fault of the game.
#include "tools/damage_walk/damage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

using walk::Case;
using walk::Damage;
using walk::Outcome;
using walk::Road;

TEST(DamageWalkTest, CutAndGarbledBytes) {
  const std::string bytes(1000, 'a');
  EXPECT_EQ(std::string(400, 'a'), walk::Damaged(bytes, Damage::kCut, "x"));
  EXPECT_EQ("", walk::Damaged("", Damage::kGarbled, "x"));
  // An eighth of the file, in its middle, every byte of it changed, the same
  // each time; at most 256 bytes, at least one.
  const std::string garbled = walk::Damaged(bytes, Damage::kGarbled, "data/a.txt");
  ASSERT_EQ(bytes.size(), garbled.size());
  EXPECT_EQ(437u, garbled.find_first_not_of('a'));
  EXPECT_EQ(561u, garbled.find_last_not_of('a'));
  EXPECT_EQ(std::string::npos, garbled.substr(437, 125).find('a'));
  EXPECT_EQ(garbled, walk::Damaged(bytes, Damage::kGarbled, "data/a.txt"));
  const std::string big = walk::Damaged(std::string(100000, 'a'), Damage::kGarbled, "x");
  EXPECT_EQ(255u, big.find_last_not_of('a') - big.find_first_not_of('a'));
  EXPECT_NE("a", walk::Damaged("a", Damage::kGarbled, "x"));
}

TEST(DamageWalkTest, EachFileTakesTheRoadThatReadsIt) {
  const struct {
    const char* file;
    Road road;
    int level;
    bool image, packed, german;
  } rows[] = {
      {"data/level03/models/door.dff", Road::kLevel, 3, false, false, false},
      {"data/level05/men.txt", Road::kEnd, 5, false, false, false},
      {"data/credits_d.txt", Road::kEnd, 5, false, false, true},
      {"data/menu/text_d.txt", Road::kLevel, 1, false, false, true},
      {"save.dat", Road::kLevel, 2, false, false, false},
      {"data/hack/frame.png", Road::kLevel, 1, true, false, false},
      {"data/level02/lightmap_north.bmp", Road::kLevel, 2, false, false, false},
      {"data.pak", Road::kLevel, 1, false, true, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.file);
    const Case run = walk::PlanCase(row.file, Damage::kGarbled);
    EXPECT_EQ(row.road, run.road);
    EXPECT_EQ(row.level, run.level);
    EXPECT_EQ(row.image, run.image);
    EXPECT_EQ(row.packed, run.packed);
    EXPECT_EQ(row.german, run.german);
  }
  // The quick set: one file of each kind.
  std::set<std::string> kinds;
  for (const std::string& file : walk::KindSamples()) {
    EXPECT_TRUE(kinds.insert(walk::KindOf(file)).second) << file;
  }
  const std::string dictionary = std::string("..\0Frame\0\0..blue\0", 17);
  EXPECT_TRUE(walk::DictionaryHolds(dictionary, "data/hack/frame_mask.bmp"));
  EXPECT_FALSE(walk::DictionaryHolds(dictionary, "data/hack/fram.png"));
}

TEST(DamageWalkTest, WhatCountsAsAFault) {
  const Case model = walk::PlanCase("data/level01/models/door.dff", Damage::kCut);
  const Case pack = walk::PlanCase("data.pak", Damage::kCut);
  const struct {
    const Case& run;
    Outcome outcome;
    const char* fault;  // its start; empty for none
  } rows[] = {
      {model, {0, 0, false, ""}, ""},
      {model, {3, 0, false, "x\nError: Damaged file: data/level01/models/door.dff (...)\n"}, ""},
      {model, {3, 0, false, "Error: Missing file: data/level01/models/lamp.dff\n"}, "the fatal error does not name"},
      {model, {3, 0, false, "x\n"}, "exit status 3 without"},
      {pack, {3, 0, false, "Error: Damaged file: data/config.txt (x)\n"}, ""},
      {model, {-1, 11, false, ""}, "signal 11"},
      {model, {-1, 9, true, ""}, "hang"},
      {model, {walk::kStatusRoadBlocked, 0, false, ""}, ""},
      {model, {walk::kStatusStuck, 0, false, ""}, "the game did not go on"},
      {model, {1, 0, false, ""}, "exit status 1"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.outcome.exitStatus << ' ' << row.outcome.signal << ' '
                                    << row.outcome.output);
    const std::string fault = walk::FaultOf(row.run, row.outcome);
    EXPECT_EQ(0u, fault.find(row.fault)) << fault;
    EXPECT_EQ(row.fault[0] == '\0', fault.empty()) << fault;
  }
  EXPECT_EQ("a b", walk::FatalText("x\nError: a b\nmore"));
}

}  // namespace
