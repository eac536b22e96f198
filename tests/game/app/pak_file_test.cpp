// Tests of the pack file: mounting sound and damaged archives, lookup, and the
// file functions that serve archive files in place of the folder's.
#include "game/app/pak_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game/foundation/property.h"
#include "tests/support/scratch_path.h"
#include "tests/support/started_engine.h"
#include "tools/forge/files/pack_writer.h"

namespace {

// The folder's file functions, as the engine's defaults would be.
s32 StdioExists(const char* name) {
  FILE* f = fopen(name, "rb");
  if (f != nullptr) {
    fclose(f);
  }
  return f != nullptr;
}
void* StdioOpen(const char* name, const char* mode) { return fopen(name, mode); }
s32 StdioClose(void* h) { return fclose(static_cast<FILE*>(h)); }
size_t StdioRead(void* b, size_t s, size_t c, void* h) { return fread(b, s, c, static_cast<FILE*>(h)); }
size_t StdioWrite(const void* b, size_t s, size_t c, void* h) { return fwrite(b, s, c, static_cast<FILE*>(h)); }
char* StdioGets(char* b, s32 m, void* h) { return fgets(b, m, static_cast<FILE*>(h)); }
s32 StdioPuts(const char* t, void* h) { return fputs(t, static_cast<FILE*>(h)); }
s32 StdioEof(void* h) { return feof(static_cast<FILE*>(h)); }
s32 StdioSeek(void* h, s32 o, s32 w) { return fseek(static_cast<FILE*>(h), o, w); }
s32 StdioFlush(void* h) { return fflush(static_cast<FILE*>(h)); }
s32 StdioTell(void* h) { return static_cast<s32>(ftell(static_cast<FILE*>(h))); }

const RwFileFunctions kStdio = {StdioExists, StdioOpen, StdioClose, StdioRead,  StdioWrite, StdioGets,
                                StdioPuts,   StdioEof,  StdioSeek,  StdioFlush, StdioTell};

u32 sProgressBytes = 0;
void CountProgress(u32 bytes) { sProgressBytes += bytes; }

class PakFileTest : public testing::Test {
 protected:
  void SetUp() override {
    mTable = kStdio;
    mPackPath = ScratchPath("data.pak");
  }
  void TearDown() override {
    cPakFile::Shutdown();
    remove(mPackPath.c_str());
    SetReadProgressHook(nullptr);
  }

  bool Mount(const PackWriter& writer) {
    EXPECT_TRUE(writer.WriteFile(mPackPath));
    return cPakFile::MountInto(&mTable, mPackPath.c_str(), "");
  }

  std::string ReadAll(const char* name) {
    void* h = mTable.rwfopen(name, "rb");
    if (h == nullptr) {
      return "<not found>";
    }
    std::string out;
    char buffer[7];
    size_t got;
    while ((got = mTable.rwfread(buffer, 1, sizeof(buffer), h)) > 0) {
      out.append(buffer, got);
    }
    mTable.rwfclose(h);
    return out;
  }

  bool TableIsStdio() const { return memcmp(&mTable, &kStdio, sizeof(kStdio)) == 0; }

