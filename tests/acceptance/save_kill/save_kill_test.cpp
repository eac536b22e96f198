// "save.dat" when the game dies mid-write: the writer program killed at
// seeded random moments always leaves one whole version that reads back, and
// a rename the file system refuses leaves the old file. The kills are shown
// to land both while the temporary file exists and after new versions.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "platform/win/win_testing.h"
#include "tests/acceptance/save_kill/save_version.h"
#include "tests/support/scratch_path.h"

namespace {

constexpr int kKills = 200;
// Kills that must land while the temporary file exists, and after the writer
// has written a new version: each kind is about half of them.
constexpr int kKillFloor = 50;
// Kill moments fall evenly within this many whole saves after the writer
// reports ready; the length of a save is measured on the same disk, again
// every kKillsPerMeasure kills, so that the kills follow the disk's speed.
constexpr int kSavesPerDelay = 2;
constexpr int kKillsPerMeasure = 25;
constexpr int kSavesMeasured = 5;

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

// The median time of a save, in microseconds, written by this process in
// folder (the same disk as the writer's).
int MeasureSave(const std::string& folder) {
  char previous[4096];
  if (getcwd(previous, sizeof(previous)) == nullptr || chdir(folder.c_str()) != 0) {
    return 0;
  }
  cGameOptions options;
  cGameOptions* const held = gGameOptions;
  gGameOptions = &options;
  cSaveProfiles profiles;
  std::vector<int> times;
  for (int i = 0; i < kSavesMeasured; i++) {
    FillVersion(static_cast<u32>(i + 1), &profiles, &options);
    const auto start = std::chrono::steady_clock::now();
    profiles.Write();
    times.push_back(static_cast<int>(
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start).count()));
  }
  gGameOptions = held;
  std::sort(times.begin(), times.end());
  return chdir(previous) == 0 ? times[times.size() / 2] : 0;
}

// Whether the writer opened the temporary file, from the folder's events
// since the last call. A kill fell while the temporary file existed when the
// writer opened it and it is still there: a leftover from an earlier kill
// that the writer never reached does not count.
bool TemporaryOpened(int events) {
  alignas(inotify_event) char buffer[4096];
  bool opened = false;
  for (ssize_t got = read(events, buffer, sizeof(buffer)); got > 0; got = read(events, buffer, sizeof(buffer))) {
    for (ssize_t at = 0; at < got;) {
      const inotify_event* event = reinterpret_cast<const inotify_event*>(buffer + at);
      opened = opened || (event->len > 0 && std::strcmp(event->name, kSaveTempFileName) == 0);
      at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
  }
  return opened;
}

// The engine this process saves through while it measures, and the watch on
// the writer's folder, both let go however the test ends.
class cKillWatch {
 public:
  explicit cKillWatch(const std::string& folder)
      : mEngine(RwEngineInit(nullptr, 0, 1u << 20) != FALSE), mEvents(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {
    mWatched = mEvents >= 0 && inotify_add_watch(mEvents, folder.c_str(), IN_OPEN | IN_CREATE) >= 0;
  }
  ~cKillWatch() {
    if (mEvents >= 0) {
      close(mEvents);
    }
    if (mEngine) {
      RwEngineTerm();
    }
  }
  cKillWatch(const cKillWatch&) = delete;
  cKillWatch& operator=(const cKillWatch&) = delete;

  bool IsReady() const { return mEngine && mWatched; }
  int GetEvents() const { return mEvents; }

 private:
  bool mEngine;
  int mEvents;
  bool mWatched = false;
};

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
  ScratchFolder measured("save_kill_measured");
  std::mt19937 random(60);
  ASSERT_TRUE(RunWriter(folder.Path(), -1));
  std::string why;
  u32 last = FileVersion(folder.Path(), &why);
  ASSERT_EQ(1u, last) << why;
  cKillWatch watch(folder.Path());
  ASSERT_TRUE(watch.IsReady());
  const int events = watch.GetEvents();
  const std::string temporary = folder.File(kSaveTempFileName);
  int inTemporary = 0;
  int afterNewVersion = 0;
  int save = 0;
  for (int kill = 0; kill < kKills; kill++) {
    SCOPED_TRACE("kill " + std::to_string(kill));
    if (kill % kKillsPerMeasure == 0) {
      save = MeasureSave(measured.Path());
      ASSERT_GT(save, 0);
    }
    std::uniform_int_distribution<int> delay(0, kSavesPerDelay * save);
    TemporaryOpened(events);  // what came before this run
    ASSERT_TRUE(RunWriter(folder.Path(), delay(random)));
    struct stat status;
    const bool opened = TemporaryOpened(events);
    inTemporary += opened && stat(temporary.c_str(), &status) == 0;
    const u32 version = FileVersion(folder.Path(), &why);
    ASSERT_NE(0u, version) << why;
    ASSERT_GE(version, last);  // never an older version
    afterNewVersion += version > last;
    last = version;
  }
  // How far the versions got depends on the disk's speed: reported only.
  RecordProperty("versions", static_cast<int>(last));
  RecordProperty("save_microseconds", save);
  RecordProperty("kills_in_temporary", inTemporary);
  RecordProperty("kills_after_new_version", afterNewVersion);
  EXPECT_GE(inTemporary, kKillFloor) << "kills while the temporary file existed";
  EXPECT_GE(afterNewVersion, kKillFloor) << "kills after a new version was written";
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
