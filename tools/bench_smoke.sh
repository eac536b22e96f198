#!/usr/bin/env bash
# Runs every benchmark program of a build folder once, as briefly as it
# allows (one repetition at the shortest minimum time; a benchmark with a
# fixed count keeps it), so that none rots: a program that fails, or a
# benchmark that ends with an error, fails the run and shows its output. Each
# program gets a temporary folder of its own (TMPDIR) and must leave it empty:
# files left behind would be met, or overwritten, by the next run.
# Usage: tools/bench_smoke.sh <build>/bench [parallel programs]
set -euo pipefail
folder=${1:?usage: tools/bench_smoke.sh <build>/bench [parallel programs]}
parallel=${2:-1}
if ! compgen -G "$folder/*_bench" >/dev/null; then
  echo "no benchmark programs in $folder"
  exit 1
fi
run_one() {
  local program=$1 output status=0 scratch left
  scratch=$(mktemp -d "${TMPDIR:-/tmp}/tk_bench_smoke_XXXXXX")
  output=$(TMPDIR="$scratch" "$program" --benchmark_min_time=0 --benchmark_repetitions=1 2>&1) || status=$?
  left=$(ls -A "$scratch")
  rm -rf "$scratch"
  if [ "$status" -ne 0 ] || grep -q "ERROR OCCURRED" <<<"$output"; then
    printf '%s\n' "$output"
    echo "benchmark smoke run failed: $program (exit status $status)"
    return 1
  fi
  if [ -n "$left" ]; then
    echo "benchmark smoke run failed: $program left in its temporary folder: $left"
    return 1
  fi
  echo "benchmark smoke run passed: $(basename "$program")"
}
export -f run_one
# In reverse order of names: the slowest programs, the level ones, start
# early and the others fill in beside them.
printf '%s\n' "$folder"/*_bench | sort -r | xargs -P "$parallel" -n 1 bash -c 'run_one "$0"'
