#!/usr/bin/env bash
# The browser version's figures for docs/performance.md: builds it
# (scripts/web.sh), prints the sizes of what a player downloads (raw and
# gzipped), and plays it in headless Chromium at 1280x720 (tests/web/measure.js):
# load to the menu's first frame, updates and frames a second in the menu and
# in play. The desktop's sizes are printed beside them. Then what a phone
# player on a slow link meets (bench/web/load.js): first and repeat visit to
# the menu and the bytes moved before it, long tasks at three screen sizes;
# and Lighthouse's mobile figures (bench/web/lighthouse.js).
#
# Usage: scripts/bench-web.sh [SECONDS]   (per stretch, default 10)
#   MOXEL_BENCH_SITE=DIR  measure a site folder already built (with MOXEL_WEB_TEST=1,
#                         as scripts/web.sh makes it): no build, no desktop figures
#   MOXEL_BENCH_WORK=DIR  where the node packages go (default build-web.work)
#   MOXEL_BENCH_RUNS=N    runs of the phone and Lighthouse figures (default 3)
set -euo pipefail
BUILT="${MOXEL_BENCH_SITE:+$(realpath "$MOXEL_BENCH_SITE")}"
WORK="${MOXEL_BENCH_WORK:+$(realpath -m "$MOXEL_BENCH_WORK")}"
cd "$(dirname "$0")/.."
WORK="${WORK:-$PWD/build-web.work}"
SITE="${BUILT:-build-web}"
RUNS="${MOXEL_BENCH_RUNS:-3}"
[ -n "$BUILT" ] || MOXEL_WEB_TEST=1 ./scripts/web.sh >/dev/null
# node_modules stay in the work folder, never in the checkout.
install_node() {  # folder, package folder, package that must be there
  if ! cmp -s "$2/package-lock.json" "$1/package-lock.json" || [ ! -d "$1/node_modules/$3" ]; then
    mkdir -p "$1"
    cp "$2/package.json" "$2/package-lock.json" "$1/"
    (cd "$1" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  fi
}
install_node "$WORK/node" tests/web puppeteer-core
install_node "$WORK/bench-node" bench/web lighthouse

size_line() {  # name, files...
  local name=$1 raw=0 gz=0; shift
  for f in "$@"; do
    raw=$((raw + $(stat -c %s "$f")))
    gz=$((gz + $(gzip -9c "$f" | wc -c)))
  done
  printf "%-28s %10d bytes raw %10d bytes gzipped\n" "$name" "$raw" "$gz"
}
echo "== download of the browser version ($SITE/)"
for f in "$SITE"/*; do [ -f "$f" ] && size_line "$(basename "$f")" "$f"; done
mapfile -t DATA_FILES < <(find "$SITE/data" -type f | sort)
size_line "data/ (${#DATA_FILES[@]} files)" "${DATA_FILES[@]}"
mapfile -t ALL_FILES < <(find "$SITE" -type f | sort)
size_line "all" "${ALL_FILES[@]}"
if [ -z "$BUILT" ]; then
  echo "== the desktop's program and data (build-web.work/tools, Release)"
  NATIVE="$PWD/build-web.work/tools"
  cmake --build "$NATIVE" --target moxelpark >/dev/null
  TMP="$(mktemp -d)"
  trap 'rm -rf "$TMP"' EXIT
  strip -o "$TMP/moxelpark" "$NATIVE/moxelpark"
  tar -C "$NATIVE" -cf "$TMP/data.tar" data
  size_line "moxelpark (stripped)" "$TMP/moxelpark"
  size_line "data/ (as one tar file)" "$TMP/data.tar"
fi
echo "== in headless Chromium (software WebGL); load average $(cut -d' ' -f1-3 /proc/loadavg)"
NODE_PATH="$WORK/node/node_modules" node tests/web/measure.js "$SITE" "${1:-10}"
if [ -z "$BUILT" ]; then
  echo "== the desktop program on Xvfb (llvmpipe), 1280x720 screen"
  xvfb-run -a -s "-screen 0 1280x720x24" ./scripts/desktop-menu-time.sh "$NATIVE"
fi
echo "== as on a phone on a slow link (bench/web/load.js); load average $(cut -d' ' -f1-3 /proc/loadavg)"
NODE_PATH="$WORK/node/node_modules" node bench/web/load.js "$SITE" "$RUNS"
echo "== Lighthouse, mobile preset (bench/web/lighthouse.js)"
node bench/web/lighthouse.js "$SITE" "$WORK/bench-node/node_modules/lighthouse/cli/index.js" "$RUNS"