  RwFileFunctions mTable;
  std::string mPackPath;
};

TEST_F(PakFileTest, LooksUpWholeNamesWithoutRegardToCaseOrSeparator) {
  PackWriter writer;
  writer.Add("data/zeta.txt", "Z").Add("data/media/sfx/pl_step.wav", "WAVE").Add("data/ab", "AB");
  writer.Add("data/abc", "ABC").Add("Data/Config.txt", "CONFIG").Add("data/a", "A");
  ASSERT_TRUE(Mount(writer));
  cPakFile* pak = cPakFile::GetMounted();
  ASSERT_NE(nullptr, pak);
  EXPECT_EQ(6u, pak->GetEntryCount());
  for (u32 i = 1; i < pak->GetEntryCount(); i++) {
    EXPECT_LT(strcasecmp(pak->GetEntry(i - 1).name, pak->GetEntry(i).name), 0);
  }

  struct Case {
    const char* name;
    const char* contents;
  };
  const Case cases[] = {
      {"data/zeta.txt", "Z"},
      {"DATA/MEDIA/sfx/PL_STEP.wav", "WAVE"},
      {"data\\media\\sfx\\pl_step.wav", "WAVE"},
      {"data/config.txt", "CONFIG"},
      {"data/ab", "AB"},
      {"data/abc", "ABC"},
      {"data/a", "A"},
      {"data/abcd", "<not found>"},  // a longer name than any entry
      {"data/", "<not found>"},      // a prefix of entries
      {"data/zeta", "<not found>"},
      {"", "<not found>"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.contents, ReadAll(c.name));
  }
}

TEST_F(PakFileTest, NamesOutsideTheArchiveComeFromTheFolder) {
  std::string loose = ScratchPath("loose.txt");
  FILE* f = fopen(loose.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  fputs("from the folder", f);
  fclose(f);
  ASSERT_TRUE(Mount(PackWriter().Add("no_such_folder/x", "X")));
  EXPECT_EQ("from the folder", ReadAll(loose.c_str()));

  // Opening for writing never returns an archive file.
  void* h = mTable.rwfopen("no_such_folder/x", "wb");
  EXPECT_EQ(nullptr, h);  // no such folder here: the folder's open refuses
  remove(loose.c_str());
}

TEST_F(PakFileTest, ReadsStopAtTheEntryEndAndCountItems) {
  std::string hundred(100, 'h');
  for (int i = 0; i < 100; i++) {
    hundred[i] = static_cast<char>('a' + i % 26);
  }
  ASSERT_TRUE(Mount(PackWriter().Add("first", hundred).Add("second", "SECOND")));
  void* h = mTable.rwfopen("first", "rb");
  ASSERT_NE(nullptr, h);
  char buffer[256];

  EXPECT_EQ(100u, mTable.rwfread(buffer, 1, 100, h));
  EXPECT_EQ(0, memcmp(buffer, hundred.data(), 100));
  EXPECT_NE(0, mTable.rwfeof(h));
  EXPECT_EQ(0u, mTable.rwfread(buffer, 1, 10, h));

  EXPECT_EQ(0, mTable.rwfseek(h, 0, 0));
  EXPECT_EQ(0, mTable.rwfeof(h));
  EXPECT_EQ(3u, mTable.rwfread(buffer, 30, 3, h));
  EXPECT_EQ(90, mTable.rwftell(h));
  EXPECT_EQ(0u, mTable.rwfread(buffer, 30, 3, h));  // 10 bytes left: no whole item
  EXPECT_EQ(100, mTable.rwftell(h));

  // Seeks stay within the entry: nothing of the next file is ever read.
  EXPECT_EQ(0, mTable.rwfseek(h, 50, 2));
  EXPECT_EQ(100, mTable.rwftell(h));
  EXPECT_EQ(0u, mTable.rwfread(buffer, 1, 10, h));
  EXPECT_EQ(0, mTable.rwfseek(h, -1, 2));
  EXPECT_EQ(1u, mTable.rwfread(buffer, 1, 10, h));
  EXPECT_EQ(hundred[99], buffer[0]);
  EXPECT_EQ(0, mTable.rwfseek(h, 10, 0));
  EXPECT_EQ(0, mTable.rwfseek(h, 5, 1));
  EXPECT_EQ(15, mTable.rwftell(h));
  EXPECT_NE(0, mTable.rwfseek(h, -16, 1));
  EXPECT_EQ(15, mTable.rwftell(h));
  EXPECT_NE(0, mTable.rwfseek(h, 0, 7));
  EXPECT_EQ(2u, mTable.rwfread(buffer, 1, 2, h));
  EXPECT_EQ(hundred[15], buffer[0]);
  EXPECT_EQ(0, mTable.rwfclose(h));
}

TEST_F(PakFileTest, TwoHandlesReadAlternately) {
  ASSERT_TRUE(Mount(PackWriter().Add("a", "aaaaaaaaaa").Add("b", "bbbbbbbbbb")));
  void* a = mTable.rwfopen("a", "rb");
  void* b = mTable.rwfopen("b", "rb");
  ASSERT_NE(nullptr, a);
  ASSERT_NE(nullptr, b);
  EXPECT_EQ(2u, cPakFile::GetMounted()->GetOpenHandleCount());
  std::string readA, readB;
  char c;
  for (int i = 0; i < 10; i++) {
    ASSERT_EQ(1u, mTable.rwfread(&c, 1, 1, a));
    readA += c;
    ASSERT_EQ(1u, mTable.rwfread(&c, 1, 1, b));
    readB += c;
  }
  EXPECT_EQ("aaaaaaaaaa", readA);
  EXPECT_EQ("bbbbbbbbbb", readB);
  EXPECT_FALSE(cPakFile::Unmount());  // files still open
  mTable.rwfclose(a);
  mTable.rwfclose(b);
  EXPECT_TRUE(cPakFile::Unmount());
  EXPECT_TRUE(TableIsStdio());
  EXPECT_FALSE(cPakFile::Unmount());
}

TEST_F(PakFileTest, GetsTurnsCrLfIntoLf) {
  ASSERT_TRUE(Mount(PackWriter().Add("t.txt", "[Init]\r\nA = 1\r\n\nlast").Add("u", "NEXT FILE")));
  void* h = mTable.rwfopen("t.txt", "rb");
  ASSERT_NE(nullptr, h);
  char line[64];
  std::string lines;
  while (mTable.rwfgets(line, sizeof(line), h) != nullptr) {
    lines += std::string("<") + line + ">";
  }
  EXPECT_EQ("<[Init]\n><A = 1\n><\n><last>", lines);
  EXPECT_NE(0, mTable.rwfeof(h));

  // A short buffer cuts a line into pieces.
  mTable.rwfseek(h, 0, 0);
  ASSERT_NE(nullptr, mTable.rwfgets(line, 4, h));
  EXPECT_STREQ("[In", line);
  ASSERT_NE(nullptr, mTable.rwfgets(line, 64, h));
  EXPECT_STREQ("it]\n", line);
  EXPECT_EQ(8, mTable.rwftell(h));
  ASSERT_NE(nullptr, mTable.rwfgets(line, 1, h));
  EXPECT_STREQ("", line);
  EXPECT_EQ(nullptr, mTable.rwfgets(line, 0, h));
  mTable.rwfclose(h);
}

TEST_F(PakFileTest, EmptyDirectoryMountsAndServesNothing) {
  ASSERT_TRUE(Mount(PackWriter()));
  EXPECT_EQ(0u, cPakFile::GetMounted()->GetEntryCount());
  EXPECT_EQ(-1, cPakFile::GetMounted()->FindEntry("anything"));
  EXPECT_EQ("<not found>", ReadAll("anything"));
  EXPECT_FALSE(cPakFile::MountInto(&mTable, mPackPath.c_str(), ""));  // one at a time
}

TEST_F(PakFileTest, EmptyEntryIsAtEndAtOnce) {
  ASSERT_TRUE(Mount(PackWriter().Add("empty", "")));
  void* h = mTable.rwfopen("empty", "rb");
  ASSERT_NE(nullptr, h);
  char buffer[4];
  EXPECT_EQ(0u, mTable.rwfread(buffer, 1, 4, h));
  EXPECT_NE(0, mTable.rwfeof(h));
  EXPECT_EQ(nullptr, mTable.rwfgets(buffer, 4, h));
  mTable.rwfclose(h);
}

TEST_F(PakFileTest, DamagedArchivesAreNotMounted) {
  struct Case {
    const char* name;
    PackWriter writer;
  };
  auto with = [](auto change) {
    PackWriter writer;
    writer.Add("data/one", "1111").Add("data/two", "22");
    change(&writer);
    return writer;
  };
  const Case cases[] = {
      {"bad magic", with([](PackWriter* w) { w->magic = 0x4B434151; })},
      {"directory beyond the end", with([](PackWriter* w) { w->directoryOffsetOverride = 100000; })},
      {"directory longer than the file", with([](PackWriter* w) { w->directoryLengthOverride = 0xFFFFFFC0; })},
      {"unterminated name", with([](PackWriter* w) { w->entries[1].terminated = false; })},
      {"offset beyond the end", with([](PackWriter* w) { w->entries[0].offsetOverride = 5000; })},
      {"size beyond the end", with([](PackWriter* w) { w->entries[1].sizeOverride = 0xFFFFFFFF; })},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(Mount(c.writer));
    EXPECT_EQ(nullptr, cPakFile::GetMounted());
    EXPECT_TRUE(TableIsStdio());
  }

  // Too short for a header, and missing altogether.
  FILE* f = fopen(mPackPath.c_str(), "wb");
  fputs("PAC", f);
  fclose(f);
  EXPECT_FALSE(cPakFile::MountInto(&mTable, mPackPath.c_str(), ""));
  remove(mPackPath.c_str());
  EXPECT_FALSE(cPakFile::MountInto(&mTable, mPackPath.c_str(), ""));
  EXPECT_TRUE(TableIsStdio());
}

TEST_F(PakFileTest, DirectoryRemainderIsIgnoredAndFirstOfEqualNamesWins) {
  PackWriter writer;
  writer.Add("same", "first").Add("SAME", "second").Add("other", "o");
  writer.directoryRemainder = 63;
  ASSERT_TRUE(Mount(writer));
  EXPECT_EQ(3u, cPakFile::GetMounted()->GetEntryCount());
  EXPECT_EQ("first", ReadAll("same"));
  EXPECT_EQ("first", ReadAll("Same"));
}

TEST_F(PakFileTest, BasePathSelectsWhichNamesAreLookedUp) {
  ASSERT_TRUE(PackWriter().Add("tex/a.txd", "TXD").WriteFile(mPackPath));
  ASSERT_TRUE(cPakFile::MountInto(&mTable, mPackPath.c_str(), "data\\"));
  EXPECT_EQ("TXD", ReadAll("data\\tex\\a.txd"));
  EXPECT_EQ("<not found>", ReadAll("tex\\a.txd"));
  EXPECT_EQ("<not found>", ReadAll("dat"));
  ASSERT_TRUE(cPakFile::Unmount());

  // Without a base path: the pack's path without its extension.
  ASSERT_TRUE(cPakFile::MountInto(&mTable, mPackPath.c_str(), nullptr));
  std::string base = mPackPath.substr(0, mPackPath.size() - 4);
  EXPECT_EQ("TXD", ReadAll((base + "\\tex/a.txd").c_str()));
}

TEST_F(PakFileTest, ReadProgressIsReported) {
  ASSERT_TRUE(Mount(PackWriter().Add("p", "0123456789")));
  sProgressBytes = 0;
  SetReadProgressHook(CountProgress);
  EXPECT_EQ("0123456789", ReadAll("p"));
  EXPECT_EQ(10u, sProgressBytes);
}

}  // namespace

namespace {

class EnginePakFileTest : public StartedEngineTest {
 protected:
  void SetUp() override {
    StartedEngineTest::SetUp();
    mPackPath = ScratchPath("engine_data.pak");
  }
  void TearDown() override {
    cPakFile::Shutdown();
    remove(mPackPath.c_str());
    StartedEngineTest::TearDown();
  }

