// Kernel and multimedia-timer calls: last error, the module handle, the
// command line, the clock and sleeping, and named mutexes that hold an
// advisory file lock shared by every process of the user.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <thread>

#include "platform/win/win_internal.h"
#include "platform/win/win_testing.h"

// The bounds of the program's image, set by the linker.
extern "C" const char __executable_start[];
extern "C" const char _end[];

namespace {

thread_local DWORD tLastError = ERROR_SUCCESS;

// ---------------------------------------------------------------------------
// Clock and sleep

// Recursive: a test clock may post messages, which read the clock again.
std::recursive_mutex gClockLock;
WinTestClock gClock = nullptr;
void* gClockUser = nullptr;
WinTestSleepHook gSleepHook = nullptr;
void* gSleepUser = nullptr;
int gTimerPeriods = 0;

constexpr UINT kMinimumPeriodMs = 1;
constexpr UINT kMaximumPeriodMs = 1000000;

DWORD RealClockMs() {
  timespec now = {};
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<DWORD>(ms);
}

// ---------------------------------------------------------------------------
// Command line

// Built on first use, so that code run by static initialisers may call in.
struct CommandState {
  std::mutex lock;
  std::vector<std::string> arguments;
  bool argumentsKnown = false;
  std::string commandLine;
  size_t argumentsStart = 0;  // offset of the text after the program path
};

CommandState& Command() {
  static CommandState* state = new CommandState;
  return *state;
}

bool NeedsQuotes(const std::string& text) {
  if (text.empty()) {
    return true;
  }
  for (unsigned char c : text) {
    if (c < 33 || c == '"') {
      return true;
    }
  }
  return false;
}

// Quotes one argument the way Windows programs parse their command line:
// backslashes are literal unless they precede a double quote.
std::string QuoteArgument(const std::string& text) {
  if (!NeedsQuotes(text)) {
    return text;
  }
  std::string quoted = "\"";
  size_t backslashes = 0;
  for (char c : text) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') {
      quoted.append(backslashes * 2 + 1, '\\');
    } else {
      quoted.append(backslashes, '\\');
    }
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  quoted += '"';
  return quoted;
}

// The program path is quoted without escapes, as Windows gives it.
std::string QuoteProgramPath(const std::string& path) {
  bool blank = path.empty();
  for (unsigned char c : path) {
    blank = blank || c < 33;
  }
  return blank ? "\"" + path + "\"" : path;
}

void ReadOwnArguments() {
  FILE* file = fopen("/proc/self/cmdline", "rb");
  if (file == nullptr) {
    return;
  }
  std::string current;
  int c = 0;
  while ((c = fgetc(file)) != EOF) {
    if (c == '\0') {
      Command().arguments.push_back(current);
      current.clear();
    } else {
      current += static_cast<char>(c);
    }
  }
  fclose(file);
}

void BuildCommandLine() {
  if (!Command().argumentsKnown) {
    ReadOwnArguments();
    Command().argumentsKnown = true;
  }
  Command().commandLine.clear();
  Command().argumentsStart = 0;
  for (size_t i = 0; i < Command().arguments.size(); ++i) {
    if (i == 0) {
      Command().commandLine = QuoteProgramPath(Command().arguments[0]);
      continue;
    }
    Command().commandLine += ' ';
    if (i == 1) {
      Command().argumentsStart = Command().commandLine.size();
    }
    Command().commandLine += QuoteArgument(Command().arguments[i]);
  }
  if (Command().arguments.size() < 2) {
    Command().argumentsStart = Command().commandLine.size();
  }
}

void SetArguments(int argc, const char* const* argv) {
  std::lock_guard<std::mutex> guard(Command().lock);
  Command().arguments.clear();
  if (argc < 0) {
    Command().argumentsKnown = false;  // read them from the process again
    return;
  }
  for (int i = 0; i < argc && argv != nullptr; ++i) {
    Command().arguments.emplace_back(argv[i] != nullptr ? argv[i] : "");
  }
  Command().argumentsKnown = true;
  BuildCommandLine();
}

// ---------------------------------------------------------------------------
// Mutexes

struct MutexObject {
  std::string name;  // empty: unnamed, this process only
  int lockFile = -1;
  std::thread::id owner;
  int recursion = 0;
  int handles = 0;
  std::condition_variable released;
};

// What a HANDLE points at; the set of live handles guards against stale or
// foreign handles.
struct KernelHandle {
  MutexObject* mutex = nullptr;
};

struct KernelState {
  std::mutex lock;
  std::set<KernelHandle*> handles;
  std::map<std::string, MutexObject*> namedMutexes;
  std::string lockFolderOverride;
};

// Built on first use, so that code run by static initialisers may call in.
KernelState& Kernel() {
  static KernelState* state = new KernelState;
  return *state;
}

constexpr DWORD kOtherProcessPollMs = 10;

