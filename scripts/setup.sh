#!/usr/bin/env bash
# Installs the Debian packages that are missing, then configures and builds
# into build/ (or $MOXEL_BUILD_DIR). The build also generates the game's data
# into build/data.
#
# Usage: scripts/setup.sh [--play]
#   (none)   the developer's set-up, which the test command runs: everything the
#            tests, the sanitizer and fuzz stages and the benchmarks need; the
#            build has the tests and treats warnings as errors.
#   --play   the player's set-up, which scripts/play.sh runs: only what building
#            and playing need; no tests, and warnings stay warnings, since a
#            newer compiler than ours brings new ones.
# Both pass every option that differs between them, so they can share build/
# without one inheriting the other's cache. MOXEL_CMAKE_ARGS adds options.
# MOXEL_SETUP_DRY_RUN=1 only prints the packages and options it would use.
set -euo pipefail
cd "$(dirname "$0")/.."

MODE=test
case "${1:-}" in
  "") ;;
  --play) MODE=play ;;
  *) echo "usage: $0 [--play]" >&2; exit 2 ;;
esac

# Building and playing: the compiler and build tools, the window, GL, audio
# and image libraries, zlib (the data tool packs its pictures with it), and
# Mesa's drivers.
PLAY_PACKAGES=(
  build-essential cmake ninja-build pkg-config
  libglfw3-dev libgl-dev libgl1-mesa-dri libopenal-dev libopenal1 libstb-dev zlib1g-dev
)
# The tests and their stages on top: GoogleTest and Google Benchmark, a private
# X server with a window manager and the tools that drive and photograph it,
# Ogg encoding, clang and its sanitizer runtimes for the fuzz stage, valgrind
# for the benchmarks, and the packaging checks (lintian, appstream, dpkg-dev).
TEST_PACKAGES=(
  googletest libgtest-dev libbenchmark-dev
  xvfb xauth xdotool openbox wmctrl x11-utils x11-xserver-utils imagemagick vorbis-tools
  desktop-file-utils valgrind clang libclang-rt-14-dev
  lintian appstream dpkg-dev
)

if [ "$MODE" = play ]; then
  PACKAGES=("${PLAY_PACKAGES[@]}")
  OPTIONS=(-DMOXEL_TESTS=OFF -DMOXEL_WERROR=OFF -DMOXEL_BENCH=OFF)
else
  PACKAGES=("${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}")
  OPTIONS=(-DMOXEL_TESTS=ON -DMOXEL_WERROR=ON -DMOXEL_BENCH=ON)
fi

if [ "${MOXEL_SETUP_DRY_RUN:-0}" = 1 ]; then
  echo "packages: ${PACKAGES[*]}"
  echo "options: ${OPTIONS[*]}"
  exit 0
fi

./scripts/install-missing.sh "${PACKAGES[@]}"

BUILD_DIR="${MOXEL_BUILD_DIR:-build}"
# shellcheck disable=SC2086  # MOXEL_CMAKE_ARGS holds several words on purpose
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${OPTIONS[@]}" ${MOXEL_CMAKE_ARGS:-} >/dev/null
cmake --build "$BUILD_DIR"
