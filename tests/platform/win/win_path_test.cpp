// Windows-style paths resolved on a case-sensitive file system.
#include "platform/win/win_path.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {

class WinPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/win_path_test_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    ASSERT_EQ(getcwd(oldDir_, sizeof(oldDir_)), oldDir_);
    ASSERT_EQ(chdir(root_.c_str()), 0);
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(mkdir("data/Media", 0755), 0);
    WriteFile("data/Media/Door.wav", "door");
  }

  void TearDown() override {
    ASSERT_EQ(chdir(oldDir_), 0);
    const std::string command = "rm -rf '" + root_ + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }

  static void WriteFile(const char* name, const char* text) {
    FILE* file = std::fopen(name, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs(text, file);
    std::fclose(file);
  }

  static std::string ReadAll(FILE* file) {
    std::string text;
    int c;
    while ((c = std::fgetc(file)) != EOF) {
      text += static_cast<char>(c);
    }
    std::fclose(file);
    return text;
  }

  std::string root_;
  char oldDir_[4096];
};

TEST_F(WinPathTest, FindsExistingFilesRegardlessOfSeparatorAndCase) {
  for (const char* name : {"data/Media/Door.wav", "data\\Media\\Door.wav", "DATA/MEDIA/door.WAV",
                           "Data\\media/DOOR.wav", ".\\data\\\\media\\door.wav"}) {
    SCOPED_TRACE(name);
    FILE* file = WinPathOpen(name, "rb");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(ReadAll(file), "door");
  }
}

TEST_F(WinPathTest, ExactMatchWinsOverCaselessOne) {
  WriteFile("data/Media/door.wav", "lower");
  FILE* file = WinPathOpen("DATA\\MEDIA\\door.wav", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "lower");
  file = WinPathOpen("data/media/Door.wav", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "door");
}

TEST_F(WinPathTest, MissingFilesFailToOpenForReading) {
  EXPECT_EQ(WinPathOpen("data\\media\\missing.wav", "rb"), nullptr);
  EXPECT_EQ(WinPathOpen("nowhere\\door.wav", "rb"), nullptr);
  EXPECT_EQ(WinPathOpen(nullptr, "rb"), nullptr);
  EXPECT_EQ(WinPathOpen("DATA\\media", "rb"), nullptr);
  EXPECT_EQ(WinPathOpen("", "rb"), nullptr);
  EXPECT_EQ(WinPathOpen("data/Media/Door.wav", nullptr), nullptr);
}

TEST_F(WinPathTest, NewFileKeepsGivenCaseInExistingFolder) {
  FILE* file = WinPathOpen("DATA\\MEDIA\\Save.DAT", "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("saved", file);
  std::fclose(file);
  struct stat info;
  EXPECT_EQ(stat("data/Media/Save.DAT", &info), 0);
  EXPECT_EQ(WinPathResolve("data\\media\\save.dat"), "data/Media/Save.DAT");
}

TEST_F(WinPathTest, WritingAnExistingFileOfOtherCaseReplacesIt) {
  FILE* file = WinPathOpen("data/media/DOOR.WAV", "wb");
  ASSERT_NE(file, nullptr);
  std::fputs("new", file);
  std::fclose(file);
  file = std::fopen("data/Media/Door.wav", "rb");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "new");
  struct stat info;
  EXPECT_NE(stat("data/Media/DOOR.WAV", &info), 0);
}

TEST_F(WinPathTest, AbsolutePathsStartAtTheRoot) {
  const std::string windowsStyle = "C:" + root_ + "\\DATA\\media\\door.wav";
  EXPECT_EQ(WinPathResolve(windowsStyle.c_str()), root_ + "/data/Media/Door.wav");
  const std::string backslashed = "\\" + root_.substr(1) + "\\data\\MEDIA";
  EXPECT_EQ(WinPathResolve(backslashed.c_str()), root_ + "/data/Media");
}

}  // namespace