std::string LockFolder() {
  if (!Kernel().lockFolderOverride.empty()) {
    return Kernel().lockFolderOverride;
  }
  const char* runtime = getenv("XDG_RUNTIME_DIR");
  struct stat info = {};
  if (runtime != nullptr && runtime[0] == '/' && stat(runtime, &info) == 0 && S_ISDIR(info.st_mode)) {
    return runtime;
  }
  // No runtime folder: a private folder of the user under /tmp, refused when
  // someone else made it.
  std::string folder = "/tmp/tessarak-" + std::to_string(getuid());
  if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
    return std::string();
  }
  if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid()) {
    return std::string();
  }
  return folder;
}

std::string LockFilePath(const std::string& name) {
  std::string folder = LockFolder();
  if (folder.empty()) {
    return std::string();
  }
  std::string file = "tk-mutex-";
  for (unsigned char c : name) {
    bool plain =
        (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' || c == '.';
    file += plain ? static_cast<char>(c) : '_';
  }
  return folder + "/" + file + ".lock";
}

KernelHandle* FindHandle(HANDLE handle) {
  KernelHandle* entry = static_cast<KernelHandle*>(handle);
  return Kernel().handles.count(entry) != 0 ? entry : nullptr;
}

// Takes the mutex for the calling thread when nobody holds it; the lock
// lock must be held.
bool TryAcquire(MutexObject& mutex) {
  if (mutex.recursion > 0) {
    if (mutex.owner != std::this_thread::get_id()) {
      return false;
    }
    ++mutex.recursion;
    return true;
  }
  if (mutex.lockFile >= 0 && flock(mutex.lockFile, LOCK_EX | LOCK_NB) != 0) {
    return false;  // another process holds it
  }
  mutex.owner = std::this_thread::get_id();
  mutex.recursion = 1;
  return true;
}

}  // namespace

// ---------------------------------------------------------------------------
// Errors, module

DWORD WINAPI GetLastError(void) { return tLastError; }

void WINAPI SetLastError(DWORD error) { tLastError = error; }

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
  // The program is the only module.
  static char programModule;
  if (moduleName != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return reinterpret_cast<HMODULE>(&programModule);
}

BOOL WINAPI GetModuleHandleExA(DWORD flags, LPCSTR moduleName, HMODULE* module) {
  constexpr DWORD kKnownFlags = GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS;
  if (module == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *module = nullptr;
  if ((flags & ~kKnownFlags) != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if ((flags & GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS) == 0) {
    *module = GetModuleHandleA(moduleName);
    return *module != nullptr;
  }
  // The program's image, from its first mapped byte to the end of its data,
  // as the linker marks them.
  const uintptr_t address = reinterpret_cast<uintptr_t>(moduleName);
  if (address < reinterpret_cast<uintptr_t>(__executable_start) || address >= reinterpret_cast<uintptr_t>(_end)) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return FALSE;
  }
  *module = GetModuleHandleA(nullptr);
  return TRUE;
}

LPSTR WINAPI GetCommandLineA(void) {
  std::lock_guard<std::mutex> guard(Command().lock);
  if (!Command().argumentsKnown) {
    BuildCommandLine();
  }
  return &Command().commandLine[0];
}

void WinSetArguments(int argc, const char* const* argv) { SetArguments(argc, argv); }

LPSTR WinCommandLineArguments() {
  LPSTR commandLine = GetCommandLineA();
  std::lock_guard<std::mutex> guard(Command().lock);
  return commandLine + Command().argumentsStart;
}

// ---------------------------------------------------------------------------
// Time

DWORD WinNowMs() {
  std::lock_guard<std::recursive_mutex> guard(gClockLock);
  return gClock != nullptr ? gClock(gClockUser) : RealClockMs();
}

DWORD WINAPI timeGetTime(void) { return WinNowMs(); }

MMRESULT WINAPI timeBeginPeriod(UINT period) {
  if (period < kMinimumPeriodMs || period > kMaximumPeriodMs) {
    return TIMERR_NOCANDO;
  }
  // The clock and sleeps are always millisecond-accurate; only the balance
  // of begin and end calls is kept.
  std::lock_guard<std::recursive_mutex> guard(gClockLock);
  ++gTimerPeriods;
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeEndPeriod(UINT period) {
  std::lock_guard<std::recursive_mutex> guard(gClockLock);
  if (period < kMinimumPeriodMs || period > kMaximumPeriodMs || gTimerPeriods == 0) {
    return TIMERR_NOCANDO;
  }
  --gTimerPeriods;
  return TIMERR_NOERROR;
}

MMRESULT WINAPI timeGetDevCaps(LPTIMECAPS caps, UINT size) {
  if (caps == nullptr || size < sizeof(TIMECAPS)) {
    return TIMERR_NOCANDO;
  }
  caps->wPeriodMin = kMinimumPeriodMs;
  caps->wPeriodMax = kMaximumPeriodMs;
  return TIMERR_NOERROR;
}

DWORD WINAPI SleepEx(DWORD milliseconds, BOOL) {
  WinTestSleepHook hook = nullptr;
  void* user = nullptr;
  {
    std::lock_guard<std::recursive_mutex> guard(gClockLock);
    hook = gSleepHook;
    user = gSleepUser;
  }
  if (hook != nullptr) {
    hook(milliseconds, user);
    return 0;
  }
  if (milliseconds == INFINITE) {
    for (;;) {
      pause();
    }
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  return 0;
}

void WINAPI Sleep(DWORD milliseconds) { SleepEx(milliseconds, FALSE); }

// ---------------------------------------------------------------------------
// Mutexes

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCSTR name) {
  std::lock_guard<std::mutex> guard(Kernel().lock);
  std::string key = name != nullptr ? name : "";
  MutexObject* mutex = nullptr;
  DWORD error = ERROR_SUCCESS;
  if (!key.empty()) {
    auto found = Kernel().namedMutexes.find(key);
    if (found != Kernel().namedMutexes.end()) {
      mutex = found->second;
      error = ERROR_ALREADY_EXISTS;
    }
  }
  if (mutex == nullptr) {
    mutex = new MutexObject;
    mutex->name = key;
    if (!key.empty()) {
      std::string path = LockFilePath(key);
      // The lock file, made when missing; anything but a regular file in its
      // place is refused.
      mutex->lockFile = path.empty() ? -1 : WinOpenRegularFile(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW, 0600);
      if (mutex->lockFile < 0) {
        fprintf(stderr, "Windows stand-in: no lock file for mutex \"%s\" in \"%s\"\n", key.c_str(), path.c_str());
        delete mutex;
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
      }
      // Held by another process: the mutex exists already, and is not ours.
      if (flock(mutex->lockFile, LOCK_EX | LOCK_NB) != 0) {
        error = ERROR_ALREADY_EXISTS;
      } else if (!initialOwner) {
        flock(mutex->lockFile, LOCK_UN);
      } else {
        mutex->owner = std::this_thread::get_id();
        mutex->recursion = 1;
      }
      Kernel().namedMutexes[key] = mutex;
    } else if (initialOwner) {
      mutex->owner = std::this_thread::get_id();
      mutex->recursion = 1;
    }
  }
  ++mutex->handles;
  KernelHandle* handle = new KernelHandle;
  handle->mutex = mutex;
  Kernel().handles.insert(handle);
  SetLastError(error);
  return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
  std::unique_lock<std::mutex> guard(Kernel().lock);
  KernelHandle* entry = FindHandle(handle);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return WAIT_FAILED;
  }
  MutexObject& mutex = *entry->mutex;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    if (TryAcquire(mutex)) {
      return WAIT_OBJECT_0;
    }
    if (milliseconds == 0) {
      return WAIT_TIMEOUT;
    }
    auto now = std::chrono::steady_clock::now();
    if (milliseconds != INFINITE && now >= deadline) {
      return WAIT_TIMEOUT;
    }
    auto slice = std::chrono::milliseconds(kOtherProcessPollMs);
    if (milliseconds != INFINITE) {
      slice = std::min(
          slice, std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now) + std::chrono::milliseconds(1));
    }
    // Another thread here is woken by the release; another process is polled.
    mutex.released.wait_for(guard, slice);
    if (FindHandle(handle) == nullptr) {
      SetLastError(ERROR_INVALID_HANDLE);
      return WAIT_FAILED;
    }
  }
}

