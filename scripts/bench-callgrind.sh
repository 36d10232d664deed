#!/usr/bin/env bash
# The game's own cost per frame, counted by callgrind.
#
# Runs bench/moxel_frames (the real game in a real window on a private Xvfb,
# driven by a script over a virtual clock, so each pass is exactly one update
# and one render) under valgrind's callgrind, instrumenting only the measured
# frames, for the title menu at rest and for play with the ball in flight on
# hole 33 of type 3 (100 objects). For each it reports:
#   - instructions per frame by object file: the game's executable (all of our
#     code: runtime, host, devices, game) apart from libGL, llvmpipe, GLFW,
#     X, libc and libm;
#   - inclusive instructions per update of the game's update hook (its logic,
#     drawing helpers and the string work, with the malloc/free this calls);
#   - draw calls and vertices per frame from the graphics device's counters.
#
# Usage: scripts/bench-callgrind.sh [BUILD_DIR] [FRAMES]
#   BUILD_DIR defaults to build-bench (configured with the benchmarks on),
#   FRAMES to 100. Each scenario takes a few minutes: llvmpipe's rasterizer
#   runs under valgrind too. Output files stay in $OUT (default /tmp/moxel-callgrind).
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build-bench}" && pwd)"
FRAMES="${2:-100}"
OUT="${OUT:-/tmp/moxel-callgrind}"
FRAMES_BIN="$BUILD/bench/moxel_frames"
OBJECTS="$ROOT/scripts/callgrind-objects.py"

[ -x "$FRAMES_BIN" ] || { echo "build $FRAMES_BIN first (cmake --build $BUILD --target moxel_frames moxel_data)"; exit 1; }
mkdir -p "$OUT"

# One scenario: name, then moxel_frames arguments.
run() {
    local name="$1"
    shift
    local log="$OUT/$name.log" out="$OUT/$name.callgrind"
    echo "== $name: moxel_frames $* --frames $FRAMES"
    (cd "$BUILD" && xvfb-run -a -s "-screen 0 1024x768x24" \
        valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out" \
        "$FRAMES_BIN" "$@" --frames "$FRAMES" >"$log" 2>&1)
    grep -E '^(scenario|frames|draw_calls)' "$log" || true
    grep -E 'gave up' "$log" || true
    python3 "$OBJECTS" "$out" "$FRAMES" | awk -v bin="$FRAMES_BIN" '
        NR == 1 || /\(all\)/ || index($0, bin) || /swrast|\?\?\?|libc\.so|libm\.so|libglfw|libX11|libxcb/'
    callgrind_annotate --inclusive=yes --threshold=100 --auto=no "$out" 2>/dev/null |
        awk -v frames="$FRAMES" '
            /bb_Moxelpark_MyApp::m_OnUpdate\(\)|gxtkApp::InvokeOnUpdate\(\)|gxtkApp::InvokeOnRender\(\)|bb_Moxelpark_MyApp::m_Menu\(\)|bb_Moxelpark_MyApp::m_Game\(\)|gc_collect\(\)$/ {
                n = $1; gsub(",", "", n);
                fn = $0; sub(/^ *[0-9,]+ +\( *[0-9.]+%\) +[^:]*:/, "", fn); sub(/ \[.*/, "", fn);
                # Inlined pieces of a function are listed again under their
                # header; the first (largest) line is the function itself.
                if (!(fn in seen)) printf "%12.0f per frame inclusive  %s\n", n / frames, fn
                seen[fn] = 1
            }'
}

run menu menu
run play-hole33 play --hole 33
