// The save-profile table and "save.dat": the file's layout, what a short or
// corrupt file leaves, failed writes that keep the old file, and the table's
// own rules.
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tests/game/frontend/save_folder.h"

namespace {

void PutU32(std::string* bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; i++) {
    (*bytes)[offset + i] = static_cast<char>(value >> (8 * i));
  }
}

uint32_t GetU32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 0; i < 4; i++) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

// A slot's 32 bytes.
std::string SlotBytes(const std::string& name, uint32_t level, uint32_t difficulty, uint32_t total = 7) {
  std::string slot(kProfileSlotSize, '\0');
  memcpy(&slot[0], name.data(), name.size() < kProfileNameSize ? name.size() : kProfileNameSize);
  PutU32(&slot, 12, level);
  PutU32(&slot, 16, total);
  PutU32(&slot, 28, difficulty);
  return slot;
}

// A whole file: the stored options given as language, brightness, volume,
// then the slots, the rest free.
std::string SaveBytes(uint32_t language, uint32_t brightness, uint32_t volume, const std::vector<std::string>& slots) {
  std::string bytes(kStoredOptionsSize, '\0');
  PutU32(&bytes, 0, language);
  PutU32(&bytes, 4, brightness);
  PutU32(&bytes, 8, volume);
  bytes[12] = 1;
  for (const std::string& slot : slots) {
    bytes += slot;
  }
  bytes.resize(kSaveFileSize, '\0');
  return bytes;
}

std::vector<std::string> SlotNames(const cSaveProfiles& profiles) {
  std::vector<std::string> names;
  for (u32 i = 0; i < profiles.GetUsedCount(); i++) {
    names.push_back(profiles.GetSlot(i).name);
  }
  return names;
}

}  // namespace

using SaveProfilesTest = SaveFolderTest;

TEST_F(SaveProfilesTest, WrittenFileHoldsOptionsThenSlotsAndReadsBack) {
  gGameOptions->SetLanguage(1);
  gGameOptions->SetBrightness(80);
  gGameOptions->SetEffectsVolume(30);
  gGameOptions->SetAxisInversion(false);
  gGameOptions->SetLevelCompleted(5);
  gSaveProfiles->SetHard(1);
  gSaveProfiles->NewProfile("Ada");
  gSaveProfiles->SetHard(0);
  gSaveProfiles->NewProfile("Bela");
  ASSERT_TRUE(gSaveProfiles->CompleteLevel(1000, 95, 3));

  const std::string bytes = FileBytes(kSaveFileName);
  ASSERT_EQ(340u, bytes.size());
  EXPECT_EQ(1u, GetU32(bytes, 0));
  EXPECT_EQ(80u, GetU32(bytes, 4));
  EXPECT_EQ(30u, GetU32(bytes, 8));
  EXPECT_EQ(std::string("\x01\x00\x01\x00\x00\x00\x00\x01", 8), bytes.substr(12, 8));
  EXPECT_EQ(std::string("Ada\0", 4), bytes.substr(20, 4));
  EXPECT_EQ(1u, GetU32(bytes, 48));  // Ada's difficulty
  EXPECT_EQ(std::string("Bela\0", 5), bytes.substr(52, 5));
  EXPECT_EQ(1u, GetU32(bytes, 64));  // Bela's level index, at 52 + 12
  EXPECT_EQ(1000u, GetU32(bytes, 68));
  EXPECT_EQ(95u, GetU32(bytes, 72));
  EXPECT_EQ(3u, GetU32(bytes, 76));
  EXPECT_TRUE(FileBytes(kSaveTempFileName).empty());

  delete gGameOptions;
  gGameOptions = new cGameOptions;
  cSaveProfiles read;
  ASSERT_TRUE(read.Read());
  EXPECT_EQ(1u, gGameOptions->GetLanguage());
  EXPECT_EQ(80u, gGameOptions->GetBrightness());
  EXPECT_EQ(30u, gGameOptions->GetSoundVolume());
  EXPECT_FALSE(gGameOptions->IsAxisInverted());
  EXPECT_TRUE(gGameOptions->IsLevelCompleted(4));
  EXPECT_EQ((std::vector<std::string>{"Ada", "Bela"}), SlotNames(read));
  EXPECT_EQ(0, memcmp(&gSaveProfiles->GetSlot(1), &read.GetSlot(1), sizeof(tProfileSlot)));
}

