#!/usr/bin/env bash
# tools/bench_smoke.sh on folders of stand-in programs made here: a folder
# whose programs all run passes; a benchmark ending with an error, a program
# that fails, one that leaves files in its temporary folder and a folder
# without programs fail the run, naming the program.
set -uo pipefail
smoke="$(cd "$(dirname "$0")/../.." && pwd)/tools/bench_smoke.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tk_bench_smoke_XXXXXX")
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0

# program NAME BODY: a stand-in benchmark program in the folder.
program() {
  printf '#!/bin/sh\n%s\n' "$2" >"$scratch/folder/$1"
  chmod +x "$scratch/folder/$1"
}

# expect NAME STATUS [TEXT...]: runs the smoke run on the folder, two at a
# time; the exit status (0 or not) and every TEXT in its output must match.
expect() {
  local name=$1 status=$2 out actual ok=1 text
  shift 2
  out=$(TMPDIR="$scratch/tmp" "$smoke" "$scratch/folder" 2 2>&1)
  actual=$?
  { [ "$status" -eq 0 ] && [ "$actual" -eq 0 ]; } || { [ "$status" -ne 0 ] && [ "$actual" -ne 0 ]; } || ok=0
  for text in "$@"; do
    grep -qF -- "$text" <<<"$out" || ok=0
  done
  if [ "$ok" -eq 1 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name (status $actual)"
    echo "$out"
  fi
}

mkdir -p "$scratch/folder" "$scratch/tmp"
expect "a folder without programs fails" 1 "no benchmark programs"
program a_bench 'echo "BM_A 1 ms"'
program b_bench 'case "$*" in *--benchmark_min_time=0*--benchmark_repetitions=1*) echo "BM_B 2 ms";; *) exit 9;; esac'
expect "programs that run pass, asked for the briefest run" 0 "passed: a_bench" "passed: b_bench"
program c_bench 'echo "BM_C ERROR OCCURRED: no level"'
expect "a benchmark ending with an error fails" 1 "BM_C ERROR OCCURRED: no level" "failed: $scratch/folder/c_bench"
program c_bench 'echo "BM_C"; exit 3'
expect "a program that fails fails the run" 1 "failed: $scratch/folder/c_bench (exit status 3)"
program c_bench 'mkdir "$TMPDIR/c_bench_files"; touch "$TMPDIR/c.xrf"; echo "BM_C 3 ms"'
expect "a program that leaves files in its temporary folder fails" 1 \
  "failed: $scratch/folder/c_bench left in its temporary folder:" "c.xrf" "c_bench_files"
program c_bench 'mkdir "$TMPDIR/c_bench_files"; rm -r "$TMPDIR/c_bench_files"; echo "BM_C 3 ms"'
expect "a program that removes what it made passes" 0 "passed: c_bench"
if [ -n "$(ls -A "$scratch/tmp")" ]; then
  failed=$((failed + 1))
  echo "FAILED: the smoke run leaves the programs' temporary folders behind"
fi

echo "bench_smoke: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
