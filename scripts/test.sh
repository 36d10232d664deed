#!/usr/bin/env bash
# The test command (CI runs exactly this, through .ci/run):
#   1. the developer's set-up and build into build/ (scripts/setup.sh: every
#      package the tests need, tests on, warnings as errors), then every test
#      under a private X server: unit, GL, audio, soak and end-to-end tests;
#      then the browser version, built and played in headless Chromium
#      (scripts/web-test.sh);
#   2. the release build: a GCC Release configuration with the tests and
#      warnings as errors, built (not run) in build-release/ (or
#      $MOXEL_RELEASE_DIR), since -O3 brings warnings the default build does
#      not;
#   3. the sanitizer stage: the same suite on an AddressSanitizer and
#      UndefinedBehaviorSanitizer build in build-asan/ (scripts/sanitize.sh);
#   4. the fuzz stage: every fuzz target for a bounded time on a clang build in
#      build-fuzz/ (scripts/fuzz.sh; MOXEL_FUZZ_SECONDS per target, default 60).
# MOXEL_SKIP_HARDENING=1 runs step 1 only (the browser tests included).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
(cd "${MOXEL_BUILD_DIR:-build}" &&
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j2 --timeout 600)
./scripts/web-test.sh

if [ "${MOXEL_SKIP_HARDENING:-0}" = 1 ]; then exit 0; fi
JOBS=()
if [ -n "${MOXEL_JOBS:-}" ]; then JOBS=(-j "$MOXEL_JOBS"); fi
RELEASE_DIR="${MOXEL_RELEASE_DIR:-build-release}"
echo "== release build in $RELEASE_DIR (GCC, Release, tests, warnings as errors)"
CC=gcc CXX=g++ cmake -S . -B "$RELEASE_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DMOXEL_TESTS=ON -DMOXEL_WERROR=ON -DMOXEL_BENCH=OFF >/dev/null
cmake --build "$RELEASE_DIR" "${JOBS[@]}"

./scripts/sanitize.sh
if [ -x ./scripts/fuzz.sh ]; then
    ./scripts/fuzz.sh "${MOXEL_FUZZ_SECONDS:-60}"
fi
