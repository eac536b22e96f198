#!/usr/bin/env bash
# The engine's public header declares only what callers may use: preprocessed
# whole, it names no internal of the engine (_rw..., _rp..., _rt...), which
# live in the *_internal.h headers that only the engine and its tests include.
# Usage: public_header_test.sh <C++ compiler> <project root>
set -uo pipefail
compiler=${1:?usage: public_header_test.sh <C++ compiler> <project root>}
root=${2:?usage: public_header_test.sh <C++ compiler> <project root>}
if ! text=$(echo '#include "engine/engine.h"' | "$compiler" -std=c++17 -I"$root" -x c++ -E -P - 2>&1); then
  printf '%s\n' "$text"
  echo "engine/engine.h does not preprocess"
  exit 1
fi
internal=$(grep -oE '\b_r[wpt][A-Z][A-Za-z0-9_]*' <<<"$text" | sort -u)
if [ -n "$internal" ]; then
  echo "engine/engine.h declares internal names:"
  printf '  %s\n' $internal
  exit 1
fi
echo "engine/engine.h declares no internal names"
