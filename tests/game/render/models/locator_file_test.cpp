// Locator files written by the test builder and read back entry by entry:
// names, data and matrices in order, padding, skipped data and foreign
// chunks, and damaged files that end the entries with a trace.
#include "game/render/models/locator_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/locator_writer.h"

namespace {

constexpr u32 kNameSize = 32;
constexpr u32 kDataSize = 10240;

struct tReadEntry {
  std::string name;
  std::string data;
  RwMatrix matrix;
};

class LocatorFileTest : public StartedEngineTest {
 protected:
  void TearDown() override {
    mFile.Close();  // the stream belongs to the engine that stops next
    remove(mPath.c_str());
    StartedEngineTest::TearDown();
  }

  // Writes the file and opens it.
  void Open(const LocatorWriter& writer) {
    ASSERT_TRUE(writer.WriteFile(mPath));
    ASSERT_TRUE(mFile.Open(mPath.c_str()));
  }

  // Every entry up to the first false, with the trace it left.
  std::vector<tReadEntry> ReadAll(bool withData, std::string* trace = nullptr) {
    std::vector<tReadEntry> entries;
    char name[kNameSize];
    std::vector<char> data(kDataSize);
    tReadEntry entry;
    testing::internal::CaptureStderr();
    while (mFile.ReadEntry(name, kNameSize, withData ? data.data() : nullptr, kDataSize, &entry.matrix)) {
      entry.name = name;
      entry.data = withData ? data.data() : "";
      entries.push_back(entry);
    }
    const std::string captured = testing::internal::GetCapturedStderr();
    if (trace != nullptr) {
      *trace = captured;
    }
    return entries;
  }

