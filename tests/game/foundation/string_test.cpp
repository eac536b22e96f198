// Tests of cReference, cRefPtr and cString: sharing, copy on write, slices,
// and the bracket-aware list parsing.
#include "game/foundation/string.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::string Text(const cString& s) { return std::string(s.Data() == nullptr ? "" : s.Data(), s.Length()); }

class cCounted : public cReference {
 public:
  explicit cCounted(bool selfDestruct, int* destroyed) : cReference(selfDestruct), mDestroyed(destroyed) {}
  ~cCounted() override { (*mDestroyed)++; }

 private:
  int* mDestroyed;
};

TEST(RefPtrTest, CountsAndDeletesOnlySelfDestructObjects) {
  int destroyed = 0;
  cCounted* shared = new cCounted(true, &destroyed);
  {
    cRefPtr a(shared);
    cRefPtr b(a);
    EXPECT_EQ(2u, shared->GetRefCount());
    a.Assign(shared);  // the same pointee: unchanged
    EXPECT_EQ(2u, shared->GetRefCount());
    a = a;
    EXPECT_EQ(2u, shared->GetRefCount());
    b.Assign(nullptr);
    EXPECT_EQ(1u, shared->GetRefCount());
    EXPECT_EQ(0, destroyed);
  }
  EXPECT_EQ(1, destroyed);

  cCounted owned(false, &destroyed);
  {
    cRefPtr p(&owned);
    EXPECT_EQ(1u, owned.GetRefCount());
  }
  EXPECT_EQ(0u, owned.GetRefCount());
  EXPECT_EQ(1, destroyed);  // survives a count of 0
}

TEST(RefPtrDeathTest, DeletingReferencedSelfDestructObjectIsFatal) {
  EXPECT_DEATH(
      {
        int destroyed = 0;
        cCounted* object = new cCounted(true, &destroyed);
        cRefPtr holder(object);
        delete object;
      },
      "still referenced SelfDestruct object");
}

TEST(StringTest, CopiesShareOneBuffer) {
  cString a("hello");
  cString b(a);
  cString c;
  c = b;
  EXPECT_EQ(3u, a.GetBufferRefCount());
  EXPECT_EQ(a.Data(), c.Data());
  c = c;
  EXPECT_EQ(3u, a.GetBufferRefCount());
  EXPECT_TRUE(a == c);
  EXPECT_EQ(0u, cString().GetBufferRefCount());
  EXPECT_STREQ("", cString().CStr());
  EXPECT_STREQ("", cString(static_cast<const char*>(nullptr)).CStr());
}

TEST(StringTest, DeleteArrayReleasesEveryElement) {
  const cString shared("shared");
  cString* strings = new cString[3];
  strings[0] = shared;
  strings[2] = shared;
  EXPECT_EQ(3u, shared.GetBufferRefCount());
  cString::DeleteArray(strings);
  EXPECT_EQ(1u, shared.GetBufferRefCount());
  cString::DeleteArray(nullptr);
}

TEST(StringTest, CStrOfMiddleSliceCopiesAndLeavesOthersAlone) {
  cString whole("alpha beta gamma");
  cString middle = whole.Slice(6, 4);
  const char* before = middle.Data();
  const char* text = middle.CStr();
  EXPECT_STREQ("beta", text);
  EXPECT_NE(before, text);
  EXPECT_EQ(1u, middle.GetBufferRefCount());
  EXPECT_STREQ("alpha beta gamma", whole.CStr());

  // A slice that ends at the terminator needs no copy.
  cString tail = whole.Slice(11, 5);
  EXPECT_EQ(whole.Data() + 11, tail.CStr());
}

TEST(StringTest, CStrOfSoleOwnedSliceTerminatesInPlace) {
  cString s("abcdef");
  s = s.Slice(0, 3);
  EXPECT_EQ(1u, s.GetBufferRefCount());
  const char* data = s.Data();
  EXPECT_EQ(data, s.CStr());
  EXPECT_STREQ("abc", s.CStr());
}

TEST(StringTest, EqualityComparesBytesOfTheSlices) {
  cString a("key=key");
  EXPECT_TRUE(a.Slice(0, 3) == a.Slice(4, 3));
  EXPECT_TRUE(a.Slice(0, 3) == cString("key"));
  EXPECT_FALSE(a.Slice(0, 3) == cString("Key"));
  EXPECT_FALSE(a.Slice(0, 3) == cString("ke"));
  EXPECT_TRUE(cString() == cString(""));
}

TEST(StringTest, AppendDetachesSharedAndGrowsSoleOwned) {
  cString a("one");
  cString b(a);
  a.Append(cString("two"));
  EXPECT_STREQ("onetwo", a.CStr());
  EXPECT_STREQ("one", b.CStr());

  // Sole owner with room: in place.
  const char* before = a.Data();
  a.Append(cString("3"));
  EXPECT_EQ(before, a.Data());
  EXPECT_STREQ("onetwo3", a.CStr());

  a.Append(a);
  EXPECT_STREQ("onetwo3onetwo3", a.CStr());

  cString empty;
  empty.Append(cString("x"));
  EXPECT_STREQ("x", empty.CStr());

  cString sum = cString("ab") + cString("cd");
  EXPECT_STREQ("abcd", sum.CStr());
}

TEST(StringTest, AppendToSliceLeavesSharedBytesIntact) {
  cString whole("left|right");
  cString left = whole.Slice(0, 4);
  left.Append(cString("!"));
  EXPECT_STREQ("left!", left.CStr());
  EXPECT_STREQ("left|right", whole.CStr());
}

