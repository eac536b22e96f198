// The game executable itself, started headless from a folder holding its
// data folder: it comes up and keeps running its loop, a second copy started
// meanwhile ends at once with exit code 0, and a termination request (which
// the Windows stand-in turns into closing the window) ends it cleanly.
// Without a display it says so and fails; a FIFO where its pack file belongs
// does not hold up its start.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/scratch_path.h"

extern char** environ;

namespace {

class ExecutableTest : public testing::Test {
 protected:
  void SetUp() override {
    mFolder = mScratch.Path();
    ASSERT_FALSE(mFolder.empty());
    ASSERT_EQ(0, mkdir((mFolder + "/data").c_str(), 0700));
    // The intro, the game's first screen, reads the menu texts of its
    // language menu.
    ASSERT_EQ(0, mkdir((mFolder + "/data/menu").c_str(), 0700));
    ASSERT_TRUE(
        WriteWholeFile(mFolder + "/data/menu/text_d.txt",
                       "[text]\nLANGUAGE_TITLE = t\nLANGUAGE_ITEM00 = d\nLANGUAGE_ITEM01 = e\nLANGUAGE_FOOTER = f\n"));
    // The game reads its configuration before the intro.
    ASSERT_TRUE(WriteWholeFile(mFolder + "/data/config.txt", "[Init]\n"));
  }
  void TearDown() override {
    for (pid_t child : mChildren) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
  }

  // Starts the game in the folder with its own runtime folder for the lock,
  // on the offscreen video driver unless display is false: then no display
  // and no video driver are named at all. Its standard error goes to the
  // file "stderr.txt" in the folder. The variables given come first and so
  // stand over those set here; debugger output stays off, as a player has it.
  pid_t Start(const std::vector<std::string>& arguments, bool display = true,
              std::vector<std::string> environment = {}) {
    // No leak check in the game's process: it draws from its first frame,
    // and SDL unloads the GL driver before the check, which then cannot name
    // the driver behind the driver's own blocks (the suppressions need it).
    // The game's own blocks are checked by the tests that run it in process.
    environment.insert(environment.end(), {"SDL_AUDIODRIVER=dummy", "LIBGL_ALWAYS_SOFTWARE=1"});
    environment.push_back("XDG_RUNTIME_DIR=" + mFolder);
    std::string sanitizer = "ASAN_OPTIONS=detect_leaks=0";
    if (display) {
      environment.push_back("SDL_VIDEODRIVER=offscreen");
    }
    for (char** entry = environ; *entry != nullptr; entry++) {
      const std::string text = *entry;
      if (text.rfind("ASAN_OPTIONS=", 0) == 0) {
        sanitizer = text + ":detect_leaks=0";
      } else if (text.rfind("SDL_", 0) != 0 && text.rfind("XDG_RUNTIME_DIR=", 0) != 0 &&
                 text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                 text.rfind("TK_DEBUG_OUTPUT=", 0) != 0) {
        environment.push_back(text);
      }
    }
    environment.push_back(sanitizer);
    std::vector<char*> envp;
    for (std::string& text : environment) {
      envp.push_back(&text[0]);
    }
    envp.push_back(nullptr);
    std::vector<std::string> args = {TK_TESSARAK_PATH};
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : args) {
      argv.push_back(&text[0]);
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, mFolder.c_str());
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, (mFolder + "/stderr.txt").c_str(),
                                     O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t child = -1;
    const int failed = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0) {
      ADD_FAILURE() << "cannot start " << argv[0];
      return -1;
    }
    mChildren.push_back(child);
    return child;
  }

  // The exit status within the time, or -1 while it still runs.
  int WaitFor(pid_t child, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        mChildren.erase(std::find(mChildren.begin(), mChildren.end(), child));
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return -1;
  }

  // True once a single-instance lock file exists in the runtime folder.
  bool WaitForLockFile(std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      DIR* folder = opendir(mFolder.c_str());
      bool found = false;
      if (folder != nullptr) {
        for (dirent* entry = readdir(folder); entry != nullptr && !found; entry = readdir(folder)) {
          const std::string name = entry->d_name;
          found = name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") == 0;
        }
        closedir(folder);
      }
      if (found) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < end);
    return false;
  }

  // Asks the game to end, as a user's SIGTERM would, until it has. A request
  // that comes before the main loop is dropped with the other waiting
  // messages, so it is repeated; only while the stand-in catches SIGTERM,
  // lest the default action end a game already on its way out, and never
  // while a thread waits in the open of a FIFO, which the signal would cut
  // short. The exit status, or -1 when the game did not end within the time.
  int Terminate(pid_t child, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
      if (CatchesTerminate(child) && !WaitsForAFifoPartner(child)) {
        kill(child, SIGTERM);
      }
      const int status = WaitFor(child, std::chrono::milliseconds(2000));
      if (status != -1) {
        return status;
      }
    } while (std::chrono::steady_clock::now() < end);
    return -1;
  }

  // True when the process has a handler for SIGTERM ("SigCgt" in its status).
  static bool CatchesTerminate(pid_t child) {
    std::ifstream status("/proc/" + std::to_string(child) + "/status");
    std::string line;
    while (std::getline(status, line)) {
      if (line.rfind("SigCgt:", 0) == 0) {
        const unsigned long long caught = std::stoull(line.substr(7), nullptr, 16);
        return (caught & (1ull << (SIGTERM - 1))) != 0;
      }
    }
    return false;
  }

  // True when a thread of the process sleeps in the open of a FIFO, waiting
  // for a process to open its other end.
  static bool WaitsForAFifoPartner(pid_t child) {
    const std::string tasks = "/proc/" + std::to_string(child) + "/task";
    DIR* folder = opendir(tasks.c_str());
    if (folder == nullptr) {
      return false;
    }
    bool waiting = false;
    for (dirent* entry = readdir(folder); entry != nullptr && !waiting; entry = readdir(folder)) {
      std::ifstream channel(tasks + "/" + entry->d_name + "/wchan");
      std::string function;
      waiting = std::getline(channel, function) && function == "wait_for_partner";
    }
    closedir(folder);
    return waiting;
  }

  std::string StandardError() const {
    std::ifstream file(mFolder + "/stderr.txt");
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }

  ScratchFolder mScratch{"game_run"};
  std::string mFolder;
  std::vector<pid_t> mChildren;
};

