#!/usr/bin/env bash
# The sanitizer stage of the test command: builds the whole project with
# AddressSanitizer (with LeakSanitizer) and UndefinedBehaviorSanitizer into
# build-asan/ (or $MOXEL_ASAN_DIR) and runs every test there under a private X
# server: unit, GL, audio, soak and end-to-end tests, the last with the
# instrumented program.
#
# Reports go to files under build-asan/sanitizer-logs/, so a report from a
# program an end-to-end test started (whose stderr the test may not show) is
# caught as well: any report fails the stage and is printed.
#
# Leaks: the collector keeps every live object reachable from globals, so a
# leak reported in our code is real. Leaks inside system libraries (Mesa,
# GLFW, OpenAL, X11) are suppressed narrowly in tests/sanitizers/lsan.supp.
#
# Usage: scripts/sanitize.sh [ctest arguments...], e.g. -R Surface
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
BUILD_DIR="${MOXEL_ASAN_DIR:-build-asan}"
JOBS=()
if [ -n "${MOXEL_JOBS:-}" ]; then JOBS=(-j "$MOXEL_JOBS"); fi

# Debug keeps every check and exact stack traces; -O0 also keeps the suite's
# timings close to the plain build's on a slow machine.
cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DMOXEL_SANITIZE=ON -DMOXEL_TESTS=ON -DMOXEL_WERROR=ON \
    >/dev/null
cmake --build "$BUILD_DIR" "${JOBS[@]}"

LOGS="$ROOT/$BUILD_DIR/sanitizer-logs"
rm -rf "$LOGS"
mkdir -p "$LOGS"
# halt_on_error: the first report ends the process with a failing status.
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$LOGS/asan"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1:log_path=$LOGS/ubsan"
export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"

status=0
(cd "$BUILD_DIR" && xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure -j "${MOXEL_JOBS:-2}" --timeout 900 "$@") || status=$?

shopt -s nullglob
reports=("$LOGS"/*)
if [ ${#reports[@]} -gt 0 ]; then
    echo "Sanitizer reports:"
    for r in "${reports[@]}"; do
        echo "==== $r"
        cat "$r"
    done
    status=1
fi
if [ "$status" -ne 0 ]; then
    echo "Sanitizer stage failed."
    exit "$status"
fi
echo "Sanitizer stage: every test passed with no report."
