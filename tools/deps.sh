# Shared by tools/test.sh and tools/play.sh: makes sure every Debian package
# the build needs is installed. Sourced, not run.

TK_PACKAGES=(
  build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev
  libsdl2-dev libgl-dev libegl-dev libgl1-mesa-dri libegl-mesa0
  libpng-dev zlib1g-dev libogg-dev libvorbis-dev libvorbisenc2
  googletest libgtest-dev libgmock-dev libbenchmark-dev
)

tk_ensure_packages() {
  local missing=()
  local p
  for p in "${TK_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages. Install them with:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  echo "Installing: ${missing[*]}"
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
}
