#!/usr/bin/env bash
# Installs what building and playing need (scripts/setup.sh --play: no test
# packages, no tests), builds into build/, which holds data/, and starts the
# game there.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh --play
cd "${MOXEL_BUILD_DIR:-build}"
exec ./moxelpark