TEST_F(ExecutableTest, RunsRefusesASecondCopyAndEndsCleanly) {
  const pid_t first = Start({"-low"});
  ASSERT_GT(first, 0);
  // A failed start would end within this time; the loop keeps running.
  EXPECT_EQ(-1, WaitFor(first, std::chrono::milliseconds(3000)));
  // On a loaded machine the start may take longer: the second copy must not
  // come before the first holds the single-instance lock.
  ASSERT_TRUE(WaitForLockFile(std::chrono::milliseconds(60000)));

  const pid_t second = Start({"-low"});
  ASSERT_GT(second, 0);
  EXPECT_EQ(0, WaitFor(second, std::chrono::milliseconds(60000)));
  EXPECT_EQ(-1, WaitFor(first, std::chrono::milliseconds(10)));

  // Teardown runs to the end: exit code 0 (a sanitizer report would change
  // it).
  ASSERT_EQ(0, kill(first, SIGTERM));
  EXPECT_EQ(0, WaitFor(first, std::chrono::milliseconds(60000)));
}

// No display named and no video driver asked for: the game does not run
// unseen (holding the single-instance lock) but says why and fails.
TEST_F(ExecutableTest, WithoutADisplayItSaysSoAndFails) {
  const pid_t game = Start({"-low"}, false);
  ASSERT_GT(game, 0);
  EXPECT_EQ(1, WaitFor(game, std::chrono::milliseconds(60000)));
  const std::string text = StandardError();
  EXPECT_NE(std::string::npos, text.find("no display")) << text;
  EXPECT_NE(std::string::npos, text.find("Error creating the main window.")) << text;
}

TEST_F(ExecutableTest, ADisplayThatIsNotThereIsNamed) {
  const pid_t game = Start({"-low"}, false, {"DISPLAY=:4711"});
  ASSERT_GT(game, 0);
  EXPECT_EQ(1, WaitFor(game, std::chrono::milliseconds(60000)));
  EXPECT_NE(std::string::npos, StandardError().find("the display \":4711\" named by DISPLAY could not be opened"))
      << StandardError();
}

