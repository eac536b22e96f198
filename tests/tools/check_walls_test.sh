#!/usr/bin/env bash
# tools/check_walls.sh on small trees made here: a clean tree passes, and each
# kind of breach fails naming the file and line of the include.
set -uo pipefail
check="$(cd "$(dirname "$0")/../.." && pwd)/tools/check_walls.sh"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/tk_check_walls_XXXXXX")
trap 'rm -rf "$scratch"' EXIT

passed=0
failed=0

# A tree with the stand-in's public and inner headers and one allowed file in
# each layer.
make_tree() {
  rm -rf "$scratch/tree"
  mkdir -p "$scratch/tree"/{engine/src,game/app,platform/win,platform/d3d8}
  cd "$scratch/tree" || exit 1
  printf '#include <cstdint>\n' >platform/win/win_types.h
  printf '#include "platform/win/win_types.h"\n' >platform/win/win32.h
  printf '#include "platform/win/win32.h"\n' >platform/win/win_resource.h
  printf '#include <string>\n' >platform/win/win_path.h
  printf '#include <SDL.h>\n' >platform/win/win_events.h
  printf '#include "win_events.h"\n' >platform/win/window_internal.h
  printf '#include <GL/gl.h>\n' >platform/d3d8/device_internal.h
  printf '#include "platform/win/win_types.h"\n' >platform/d3d8/d3d8.h
  printf '// #include <SDL.h>\n#include <cstdio>\n#include <png.h>\n#include "platform/d3d8/d3d8.h"\n#include "platform/win/win_path.h"\n' \
    >engine/src/image.cpp
  printf '#include "engine/src/image.h"\n' >engine/src/image.h
  printf '#include "platform/win/win32.h"\n#include "platform/win/win_resource.h"\n#include "game/app/main.h"\n' \
    >game/app/main.cpp
  : >game/app/main.h
  cd - >/dev/null || exit 1
}

# expect NAME STATUS [TEXT...]: runs the check; the exit status and every
# TEXT (a fixed string) in its report must match.
expect() {
  local name=$1 status=$2 out actual text ok=1
  shift 2
  out=$("$check" "$scratch/tree" 2>&1)
  actual=$?
  [ "$actual" -eq "$status" ] || ok=0
  for text in "$@"; do
    grep -qF -- "$text" <<<"$out" || ok=0
  done
  if [ "$ok" -eq 1 ]; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    echo "FAILED: $name (status $actual, expected $status)"
    echo "$out"
  fi
}

# breach NAME FILE LINE-TEXT EXPECTED...: a tree whose FILE gains one line.
breach() {
  local name=$1 file=$2 text=$3
  shift 3
  make_tree
  printf '%s\n' "$text" >>"$scratch/tree/$file"
  expect "$name" 1 "$@"
}

make_tree
expect "a clean tree passes" 0

breach "POSIX header in the engine" engine/src/image.cpp '#include <unistd.h>' \
  'engine/src/image.cpp:6: includes <unistd.h> (POSIX)'
breach "indented POSIX header below sys/" engine/src/image.h '  #  include <sys/stat.h>' \
  'engine/src/image.h:2: includes <sys/stat.h> (POSIX)'
breach "SDL header in quotes" game/app/main.h '#include "SDL.h"' \
  'game/app/main.h:1: includes "SDL.h" (SDL)'
breach "SDL2 folder" game/app/main.cpp '#include <SDL2/SDL_video.h>' \
  'game/app/main.cpp:4: includes <SDL2/SDL_video.h> (SDL)'
breach "OpenGL header" engine/src/image.cpp '#include <GL/glext.h>' 'engine/src/image.cpp:6: includes <GL/glext.h> (OpenGL)'
breach "EGL header" game/app/main.cpp '#include <EGL/egl.h>' 'game/app/main.cpp:4: includes <EGL/egl.h> (EGL)'
breach "inner stand-in header in the game" game/app/main.cpp '#include "platform/win/win_path.h"' \
  'game/app/main.cpp:4: includes "platform/win/win_path.h": the game includes only the public stand-in headers'
breach "inner stand-in header by a relative path" game/app/main.h '#include "../../platform/d3d8/d3d8.h"' \
  'game/app/main.h:1: includes "../../platform/d3d8/d3d8.h": the game includes only'
breach "SDL reached through a platform header" engine/src/image.h '#include "platform/win/window_internal.h"' \
  'engine/src/image.h:2: includes "platform/win/window_internal.h", which reaches <SDL.h> (SDL) at platform/win/win_events.h:1'
breach "OpenGL reached through a platform header" engine/src/image.cpp '#include "platform/d3d8/device_internal.h"' \
  'engine/src/image.cpp:6: includes "platform/d3d8/device_internal.h", which reaches <GL/gl.h> (OpenGL)'

make_tree
printf '#include <unistd.h>\n' >>"$scratch/tree/engine/src/image.h"
printf '#include <GL/gl.h>\n' >>"$scratch/tree/game/app/main.h"
expect "every breach is reported" 1 'engine/src/image.h:2:' 'game/app/main.h:1:' \
  'check_walls: 2 include(s) cross a wall'

echo "check_walls: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
