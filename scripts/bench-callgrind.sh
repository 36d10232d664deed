#!/usr/bin/env bash
# The game's own cost per frame, counted by callgrind.
#
# Runs bench/moxel_frames (the real game in a real window on a private Xvfb,
# driven by a script over a virtual clock, so each pass is exactly one update
# and one render) under valgrind's callgrind, instrumenting only the measured
# passes, for the title menu at rest, for the hero aiming with nothing pressed
# (both draw no frame: the picture stays on screen), for play with the ball in
# flight on hole 33 of type 3 (100 objects), and for the menu (drawn every
# pass, as whenever it moves: --redraw) and a flight on hole 1 in a 1920x1080
# window, where llvmpipe's fill is most of the cost.
# For each it reports:
#   - instructions per pass by object file: the game's executable (all of our
#     code: runtime, host, devices, game) apart from libGL, llvmpipe, GLFW,
#     X, libc and libm;
#   - inclusive instructions per pass of the game's update hook (its logic,
#     drawing helpers and the string work, with the malloc/free this calls)
#     and of the render (zero where no frame is drawn);
#   - draw calls and vertices per frame drawn from the graphics device's counters.
# Passes are updates: with the virtual clock every pass runs one.
#
# Usage: scripts/bench-callgrind.sh [BUILD_DIR] [FRAMES]
#   BUILD_DIR defaults to build-bench (configured with the benchmarks on),
#   FRAMES to 100 (a fifth of it at 1920x1080). Each scenario takes a few
#   minutes: llvmpipe's rasterizer runs under valgrind too. Output files stay in
#   $OUT (default /tmp/moxel-callgrind). The objects listed as "???" are the
#   code llvmpipe compiles at run time (its shaders and rasterizer).
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build-bench}" && pwd)"
FRAMES="${2:-100}"
OUT="${OUT:-/tmp/moxel-callgrind}"
FRAMES_BIN="$BUILD/bench/moxel_frames"
OBJECTS="$ROOT/scripts/callgrind-objects.py"

[ -x "$FRAMES_BIN" ] || { echo "build $FRAMES_BIN first (cmake --build $BUILD --target moxel_frames moxel_data)"; exit 1; }
mkdir -p "$OUT"

# One scenario: name, passes, then moxel_frames arguments.
run() {
    local name="$1" frames="$2"
    shift 2
    local log="$OUT/$name.log" out="$OUT/$name.callgrind"
    echo "== $name: moxel_frames $* --frames $frames"
    (cd "$BUILD" && xvfb-run -a -s "-screen 0 1920x1080x24" \
        valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file="$out" \
        "$FRAMES_BIN" "$@" --frames "$frames" >"$log" 2>&1)
    grep -E '^(scenario|size|draw_calls)' "$log" || true
    grep -E 'gave up' "$log" || true
    python3 "$OBJECTS" "$out" "$frames" | awk -v bin="$FRAMES_BIN" '
        NR == 1 || /\(all\)/ || index($0, bin) || /swrast|\?\?\?|libc\.so|libm\.so|libglfw|libX11|libxcb/'
    callgrind_annotate --inclusive=yes --threshold=100 --auto=no "$out" 2>/dev/null |
        awk -v frames="$frames" '
            /bb_Moxelpark_MyApp::m_OnUpdate\(\)|gxtkApp::InvokeOnUpdate\(\)|gxtkApp::InvokeOnRender\(\)|bb_Moxelpark_MyApp::m_Menu\(\)|bb_Moxelpark_MyApp::m_Game\(\)|gc_collect\(\)$/ {
                n = $1; gsub(",", "", n);
                fn = $0; sub(/^ *[0-9,]+ +\( *[0-9.]+%\) +[^:]*:/, "", fn); sub(/ \[.*/, "", fn);
                # Inlined pieces of a function are listed again under their
                # header; the first (largest) line is the function itself.
                if (!(fn in seen)) printf "%12.0f per pass inclusive  %s\n", n / frames, fn
                seen[fn] = 1
            }'
}

LARGE_FRAMES=$(((FRAMES + 4) / 5))
run menu "$FRAMES" menu
run aim "$FRAMES" aim
run play-hole33 "$FRAMES" play --hole 33
run menu-1080 "$LARGE_FRAMES" menu --size 1920x1080 --redraw
run play-1080 "$LARGE_FRAMES" play --size 1920x1080
