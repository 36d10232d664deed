#!/usr/bin/env bash
# Builds the browser version of the game into build-web/: index.html,
# moxelpark.js, moxelpark.wasm, moxelpark.data and icon.png. Publishing it is
# copying that folder to any static file host.
#
# Usage: scripts/web.sh [--serve [PORT]]
#   --serve   then serves build-web/ on 127.0.0.1 only (default port 8080)
#             and prints the address; Ctrl+C stops it.
# MOXEL_WEB_TEST=1 also installs what the browser tests need (the three
# engines: chromium, firefox-esr, and WebKitGTK's MiniBrowser with its
# WebDriver; Xvfb for the two that need a window; npm when there is none) and
# builds the test's probe page into build-web.work/probe.
# MOXEL_SETUP_DRY_RUN=1 only prints the packages it would install.
#
# The data is drawn natively by the desktop build's own tool, in
# build-web.work/tools; the program is built with Debian's Emscripten in
# build-web.work/wasm, from the same sources as the desktop game.
set -euo pipefail
cd "$(dirname "$0")/.."

SERVE=0
PORT=8080
case "${1:-}" in
  "") ;;
  --serve) SERVE=1; PORT="${2:-8080}" ;;
  *) echo "usage: $0 [--serve [PORT]]" >&2; exit 2 ;;
esac

PACKAGES=(emscripten build-essential cmake ninja-build pkg-config libglfw3-dev libgl-dev libopenal-dev libstb-dev
          zlib1g-dev python3)
if [ "${MOXEL_WEB_TEST:-0}" = 1 ]; then
  # WebKitGTK's MiniBrowser comes with its library, libwebkit2gtk-4.1-0,
  # which the driver package depends on.
  PACKAGES+=(chromium firefox-esr webkit2gtk-driver xvfb)
  # The machine's own Node.js brings npm with it; Debian's comes in two packages.
  if ! command -v npm >/dev/null; then PACKAGES+=(nodejs npm); fi
fi
if [ "${MOXEL_SETUP_DRY_RUN:-0}" = 1 ]; then
  echo "packages: ${PACKAGES[*]}"
  exit 0
fi
./scripts/install-missing.sh "${PACKAGES[@]}"

OUT="$PWD/build-web"
WORK="$PWD/build-web.work"
# Emscripten's optimiser needs Debian's acorn, which a node not from Debian
# does not look for. Never set EM_CACHE: Debian ships the cache prebuilt and frozen.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

# MOXEL_WEB_NATIVE_BUILD names a desktop build folder whose drawn data and
# icons to take (the test command's build/ has them already).
NATIVE="${MOXEL_WEB_NATIVE_BUILD:-$WORK/tools}"
if [ -z "${MOXEL_WEB_NATIVE_BUILD:-}" ]; then
  cmake -S . -B "$NATIVE" -G Ninja -DCMAKE_BUILD_TYPE=Release -DMOXEL_TESTS=OFF -DMOXEL_BENCH=OFF \
    -DMOXEL_WERROR=OFF >/dev/null
fi
cmake --build "$NATIVE" --target moxel_data moxel_icons
NATIVE="$(cd "$NATIVE" && pwd)"

emcmake cmake -S . -B "$WORK/wasm" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DMOXEL_WERROR="${MOXEL_WEB_WERROR:-OFF}" -DMOXEL_WEB_DATA="$NATIVE/data" \
  -DMOXEL_WEB_ICONS="$NATIVE/icons" -DMOXEL_WEB_OUTPUT="$OUT" \
  -DMOXEL_WEB_PROBE="$([ "${MOXEL_WEB_TEST:-0}" = 1 ] && echo ON || echo OFF)" -DMOXEL_WEB_PROBE_OUTPUT="$WORK/probe" \
  >/dev/null
cmake --build "$WORK/wasm"

echo "Built the browser version in $OUT:"
ls -l "$OUT"

if [ "$SERVE" = 1 ]; then
  echo "Serving on http://127.0.0.1:$PORT/ (Ctrl+C stops)"
  exec python3 -m http.server "$PORT" --bind 127.0.0.1 --directory "$OUT"
fi
