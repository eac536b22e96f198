// The game's fatal error for fuzz targets of game readers. A bad input ends
// the game through FatalError, which is the answer to it and no finding. A
// target hands its reading of an input to fatalworker::Run, which first lets
// a worker process (forked from the fuzzing process, kept for many inputs)
// read it under a jump that FatalError takes back. An input that ends there
// is done with; every other input is then read by the fuzzing process itself,
// where its coverage counts and where FatalError is a finding (abort). So no
// fatal end ever skips a destructor in the fuzzing process: its memory stays
// flat however many inputs end fatally, and its leak check stays on. What the
// jumps leave behind in the worker is never freed: the worker is replaced
// once that passes kRetireBytes.
//
// The target's read function must reach every call that can end fatally and
// come to the same end in both processes (a read that draws random numbers
// seeds them first); its clean function, run after every read (ended by a
// jump or not), releases what the read left in the target's lasting state
// and must not end fatally. A target whose state a fatal end leaves beyond
// repair (half-made screens on the screen stack, a half-loaded level) gives
// no clean function: its read leaves the state as it found it when it ends
// normally, and a worker whose read ended fatally is replaced.
//
// Defines the game's FatalError, DebugTrace and gFatalErrorFlag: include it
// in the target's one source file.
#pragma once

#include <poll.h>
#include <sanitizer/allocator_interface.h>
#include <sanitizer/common_interface_defs.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csetjmp>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "game/foundation/fatal_error.h"

namespace fatalworker {

typedef void (*ReadFunction)(const uint8_t* bytes, size_t size);
typedef void (*CleanFunction)();

// Bytes left allocated by fatal ends after which a worker is replaced.
constexpr size_t kRetireBytes = 64u << 20;

// Longest wait for a worker's answer: far beyond any input's reading, so
// that only a worker that hangs (or one that a fork left waiting on a lock
// another thread held) is replaced.
constexpr int kAnswerSeconds = 60;

// A worker's answer to an input.
constexpr char kRead = 'r';
constexpr char kFatal = 'f';
constexpr char kFatalAndRetired = 'x';

inline std::jmp_buf*& Jump() {
  static std::jmp_buf* jump = nullptr;
  return jump;
}

inline bool& InWorker() {
  static bool worker = false;
  return worker;
}

inline bool WriteAll(int descriptor, const void* data, size_t size) {
  const char* at = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = write(descriptor, at, size);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return false;
    }
    at += written;
    size -= static_cast<size_t>(written);
  }
  return true;
}

inline bool ReadAll(int descriptor, void* data, size_t size) {
  char* at = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t got = read(descriptor, at, size);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    at += got;
    size -= static_cast<size_t>(got);
  }
  return true;
}

// The worker's one input under the jump; true when FatalError ended it.
inline bool ReadUnderJump(const std::vector<uint8_t>& input, ReadFunction read) {
  static const uint8_t kNoBytes = 0;
  std::jmp_buf jump;
  Jump() = &jump;
  if (setjmp(jump) != 0) {
    Jump() = nullptr;
    return true;
  }
  read(input.empty() ? &kNoBytes : input.data(), input.size());
  Jump() = nullptr;
  return false;
}

// The worker's loop: an input (its size, then its bytes), its answer.
[[noreturn]] inline void Serve(int in, int out, ReadFunction read, CleanFunction clean) {
  InWorker() = true;
  // A worker ends with the fuzzing process, however that ends.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  // Only the fuzzing process writes findings: a worker that fails leaves the
  // input to it.
  __sanitizer_set_death_callback(nullptr);
  for (int signal : {SIGABRT, SIGILL, SIGFPE, SIGINT, SIGTERM, SIGALRM, SIGUSR1, SIGUSR2}) {
    ::signal(signal, SIG_DFL);
  }
  const size_t start = __sanitizer_get_current_allocated_bytes();
  std::vector<uint8_t> input;
  for (;;) {
    uint64_t size = 0;
    if (!ReadAll(in, &size, sizeof size)) {
      _exit(0);
    }
    input.resize(size);
    if (!ReadAll(in, input.data(), size)) {
      _exit(0);
    }
    char answer = ReadUnderJump(input, read) ? kFatal : kRead;
    if (clean != nullptr) {
      clean();
    }
    if (answer == kFatal && (clean == nullptr || __sanitizer_get_current_allocated_bytes() > start + kRetireBytes)) {
      answer = kFatalAndRetired;
    }
    if (!WriteAll(out, &answer, 1) || answer == kFatalAndRetired) {
      _exit(0);
    }
  }
}

struct tWorker {
  pid_t pid = -1;
  int toWorker = -1;
  int fromWorker = -1;
};

inline void Stop(tWorker* worker) {
  if (worker->pid <= 0) {
    return;
  }
  close(worker->toWorker);
  close(worker->fromWorker);
  kill(worker->pid, SIGKILL);
  while (waitpid(worker->pid, nullptr, 0) < 0 && errno == EINTR) {
  }
  worker->pid = -1;
}

