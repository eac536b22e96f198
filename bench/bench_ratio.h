// Side-by-side measures for readers: each iteration times the reader and a
// plain copy (or read) of the same bytes, and the fastest of each gives the
// ratio, which other programs running on the machine disturb far less than
// either time alone. Times are the thread's processor time (the kernel's
// work for it included), which a busy machine does not stretch.
#pragma once

#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <functional>
#include <limits>
#include <vector>

class BenchRatio {
 public:
  // Times one call of work; the fastest call is kept.
  void TimeReader(const std::function<void()>& work) { Time(work, &reader_); }
  void TimeBaseline(const std::function<void()>& work) { Time(work, &baseline_); }

  // A copy of the bytes into a buffer of their size, the floor any reader
  // of them stands on.
  void TimeCopy(const std::vector<unsigned char>& bytes) {
    copy_.resize(bytes.size());
    TimeBaseline([&] {
      std::memcpy(copy_.data(), bytes.data(), bytes.size());
      benchmark::DoNotOptimize(copy_.data());
      benchmark::ClobberMemory();
    });
  }

  // Adds "<name>" = baseline time / reader time (the reader's speed as a
  // part of the baseline's) to the state's counters.
  void Report(benchmark::State& state, const char* name) const {
    state.counters[name] = reader_ > 0.0 ? baseline_ / reader_ : 0.0;
  }
  // Adds "<name>" = reader time / baseline time (how many times longer).
  void ReportTimes(benchmark::State& state, const char* name) const {
    state.counters[name] = baseline_ > 0.0 ? reader_ / baseline_ : 0.0;
  }

 private:
  static double Now() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
  }
  static void Time(const std::function<void()>& work, double* fastest) {
    const double start = Now();
    work();
    const double took = Now() - start;
    if (took < *fastest) *fastest = took;
  }

  double reader_ = std::numeric_limits<double>::max();
  double baseline_ = std::numeric_limits<double>::max();
  std::vector<unsigned char> copy_;
};
