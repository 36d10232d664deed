#!/usr/bin/env bash
# The browser tests (scripts/test.sh runs them after the desktop suite): builds
# the browser version and the probe page (scripts/web.sh, warnings as errors),
# installs puppeteer-core from the lock file into build-web.work/node (it
# drives Debian's chromium; no browser is downloaded), and plays the game in
# headless Chromium (tests/web/web_test.js), then plays the core journey in
# the other engines, Firefox and WebKit, each on a private X server
# (tests/web/engines_test.js; MOXEL_WEB_ENGINES picks others, "" none). The
# probe picture is compared with the one the desktop's GL test kept in the
# desktop build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${MOXEL_BUILD_DIR:-build}"
WORK="$PWD/build-web.work"

MOXEL_WEB_TEST=1 MOXEL_WEB_WERROR=ON MOXEL_WEB_NATIVE_BUILD="$BUILD_DIR" ./scripts/web.sh >/dev/null

mkdir -p "$WORK/node"
cp tests/web/package.json tests/web/package-lock.json "$WORK/node/"
if ! cmp -s tests/web/package-lock.json "$WORK/node/.installed-lock" 2>/dev/null; then
  (cd "$WORK/node" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --loglevel=error)
  cp tests/web/package-lock.json "$WORK/node/.installed-lock"
fi

PROBE_PIXELS="$BUILD_DIR/probe-scene.txt"
ARGS=(build-web)
if [ -f "$PROBE_PIXELS" ]; then
  ARGS+=("$WORK/probe" "$PROBE_PIXELS")
else
  echo "no desktop probe pixels in $PROBE_PIXELS: run the GL tests first" >&2
  exit 1
fi
export NODE_PATH="$WORK/node/node_modules"
status=0
echo "== browser tests (headless Chromium)"
node tests/web/web_test.js "${ARGS[@]}" || status=1
ENGINES="${MOXEL_WEB_ENGINES-firefox webkit}"
if [ -n "$ENGINES" ]; then
  echo "== the core journey in the other engines ($ENGINES)"
  # shellcheck disable=SC2086  # one word an engine
  node tests/web/engines_test.js "${ARGS[@]}" $ENGINES || status=1
fi
exit "$status"
