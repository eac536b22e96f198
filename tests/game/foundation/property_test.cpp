// Tests of property-file parsing, lookups and the typed getters.
#include "game/foundation/property.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/foundation/fatal_error.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/pack_writer.h"

namespace {

std::string PropertyText(const cString& s) { return std::string(s.Data() == nullptr ? "" : s.Data(), s.Length()); }

// Parses text as a grouped file; the buffer is private to the file.
void Parse(cPropertyFile* file, const std::string& text) {
  cString buffer(static_cast<u32>(text.size()));
  if (!text.empty()) {
    memcpy(buffer.SharedData(), text.data(), text.size());
  }
  file->ParseText(buffer);
}

std::string Value(const cPropertyFile& file, const char* group, const char* key) {
  const cPropertyGroup* g = file.FindGroup(group);
  if (g == nullptr) {
    return "<no group>";
  }
  const cProperty* p = g->FindProperty(key);
  return p == nullptr ? "<no property>" : PropertyText(p->GetValue());
}

TEST(PropertyFileTest, LineEndsAllReadTheSame) {
  const char* ends[] = {"\n", "\r\n", "\r"};
  for (const char* end : ends) {
    SCOPED_TRACE(testing::PrintToString(std::string(end)));
    std::string e = end;
    cPropertyFile file;
    Parse(&file, "[Init]" + e + "FRAME_LIMIT = 1" + e + "\tSPEED\t=\t2.5 " + e + e + "[Level1]" + e + "NAME=one" + e);
    ASSERT_EQ(2u, file.GetCount());
    EXPECT_EQ("1", Value(file, "Init", "FRAME_LIMIT"));
    EXPECT_EQ("2.5", Value(file, "Init", "SPEED"));
    EXPECT_EQ("one", Value(file, "Level1", "NAME"));
    EXPECT_EQ(2u, file.FindGroup("Init")->GetCount());
  }
}

TEST(PropertyFileTest, CommentsHeadersAndOddLines) {
  cPropertyFile file;
  Parse(&file,
        "BEFORE = ignored\n"
        "[A]\n"
        "# COMMENT = 1\n"
        " # SPACED = 2\n"
        "no equals sign\n"
        "TWO = x = y\n"
        "DUP = first\n"
        "DUP = second\n"
        "EMPTY =\n"
        "=nameless\n"
        "[]\n"
        "K = in empty\n"
        "[a,b]\n"
        "K = still in empty\n"
        "[A]\n"
        "K = second A\n"
        "[last]");
  ASSERT_EQ(4u, file.GetCount());
  const cPropertyGroup* a = file.FindGroup("A");
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(nullptr, a->FindProperty("BEFORE"));
  EXPECT_EQ(nullptr, a->FindProperty("# COMMENT"));
  EXPECT_EQ("2", Value(file, "A", "# SPACED"));
  EXPECT_EQ("x = y", Value(file, "A", "TWO"));
  EXPECT_EQ("first", Value(file, "A", "DUP"));
  EXPECT_EQ("", Value(file, "A", "EMPTY"));
  EXPECT_EQ("nameless", Value(file, "A", ""));
  EXPECT_EQ(nullptr, a->FindProperty("K"));  // the first group "A" wins
  EXPECT_EQ("still in empty", PropertyText(file.FindGroup("")->GetProperty(1).GetValue()));
  EXPECT_EQ(0u, file.FindGroup("last")->GetCount());
  EXPECT_EQ(nullptr, file.FindGroup("a"));  // case-sensitive
}

TEST(PropertyFileTest, GroupHeaderRules) {
  struct Case {
    const char* line;
    bool header;
    const char* name;
  };
  const Case cases[] = {
      {"[Init]", true, "Init"},
      {"[ spaced ]", true, " spaced "},
      {"[]", true, ""},
      {"[a,b]", false, nullptr},
      {"[a(b,c)]", true, "a(b,c)"},
      {" [Init]", false, nullptr},
      {"[Init] ", false, nullptr},
      {"[a]b]", true, "a"},
      {"[a)]", false, nullptr},
      {"[", false, nullptr},
      {"]", false, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    cString name;
    EXPECT_EQ(c.header, cPropertyFile::IsGroupHeader(cString(c.line), &name));
    if (c.header) {
      EXPECT_EQ(c.name, PropertyText(name));
    }
  }
}

TEST(PropertyFileTest, BackslashBecomesLineBreakInGroupedFilesOnly) {
  cPropertyFile file;
  Parse(&file, "[T]\nTEXT = one\\ntwo\nEND = x\\");
  EXPECT_EQ("one\r\ntwo", Value(file, "T", "TEXT"));
  EXPECT_EQ("x\r", Value(file, "T", "END"));

  cString standaloneText("TEXT = one\\ntwo\n");
  cPropertyGroup group;
  group.ParseStandalone(standaloneText);
  EXPECT_EQ("one\\ntwo", PropertyText(group.FindProperty("TEXT")->GetValue()));
}

TEST(PropertyFileTest, StandaloneTakesEveryPropertyLine) {
  cPropertyGroup group;
  group.ParseStandalone(cString("A = 1\n[Header]\nB = 2\r\n[x=y]\n"));
  EXPECT_EQ("standalone", PropertyText(group.GetName()));
  ASSERT_EQ(3u, group.GetCount());
  EXPECT_EQ("2", PropertyText(group.FindProperty("B")->GetValue()));
  EXPECT_EQ("y]", PropertyText(group.FindProperty("[x")->GetValue()));
}

TEST(PropertyFileTest, EmptyAndHeaderlessTexts) {
  cPropertyFile file;
  Parse(&file, "");
  EXPECT_EQ(0u, file.GetCount());
  Parse(&file, "A = 1\nB = 2\n");
  EXPECT_EQ(0u, file.GetCount());
  EXPECT_EQ(nullptr, file.FindGroup(""));
  cPropertyGroup group;
  group.ParseStandalone(cString());
  EXPECT_EQ(0u, group.GetCount());
}

TEST(PropertyFileTest, ValuesOutliveTheFile) {
  cString value;
  {
    cPropertyFile file;
    Parse(&file, "[G]\nK = kept\n");
    value = file.FindGroup("G")->FindProperty("K")->GetStringFatal();
  }
  EXPECT_STREQ("kept", value.CStr());
}

const cProperty& Single(cPropertyGroup* group, const char* value) {
  std::string line = std::string("K = ") + value;
  group->ParseStandalone(cString(line.c_str()));
  return group->GetProperty(0);
}

TEST(PropertyTest, LenientNumbers) {
  cPropertyGroup g;
  EXPECT_EQ(12, Single(&g, "12").GetS32Fatal());
  EXPECT_EQ(-3, Single(&g, "-3abc").GetS32Fatal());
  EXPECT_EQ(0, Single(&g, "abc").GetS32Fatal());
  EXPECT_EQ(INT32_MAX, Single(&g, "99999999999").GetS32Fatal());
  EXPECT_EQ(INT32_MIN, Single(&g, "-99999999999").GetS32Fatal());
  EXPECT_FLOAT_EQ(2.5f, Single(&g, "2.5").GetF32Fatal());
  EXPECT_FLOAT_EQ(0.0f, Single(&g, "").GetF32Fatal());
  EXPECT_FLOAT_EQ(0.0f, Single(&g, "x1").GetF32Fatal());
  EXPECT_NEAR(1.5707963f, Single(&g, "90").GetAngleFatal(), 1e-6f);
  EXPECT_EQ("a b", PropertyText(Single(&g, "  a b  ").GetStringFatal()));
}

// Numbers the files count from 1 become indices counted from 0; anything
// that names no such number (0, negative numbers, no number) is none.
TEST(PropertyTest, NumbersCountedFromOne) {
  struct Row {
    const char* text;
    s32 index;
  };
  const Row rows[] = {{"1", 0},
                      {"12", 11},
                      {"0", -1},
                      {"-1", -1},
                      {"2147483647", 2147483646},
                      {"99999999999", 2147483646},
                      {"-2147483648", -1},
                      {"-99999999999", -1},
                      {"abc", -1},
                      {"", -1},
                      {" 3x", 2}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(row.index, TextToIndex(cString(row.text)));
  }
}

TEST(PropertyTest, VectorsAndColours) {
  cPropertyGroup g;
  f32 v[4] = {9, 9, 9, 9};
  RwV2d v2{9, 9};
  RwV3d v3{9, 9, 9};
  Single(&g, "(1.5, -2)").GetV2dFatal(&v2);
  EXPECT_FLOAT_EQ(1.5f, v2.x);
  EXPECT_FLOAT_EQ(-2.0f, v2.y);
  Single(&g, "pos (1,2,3) ignored").GetV3dFatal(&v3);
  EXPECT_FLOAT_EQ(3.0f, v3.z);
  Single(&g, "(1,(2,9),3)").GetV3dFatal(&v3);
  EXPECT_FLOAT_EQ(0.0f, v3.y);
  Single(&g, "(255, 128, 0, 1)").GetRGBAfFatal(v);
  EXPECT_FLOAT_EQ(255.0f, v[0]);
  EXPECT_FLOAT_EQ(1.0f, v[3]);
  Single(&g, "(1,2,)").GetV3dFatal(&v3);
  EXPECT_FLOAT_EQ(0.0f, v3.z);
}

// The parsers under the getters refuse a wrong element count without touching
// the result, so a caller with a default keeps it.
TEST(PropertyTest, VectorParsersCountElements) {
  struct Case {
    const char* text;
    u32 count;  // elements the parentheses hold; 0 when none are found
  };
  const Case cases[] = {{"(1,2)", 2}, {"(1,2,3)", 3}, {"(1,2,3,4)", 4}, {"1,2,3", 0}, {"(1,2,3,4,5)", 5}, {"()", 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    const cString value(c.text);
    RwV2d v2{-7, -7};
    RwV3d v3{-7, -7, -7};
    f32 colour[4] = {-7, -7, -7, -7};
    EXPECT_EQ(c.count == 2, ParseV2d(value, &v2));
    EXPECT_EQ(c.count == 3, ParseV3d(value, &v3));
    EXPECT_EQ(c.count == 4, ParseRGBAf(value, colour));
    EXPECT_FLOAT_EQ(c.count == 2 ? 2.0f : -7.0f, v2.y);
    EXPECT_FLOAT_EQ(c.count == 3 ? 3.0f : -7.0f, v3.z);
    EXPECT_FLOAT_EQ(c.count == 4 ? 4.0f : -7.0f, colour[3]);
  }
}

TEST(PropertyDeathTest, MalformedVectorsAreFatal) {
  cPropertyGroup g;
  f32 v[4];
  RwV2d v2;
  RwV3d v3;
  EXPECT_DEATH(Single(&g, "(1,2)").GetV3dFatal(&v3), "cProperty::GetV3dFatal : failure! \\(K\\)");
  EXPECT_DEATH(Single(&g, "1,2").GetV2dFatal(&v2), "cProperty::GetV2dFatal : failure! \\(K\\)");
  EXPECT_DEATH(Single(&g, "(1,2,3").GetRGBAfFatal(v), "cProperty::GetRGBAfFatal : failure! \\(K\\)");
}

}  // namespace

namespace {

class PropertyFileLoadTest : public StartedEngineTest {
 protected:
  void TearDown() override {
    for (const std::string& path : mPaths) {
      remove(path.c_str());
    }
    StartedEngineTest::TearDown();
  }

  std::string Write(const std::string& leaf, const std::string& text) {
    std::string path = ScratchPath(leaf);
    FILE* f = fopen(path.c_str(), "wb");
    EXPECT_NE(nullptr, f);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    mPaths.push_back(path);
    return path;
  }

  std::vector<std::string> mPaths;
};

TEST_F(PropertyFileLoadTest, LoadsThroughTheEngineFileInterface) {
  std::string path = Write("config.txt", "[Init]\r\nFRAME_LIMIT = 1\r\n[L]\r\nMSG = a\\nb\r\n");
  cPropertyFile file;
  ASSERT_TRUE(file.Load(cString(path.c_str())));
  EXPECT_EQ(path, PropertyText(file.GetFileName()));
  EXPECT_EQ("1", Value(file, "Init", "FRAME_LIMIT"));
  EXPECT_EQ("a\r\nb", Value(file, "L", "MSG"));

  // A missing file leaves the groups but forgets the name.
  EXPECT_FALSE(file.Load(cString((path + ".missing").c_str())));
  EXPECT_EQ("1", Value(file, "Init", "FRAME_LIMIT"));
  EXPECT_TRUE(file.GetFileName().IsEmpty());

  cPropertyGroup group;
  ASSERT_TRUE(group.LoadText(cString(path.c_str())));
  EXPECT_EQ("a\\nb", PropertyText(group.FindProperty("MSG")->GetValue()));
  EXPECT_EQ(2u, group.GetCount());
  EXPECT_FALSE(group.LoadText(cString("/no/such/file.txt")));
  EXPECT_EQ(2u, group.GetCount());

  std::string empty = Write("empty.txt", "");
  ASSERT_TRUE(file.Load(cString(empty.c_str())));
  EXPECT_EQ(0u, file.GetCount());
}

// A fatal error about a file's groups and keys names the file and the group,
// so that a damaged file is found; a text parsed in memory names none. Long
// text from the file is quoted cut, and no message is so long that it loses
// the file's name at its end.
TEST_F(PropertyFileLoadTest, FatalErrorsNameTheFileAndGroup) {
  testing::FLAGS_gtest_death_test_style = "threadsafe";
  // 63 bytes and a two-byte character across the cut at 64.
  const std::string longName = std::string(63, 'N') + "\xC3\xA9" + std::string(100000, 'N');
  const std::string path = Write("levels.txt", "[L]\nPOS = (1,2)\n[" + longName + "]\n");
  cPropertyFile file;
  ASSERT_TRUE(file.Load(cString(path.c_str())));
  cPropertyGroup standalone;
  ASSERT_TRUE(standalone.LoadText(cString(path.c_str())));
  cPropertyFile inMemory;
  inMemory.ParseText(cString("[L]\nPOS = (1,2)\n"));
  const cPropertyGroup* group = file.FindGroup("L");
  ASSERT_NE(nullptr, group);
  char where[256];
  const struct {
    const cPropertyGroup* group;
    std::string said;
  } rows[] = {{group, " in " + path + " [L]"},
              {&standalone, " in " + path},
              {inMemory.FindGroup("L"), ""},
              {nullptr, ""},
              {file.FindGroup(longName.c_str()), " in " + path + " [" + std::string(63, 'N') + "...]"}};
  for (const auto& row : rows) {
    DescribeGroupSource(row.group, where, sizeof(where));
    EXPECT_EQ(row.said, where);
  }
  EXPECT_DEATH(FatalGroupNotFound("tag", &file, "M"), "tag : PropertyGroup not found! \\(M\\) in .*levels.txt");
  EXPECT_DEATH(FatalPropertyNotFound("tag", group, "KEY"),
               "tag : Property not found! \\(KEY\\) in .*levels.txt \\[L\\]");
  RwV3d v3;
  EXPECT_DEATH(group->FindProperty("POS")->GetV3dFatal(&v3),
               "GetV3dFatal : failure! \\(POS\\) in .*levels.txt \\[L\\]");
  EXPECT_DEATH(FatalGroupNotFound("tag", &file, longName.c_str()),
               "tag : PropertyGroup not found! \\(N{63}[.]{3}\\) in .*levels.txt\n");
  EXPECT_DEATH(FatalPropertyNotFound("tag", group, longName.c_str()),
               "tag : Property not found! \\(N{63}[.]{3}\\) in .*levels.txt \\[L\\]\n");
  EXPECT_DEATH(FatalInGroup(group, "%s", std::string(2 * kMessageSize, 't').c_str()), "tt in .*levels.txt \\[L\\]\n");
}

}  // namespace