  std::string mPackPath;
};

TEST_F(EnginePakFileTest, EngineReadsAndPropertyFilesComeFromThePack) {
  RwFileFunctions before = *RwEngineGetFileInterface();
  PackWriter writer;
  writer.Add("data/config.txt", "[Init]\r\nFRAME_LIMIT = 1\r\n").Add("data/bin.dat", "0123456789");
  ASSERT_TRUE(writer.WriteFile(mPackPath));
  cPakFile::MountDefault(mPackPath.c_str(), "");
  ASSERT_NE(nullptr, cPakFile::GetMounted());
  EXPECT_EQ(RwEngineGetFileInterface()->rwfopen, cPakFile::GetSaveFileOpen());

  // The game's path with '/' reaches the engine with '\' and is found.
  cPropertyFile config;
  ASSERT_TRUE(config.Load(cString("data/config.txt")));
  ASSERT_NE(nullptr, config.FindGroup(cString("Init")));
  EXPECT_EQ(1, config.FindGroup(cString("Init"))->FindProperty(cString("FRAME_LIMIT"))->GetS32Fatal());

  // An engine stream over a file name reads the archive file.
  RwStream* stream = RwStreamOpen(kRwStreamFileName, kRwStreamRead, "DATA\\BIN.DAT");
  ASSERT_NE(nullptr, stream);
  char bytes[16] = {};
  EXPECT_EQ(10u, RwStreamRead(stream, bytes, sizeof(bytes)));
  EXPECT_STREQ("0123456789", bytes);
  RwStreamClose(stream, nullptr);

  EXPECT_TRUE(cPakFile::Unmount());
  EXPECT_EQ(0, memcmp(&before, RwEngineGetFileInterface(), sizeof(before)));
  EXPECT_FALSE(config.Load(cString("data/config.txt")));
}

TEST_F(EnginePakFileTest, MountPackFileTakesAGamePath) {
  PackWriter writer;
  writer.Add("data/x.txt", "X");
  ASSERT_TRUE(writer.WriteFile(mPackPath));
  MountPackFile(mPackPath.c_str());
  ASSERT_NE(nullptr, cPakFile::GetMounted());
  EXPECT_EQ(0, cPakFile::GetMounted()->FindEntry("DATA\\X.TXT"));
}

}  // namespace
