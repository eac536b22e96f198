// damage_walk: damages each data file of a run folder in turn, cut short and
// garbled in the middle, and runs the game along a road that reads it, each
// run in a process of its own. A run may end in a fatal error that names the
// file (exit status 3) or play on; a signal, a hang, another exit status or
// a fatal error naming no file is a fault. See usage().
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/win/win_testing.h"
#include "tools/damage_walk/damage.h"
#include "tools/damage_walk/drive.h"
#include "tools/forge/files/pack_writer.h"
#include "tools/forge/files/whole_file.h"

namespace fs = std::filesystem;

namespace {

using walk::Case;
using walk::Damage;
using walk::Outcome;
using walk::Road;

void Usage() {
  std::fprintf(stderr,
               "usage: damage_walk [options] <run folder>\n"
               "  <run folder>     the game's working folder holding data/ (build/release/run)\n"
               "  --kinds          one file of each kind only, cut short (the CI set)\n"
               "  --only <text>    only files whose path holds the text (repeatable)\n"
               "  --cut, --garbled only that damage (both by default)\n"
               "  -j <runs>        runs at once (default: half the processors)\n"
               "  --timeout <s>    seconds a run may take before it counts as a hang (default 300)\n"
               "  --keep           keep the folders of the runs that found a fault\n"
               "  --list           list the runs and their roads, run nothing\n");
}

struct tOptions {
  std::string runFolder;
  bool kinds = false;
  std::vector<std::string> only;
  bool cut = true;
  bool garbled = true;
  int jobs = 0;
  int timeout = 300;
  bool keep = false;
  bool list = false;
};

bool ParseOptions(int argc, char** argv, tOptions* options) {
  for (int i = 1; i < argc; i++) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--kinds") {
      options->kinds = true;
    } else if (arg == "--only" && hasValue) {
      options->only.push_back(argv[++i]);
    } else if (arg == "--cut") {
      options->garbled = false;
    } else if (arg == "--garbled") {
      options->cut = false;
    } else if (arg == "-j" && hasValue) {
      options->jobs = std::atoi(argv[++i]);
    } else if (arg == "--timeout" && hasValue) {
      options->timeout = std::atoi(argv[++i]);
    } else if (arg == "--keep") {
      options->keep = true;
    } else if (arg == "--list") {
      options->list = true;
    } else if (!arg.empty() && arg[0] != '-' && options->runFolder.empty()) {
      options->runFolder = arg;
    } else {
      return false;
    }
  }
  return !options->runFolder.empty() && options->timeout > 0 && (options->cut || options->garbled);
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Every file under data/, relative to the root, in path order.
std::vector<std::string> DataFiles(const std::string& root) {
  std::vector<std::string> files;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root + "/data", error); !error && it != fs::end(it);
       it.increment(error)) {
    if (it->is_regular_file()) {
      files.push_back(fs::relative(it->path(), root).generic_string());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The master's files: size and change time, to tell whether a run wrote
// into a file it shares with the master.
std::map<std::string, std::pair<uintmax_t, int64_t>> Snapshot(const std::string& root) {
  std::map<std::string, std::pair<uintmax_t, int64_t>> snapshot;
  for (const std::string& file : DataFiles(root)) {
    struct stat status;
    if (stat((root + "/" + file).c_str(), &status) == 0) {
      snapshot[file] = {static_cast<uintmax_t>(status.st_size),
                        static_cast<int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
    }
  }
  return snapshot;
}

// The pack of every file of the master but the movies, as the game's
// packed data holds them.
std::string PackOf(const std::string& master) {
  PackWriter pack;
  for (const std::string& file : DataFiles(master)) {
    if (file.rfind("data/movies/", 0) != 0) {
      pack.Add(file, ReadFile(master + "/" + file));
    }
  }
  return pack.Build();
}

// The case's folder: the master's files linked (the game writes only files
// that are missing, never those it read), the models copied (the game writes
// a model's collision data back into it when the model has none), the
// damaged file written anew.
bool MakeCaseFolder(const Case& run, const std::string& master, const std::string& folder, const std::string& bytes) {
  std::error_code error;
  fs::create_directories(folder + "/data", error);
  for (const std::string& file : DataFiles(master)) {
    if (file == run.file || (run.packed && file.rfind("data/movies/", 0) != 0)) {
      continue;
    }
    if (run.image && file.rfind("data/texdicts/", 0) == 0 &&
        walk::DictionaryHolds(ReadFile(master + "/" + file), run.file)) {
      continue;
    }
    const fs::path to = fs::path(folder) / file;
    fs::create_directories(to.parent_path(), error);
    if (to.extension() == ".dff") {
      fs::copy_file(fs::path(master) / file, to, error);
    } else {
      fs::create_hard_link(fs::path(master) / file, to, error);
    }
    if (error) {
      return false;
    }
  }
  fs::create_directories((fs::path(folder) / run.file).parent_path(), error);
  if (!WriteWholeFile(folder + "/" + run.file, walk::Damaged(bytes, run.damage, run.file))) {
    return false;
  }
  // A road that continues a profile finds it in the save file.
  const bool continues = (run.road == Road::kLevel && run.level > 1) || run.road == Road::kEnd;
  return !continues || run.file == walk::kSaveFile ||
         walk::WriteContinueProfile((folder + "/" + walk::kSaveFile).c_str(), run.level);
}

struct tRunning {
  Case run;
  pid_t child = -1;
  std::string folder;
  int watch = -1;  // inotify descriptor watching the damaged file
  std::chrono::steady_clock::time_point start;
};

// The game in a process of its own, in the folder, its output in
// output.txt there.
pid_t StartRun(const Case& run, const std::string& folder) {
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child != 0) {
    return child;
  }
  const int output = open((folder + "/output.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (output < 0 || chdir(folder.c_str()) != 0) {
    _exit(walk::kStatusNotStarted);
  }
  dup2(output, STDOUT_FILENO);
  dup2(output, STDERR_FILENO);
  close(output);
  WinTestSetLockFolder(folder.c_str());
  const int status = walk::DriveGame(run);
  std::fflush(nullptr);
  _exit(status);
}

// True when the watched file was opened.
bool WasOpened(int watch) {
  if (watch < 0) {
    return false;
  }
  alignas(inotify_event) char events[4096];
  const ssize_t got = read(watch, events, sizeof(events));
  close(watch);
  return got > 0;
}

std::string RoadName(const Case& run) {
  char text[32];
  std::snprintf(text, sizeof(text), "%s level%02d", run.road == Road::kEnd ? "end after" : "", run.level);
  return text[0] == ' ' ? text + 1 : text;
}

// The cases of the walk, in order: every file (or one of each kind) with
// each damage asked for.
std::vector<Case> PlanWalk(const tOptions& options, const std::vector<std::string>& files) {
  std::vector<Case> cases;
  if (options.kinds) {
    for (const std::string& file : walk::KindSamples()) {
      cases.push_back(walk::PlanCase(file, Damage::kCut));
      if (file == walk::kSaveFile) {
        cases.back().level = 1;
      }
    }
    return cases;
  }
  for (const std::string& file : files) {
    bool chosen = options.only.empty();
    for (const std::string& part : options.only) {
      chosen = chosen || file.find(part) != std::string::npos;
    }
    if (!chosen) {
      continue;
    }
    for (Damage damage : {Damage::kCut, Damage::kGarbled}) {
      if ((damage == Damage::kCut && options.cut) || (damage == Damage::kGarbled && options.garbled)) {
        cases.push_back(walk::PlanCase(file, damage));
      }
    }
  }
  return cases;
}

// Runs a road on the undamaged master, which writes the caches the game
// writes on a first run there; true when it went to its end.
bool WarmUp(const std::string& master, const Case& road, int timeout) {
  const bool continues = road.level > 1;
  if (continues && !walk::WriteContinueProfile((master + "/" + walk::kSaveFile).c_str(), road.level)) {
    return false;
  }
  const pid_t child = StartRun(road, master);
  const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(timeout);
  int status = 0;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > limit) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::error_code error;
  fs::remove(master + "/" + walk::kSaveFile, error);
  const std::string output = ReadFile(master + "/output.txt");
  fs::remove(master + "/output.txt", error);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::printf("The road %s does not run on the undamaged data:\n%s\n", RoadName(road).c_str(), output.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // Headless, on the software renderer without worker threads (a run draws
  // little and many run at once), unless asked otherwise.
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  setenv("LP_NUM_THREADS", "0", 0);
  tOptions options;
  if (!ParseOptions(argc, argv, &options)) {
    Usage();
    return 2;
  }
  if (!fs::is_directory(options.runFolder + "/data")) {
    std::fprintf(stderr, "damage_walk: %s holds no data folder\n", options.runFolder.c_str());
    return 2;
  }
  const std::vector<std::string> given = DataFiles(options.runFolder);
  std::vector<std::string> files = given;
  files.push_back(walk::kSaveFile);
  files.push_back(walk::kPackFile);
  std::sort(files.begin(), files.end());
  const std::vector<Case> cases = PlanWalk(options, files);
  if (options.list) {
    for (const Case& run : cases) {
      std::printf("%-8s %-20s %-18s %s\n", walk::DamageName(run.damage), walk::KindOf(run.file).c_str(),
                  RoadName(run).c_str(), run.file.c_str());
    }
    return 0;
  }

  // The master: a copy of the run folder's data, warmed up by the roads.
  const char* tmp = std::getenv("TMPDIR");
  std::string scratch = std::string(tmp != nullptr && tmp[0] != '\0' ? tmp : "/tmp") + "/damage_walk.XXXXXX";
  std::vector<char> scratchName(scratch.begin(), scratch.end());
  scratchName.push_back('\0');
  if (mkdtemp(scratchName.data()) == nullptr) {
    std::fprintf(stderr, "damage_walk: no scratch folder in %s\n", scratch.c_str());
    return 2;
  }
  scratch = scratchName.data();
  // Every run draws with the same programs: the software renderer keeps them
  // compiled in a cache of the walk's own, removed with the scratch folder,
  // so that only the first run compiles them.
  const std::string shaders = scratch + "/shaders";
  setenv("MESA_SHADER_CACHE_DIR", shaders.c_str(), 1);
  setenv("MESA_GLSL_CACHE_DIR", shaders.c_str(), 1);
  setenv("MESA_SHADER_CACHE_DISABLE", "false", 1);
  setenv("MESA_GLSL_CACHE_DISABLE", "false", 1);
  const std::string master = scratch + "/master";
  std::error_code error;
  fs::create_directories(master, error);
  fs::copy(options.runFolder + "/data", master + "/data", fs::copy_options::recursive, error);
  if (error) {
    std::fprintf(stderr, "damage_walk: cannot copy %s/data: %s\n", options.runFolder.c_str(), error.message().c_str());
    return 2;
  }
  // Each road once on the undamaged data: it must go to its end, and the
  // caches it writes are then every case's. The quick set warms up level01's
  // road alone (the one whose dictionary it damages), and only where that
  // dictionary is not written yet; its other cases write the caches they
  // need into their own folders.
  std::set<std::pair<int, int>> roads;
  const bool warm = fs::exists(master + "/data/texdicts/level01.txd");
  for (const Case& run : cases) {
    if (!options.kinds || (!warm && run.road == Road::kLevel && run.level == 1)) {
      roads.insert({static_cast<int>(run.road), run.level});
    }
  }
  for (const auto& road : roads) {
    Case plain;
    plain.road = static_cast<Road>(road.first);
    plain.level = road.second;
    if (!WarmUp(master, plain, options.timeout)) {
      fs::remove_all(scratch, error);
      return 1;
    }
  }
  const auto before = Snapshot(master);
  const bool packs = std::any_of(cases.begin(), cases.end(), [](const Case& run) { return run.packed; });
  const std::string pack = packs ? PackOf(master) : std::string();

  const int jobs = options.jobs > 0 ? options.jobs : std::max(1u, std::thread::hardware_concurrency() / 2);
  std::vector<tRunning> running;
  std::vector<std::string> faults;
  std::map<std::string, int> tally;
  size_t next = 0;
  int number = 0;
  std::printf("damage_walk: %zu runs over %s, %d at once\n", cases.size(), options.runFolder.c_str(), jobs);
  while (next < cases.size() || !running.empty()) {
    while (next < cases.size() && static_cast<int>(running.size()) < jobs) {
      tRunning started;
      started.run = cases[next++];
      started.folder = scratch + "/run" + std::to_string(++number);
      std::string bytes;
      if (started.run.packed) {
        bytes = pack;
      } else if (started.run.file == walk::kSaveFile) {
        // The save file damaged is one that continues the road's level (a
        // road of level01 finds one that continues level02).
        walk::WriteContinueProfile((scratch + "/profile").c_str(), std::max(2, started.run.level));
        bytes = ReadFile(scratch + "/profile");
      } else if (fs::is_regular_file(master + "/" + started.run.file)) {
        bytes = ReadFile(master + "/" + started.run.file);
      } else {
        // A sample the data no longer holds: the quick set must be mended.
        std::printf("%-7s %-40s no such file\n", walk::DamageName(started.run.damage), started.run.file.c_str());
        faults.push_back(started.run.file + ": no such file in the data");
        continue;
      }
      if (!MakeCaseFolder(started.run, master, started.folder, bytes)) {
        std::fprintf(stderr, "damage_walk: cannot lay out %s\n", started.folder.c_str());
        return 2;
      }
      started.watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
      if (started.watch >= 0 &&
          inotify_add_watch(started.watch, (started.folder + "/" + started.run.file).c_str(), IN_OPEN) < 0) {
        close(started.watch);
        started.watch = -1;
      }
      started.start = std::chrono::steady_clock::now();
      started.child = StartRun(started.run, started.folder);
      running.push_back(started);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    for (size_t i = 0; i < running.size();) {
      tRunning& r = running[i];
      Outcome outcome;
      int status = 0;
      const pid_t ended = waitpid(r.child, &status, WNOHANG);
      const auto taken = std::chrono::steady_clock::now() - r.start;
      if (ended == 0 && taken < std::chrono::seconds(options.timeout)) {
        i++;
        continue;
      }
      if (ended == 0) {
        kill(r.child, SIGKILL);
        waitpid(r.child, &status, 0);
        outcome.timedOut = true;
      } else if (WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
      } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
      }
      outcome.output = ReadFile(r.folder + "/output.txt");
      const bool opened = WasOpened(r.watch);
      std::string fault = walk::FaultOf(r.run, outcome);
      if (fault.empty() && options.kinds && !opened && outcome.exitStatus == 0) {
        fault = "the sample is not read along its road";
      }
      std::string said;
      if (!fault.empty()) {
        said = "FAULT: " + fault;
      } else if (outcome.exitStatus == 3) {
        said = "fatal: " + walk::FatalText(outcome.output);
      } else if (outcome.exitStatus == walk::kStatusRoadBlocked) {
        const size_t at = outcome.output.find("road blocked after");
        const size_t reason = at != std::string::npos ? outcome.output.find(": ", at) : std::string::npos;
        said = "road blocked" + (reason != std::string::npos
                                     ? outcome.output.substr(reason, outcome.output.find('\n', reason) - reason)
                                     : std::string());
      } else {
        said = opened ? "played on" : "played on, never read";
      }
      while (!said.empty() && (said.back() == '\n' || said.back() == ' ')) {
        said.pop_back();
      }
      const long seconds = static_cast<long>(std::chrono::duration_cast<std::chrono::seconds>(taken).count());
      std::printf("%-7s %-40s %3lds %s\n", walk::DamageName(r.run.damage), r.run.file.c_str(), seconds, said.c_str());
      std::fflush(stdout);
      tally[fault.empty() ? said.substr(0, said.find(':')) : "FAULT"]++;
      if (!fault.empty()) {
        faults.push_back(std::string(walk::DamageName(r.run.damage)) + " " + r.run.file + " (" + RoadName(r.run) +
                         "): " + fault + "\n" + outcome.output);
      }
      if (fault.empty() || !options.keep) {
        fs::remove_all(r.folder, error);
      }
      running.erase(running.begin() + static_cast<long>(i));
    }
  }
  if (Snapshot(master) != before) {
    faults.push_back("a run wrote into a file it shares with the others (the master copy changed)");
  }
  std::printf("\n");
  for (const auto& count : tally) {
    std::printf("%5d %s\n", count.second, count.first.c_str());
  }
  for (const std::string& fault : faults) {
    std::printf("\n%s", fault.c_str());
  }
  if (!options.keep || faults.empty()) {
    fs::remove_all(scratch, error);
  } else {
    std::printf("\nThe runs with a fault are kept in %s\n", scratch.c_str());
  }
  std::printf(faults.empty() ? "damage_walk: no fault\n" : "damage_walk: %zu faults\n", faults.size());
  return faults.empty() ? 0 : 1;
}
