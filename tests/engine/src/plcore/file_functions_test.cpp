// The string function table's own entries, the absolute-path test and the
// growable array.
#include "engine/src/plcore/file_functions.h"

#include <gtest/gtest.h>

#include <cstring>

#include "engine/engine.h"
#include "engine/src/plcore/file_functions_internal.h"
#include "tests/support/started_engine.h"

namespace {

class StringFunctionsTest : public StartedEngineTest {
 protected:
  const RwStringFunctions& strings() { return RwEngineInstance->stringFunctions; }
};

TEST_F(StringFunctionsTest, TableHoldsTheEnginesOwnEntries) {
  char buffer[32];
  ASSERT_NE(strings().rwsprintf, nullptr);
  strings().rwsprintf(buffer, "%s%d", "tex", 7);
  EXPECT_STREQ(buffer, "tex7");
  EXPECT_EQ(strings().rwstrlen(buffer), 4u);
  EXPECT_EQ(strings().rwstricmp, _rwStringCompareIgnoringCase);
  EXPECT_EQ(strings().rwstrchr, _rwStringFindFirst);
  EXPECT_EQ(strings().rwstrrchr, _rwStringFindLast);
  EXPECT_EQ(strings().rwstrupr, _rwStringToUpper);
  int value = 0;
  EXPECT_EQ(strings().rwsscanf("v=42", "v=%d", &value), 1);
  EXPECT_EQ(value, 42);
}

TEST_F(StringFunctionsTest, FindFirstAndLastCharacter) {
  const char* text = "a/b/c";
  EXPECT_EQ(_rwStringFindFirst(text, '/'), text + 1);
  EXPECT_EQ(_rwStringFindLast(text, '/'), text + 3);
  EXPECT_EQ(_rwStringFindFirst(text, 'x'), nullptr);
  EXPECT_EQ(_rwStringFindLast(text, 'x'), nullptr);
  EXPECT_EQ(_rwStringFindFirst(text, '\0'), text + 5);
  EXPECT_EQ(_rwStringFindLast(text, '\0'), text + 5);
}

TEST_F(StringFunctionsTest, CompareIgnoringCase) {
  struct Case {
    const char* a;
    const char* b;
    int sign;
  };
  const Case cases[] = {{"Texture", "tEXTURE", 0}, {"abc", "abd", -1}, {"abd", "ABC", 1},
                        {"ab", "abc", -1},         {"a[", "A{", -1},  // '[' stays '[' (0x5B) and is below '{'
                        {"\xC0", "a", -1}};                           // bytes compare as signed values
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.a) + " vs " + c.b);
    const RwInt32 result = _rwStringCompareIgnoringCase(c.a, c.b);
    EXPECT_EQ((result > 0) - (result < 0), c.sign);
  }
  EXPECT_EQ(_rwStringCompareIgnoringCase("abc", "abd"), 'c' - 'd');
  EXPECT_EQ(_rwStringCompareIgnoringCase(nullptr, "a"), 0);
  EXPECT_EQ(_rwStringCompareIgnoringCase("a", nullptr), 0);
}

TEST_F(StringFunctionsTest, CaseMappingInPlace) {
  char text[] = "Data\\Media-9z";
  EXPECT_EQ(_rwStringToUpper(text), text);
  EXPECT_STREQ(text, "DATA\\MEDIA-9Z");
  EXPECT_STREQ(_rwStringToLower(text), "data\\media-9z");
  EXPECT_EQ(_rwStringToUpper(nullptr), nullptr);
  char empty[] = "";
  EXPECT_EQ(_rwStringToLower(empty), empty);
}

TEST(OsPathTest, AbsolutePaths) {
  EXPECT_TRUE(RwOsPathIsAbsolute("C:\\game\\data"));
  EXPECT_TRUE(RwOsPathIsAbsolute("d:models"));
  EXPECT_TRUE(RwOsPathIsAbsolute("\\data\\x.txd"));
  EXPECT_TRUE(RwOsPathIsAbsolute("/data/x.txd"));
  EXPECT_FALSE(RwOsPathIsAbsolute("data\\x.txd"));
  EXPECT_FALSE(RwOsPathIsAbsolute("1:x"));
  EXPECT_FALSE(RwOsPathIsAbsolute("C"));
  EXPECT_FALSE(RwOsPathIsAbsolute(""));
  EXPECT_FALSE(RwOsPathIsAbsolute(nullptr));
}

class ListTest : public StartedEngineTest {};

TEST_F(ListTest, GrowsByAQuarterAndKeepsEntries) {
  RwList* list = RwListCreate(sizeof(RwInt32));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->capacity, 20);
  EXPECT_EQ(RwListGetArray(list), nullptr);
  for (RwInt32 i = 0; i < 21; ++i) {
    RwInt32* entry = static_cast<RwInt32*>(RwListGetNewEntry(list));
    ASSERT_NE(entry, nullptr);
    *entry = i * 3;
  }
  EXPECT_EQ(list->capacity, 25);
  EXPECT_EQ(RwListGetNumEntries(list), 21);
  EXPECT_EQ(*static_cast<RwInt32*>(RwListGetEntry(list, 20)), 60);
  RwListEmpty(list);
  EXPECT_EQ(RwListGetNumEntries(list), 0);
  EXPECT_EQ(list->capacity, 25);
  EXPECT_TRUE(RwListDestroy(list));
}

TEST_F(ListTest, NewEntriesGrowWhenTheyReachTheCapacity) {
  RwList* list = RwListCreate(8);
  ASSERT_NE(RwListGetNewEntries(list, 15), nullptr);
  EXPECT_EQ(list->capacity, 20);
  void* first = RwListGetNewEntries(list, 5);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(list->capacity, 30);
  EXPECT_EQ(first, RwListGetEntry(list, 15));
  EXPECT_EQ(RwListGetNumEntries(list), 20);
  void* array = RwListToArray(list);
  ASSERT_NE(array, nullptr);
  RwFree(array);

  RwList* empty = RwListCreate(8);
  EXPECT_EQ(RwListToArray(empty), nullptr);  // freed with the record: no leak
}

}  // namespace