TEST(StringTest, InsertGapInPlaceAndCopied) {
  cString s("abcd");
  s.MakeUnique();  // sole owner with slack
  s.InsertGap(2, 3);
  memcpy(s.SharedData() + 2, "XYZ", 3);
  EXPECT_STREQ("abXYZcd", s.CStr());

  cString shared("abcd");
  cString other(shared);
  shared.InsertGap(99, 2);  // clamped to the end
  EXPECT_EQ(6u, shared.Length());
  EXPECT_STREQ("abcd", other.CStr());
}

TEST(StringTest, TrimDropsBlanksAndTabsOnly) {
  cString s(" \t key \t");
  s.Trim();
  EXPECT_EQ("key", Text(s));
  cString blanks("   \t ");
  blanks.Trim();
  EXPECT_TRUE(blanks.IsEmpty());
  cString newline("\nx\n");
  newline.Trim();
  EXPECT_EQ("\nx\n", Text(newline));
}

TEST(StringTest, FindArrayAndSliceNestedList) {
  cString list("name = (a,(b,c),d) tail");
  cString inside;
  ASSERT_EQ(3u, list.FindArray(&inside, '(', ')'));
  EXPECT_EQ("a,(b,c),d", Text(inside));

  cString element;
  ASSERT_TRUE(inside.SliceNextElement(&element));
  EXPECT_EQ("a", Text(element));
  ASSERT_TRUE(inside.SliceNextElement(&element));
  EXPECT_EQ("(b,c)", Text(element));
  ASSERT_TRUE(inside.SliceNextElement(&element));
  EXPECT_EQ("d", Text(element));
  EXPECT_TRUE(inside.IsEmpty());
  EXPECT_FALSE(inside.SliceNextElement(&element));
  EXPECT_EQ("d", Text(element));
}

TEST(StringTest, FindArrayCounts) {
  struct Case {
    const char* text;
    char opener;
    char closer;
    u32 count;
    const char* inside;
  };
  const Case cases[] = {
      {"()", '(', ')', 1, ""},
      {"[a, b ,c]", '[', ']', 3, "a, b ,c"},
      {"x[{a,b},[c]]y", '[', ']', 2, "{a,b},[c]"},
      {"(a,b]", '(', ')', 0, nullptr},  // closed by the wrong bracket
      {"no brackets", '(', ')', 0, nullptr},
      {"(a,b", '(', ')', 0, nullptr},             // never closed
      {"(a,[b)]", '(', ')', 0, nullptr},          // mismatched pair inside
      {"(a,\"b,c\")", '(', ')', 3, "a,\"b,c\""},  // quotes do not protect commas
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    cString out("unchanged");
    EXPECT_EQ(c.count, cString(c.text).FindArray(&out, c.opener, c.closer));
    EXPECT_EQ(c.inside == nullptr ? "unchanged" : c.inside, Text(out));
  }
}

TEST(StringTest, SliceNextElementRefusesUnbalancedText) {
  const char* texts[] = {"a),b", "(a,b", "[a),b"};
  for (const char* text : texts) {
    SCOPED_TRACE(text);
    cString s(text);
    cString out("unchanged");
    EXPECT_FALSE(s.SliceNextElement(&out));
    EXPECT_EQ(text, Text(s));
    EXPECT_EQ("unchanged", Text(out));
  }
  cString trailing("a,");
  cString out;
  EXPECT_TRUE(trailing.SliceNextElement(&out));
  EXPECT_EQ("a", Text(out));
  EXPECT_FALSE(trailing.SliceNextElement(&out));
}

TEST(StringTest, BracketDepthLimit) {
  // 256 brackets open inside the element are accepted.
  std::string deep = std::string(256, '(') + std::string(256, ')');
  cString s(deep.c_str());
  cString out;
  EXPECT_TRUE(s.SliceNextElement(&out));
  EXPECT_EQ(512u, out.Length());

  // The opener itself is not counted by FindArray.
  std::string array = "(" + deep + ")";
  EXPECT_EQ(1u, cString(array.c_str()).FindArray(&out, '(', ')'));
}

TEST(StringDeathTest, BracketDepthOverflowIsFatal) {
  std::string tooDeep = std::string(257, '[');
  EXPECT_DEATH(
      {
        cString s(tooDeep.c_str());
        cString out;
        s.SliceNextElement(&out);
      },
      "cString::SliceNextElement\\(\\) : depth overflow");
  std::string tooDeepArray = std::string(258, '(');
  EXPECT_DEATH(
      {
        cString out;
        cString(tooDeepArray.c_str()).FindArray(&out, '(', ')');
      },
      "cString::FindArray\\(\\) : depth overflow");
}

}  // namespace

namespace {

TEST(StringTest, StripQuotesDropsOneQuoteAtEachEndOfTheSlice) {
  const struct {
    const char* text;
    const char* stripped;
  } rows[] = {
      {"\"quoted\"", "quoted"}, {"\"open", "open"}, {"close\"", "close"}, {"\"\"\"x\"\"", "\"\"x\""},
      {"\"", ""},               {"", ""},           {"plain", "plain"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    const cString whole(row.text);
    cString s;
    s.AssignSlice(whole, 0, whole.Length());
    s.StripQuotes();
    EXPECT_EQ(row.stripped, Text(s));
    EXPECT_EQ(std::string(row.text), whole.CStr());
  }
  // A slice shares its source's buffer and is clamped to it.
  const cString source("abcdef");
  cString slice;
  slice.AssignSlice(source, 4, 10);
  EXPECT_EQ("ef", Text(slice));
  EXPECT_EQ(2u, source.GetBufferRefCount());
}

}  // namespace