TEST_F(SaveProfilesTest, ShortFilesKeepWhatWasNotThere) {
  const std::string whole = SaveBytes(1, 10, 20, {SlotBytes("Ada", 2, 0)});
  struct Row {
    size_t size;
    bool answer;
    u32 language;
    u32 used;
  };
  const Row rows[] = {
      {0, false, kLanguageNotChosen, 0},
      {19, false, kLanguageNotChosen, 0},
      {20, false, 1, 0},
      {51, false, 1, 0},  // the slot one byte short
      {52, false, 1, 1},
      {339, false, 1, 1},
      {340, true, 1, 1},
  };
  cGameOptions* const held = gGameOptions;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.size);
    ASSERT_TRUE(PutFile(kSaveFileName, whole.substr(0, row.size)));
    cGameOptions options;
    gGameOptions = &options;
    cSaveProfiles profiles;
    EXPECT_EQ(row.answer, profiles.Read());
    EXPECT_EQ(row.language, options.GetLanguage());
    EXPECT_EQ(row.used, profiles.GetUsedCount());
    gGameOptions = held;
  }
  ASSERT_EQ(0, remove(folder_.File(kSaveFileName).c_str()));
  EXPECT_FALSE(gSaveProfiles->Read());
  EXPECT_EQ(kLanguageNotChosen, gGameOptions->GetLanguage());
}

