// Windows-style paths resolved on a case-sensitive file system.
#include "platform/win/win_path.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "tests/support/scratch_path.h"

namespace {

class WinPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = folder_.Path();
    ASSERT_FALSE(root_.empty());
    ASSERT_EQ(getcwd(oldDir_, sizeof(oldDir_)), oldDir_);
    ASSERT_EQ(chdir(root_.c_str()), 0);
    ASSERT_EQ(mkdir("data", 0755), 0);
    ASSERT_EQ(mkdir("data/Media", 0755), 0);
    WriteFile("data/Media/Door.wav", "door");
  }

  void TearDown() override { ASSERT_EQ(chdir(oldDir_), 0); }

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

  ScratchFolder folder_{"win_path_test"};
  std::string root_;
  char oldDir_[4096];
};

TEST_F(WinPathTest, FindsExistingFilesRegardlessOfSeparatorAndCase) {
  for (const char* name : {"data/Media/Door.wav", "data\\Media\\Door.wav", "DATA/MEDIA/door.WAV",
                           "Data\\media/DOOR.wav", ".\\data\\\\media\\door.wav", "./data//Media/Door.wav"}) {
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

// Only regular files open, and no open waits: a FIFO (whose open would wait
// for the other end), a socket or a device is refused at once in every mode.
TEST_F(WinPathTest, OnlyRegularFilesOpenAndNothingWaits) {
  ASSERT_EQ(mkfifo("data/data.pak", 0600), 0);
  const int unixSocket = socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(unixSocket, 0);
  sockaddr_un address = {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, "data/Media/socket", sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(unixSocket, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);

  // Should an open wait after all, the other end of the FIFO opens after a
  // while so that the test fails instead of hanging.
  std::mutex lock;
  std::condition_variable finished;
  bool done = false;
  std::atomic<bool> rescued{false};
  std::thread rescue([&] {
    std::unique_lock<std::mutex> guard(lock);
    if (!finished.wait_for(guard, std::chrono::seconds(10), [&] { return done; })) {
      rescued = true;
      for (int flags : {O_RDONLY | O_NONBLOCK, O_WRONLY | O_NONBLOCK}) {
        const int end = open("data/data.pak", flags);
        if (end >= 0) {
          close(end);
        }
      }
    }
  });
  for (const char* name : {"DATA\\DATA.PAK", "data/Media/socket", "/dev/null", "/dev/zero"}) {
    for (const char* mode : {"rb", "r+b", "wb", "ab", "a+"}) {
      SCOPED_TRACE(std::string(name) + " " + mode);
      FILE* file = WinPathOpen(name, mode);
      EXPECT_EQ(file, nullptr);
      if (file != nullptr) {
        std::fclose(file);
      }
    }
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    done = true;
  }
  finished.notify_one();
  rescue.join();
  EXPECT_FALSE(rescued);
  close(unixSocket);

  // Regular files still open in every mode; "w" empties and "a" appends.
  FILE* file = WinPathOpen("data/media/door.wav", "ab");
  ASSERT_NE(file, nullptr);
  std::fputs("bell", file);
  std::fclose(file);
  file = WinPathOpen("data/media/door.wav", "r+b");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "doorbell");
  file = WinPathOpen("data/media/door.wav", "w+");
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(ReadAll(file), "");
  EXPECT_EQ(WinPathOpen("data/media/door.wav", "q"), nullptr);
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
