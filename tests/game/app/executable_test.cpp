// The game executable itself, started headless from a folder holding its
// data folder: it comes up and keeps running its loop, a second copy started
// meanwhile ends at once with exit code 0, and a termination request (which
// the Windows stand-in turns into closing the window) ends it cleanly.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

class ExecutableTest : public testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/tk_game_run_XXXXXX";
    ASSERT_NE(nullptr, mkdtemp(folder));
    mFolder = folder;
    ASSERT_EQ(0, mkdir((mFolder + "/data").c_str(), 0700));
  }
  void TearDown() override {
    for (pid_t child : mChildren) {
      kill(child, SIGKILL);
      waitpid(child, nullptr, 0);
    }
    std::string command = "rm -rf '" + mFolder + "'";
    EXPECT_EQ(0, system(command.c_str()));
  }

  // Starts the game in the folder with its own runtime folder for the lock.
  pid_t Start(const std::vector<std::string>& arguments) {
    std::vector<std::string> environment = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                            "LIBGL_ALWAYS_SOFTWARE=1", "XDG_RUNTIME_DIR=" + mFolder};
    for (char** entry = environ; *entry != nullptr; entry++) {
      const std::string text = *entry;
      if (text.rfind("LSAN_OPTIONS=", 0) == 0) {
        // Full stacks, so that the suppressions recognise the GL driver's own leaks.
        environment.push_back(text + ":fast_unwind_on_malloc=0");
      } else if (text.rfind("SDL_", 0) != 0 && text.rfind("XDG_RUNTIME_DIR=", 0) != 0) {
        environment.push_back(text);
      }
    }
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

  // Teardown runs to the end: exit code 0, and no leak report under the
  // sanitizer (which would change the exit code).
  ASSERT_EQ(0, kill(first, SIGTERM));
  EXPECT_EQ(0, WaitFor(first, std::chrono::milliseconds(60000)));
}

}  // namespace