  std::string mPath = ScratchPath("locator_test.xrf");
  cLocatorFile mFile;
};

TEST_F(LocatorFileTest, EntriesComeInFileOrderWithTheirPadding) {
  // "cam" occupies 4 bytes, "door" 8.
  LocatorWriter writer;
  writer.headerValue = 3;
  writer.headerText = "level one";
  LocatorWriterEntry turned;
  turned.name = "door";
  turned.data = "[guard1, guard2]";
  turned.right[0] = 0.0f;
  turned.right[2] = -1.0f;
  turned.at[0] = 1.0f;
  turned.at[2] = 0.0f;
  turned.pos[1] = 2.5f;
  writer.Add("cam", "", 1.0f, 2.0f, 3.0f).AddEntry(turned);
  writer.AddForeignChunk(0x1234, {1, 2, 3, 4, 5}).Add(std::string(kNameSize - 1, 'n'), "x", -4.0f, 0.0f, 8.0f);
  Open(writer);
  EXPECT_EQ(3u, mFile.GetHeaderValue());

  std::string trace;
  const std::vector<tReadEntry> entries = ReadAll(true, &trace);
  ASSERT_EQ(3u, entries.size());
  EXPECT_EQ("cam", entries[0].name);
  EXPECT_EQ("", entries[0].data);
  EXPECT_EQ(3.0f, entries[0].matrix.pos.z);
  EXPECT_EQ("door", entries[1].name);
  EXPECT_EQ("[guard1, guard2]", entries[1].data);
  EXPECT_EQ(-1.0f, entries[1].matrix.right.z);
  EXPECT_EQ(1.0f, entries[1].matrix.at.x);
  EXPECT_EQ(2.5f, entries[1].matrix.pos.y);
  EXPECT_EQ(std::string(kNameSize - 1, 'n'), entries[2].name);
  EXPECT_EQ("x", entries[2].data);
  EXPECT_EQ(-4.0f, entries[2].matrix.pos.x);
  EXPECT_EQ("", trace);

  // Without a data buffer the data is skipped.
  ASSERT_TRUE(mFile.Open(mPath.c_str()));
  const std::vector<tReadEntry> skipped = ReadAll(false);
  ASSERT_EQ(3u, skipped.size());
  EXPECT_EQ("door", skipped[1].name);
  EXPECT_EQ(-4.0f, skipped[2].matrix.pos.x);
}

TEST_F(LocatorFileTest, EmptyMissingAndHeaderlessFilesHaveNoEntries) {
  {
    SCOPED_TRACE("header only");
    LocatorWriter writer;
    writer.headerValue = 7;
    Open(writer);
    EXPECT_EQ(7u, mFile.GetHeaderValue());
    EXPECT_TRUE(ReadAll(true).empty());
  }
  {
    SCOPED_TRACE("no header: the search for it passes every entry");
    LocatorWriter writer;
    writer.withHeader = false;
    writer.Add("a", "b", 0.0f, 0.0f, 0.0f);
    Open(writer);
    EXPECT_EQ(0u, mFile.GetHeaderValue());
    EXPECT_TRUE(ReadAll(true).empty());
  }
  {
    SCOPED_TRACE("missing file");
    cLocatorFile missing;
    EXPECT_FALSE(missing.Open((mPath + ".missing").c_str()));
    char name[kNameSize];
    RwMatrix matrix;
    EXPECT_FALSE(missing.ReadEntry(name, kNameSize, nullptr, 0, &matrix));
    char text[kLocatorHeaderTextSize];
    EXPECT_FALSE(missing.ReadHeader(text));
  }
}

TEST_F(LocatorFileTest, AnEntryThatDoesNotFitEndsTheEntries) {
  struct tCase {
    const char* what;
    LocatorWriterEntry bad;
    bool withData;
    size_t cutBytes;  // taken off the file's end
    const char* trace;
  };
  LocatorWriterEntry longName;
  longName.name = std::string(kNameSize, 'n');
  LocatorWriterEntry longData;
  longData.name = "d";
  longData.data = std::string(kDataSize, 'd');
  LocatorWriterEntry hugeName;
  hugeName.name = "h";
  hugeName.nameLengthOverride = 0xFFFFFFFF;
  LocatorWriterEntry skippedPastTheEnd;
  skippedPastTheEnd.name = "s";
  skippedPastTheEnd.dataLengthOverride = 0xFFFFFFF0;
  LocatorWriterEntry cut;
  cut.name = "cut";
  cut.data = "some data text";
  const tCase cases[] = {
      {"name too long for its buffer", longName, true, 0, "name of 32 bytes does not fit in 32"},
      {"data too long for its buffer", longData, true, 0, "data of 10240 bytes does not fit in 10240"},
      {"name length beyond any buffer", hugeName, true, 0, "name of 4294967295 bytes does not fit"},
      {"skipped data beyond the file", skippedPastTheEnd, false, 0, "data runs past the end of the file"},
      {"data cut by the end of the file", cut, true, 6, "data of 14 bytes runs past the end of the file"},
      {"name length cut by the end of the file", cut, true, 20 + 8, "the file ends before the name"},
  };
  for (const tCase& c : cases) {
    SCOPED_TRACE(c.what);
    LocatorWriter writer;
    writer.Add("first", "ok", 0.0f, 0.0f, 0.0f).AddEntry(c.bad).Add("after", "lost", 0.0f, 0.0f, 0.0f);
    std::vector<uint8_t> bytes = writer.Build();
    if (c.cutBytes != 0) {
      // The cut entry is the last one.
      LocatorWriter last;
      last.Add("first", "ok", 0.0f, 0.0f, 0.0f).AddEntry(c.bad);
      bytes = last.Build();
      bytes.resize(bytes.size() - c.cutBytes);
    }
    ASSERT_TRUE(WriteWholeFile(mPath, std::string(bytes.begin(), bytes.end())));
    ASSERT_TRUE(mFile.Open(mPath.c_str()));
    std::string trace;
    const std::vector<tReadEntry> entries = ReadAll(c.withData, &trace);
    ASSERT_EQ(1u, entries.size());
    EXPECT_EQ("first", entries[0].name);
    EXPECT_NE(std::string::npos, trace.find(c.trace)) << trace;
    EXPECT_NE(std::string::npos, trace.find("the entries end")) << trace;
    // The entries stay ended.
    EXPECT_FALSE(mFile.IsOpen());
    mFile.Close();
  }
}

}  // namespace
