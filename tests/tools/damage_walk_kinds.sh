#!/usr/bin/env bash
# The damaged-data walk's quick set (one file of each kind, cut short) over a
# demo data set written here with its texture dictionaries, as a player's
# folder holds them after the first start: no damaged file may crash or hang
# the game, and every fatal error must name its file.
# Usage: damage_walk_kinds.sh <demo program> <damage_walk program>
set -euo pipefail
demo=$1
walk=$2
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tk_damage_walk_XXXXXX")
trap 'rm -rf "$scratch"' EXIT
"$demo" --dictionaries "$scratch/run" >/dev/null
# A sanitised walk's runs keep less freed memory in quarantine and shorter
# allocation stacks: they look for crashes, and so take half the system time.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:quarantine_size_mb=16:malloc_context_size=4"
TMPDIR="$scratch" "$walk" --kinds -j 2 "$scratch/run"
