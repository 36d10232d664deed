#!/usr/bin/env bash
# Whole-process figures of the real program against the floors.
#
# On one private Xvfb (1024x768, with openbox so that a window can be
# iconified) it runs the game (build/moxelpark) and a floor (bench/moxel_floor)
# side by side for the same stretch, several times, alternating which starts
# first, and reports the medians of CPU time (user + system, from
# /proc/PID/stat, in % of one core over the stretch) and of peak resident
# memory (VmHWM) for three scenarios:
#   menu       the title menu at rest           floor: the loop with three blended textured quads
#   play       type 3, ball in flight           floor: the bare loop (clear and swap)
#              (xdotool: the menu's type-3 button, then press inside the power
#              meter, drag down, release; repeated so the ball keeps flying)
#   suspended  the game's window iconified      floor: the bare loop, not iconified (for reference)
#
# Usage: scripts/bench-process.sh [BUILD_DIR] [RUNS] [SECONDS]
#   defaults: build-bench, 5 runs, 10 s per stretch. Needs Xvfb, openbox and xdotool.
# The machine's load average is printed with the figures: CPU shares taken on a
# busy machine are noisy; the medians damp that, they do not remove it.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build-bench}" && pwd)"
RUNS="${2:-5}"
SECONDS_PER_RUN="${3:-10}"
GAME="$BUILD/moxelpark"
FLOOR="$BUILD/bench/moxel_floor"
for f in "$GAME" "$FLOOR"; do [ -x "$f" ] || { echo "missing $f: build moxelpark, moxel_floor and moxel_data"; exit 1; }; done
[ -d "$BUILD/data" ] || { echo "missing $BUILD/data: build the moxel_data target"; exit 1; }

TICKS=$(getconf CLK_TCK)
WORK=$(mktemp -d /tmp/moxel-process.XXXXXX)
PIDS=()
cleanup() {
    for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

# ---------------------------------------------------------------------------
# The X server and the window manager.
DISPLAY_NUM=99
while [ -e "/tmp/.X${DISPLAY_NUM}-lock" ]; do DISPLAY_NUM=$((DISPLAY_NUM + 1)); done
export DISPLAY=":$DISPLAY_NUM"
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
PIDS+=($!)
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

# The game runs in its own working directory: data/ from the build, a fresh state file.
mkdir -p "$WORK/game"
ln -s "$BUILD/data" "$WORK/game/data"

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
peak_kb() { awk '/^VmHWM:/ {print $2}' "/proc/$1/status"; }
median() { sort -n | awk '{a[NR] = $1} END {if (NR % 2) print a[(NR + 1) / 2]; else printf "%.2f\n", (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }

# Waits for a window whose name matches exactly; prints its id.
window_of() {
    for _ in $(seq 100); do
        local id
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1 || true)
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    echo "no window named $1" >&2
    exit 1
}

# Positions on the nominal 640x480 window (one pixel per logical unit).
TYPE3_X=384 TYPE3_Y=336         # the menu's type-3 button at rest
METER_X=560 METER_TOP=150 METER_LOW=300  # inside the power meter, dragged down

stroke() {
    local wid="$1"
    xdotool mousemove --window "$wid" "$METER_X" "$METER_TOP" mousedown 1
    for y in 180 210 240 270 "$METER_LOW"; do
        sleep 0.03
        xdotool mousemove --window "$wid" "$METER_X" "$y"
    done
    sleep 0.05
    xdotool mouseup 1
}

# One stretch: starts game and floor (alternating the order), brings the game
# to the scenario, measures both over the same seconds, stops both.
measure() {
    local scenario="$1" run="$2" floor_args=()
    [ "$scenario" = menu ] && floor_args=(--quads)
    local game_pid floor_pid
    start_game() { (cd "$WORK/game" && exec "$GAME" >/dev/null 2>&1) & game_pid=$!; PIDS+=("$game_pid"); }
    start_floor() { "$FLOOR" "${floor_args[@]}" >/dev/null 2>&1 & floor_pid=$!; PIDS+=("$floor_pid"); }
    if [ $((run % 2)) -eq 0 ]; then start_game; start_floor; else start_floor; start_game; fi

    local wid
    wid=$(window_of Moxelpark)
    sleep 3  # loading (one asset per update) and the menu's slide-in
    case "$scenario" in
        play)
            # Held for a few frames, as a hand clicks.
            xdotool mousemove --window "$wid" "$TYPE3_X" "$TYPE3_Y" mousedown 1
            sleep 0.1
            xdotool mouseup 1
            sleep 1
            stroke "$wid"
            sleep 0.5
            ;;
        suspended)
            xdotool windowminimize "$wid"
            sleep 1
            ;;
    esac

    local g0 f0 g1 f1 t0 t1
    t0=$(date +%s.%N)
    g0=$(cpu_ticks "$game_pid")
    f0=$(cpu_ticks "$floor_pid")
    if [ "$scenario" = play ]; then
        # A stroke every few seconds keeps a ball in flight; presses while the
        # ball flies do nothing.
        local left="$SECONDS_PER_RUN"
        while [ "$left" -gt 4 ]; do
            sleep 4
            left=$((left - 4))
            stroke "$wid"
        done
        sleep "$left"
    else
        sleep "$SECONDS_PER_RUN"
    fi
    g1=$(cpu_ticks "$game_pid")
    f1=$(cpu_ticks "$floor_pid")
    t1=$(date +%s.%N)
    share() { awk -v d="$1" -v t="$TICKS" -v a="$t0" -v b="$t1" 'BEGIN {printf "%.2f\n", 100 * d / t / (b - a)}'; }
    share $((g1 - g0)) >>"$WORK/$scenario.game.cpu"
    share $((f1 - f0)) >>"$WORK/$scenario.floor.cpu"
    peak_kb "$game_pid" >>"$WORK/$scenario.game.rss"
    peak_kb "$floor_pid" >>"$WORK/$scenario.floor.rss"
    kill "$game_pid" "$floor_pid" 2>/dev/null || true
    wait "$game_pid" "$floor_pid" 2>/dev/null || true
    rm -f "$WORK/game/.vendlestate"
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$RUNS"); do
    for scenario in menu play suspended; do measure "$scenario" "$run"; done
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf "%-10s %12s %12s %14s %14s  (medians of %d runs of %d s; CPU in %% of one core)\n" \
    scenario "game CPU%" "floor CPU%" "game peak MB" "floor peak MB" "$RUNS" "$SECONDS_PER_RUN"
for scenario in menu play suspended; do
    printf "%-10s %12s %12s %14s %14s\n" "$scenario" \
        "$(median <"$WORK/$scenario.game.cpu")" "$(median <"$WORK/$scenario.floor.cpu")" \
        "$(median <"$WORK/$scenario.game.rss" | awk '{printf "%.1f", $1 / 1024}')" \
        "$(median <"$WORK/$scenario.floor.rss" | awk '{printf "%.1f", $1 / 1024}')"
done
echo "floor: menu against the loop with three blended textured quads (--quads), play and suspended against the bare loop"
