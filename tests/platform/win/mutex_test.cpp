// The named mutex as a single-instance lock: a second process is refused
// while the first holds it, and the lock is free once the first has ended,
// even when it crashed.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/win/win32.h"
#include "platform/win/win_testing.h"
#include "tests/support/scratch_path.h"

extern char** environ;

namespace {

const char* const kRoleVariable = "TK_WIN_MUTEX_ROLE";
const char* const kNameVariable = "TK_WIN_MUTEX_NAME";
const char* const kFolderVariable = "TK_WIN_MUTEX_FOLDER";
constexpr int kAcquired = 10;
constexpr int kRefused = 11;

// A child started by these tests plays its role before gtest starts:
// "probe" exits kAcquired or kRefused; "hold" takes the mutex, writes one
// byte to stdout and waits to be killed.
const int kChildRole = [] {
  const char* role = getenv(kRoleVariable);
  if (role == nullptr) {
    return 0;
  }
  WinTestSetLockFolder(getenv(kFolderVariable));
  HANDLE mutex = CreateMutexA(nullptr, TRUE, getenv(kNameVariable));
  bool acquired = mutex != nullptr && WaitForSingleObject(mutex, 0) == WAIT_OBJECT_0;
  if (std::string(role) == "hold") {
    if (acquired && write(STDOUT_FILENO, "R", 1) == 1) {
      for (;;) {
        pause();
      }
    }
    _exit(kRefused);
  }
  _exit(acquired ? kAcquired : kRefused);
}();

class MutexTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = scratch_.Path();
    ASSERT_FALSE(folder_.empty());
    name_ = "DorvaManGameInstance-" + std::to_string(getpid());
    WinTestSetLockFolder(folder_.c_str());
  }

  void TearDown() override { WinTestSetLockFolder(nullptr); }

  // Starts this test program in a child role; its stdout goes to outFd.
  pid_t Spawn(const char* role, int* outFd) {
    int pipeFds[2] = {-1, -1};
    if (pipe(pipeFds) != 0) {
      return -1;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    std::vector<std::string> variables = {std::string(kRoleVariable) + "=" + role,
                                          std::string(kNameVariable) + "=" + name_,
                                          std::string(kFolderVariable) + "=" + folder_};
    std::vector<char*> environment;
    for (std::string& variable : variables) {
      environment.push_back(&variable[0]);
    }
    for (char** entry = environ; *entry != nullptr; ++entry) {
      environment.push_back(*entry);
    }
    environment.push_back(nullptr);
    char program[] = "/proc/self/exe";
    char* arguments[] = {program, nullptr};
    pid_t child = -1;
    if (posix_spawn(&child, program, &actions, nullptr, arguments, environment.data()) != 0) {
      child = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    *outFd = pipeFds[0];
    return child;
  }

  int Probe() {
    int out = -1;
    pid_t child = Spawn("probe", &out);
    if (child < 0) {
      return -1;
    }
    int status = 0;
    waitpid(child, &status, 0);
    close(out);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  ScratchFolder scratch_{"mutex_test"};
  std::string folder_;
  std::string name_;
};

TEST_F(MutexTest, SecondProcessIsRefusedWhileTheFirstHoldsIt) {
  HANDLE mutex = CreateMutexA(nullptr, TRUE, name_.c_str());
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(Probe(), kRefused);

  // Still held after one release (it was taken twice).
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(Probe(), kRefused);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_EQ(Probe(), kAcquired);
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_EQ(Probe(), kAcquired);
}

TEST_F(MutexTest, LockIsFreedWhenTheHolderCrashes) {
  int out = -1;
  pid_t holder = Spawn("hold", &out);
  ASSERT_GT(holder, 0);
  char ready = 0;
  ASSERT_EQ(read(out, &ready, 1), 1);
  ASSERT_EQ(ready, 'R');

  HANDLE mutex = CreateMutexA(nullptr, TRUE, name_.c_str());
  ASSERT_NE(mutex, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(WaitForSingleObject(mutex, 30), static_cast<DWORD>(WAIT_TIMEOUT));

  kill(holder, SIGKILL);
  int status = 0;
  waitpid(holder, &status, 0);
  close(out);
  EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(Probe(), kRefused);
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_TRUE(CloseHandle(mutex));
}

TEST_F(MutexTest, InProcessOwnershipFollowsTheThread) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, name_.c_str());
  ASSERT_NE(mutex, nullptr);
  // Not owned yet: releasing is refused.
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

  HANDLE same = CreateMutexA(nullptr, TRUE, name_.c_str());
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(ReleaseMutex(same));  // the initial ownership was not taken

  ASSERT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD otherThread = 0;
  std::thread other([&] { otherThread = WaitForSingleObject(same, 0); });
  other.join();
  EXPECT_EQ(otherThread, static_cast<DWORD>(WAIT_TIMEOUT));

  // A waiting thread gets it once the owner lets go.
  DWORD waited = 0;
  std::thread waiter([&] {
    waited = WaitForSingleObject(same, INFINITE);
    if (waited == WAIT_OBJECT_0) {
      ReleaseMutex(same);
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_TRUE(ReleaseMutex(mutex));
  waiter.join();
  EXPECT_EQ(waited, static_cast<DWORD>(WAIT_OBJECT_0));

  EXPECT_TRUE(CloseHandle(same));
  EXPECT_TRUE(CloseHandle(mutex));
  EXPECT_FALSE(CloseHandle(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(WaitForSingleObject(mutex, 0), static_cast<DWORD>(WAIT_FAILED));
}

// Something other than a regular file where the lock file belongs (here a
// FIFO, whose open could wait for a writer) makes the mutex fail at once.
TEST_F(MutexTest, LockFileThatIsNoRegularFileFails) {
  const std::string name = name_ + "-fifo";
  ASSERT_EQ(mkfifo((folder_ + "/tk-mutex-" + name + ".lock").c_str(), 0600), 0);
  EXPECT_EQ(CreateMutexA(nullptr, TRUE, name.c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(MutexTest, UnnamedMutexIsPrivate) {
  HANDLE first = CreateMutexA(nullptr, TRUE, nullptr);
  HANDLE second = CreateMutexA(nullptr, TRUE, nullptr);
  ASSERT_NE(first, nullptr);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_TRUE(ReleaseMutex(first));
  EXPECT_TRUE(ReleaseMutex(second));
  EXPECT_TRUE(CloseHandle(first));
  EXPECT_TRUE(CloseHandle(second));
}

}  // namespace
