#!/usr/bin/env bash
# Sets everything up, then starts the game from build/, which holds data/.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cd "${MOXEL_BUILD_DIR:-build}"
exec ./moxelpark
