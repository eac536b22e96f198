// "save.dat" when the game dies mid-write: the writer program killed at
// seeded random moments always leaves one whole version that reads back, and
// a rename the file system refuses leaves the old file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "engine/engine.h"
#include "platform/win/win_testing.h"
#include "tests/acceptance/save_kill/save_version.h"
#include "tests/support/scratch_path.h"

namespace {

constexpr int kKills = 200;
// Kill moments after the writer reports ready: a write with its syncs and
// rename takes a few milliseconds on a local disk.
constexpr int kLongestDelayMicroseconds = 8000;

// The version "save.dat" in folder holds whole, 0 for none.
u32 FileVersion(const std::string& folder, std::string* why) {
  std::ifstream in(folder + "/" + kSaveFileName, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (bytes.size() != kSaveFileSize) {
    *why = "save.dat has " + std::to_string(bytes.size()) + " bytes";
    return 0;
  }
  cGameOptions options;
  cGameOptions* const held = gGameOptions;
  gGameOptions = &options;
  cSaveProfiles profiles;
  const bool whole = profiles.Decode(reinterpret_cast<const u8*>(bytes.data()), kSaveFileSize);
  gGameOptions = held;
  const u32 version = whole ? WholeVersion(profiles, options) : 0;
  *why = version == 0 ? "save.dat mixes versions" : "";
  return version;
}

// Starts the writer in folder and waits for its ready line; then, with a
// delay, lets it write for that long and kills it, else (delay below 0) lets
// it write one version and end. True when it ended as asked.
bool RunWriter(const std::string& folder, int delayMicroseconds) {
  int fds[2];
  if (pipe(fds) != 0) {
    return false;
  }
  const char* once = delayMicroseconds < 0 ? "--once" : nullptr;
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    close(fds[0]);
    close(fds[1]);
    const char* path = TK_SAVE_KILL_WRITER;
    execl(path, path, once != nullptr ? once : folder.c_str(), once != nullptr ? folder.c_str() : nullptr, nullptr);
    _exit(127);
  }
  close(fds[1]);
  char c = 0;
  while (pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n') {
  }
  close(fds[0]);
  if (pid > 0 && once == nullptr) {
    usleep(static_cast<useconds_t>(delayMicroseconds));
    kill(pid, SIGKILL);
  }
  int status = 0;
  if (pid < 0 || waitpid(pid, &status, 0) != pid) {
    return false;
  }
  return once != nullptr ? WIFEXITED(status) && WEXITSTATUS(status) == 0
                         : WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

TEST(SaveKillTest, AWriterKilledAtRandomAlwaysLeavesOneWholeVersion) {
  ScratchFolder folder("save_kill");
  ASSERT_FALSE(folder.Path().empty());
  std::mt19937 random(60);
  std::uniform_int_distribution<int> delay(0, kLongestDelayMicroseconds);
  ASSERT_TRUE(RunWriter(folder.Path(), -1));
  std::string why;
  u32 last = FileVersion(folder.Path(), &why);
  ASSERT_EQ(1u, last) << why;
  for (int kill = 0; kill < kKills; kill++) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    ASSERT_TRUE(RunWriter(folder.Path(), delay(random)));
    const u32 version = FileVersion(folder.Path(), &why);
    ASSERT_NE(0u, version) << why;
    ASSERT_GE(version, last);  // never an older version
    last = version;
  }
  // How far the versions got depends on the disk's speed: reported only.
  RecordProperty("versions", static_cast<int>(last));
}

TEST(SaveKillTest, ARefusedRenameKeepsTheOldFile) {
  ScratchFolder folder("save_refused");
  char previous[4096];
  ASSERT_TRUE(getcwd(previous, sizeof(previous)) != nullptr && chdir(folder.Path().c_str()) == 0);
  ASSERT_TRUE(RwEngineInit(nullptr, 0, 1u << 20));
  cGameOptions options;
  gGameOptions = &options;
  cSaveProfiles profiles;
  FillVersion(7, &profiles, &options);
  EXPECT_TRUE(profiles.Write());
  FillVersion(8, &profiles, &options);
  WinTestRefuseMoves(ERROR_ACCESS_DENIED);
  EXPECT_FALSE(profiles.Write());
  WinTestRefuseMoves(ERROR_SUCCESS);
  std::string why;
  EXPECT_EQ(7u, FileVersion(folder.Path(), &why)) << why;
  EXPECT_TRUE(profiles.Write());
  EXPECT_EQ(8u, FileVersion(folder.Path(), &why)) << why;
  gGameOptions = nullptr;
  RwEngineTerm();
  EXPECT_EQ(0, chdir(previous));
}

}  // namespace
