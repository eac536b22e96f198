#!/usr/bin/env bash
# The walls between the layers, checked before anything is built: engine/ and
# game/ reach SDL, OpenGL, EGL and the operating system only through the
# stand-in in platform/, and game/ includes only the stand-in's public headers.
# Headers outside engine/ and game/ that those files include are followed, so
# a wall is not crossed through a platform header either.
# Usage: tools/check_walls.sh [root]. Prints "file:line: reason" for every
# breach and exits 1; exits 0 when every wall holds.
set -euo pipefail

root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
root=${root%/}

# The stand-in headers the game may include.
public_headers=(
  platform/win/win32.h
  platform/win/win_resource.h
  platform/dsound/dsound.h
  platform/dinput/dinput.h
  platform/vfw/vfw.h
)

# Prints the kind of header that is off limits above the platform (SDL,
# OpenGL, EGL, POSIX), or nothing for one that is allowed.
forbidden_kind() {
  case "$1" in
    SDL.h | SDL_*.h | SDL2/*) echo SDL ;;
    EGL/*) echo EGL ;;
    GL/* | GLES/* | GLES2/* | GLES3/* | KHR/* | glad/* | epoxy/* | GLFW/*) echo OpenGL ;;
    unistd.h | fcntl.h | sys/* | pthread.h | dirent.h | dlfcn.h | poll.h | termios.h | strings.h | \
      libgen.h | glob.h | fnmatch.h | regex.h | pwd.h | grp.h | netdb.h | arpa/* | netinet/* | net/* | \
      sched.h | semaphore.h | spawn.h | syslog.h | aio.h | mqueue.h | utime.h | utmpx.h | wordexp.h | \
      ftw.h | iconv.h | langinfo.h | nl_types.h | search.h | ucontext.h | execinfo.h | malloc.h | \
      alloca.h | endian.h | byteswap.h | err.h | getopt.h | link.h | elf.h | features.h | mntent.h | \
      paths.h | linux/* | asm/* | bits/*)
      echo POSIX
      ;;
  esac
}

# Folds "." and ".." out of a path relative to the root.
normalise() {
  local -a parts=() out=()
  local part
  IFS=/ read -r -a parts <<<"$1"
  for part in "${parts[@]}"; do
    case "$part" in
      "" | .) ;;
      ..) [ ${#out[@]} -gt 0 ] && unset 'out[${#out[@]}-1]' ;;
      *) out+=("$part") ;;
    esac
  done
  local IFS=/
  echo "${out[*]}"
}

# Prints the root-relative path of a quoted include of file $1, found beside
# the file or from the root as the build's include path does; nothing when
# the project holds no such file.
resolve() {
  local from_dir=${1%/*} name=$2
  [ "$from_dir" = "$1" ] && from_dir=.
  if [ -f "$root/$from_dir/$name" ]; then
    normalise "$from_dir/$name"
  elif [ -f "$root/$name" ]; then
    normalise "$name"
  fi
}

# Each include of a file as "line<TAB>delimiter<TAB>name".
includes_of() {
  grep -n -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' "$root/$1" |
    sed -n -E 's/^([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"].*/\1\t\2\t\3/p'
}

# What a header outside engine/ and game/ reaches that is off limits, as
# "<name> (KIND) at file:line", or empty, left in $reach; remembered per header.
declare -A reached=()
declare -A visiting=()
reach=""
reach_of() {
  local file=$1
  if [ -n "${reached[$file]+set}" ]; then
    reach=${reached[$file]}
    return
  fi
  visiting[$file]=1
  local found="" line delim name kind target
  while IFS=$'\t' read -r line delim name; do
    kind=$(forbidden_kind "$name")
    if [ -n "$kind" ]; then
      found="<$name> ($kind) at $file:$line"
      break
    fi
    [ "$delim" = '"' ] || continue
    target=$(resolve "$file" "$name")
    case "$target" in "" | engine/* | game/*) continue ;; esac
    [ -z "${visiting[$target]+set}" ] || continue
    reach_of "$target"
    if [ -n "$reach" ]; then
      found="$reach (through $file:$line)"
      break
    fi
  done < <(includes_of "$file")
  unset 'visiting[$file]'
  reached[$file]=$found
  reach=$found
}

is_public() {
  local header
  for header in "${public_headers[@]}"; do
    [ "$1" = "$header" ] && return 0
  done
  return 1
}

wall="engine/ and game/ reach SDL, OpenGL, EGL and the operating system only through platform/"
breaches=0
report() {
  echo "$1" >&2
  breaches=$((breaches + 1))
}

while IFS= read -r file; do
  while IFS=$'\t' read -r line delim name; do
    kind=$(forbidden_kind "$name")
    if [ -n "$kind" ]; then
      shown="<$name>"
      [ "$delim" = '"' ] && shown="\"$name\""
      report "$file:$line: includes $shown ($kind): $wall"
      continue
    fi
    [ "$delim" = '"' ] || continue
    target=$(resolve "$file" "$name")
    [ -n "$target" ] || target=$(normalise "$name")
    if [[ "$file" == game/* && "$target" == platform/* ]] && ! is_public "$target"; then
      report "$file:$line: includes \"$name\": the game includes only the public stand-in headers (${public_headers[*]})"
      continue
    fi
    case "$target" in engine/* | game/*) continue ;; esac
    [ -f "$root/$target" ] || continue
    reach_of "$target"
    if [ -n "$reach" ]; then
      report "$file:$line: includes \"$name\", which reaches $reach: $wall"
    fi
  done < <(includes_of "$file")
done < <(cd "$root" && find engine game -type f \
  \( -name '*.h' -o -name '*.hpp' -o -name '*.hh' -o -name '*.inl' -o -name '*.c' -o -name '*.cc' -o -name '*.cpp' \) \
  2>/dev/null | LC_ALL=C sort)

if [ "$breaches" -gt 0 ]; then
  echo "check_walls: $breaches include(s) cross a wall between the layers" >&2
  exit 1
fi