TEST_F(SaveProfilesTest, OutOfRangeFieldsAreBroughtBackOrDropped) {
  struct Row {
    const char* what;
    std::string bytes;
    u32 language;
    u32 brightness;
    u32 volume;
    std::vector<std::string> names;
  };
  const std::string unterminated = SlotBytes("ABCDEFGHIJKL", 0, 0);
  const Row rows[] = {
      {"in range", SaveBytes(0, 100, 0, {SlotBytes("A", 4, 1)}), 0, 100, 0, {"A"}},
      {"language", SaveBytes(3, 50, 50, {}), 2, 50, 50, {}},
      {"brightness and volume", SaveBytes(1, 101, 0xFFFFFFFF, {}), 1, 100, 100, {}},
      {"unterminated name",
       SaveBytes(1, 0, 0, {SlotBytes("A", 0, 0), unterminated, SlotBytes("C", 0, 0)}),
       1,
       0,
       0,
       {"A", "C"}},
      {"level index",
       SaveBytes(1, 0, 0, {SlotBytes("A", 0, 0), SlotBytes("B", 5, 0), SlotBytes("C", 4, 0)}),
       1,
       0,
       0,
       {"A", "C"}},
      {"difficulty", SaveBytes(1, 0, 0, {SlotBytes("A", 0, 2), SlotBytes("B", 0, 1)}), 1, 0, 0, {"B"}},
      {"free slot between",
       SaveBytes(1, 0, 0, {SlotBytes("A", 0, 0), SlotBytes("", 0, 0), SlotBytes("C", 1, 0)}),
       1,
       0,
       0,
       {"A", "C"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ASSERT_TRUE(PutFile(kSaveFileName, row.bytes));
    cSaveProfiles profiles;
    EXPECT_TRUE(profiles.Read());
    EXPECT_EQ(row.language, gGameOptions->GetLanguage());
    EXPECT_EQ(row.brightness, gGameOptions->GetBrightness());
    EXPECT_EQ(row.volume, gGameOptions->GetSoundVolume());
    EXPECT_EQ(row.names, SlotNames(profiles));
    for (u32 i = profiles.GetUsedCount(); i < kProfileSlotCount; i++) {
      EXPECT_EQ(0u, profiles.GetSlot(i).levelIndex + profiles.GetSlot(i).total);
    }
  }
}

namespace {

size_t (*sRealWrite)(const void*, size_t, size_t, void*) = nullptr;
RwInt32 (*sRealClose)(void*) = nullptr;

void* RefuseOpen(const RwChar*, const RwChar*) { return nullptr; }
size_t ShortWrite(const void* buffer, size_t size, size_t count, void* handle) {
  return sRealWrite(buffer, size, count / 2, handle);
}
RwInt32 FailingClose(void* handle) {
  sRealClose(handle);
  return -1;
}

}  // namespace

TEST_F(SaveProfilesTest, FailedWriteKeepsTheOldFile) {
  gSaveProfiles->NewProfile("Old");
  ASSERT_TRUE(gSaveProfiles->Write());
  const std::string old = FileBytes(kSaveFileName);
  gSaveProfiles->NewProfile("New");

  RwFileFunctions* files = RwEngineGetFileInterface();
  const RwFileFunctions saved = *files;
  sRealWrite = saved.rwfwrite;
  sRealClose = saved.rwfclose;
  struct Row {
    const char* what;
    void (*breakIt)(RwFileFunctions* files);
    bool tempDirectory;
  };
  const Row rows[] = {
      {"open refused", [](RwFileFunctions* f) { f->rwfopen = RefuseOpen; }, false},
      {"short write", [](RwFileFunctions* f) { f->rwfwrite = ShortWrite; }, false},
      {"close fails", [](RwFileFunctions* f) { f->rwfclose = FailingClose; }, false},
      {"temporary name taken by a folder", [](RwFileFunctions*) {}, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.tempDirectory) {
      remove(folder_.File(kSaveTempFileName).c_str());  // left by the failures before
      ASSERT_EQ(0, mkdir(folder_.File(kSaveTempFileName).c_str(), 0700));
    }
    row.breakIt(files);
    EXPECT_FALSE(gSaveProfiles->Write());
    *files = saved;
    EXPECT_EQ(old, FileBytes(kSaveFileName));
  }
}

TEST_F(SaveProfilesTest, NewProfileFillsFreeSlotsThenTheChosenOne) {
  EXPECT_TRUE(gSaveProfiles->HasFreeSlot());
  gSaveProfiles->NewProfile("a much too long name");
  EXPECT_EQ(0u, gSaveProfiles->GetCurrentSlot());
  EXPECT_EQ(1u, gSaveProfiles->GetUsedCount());
  EXPECT_STREQ("a much too ", gSaveProfiles->GetSlot(0).name);
  for (int i = 1; i < 10; i++) {
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
  EXPECT_EQ(3u, gSaveProfiles->GetCurrentSlot());
  EXPECT_FALSE(gSaveProfiles->IsOverwritePending());
  const tProfileSlot& slot = gSaveProfiles->GetSlot(3);
  EXPECT_STREQ("Zed", slot.name);
  EXPECT_EQ(1u, slot.difficulty);
  EXPECT_EQ(1u, slot.levelIndex);
  EXPECT_EQ(500u, slot.total);
  EXPECT_EQ(60u, slot.lastTime);
  EXPECT_EQ(2u, slot.count);
}

TEST_F(SaveProfilesTest, CompletedLevelsAddUpAndWrapTheLevelIndex) {
  gSaveProfiles->NewProfile("Ada");
  const u32 expected[] = {1, 2, 3, 4, 0, 1};
  for (u32 i = 0; i < 6; i++) {
    SCOPED_TRACE(i);
    ASSERT_TRUE(gSaveProfiles->CompleteLevel(10, 100 + i, 1));
    EXPECT_EQ(expected[i], gSaveProfiles->GetCurrent().levelIndex);
    EXPECT_EQ(expected[i], GetU32(FileBytes(kSaveFileName), 32));
  }
  EXPECT_EQ(60u, gSaveProfiles->GetCurrent().total);
  EXPECT_EQ(105u, gSaveProfiles->GetCurrent().lastTime);
  EXPECT_EQ(6u, gSaveProfiles->GetCurrent().count);
}

TEST(GameOptionsTest, LevelNumbersAndCompletedFlags) {
  struct Row {
    const char* name;
    s32 number;
    int flag;  // the completed flag set, -1 for none
  };
  const Row rows[] = {
      {"level01", 1, 0}, {"level05", 5, 4},  {"level06", 6, -1}, {"level99", 99, -1}, {"level", 0, -1},
      {"lev", 0, -1},    {"level00", 0, -1}, {"levelx1", 0, -1}, {"level-3", -3, -1}, {"level1234567890", 123456, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.number, LevelNumberOf(row.name));
    cGameOptions options;
    options.SetLevelCompleted(LevelNumberOf(row.name));
    for (u32 i = 0; i < kCompletedLevelCount; i++) {
      EXPECT_EQ(static_cast<int>(i) == row.flag, options.IsLevelCompleted(i));
    }
  }
}