BOOL WINAPI ReleaseMutex(HANDLE handle) {
  std::lock_guard<std::mutex> guard(Kernel().lock);
  KernelHandle* entry = FindHandle(handle);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  MutexObject& mutex = *entry->mutex;
  if (mutex.recursion == 0 || mutex.owner != std::this_thread::get_id()) {
    SetLastError(ERROR_NOT_OWNER);
    return FALSE;
  }
  if (--mutex.recursion == 0) {
    mutex.owner = std::thread::id();
    if (mutex.lockFile >= 0) {
      flock(mutex.lockFile, LOCK_UN);
    }
    mutex.released.notify_all();
  }
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  std::lock_guard<std::mutex> guard(Kernel().lock);
  KernelHandle* entry = FindHandle(handle);
  if (entry == nullptr) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  Kernel().handles.erase(entry);
  MutexObject* mutex = entry->mutex;
  delete entry;
  if (--mutex->handles == 0) {
    // The last handle ends the mutex; closing the file frees its lock.
    if (!mutex->name.empty()) {
      Kernel().namedMutexes.erase(mutex->name);
    }
    if (mutex->lockFile >= 0) {
      close(mutex->lockFile);
    }
    mutex->released.notify_all();
    delete mutex;
  }
  return TRUE;
}

// ---------------------------------------------------------------------------
// Test hooks

void WinTestSetClock(WinTestClock clock, void* user) {
  std::lock_guard<std::recursive_mutex> guard(gClockLock);
  gClock = clock;
  gClockUser = user;
}

void WinTestSetSleepHook(WinTestSleepHook hook, void* user) {
  std::lock_guard<std::recursive_mutex> guard(gClockLock);
  gSleepHook = hook;
  gSleepUser = user;
}

void WinTestSetArguments(int argc, const char* const* argv) { SetArguments(argc, argv); }

void WinTestSetLockFolder(const char* folder) {
  std::lock_guard<std::mutex> guard(Kernel().lock);
  Kernel().lockFolderOverride = folder != nullptr ? folder : "";
}