// Without a sound device: one line, then the game plays on; no trace shows.
TEST_F(ExecutableTest, WithoutASoundDeviceItSaysSoOnceAndPlaysOn) {
  const pid_t game = Start({"-low"}, true, {"SDL_AUDIODRIVER=tk-none"});
  ASSERT_GT(game, 0);
  EXPECT_EQ(-1, WaitFor(game, std::chrono::milliseconds(3000)));
  EXPECT_EQ(0, Terminate(game, std::chrono::milliseconds(60000)));
  const std::string text = StandardError();
  const size_t line = text.find("Windows stand-in: no sound device (");
  EXPECT_TRUE(line != std::string::npos && text.find("no sound", text.find('\n', line)) == std::string::npos) << text;
  EXPECT_EQ(std::string::npos, text.find("cSndEngWin")) << text;
}

// Where its data is missing the game fails with exit status 1, saying in
// one line where it is and how to start; a fatal error on the way (the
// intro's menu texts missing, a configuration or pack it cannot use) ends it
// with status 3, never by a signal, naming the file and what is wrong.
TEST_F(ExecutableTest, AStartWithoutItsDataEndsWithAStatusAndNoSignal) {
  struct Row {
    const char* what;
    std::vector<const char*> removed;  // from the folder, in order, before the start
    const char* added;                 // a file made before the start, or null
    std::string content;               // the added file's bytes
    int status;
    std::string said;
  };
  // A pack's header whose directory lies beyond the pack's end: a pack cut short.
  const std::string cutPack("PACK\xE8\x03\0\0\x40\0\0\0", 12);
  const Row rows[] = {
      {"menu texts missing",
       {"data/menu/text_d.txt"},
       nullptr,
       "",
       3,
       "cScreen_Menu : unable to load text file data/menu/text_d.txt"},
      // Reported before the intro, whose menu texts are missing as well.
      {"a configuration without its group Init",
       {},
       "data/config.txt",
       "x",
       3,
       "cGame : group not found in config file (Init) : PropertyGroup not found! (Init) in data/config.txt"},
      {"a pack cut short and no data folder",
       {"data/config.txt", "data/menu", "data"},
       "data.pak",
       cutPack,
       3,
       "Damaged file: data.pak (its directory lies beyond its end (12 bytes): it is cut short)"},
      {"a pack that is no pack and no data folder",
       {},
       "data.pak",
       "garbage",
       3,
       "Damaged file: data.pak (it is no pack: it does not begin with \"PACK\")"},
      {"a file named data", {"data.pak"}, "data", "x", 1, "No game data in " + mFolder + ": it holds neither data.pak"},
      {"nothing",
       {"data"},
       nullptr,
       "",
       1,
       "Start the game with tools/play.sh, or run it from the folder build/release/run."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    for (const char* name : row.removed) {
      ASSERT_EQ(0, remove((mFolder + "/" + name).c_str())) << name;
    }
    if (row.added != nullptr) {
      ASSERT_TRUE(WriteWholeFile(mFolder + "/" + row.added, row.content));
    }
    const size_t before = StandardError().size();
    const pid_t game = Start({"-low"});
    ASSERT_GT(game, 0);
    EXPECT_EQ(row.status, WaitFor(game, std::chrono::milliseconds(60000)));
    const std::string text = StandardError().substr(before);
    EXPECT_NE(std::string::npos, text.find(row.said)) << text;
    EXPECT_EQ(1, std::count(text.begin(), text.end(), '\n')) << text;
  }
}

// A FIFO named like the pack file would block a plain open until something
// writes to it: the game passes it by, reaches its loop and ends on request.
TEST_F(ExecutableTest, AFifoForThePackFileDoesNotHoldTheStart) {
  ASSERT_EQ(0, mkfifo((mFolder + "/data.pak").c_str(), 0600));
  const pid_t game = Start({"-low"});
  ASSERT_GT(game, 0);
  EXPECT_EQ(0, Terminate(game, std::chrono::milliseconds(60000)))
      << (WaitsForAFifoPartner(game) ? "the game waits in the open of the FIFO\n" : "") << StandardError();
}

}  // namespace
