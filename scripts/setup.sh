#!/usr/bin/env bash
# Installs the Debian packages the game and its tests need (only those that are
# missing), then configures and builds into build/ (or $MOXEL_BUILD_DIR).
# The build also generates the game's data into build/data.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libglfw3-dev libgl-dev libgl1-mesa-dri libopenal-dev libopenal1 libstb-dev
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl x11-utils imagemagick vorbis-tools
  desktop-file-utils valgrind clang libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

BUILD_DIR="${MOXEL_BUILD_DIR:-build}"
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${MOXEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR"
