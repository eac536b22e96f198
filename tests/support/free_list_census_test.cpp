// The census of the engine's free lists: what a list gained between two
// censuses is counted and named, unless the list is one of those ignored.
#include "tests/support/free_list_census.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(FreeListCensusTest, GrowthCountsWhatEachListGainedSinceTheFirstCensus) {
  struct tCase {
    const char* what;
    RwUInt32 before;   // entries in use at the first census
    RwUInt32 after;    // at the second
    bool madeBetween;  // the list made after the first census
    bool ignored;
    RwUInt32 growth;
    const char* text;
  };
  const tCase cases[] = {
      {"unchanged", 2, 2, false, false, 0, ""},
      {"gained", 1, 4, false, false, 3, "24-byte entries: +3"},
      {"lost", 3, 1, false, false, 0, ""},
      {"made between", 0, 2, true, false, 2, "24-byte entries: +2"},
      {"gained but ignored", 0, 5, false, true, 0, ""},
  };
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 0));
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.what);
    FreeListCensus first;
    RwFreeList* list = nullptr;
    std::vector<void*> entries;
    auto resize = [&](RwUInt32 count) {
      while (entries.size() > count) {
        RwFreeListFree(list, entries.back());
        entries.pop_back();
      }
      while (entries.size() < count) {
        entries.push_back(RwFreeListAlloc(list));
      }
    };
    if (!test.madeBetween) {
      list = RwFreeListCreate(24, 4, 8);
      resize(test.before);
    }
    ASSERT_TRUE(first.Take());
    if (test.madeBetween) {
      list = RwFreeListCreate(24, 4, 8);
    }
    resize(test.after);
    FreeListCensus second;
    ASSERT_TRUE(second.Take());
    EXPECT_EQ(test.after, second.UsedOf(list));
    const RwFreeList* ignored[] = {list};
    char text[64];
    EXPECT_EQ(test.growth, FreeListGrowth(first, second, ignored, test.ignored ? 1 : 0, text, sizeof(text)));
    EXPECT_EQ(std::string(test.text), text);
    resize(0);
    RwFreeListDestroy(list);
  }
  RwEngineTerm();
}

}  // namespace
