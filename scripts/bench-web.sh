#!/usr/bin/env bash
# The browser version's figures for docs/performance.md: builds it
# (scripts/web.sh), prints the sizes of what a player downloads (raw and
# gzipped), and plays it in headless Chromium at 1280x720 (tests/web/measure.js):
# load to the menu's first frame, updates and frames a second in the menu and
# in play. The desktop's sizes are printed beside them.
#
# Usage: scripts/bench-web.sh [SECONDS]   (per stretch, default 10)
set -euo pipefail
cd "$(dirname "$0")/.."
WORK="$PWD/build-web.work"
MOXEL_WEB_TEST=1 ./scripts/web.sh >/dev/null
mkdir -p "$WORK/node"
cp tests/web/package.json tests/web/package-lock.json "$WORK/node/"
[ -d "$WORK/node/node_modules/puppeteer-core" ] ||
  (cd "$WORK/node" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)

size_line() {  # name, files...
  local name=$1 raw=0 gz=0; shift
  for f in "$@"; do
    raw=$((raw + $(stat -c %s "$f")))
    gz=$((gz + $(gzip -9c "$f" | wc -c)))
  done
  printf "%-28s %10d bytes raw %10d bytes gzipped\n" "$name" "$raw" "$gz"
}
echo "== download of the browser version (build-web/)"
for f in build-web/*; do size_line "$(basename "$f")" "$f"; done
size_line "all" build-web/*
echo "== the desktop's program and data (build-web.work/tools, Release)"
NATIVE="$WORK/tools"
cmake --build "$NATIVE" --target moxelpark >/dev/null
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT
strip -o "$TMP/moxelpark" "$NATIVE/moxelpark"
tar -C "$NATIVE" -cf "$TMP/data.tar" data
size_line "moxelpark (stripped)" "$TMP/moxelpark"
size_line "data/ (as one tar file)" "$TMP/data.tar"
echo "== in headless Chromium (software WebGL); load average $(cut -d' ' -f1-3 /proc/loadavg)"
NODE_PATH="$WORK/node/node_modules" node tests/web/measure.js build-web "${1:-10}"
echo "== the desktop program on Xvfb (llvmpipe), 1280x720 screen"
xvfb-run -a -s "-screen 0 1280x720x24" ./scripts/desktop-menu-time.sh "$NATIVE"
