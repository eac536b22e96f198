// The save-profile table and "save.dat": the file's layout, what a short or
// corrupt file leaves, failed writes that keep the old file, and the table's
// own rules.
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/game/frontend/front_end_fixture.h"

namespace {

std::string U32(uint32_t value) {
  return std::string{char(value), char(value >> 8), char(value >> 16), char(value >> 24)};
}

// A slot: name (cut or padded to 12 bytes), level index, total, last time,
// count and difficulty.
std::string Slot(std::string name, uint32_t level, uint32_t difficulty = 0, uint32_t total = 7, uint32_t time = 0,
                 uint32_t count = 0) {
  name.resize(kProfileNameSize, '\0');
  return name + U32(level) + U32(total) + U32(time) + U32(count) + U32(difficulty);
}

// A whole file: language, brightness, volume, flags, then the slots.
std::string File(uint32_t language, uint32_t brightness, uint32_t volume, const std::vector<std::string>& slots) {
  std::string bytes = U32(language) + U32(brightness) + U32(volume) + std::string("\1\1\1\0\0\0\0\0", 8);
  for (const std::string& slot : slots) {
    bytes += slot;
  }
  bytes.resize(kSaveFileSize, '\0');
  return bytes;
}

std::string SaveDat() {
  std::ifstream in(kSaveFileName, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Names(const cSaveProfiles& profiles) {
  std::vector<std::string> names;
  for (u32 i = 0; i < profiles.GetUsedCount(); i++) {
    names.push_back(profiles.GetSlot(i).name);
  }
  return names;
}

}  // namespace

using SaveProfilesTest = FrontEndTest;

TEST_F(SaveProfilesTest, WrittenFileHoldsOptionsThenSlotsAndReadsBack) {
  gGameOptions->SetLanguage(1);
  gGameOptions->SetBrightness(80);
  gGameOptions->SetLevelCompleted(5);
  gSaveProfiles->SetHard(1);
  gSaveProfiles->NewProfile("Ada");
  gSaveProfiles->SetHard(0);
  gSaveProfiles->NewProfile("Bela");
  ASSERT_TRUE(gSaveProfiles->CompleteLevel(1000, 95, 3));
  const std::string bytes = U32(1) + U32(80) + U32(50) + std::string("\1\1\1\0\0\0\0\1", 8) + Slot("Ada", 0, 1, 0) +
                            Slot("Bela", 1, 0, 1000, 95, 3) + std::string(256, '\0');
  EXPECT_EQ(bytes, SaveDat());  // 340 bytes: the name at 20, the level index at 32
  // Read back, then written again: the same bytes.
  delete gGameOptions;
  gGameOptions = new cGameOptions;
  cSaveProfiles profiles;
  EXPECT_TRUE(profiles.Read());
  EXPECT_EQ(2u, profiles.GetUsedCount());
  ASSERT_TRUE(WriteWholeFile(kSaveFileName, ""));
  ASSERT_TRUE(profiles.Write());
  EXPECT_EQ(bytes, SaveDat());
}

TEST_F(SaveProfilesTest, ShortOrOutOfRangeFilesAreReadSafely) {
  struct Row {
    const char* what;
    std::string bytes;
    bool whole;
    u32 language, brightness, volume;
    std::vector<std::string> names;
  };
  const std::string good = File(1, 10, 20, {Slot("Ada", 2)});
  const Row rows[] = {
      {"empty", "", false, 2, 50, 50, {}},
      {"19 bytes", good.substr(0, 19), false, 2, 50, 50, {}},
      {"20 bytes", good.substr(0, 20), false, 1, 10, 20, {}},
      {"slot cut short", good.substr(0, 51), false, 1, 10, 20, {}},
      {"339 bytes", good.substr(0, 339), false, 1, 10, 20, {"Ada"}},
      {"in range", File(0, 100, 0, {Slot("A", 4, 1)}), true, 0, 100, 0, {"A"}},
      {"language", File(3, 50, 50, {}), true, 2, 50, 50, {}},
      {"brightness, volume", File(1, 101, 0xFFFFFFFF, {}), true, 1, 100, 100, {}},
      {"no NUL", File(1, 0, 0, {Slot("A", 0), Slot("ABCDEFGHIJKL", 0), Slot("C", 0)}), true, 1, 0, 0, {"A", "C"}},
      {"level index", File(1, 0, 0, {Slot("A", 0), Slot("B", 5), Slot("C", 4)}), true, 1, 0, 0, {"A", "C"}},
      {"difficulty", File(1, 0, 0, {Slot("A", 0, 2), Slot("B", 0, 1)}), true, 1, 0, 0, {"B"}},
      {"free slot between", File(1, 0, 0, {Slot("A", 0), Slot("", 0), Slot("C", 1)}), true, 1, 0, 0, {"A", "C"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(WriteWholeFile(kSaveFileName, row.bytes));
    cGameOptions options;
    cGameOptions* const held = gGameOptions;
    gGameOptions = &options;
    cSaveProfiles profiles;
    EXPECT_EQ(row.whole, profiles.Read());
    gGameOptions = held;
    EXPECT_EQ(row.language, options.GetLanguage());
    EXPECT_EQ(row.brightness, options.GetBrightness());
    EXPECT_EQ(row.volume, options.GetSoundVolume());
    EXPECT_EQ(row.names, Names(profiles));
    EXPECT_EQ(0u, profiles.GetSlot(kProfileSlotCount - 1).total);
  }
  remove(kSaveFileName);
  EXPECT_FALSE(gSaveProfiles->Read());
}

namespace {

RwFileFunctions sSaved;
void* RefuseOpen(const RwChar*, const RwChar*) { return nullptr; }
size_t ShortWrite(const void* data, size_t size, size_t count, void* file) {
  return sSaved.rwfwrite(data, size, count / 2, file);
}
RwInt32 FailingClose(void* file) { return sSaved.rwfclose(file) - 1; }

}  // namespace

TEST_F(SaveProfilesTest, FailedWriteKeepsTheOldFile) {
  gSaveProfiles->NewProfile("Old");
  ASSERT_TRUE(gSaveProfiles->Write());
  const std::string old = SaveDat();
  gSaveProfiles->NewProfile("New");
  RwFileFunctions* files = RwEngineGetFileInterface();
  sSaved = *files;
  const std::vector<std::pair<const char*, void (*)(RwFileFunctions*)>> rows = {
      {"open refused", [](RwFileFunctions* f) { f->rwfopen = RefuseOpen; }},
      {"short write", [](RwFileFunctions* f) { f->rwfwrite = ShortWrite; }},
      {"close fails", [](RwFileFunctions* f) { f->rwfclose = FailingClose; }},
      {"temporary name taken by a folder",
       [](RwFileFunctions*) {
         remove(kSaveTempFileName);  // left by the failures before
         ASSERT_EQ(0, mkdir(kSaveTempFileName, 0700));
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.first);
    row.second(files);
    EXPECT_FALSE(gSaveProfiles->Write());
    *files = sSaved;
    EXPECT_EQ(old, SaveDat());
  }
}

TEST_F(SaveProfilesTest, NewProfileFillsFreeSlotsThenTheChosenOne) {
  gSaveProfiles->NewProfile("a much too long name");
  EXPECT_STREQ("a much too ", gSaveProfiles->GetSlot(0).name);
  for (int i = 1; i < 10; i++) {
    EXPECT_TRUE(gSaveProfiles->HasFreeSlot());
    gSaveProfiles->NewProfile("p");
  }
  EXPECT_FALSE(gSaveProfiles->HasFreeSlot());
  EXPECT_EQ(9u, gSaveProfiles->GetCurrentSlot());
  gSaveProfiles->SetCurrentSlot(3);
  ASSERT_TRUE(gSaveProfiles->CompleteLevel(500, 60, 2));
  gSaveProfiles->SetOverwritePending(true);
  gSaveProfiles->SetHard(1);
  gSaveProfiles->NewProfile("Zed");
  EXPECT_EQ(10u, gSaveProfiles->GetUsedCount());
  EXPECT_FALSE(gSaveProfiles->IsOverwritePending());
  // The overwritten slot keeps its numbers; only the name and difficulty change.
  const tProfileSlot& slot = gSaveProfiles->GetSlot(3);
  EXPECT_STREQ("Zed", slot.name);
  EXPECT_EQ(1u, slot.difficulty);
  EXPECT_EQ(1u, slot.levelIndex);
  EXPECT_EQ(500u, slot.total);
  EXPECT_EQ(2u, slot.count);
}

TEST_F(SaveProfilesTest, CompletedLevelsAddUpAndWrapTheLevelIndex) {
  gSaveProfiles->NewProfile("Ada");
  for (u32 expected : {1u, 2u, 3u, 4u, 0u, 1u}) {
    SCOPED_TRACE(expected);
    ASSERT_TRUE(gSaveProfiles->CompleteLevel(10, 100 + expected, 1));
    EXPECT_EQ(U32(expected), SaveDat().substr(32, 4));
  }
  EXPECT_EQ(60u, gSaveProfiles->GetCurrent().total);
  EXPECT_EQ(101u, gSaveProfiles->GetCurrent().lastTime);
  EXPECT_EQ(6u, gSaveProfiles->GetCurrent().count);
}

TEST(GameOptionsTest, LevelNumbersAndCompletedFlags) {
  struct Row {
    const char* name;
    s32 number;
  };
  const Row rows[] = {{"level01", 1}, {"level05", 5}, {"level06", 6}, {"level99", 99}, {"level", 0},
                      {"lev", 0},     {"level00", 0}, {"levelx1", 0}, {"level-3", -3}, {"level1234567890", 123456}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.number, LevelNumberOf(row.name));
    cGameOptions options;
    options.SetLevelCompleted(row.number);
    for (u32 i = 0; i < kCompletedLevelCount; i++) {
      EXPECT_EQ(static_cast<s32>(i) == row.number - 1, options.IsLevelCompleted(i));
    }
  }
}
