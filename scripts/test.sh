#!/usr/bin/env bash
# Sets everything up, then runs every test: unit, GL and end-to-end tests under
# a private X server, and the same suite again on a sanitizer build.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cd "${MOXEL_BUILD_DIR:-build}"
xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j2 --timeout 600
