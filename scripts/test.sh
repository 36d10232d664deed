#!/usr/bin/env bash
# The test command (CI runs exactly this, through .ci/run):
#   1. set-up and build into build/ (scripts/setup.sh), then every test under a
#      private X server: unit, GL, audio, soak and end-to-end tests;
#   2. the sanitizer stage: the same suite on an AddressSanitizer and
#      UndefinedBehaviorSanitizer build in build-asan/ (scripts/sanitize.sh);
#   3. the fuzz stage: every fuzz target for a bounded time on a clang build in
#      build-fuzz/ (scripts/fuzz.sh; MOXEL_FUZZ_SECONDS per target, default 60).
# MOXEL_SKIP_HARDENING=1 runs step 1 only.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
(cd "${MOXEL_BUILD_DIR:-build}" &&
    xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j2 --timeout 600)

if [ "${MOXEL_SKIP_HARDENING:-0}" = 1 ]; then exit 0; fi
./scripts/sanitize.sh
if [ -x ./scripts/fuzz.sh ]; then
    ./scripts/fuzz.sh "${MOXEL_FUZZ_SECONDS:-60}"
fi