inline bool Start(tWorker* worker, ReadFunction read, CleanFunction clean) {
  // A worker that died leaves a closed pipe: writing to it is an error here,
  // not the end of the fuzzing process.
  signal(SIGPIPE, SIG_IGN);
  int toWorker[2];
  int fromWorker[2];
  if (pipe(toWorker) != 0) {
    return false;
  }
  if (pipe(fromWorker) != 0) {
    close(toWorker[0]);
    close(toWorker[1]);
    return false;
  }
  const pid_t pid = fork();
  if (pid == 0) {
    close(toWorker[1]);
    close(fromWorker[0]);
    Serve(toWorker[0], fromWorker[1], read, clean);
  }
  close(toWorker[0]);
  close(fromWorker[1]);
  if (pid < 0) {
    close(toWorker[1]);
    close(fromWorker[0]);
    return false;
  }
  *worker = tWorker{pid, toWorker[1], fromWorker[0]};
  return true;
}

// Whether the worker's answer came within kAnswerSeconds; a worker that
// gives none is reported with where the kernel holds it.
inline bool AnswerCame(const tWorker& worker) {
  pollfd answer = {worker.fromWorker, POLLIN, 0};
  int ready;
  while ((ready = poll(&answer, 1, kAnswerSeconds * 1000)) < 0 && errno == EINTR) {
  }
  if (ready != 0) {
    return true;
  }
  char path[64];
  char where[64] = "?";
  std::snprintf(path, sizeof path, "/proc/%d/wchan", static_cast<int>(worker.pid));
  if (FILE* file = std::fopen(path, "r")) {
    const size_t got = std::fread(where, 1, sizeof where - 1, file);
    where[got] = '\0';
    std::fclose(file);
  }
  std::fprintf(stderr, "fatal worker %d gave no answer in %d s (waiting in %s): replaced\n",
               static_cast<int>(worker.pid), kAnswerSeconds, where);
  return false;
}

// The worker's answer to the input; 0 when there is no worker, it died or it
// gave no answer in time.
inline char Ask(tWorker* worker, const uint8_t* bytes, size_t size, ReadFunction read, CleanFunction clean) {
  if (worker->pid <= 0 && !Start(worker, read, clean)) {
    return 0;
  }
  const uint64_t length = size;
  char answer = 0;
  if (!WriteAll(worker->toWorker, &length, sizeof length) || !WriteAll(worker->toWorker, bytes, size) ||
      !AnswerCame(*worker) || !ReadAll(worker->fromWorker, &answer, 1)) {
    answer = 0;
  }
  if (answer != kRead && answer != kFatal) {
    Stop(worker);
  }
  return answer;
}

// Reads the input in the worker, and then here unless it ended fatally
// there. A worker that died or stalled on the input is replaced and the
// input asked of the new one once; without an answer then (no worker could
// start, or the input kills or stalls every worker) it is read here, where
// its failure or hang is found.
inline void Run(const uint8_t* bytes, size_t size, ReadFunction read, CleanFunction clean) {
  static tWorker worker;
  char answer = Ask(&worker, bytes, size, read, clean);
  if (answer == 0) {
    answer = Ask(&worker, bytes, size, read, clean);
  }
  if (answer == kFatal || answer == kFatalAndRetired) {
    return;
  }
  read(bytes, size);
  if (clean != nullptr) {
    clean();
  }
}

// One input of a target: a trap when the target's set-up failed (it is
// done once, by the caller), inputs over the target's size limit skipped,
// the rest read through Run.
inline int TestOneInput(bool started, const uint8_t* bytes, size_t size, size_t limit, ReadFunction read,
                        CleanFunction clean) {
  if (!started) {
    __builtin_trap();
  }
  if (size > limit) {
    return 0;
  }
  Run(bytes, size, read, clean);
  return 0;
}

}  // namespace fatalworker

u32 gFatalErrorFlag = 0;

void FatalError(const char* format, ...) {
  if (fatalworker::InWorker() && fatalworker::Jump() != nullptr) {
    // TK_FUZZ_SHOW_FATAL=1 shows why inputs end (a target whose seeds all
    // end fatally explores nothing).
    if (std::getenv("TK_FUZZ_SHOW_FATAL") != nullptr) {
      std::va_list arguments;
      va_start(arguments, format);
      std::fputs("fatal end: ", stderr);
      std::vfprintf(stderr, format, arguments);
      std::fputc('\n', stderr);
      va_end(arguments);
    }
    std::longjmp(*fatalworker::Jump(), 1);
  }
  // An input that the worker read to its end: this end is a finding.
  std::va_list arguments;
  va_start(arguments, format);
  std::fputs("FatalError outside the worker's jump: ", stderr);
  std::vfprintf(stderr, format, arguments);
  std::fputc('\n', stderr);
  va_end(arguments);
  abort();
}

void DebugTrace(const char*, ...) {}
