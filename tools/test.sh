#!/usr/bin/env bash
# Checks the include walls between the layers, installs what the build
# needs, builds with AddressSanitizer and UndefinedBehaviorSanitizer into
# build/test, runs every test headless, and runs every benchmark program once
# as briefly as it allows (tools/bench_smoke.sh).
# Fuzz targets get a short smoke run from a clang build in build/fuzz.
set -euo pipefail
cd "$(dirname "$0")/.."
# The layers' walls first: a breach fails in a second, not after the build.
tools/check_walls.sh
source tools/deps.sh
tk_ensure_packages

export SDL_VIDEODRIVER=offscreen
export SDL_AUDIODRIVER=dummy
export LIBGL_ALWAYS_SOFTWARE=1
# Software rendering without its worker threads: tests draw little, run many
# at once, and LeakSanitizer stops every thread when it scans at exit.
export LP_NUM_THREADS=0
# The shader cache in the build folder (a test run writes nothing outside
# it): the tests and benchmarks compile each shader once between them.
export MESA_SHADER_CACHE_DISABLE=false
export MESA_SHADER_CACHE_DIR=$PWD/build/test/shader_cache
# Sanitised programs also carry defaults of their own (cmake/sanitizer_defaults.cpp).
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1"
export LSAN_OPTIONS="suppressions=$PWD/tools/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

jobs=$(nproc)
# Every fuzz target gets its smoke run; on few cores a shorter one.
fuzz_seconds=10
if [ "$jobs" -lt 8 ]; then
  fuzz_seconds=3
fi

# Line tables are all a sanitizer report's symbolised stack needs; full
# debug information took a quarter of the compile time. Configure a build of
# your own with -g to step through it in a debugger.
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTK_SANITIZE=ON -DCMAKE_CXX_FLAGS_DEBUG=-g1 \
      -DCMAKE_C_FLAGS_DEBUG=-g1
cmake --build build/test -j "$jobs"
ctest --test-dir build/test -j "$jobs" --output-on-failure --timeout 600
tools/bench_smoke.sh build/test/bench "$jobs"

if compgen -G "tests/fuzz/*_fuzz.cpp" >/dev/null && command -v clang++ >/dev/null; then
  cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTK_FUZZ=ON \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DTK_FUZZ_SMOKE_SECONDS="$fuzz_seconds"
  cmake --build build/fuzz -j "$jobs" --target fuzz_all
  ctest --test-dir build/fuzz -j "$jobs" --output-on-failure --timeout 300
fi
