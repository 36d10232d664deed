#!/usr/bin/env bash
# Whole-process figures of the real program against the bare floor.
#
# On one private Xvfb (1920x1080, with openbox so that a window can be
# iconified) it runs the game (build/moxelpark) and the bare floor
# (bench/moxel_floor: clear and swap at 60 a second) side by side for the same
# stretch, several times, alternating which starts first, and reports the
# medians of CPU time (user + system, from /proc/PID/stat, in % of one core
# over the stretch) and of peak resident memory (VmHWM). Scenarios:
#   menu       the title menu at rest
#   aim        type 3, the first hole, the hero aiming and nothing pressed
#   flight     type 3, a stroke played whenever the ball rests, so that it flies
#              (xdotool: the menu's type-3 button, then press inside the power
#              meter, drag down, release)
#   suspended  the game's window iconified (640x480 only; the floor is not)
#   redrawn    the menu drawn in every pass all the same, as whenever it moves
#              (bench/moxel_frames menu --redraw on the real clock: the game
#              and its host unchanged but for the skip)
# each in the 640x480 window the game opens and at 1920x1080, the size its F11
# gives on this screen (the floor then fills the screen the same way).
#
# Usage: scripts/bench-process.sh [BUILD_DIR] [RUNS] [SECONDS] [SCENARIO...]
#   defaults: build-bench, 5 runs, 10 s per stretch, every scenario at both
#   sizes; a scenario may be named as menu, menu@640x480 or menu@1920x1080.
#   Needs Xvfb, openbox and xdotool. With MOXEL_BENCH_SHOTS=DIR each stretch
#   leaves a screenshot of its end in DIR, to check that the script reached
#   the screen it measures.
# The machine's load average is printed with the figures: CPU shares taken on a
# busy machine are noisy; the medians damp that, they do not remove it.
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="$(cd "${1:-$ROOT/build-bench}" && pwd)"
RUNS="${2:-5}"
SECONDS_PER_RUN="${3:-10}"
shift $(($# < 3 ? $# : 3))
GAME="$BUILD/moxelpark"
FLOOR="$BUILD/bench/moxel_floor"
FRAMES_BIN="$BUILD/bench/moxel_frames"
for f in "$GAME" "$FLOOR" "$FRAMES_BIN"; do [ -x "$f" ] || { echo "missing $f: build moxelpark, moxel_floor, moxel_frames and moxel_data"; exit 1; }; done
[ -d "$BUILD/data" ] || { echo "missing $BUILD/data: build the moxel_data target"; exit 1; }

SMALL=640x480
LARGE=1920x1080
STRETCHES=()
if [ $# -eq 0 ]; then
    for scenario in menu aim flight; do STRETCHES+=("$scenario@$SMALL" "$scenario@$LARGE"); done
    STRETCHES+=("suspended@$SMALL" "redrawn@$SMALL" "redrawn@$LARGE")
else
    for s in "$@"; do
        case "$s" in
            *@*) STRETCHES+=("$s") ;;
            suspended) STRETCHES+=("suspended@$SMALL") ;;
            *) STRETCHES+=("$s@$SMALL" "$s@$LARGE") ;;
        esac
    done
fi

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
Xvfb "$DISPLAY" -screen 0 "${LARGE}x24" -noreset -nolisten tcp >/dev/null 2>&1 &
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

# Window pixels of a logical point in a W x H window: the game scales its
# logical screen by the larger of W/640 and H/480 (640x360 at 1920x1080).
# "lw" and "lh" in the expressions are the logical screen's size.
point() {
    local size="$1" x="$2" y="$3"
    awk -v w="${size%x*}" -v h="${size#*x}" "BEGIN {
        s = w / 640; if (h / 480 > s) s = h / 480; lw = w / s; lh = h / s;
        printf \"%d %d\n\", int(($x) * s + 0.999), int(($y) * s + 0.999) }"
}

# The menu's type-3 button at rest (0.6 w, 0.7 h); the power meter spans x from
# w - 128 and y from h/2 - 96: press near its top, drag down a strong stroke.
type3() { point "$1" "0.6 * lw" "0.7 * lh"; }
meter() { point "$1" "lw - 80" "lh / 2 - 90 + $2"; }

stroke() {
    local wid="$1" size="$2"
    xdotool mousemove --window "$wid" $(meter "$size" 0) mousedown 1
    for d in 30 60 90 120 150; do
        sleep 0.03
        xdotool mousemove --window "$wid" $(meter "$size" "$d")
    done
    sleep 0.05
    xdotool mouseup 1
}

# One stretch: starts game and floor (alternating the order), brings the game
# to the scenario, measures both over the same seconds, stops both.
measure() {
    local scenario="${1%@*}" size="${1#*@}" run="$2" floor_args=()
    [ "$size" = "$LARGE" ] && floor_args=(--fullscreen)
    local game_pid floor_pid
    local game_cmd=("$GAME")
    if [ "$scenario" = redrawn ]; then
        game_cmd=("$FRAMES_BIN" menu --redraw --pacing $((SECONDS_PER_RUN + 20)))
        [ "$size" = "$LARGE" ] && game_cmd+=(--fullscreen)
    fi
    start_game() { (cd "$WORK/game" && exec "${game_cmd[@]}" >/dev/null 2>&1) & game_pid=$!; PIDS+=("$game_pid"); }
    start_floor() { "$FLOOR" "${floor_args[@]}" >/dev/null 2>&1 & floor_pid=$!; PIDS+=("$floor_pid"); }
    if [ $((run % 2)) -eq 0 ]; then start_game; start_floor; else start_floor; start_game; fi

    local wid
    wid=$(window_of Moxelpark)
    sleep 3  # loading (one asset per update) and the menu's slide-in
    if [ "$size" = "$LARGE" ] && [ "$scenario" != redrawn ]; then
        xdotool windowactivate --sync "$wid" 2>/dev/null || true
        xdotool key --clearmodifiers F11
        sleep 3  # every image again at the factor of the large screen, and the slide-in
        local shape
        shape=$(xwininfo -id "$wid" | awk '/Width:/ {w = $2} /Height:/ {h = $2} END {print w "x" h}')
        [ "$shape" = "$LARGE" ] || echo "warning: the game's window is $shape, not $LARGE" >&2
    fi
    case "$scenario" in
        aim | flight)
            # Held for a few frames, as a hand clicks.
            xdotool mousemove --window "$wid" $(type3 "$size") mousedown 1
            sleep 0.1
            xdotool mouseup 1
            sleep 1
            ;;
        suspended)
            xdotool windowminimize "$wid"
            sleep 1
            ;;
    esac
    # Out of the way of every control; a pointer at rest changes nothing.
    [ "$scenario" = aim ] && xdotool mousemove --window "$wid" 1 1 && sleep 0.5
    [ "$scenario" = flight ] && stroke "$wid" "$size" && sleep 0.3

    local g0 f0 g1 f1 t0 t1
    t0=$(date +%s.%N)
    g0=$(cpu_ticks "$game_pid")
    f0=$(cpu_ticks "$floor_pid")
    if [ "$scenario" = flight ]; then
        # A stroke as soon as the ball rests keeps one in flight; presses
        # while it flies do nothing.
        local end
        end=$(awk -v t="$t0" -v d="$SECONDS_PER_RUN" 'BEGIN {printf "%.3f", t + d}')
        while awk -v e="$end" -v n="$(date +%s.%N)" 'BEGIN {exit !(n < e - 0.4)}'; do
            sleep 0.1
            stroke "$wid" "$size"
        done
        while awk -v e="$end" -v n="$(date +%s.%N)" 'BEGIN {exit !(n < e)}'; do sleep 0.05; done
    else
        sleep "$SECONDS_PER_RUN"
    fi
    g1=$(cpu_ticks "$game_pid")
    f1=$(cpu_ticks "$floor_pid")
    t1=$(date +%s.%N)
    if [ -n "${MOXEL_BENCH_SHOTS:-}" ]; then import -window root "$MOXEL_BENCH_SHOTS/$scenario@$size.$run.png"; fi
    share() { awk -v d="$1" -v t="$TICKS" -v a="$t0" -v b="$t1" 'BEGIN {printf "%.2f\n", 100 * d / t / (b - a)}'; }
    local key="$scenario@$size"
    share $((g1 - g0)) >>"$WORK/$key.game.cpu"
    share $((f1 - f0)) >>"$WORK/$key.floor.cpu"
    peak_kb "$game_pid" >>"$WORK/$key.game.rss"
    peak_kb "$floor_pid" >>"$WORK/$key.floor.rss"
    kill "$game_pid" "$floor_pid" 2>/dev/null || true
    wait "$game_pid" "$floor_pid" 2>/dev/null || true
    rm -f "$WORK/game/.vendlestate"
}

echo "machine: $(nproc) cores, $(awk -F': ' '/model name/ {print $2; exit}' /proc/cpuinfo)"
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
for run in $(seq "$RUNS"); do
    for stretch in "${STRETCHES[@]}"; do measure "$stretch" "$run"; done
done
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
echo
printf "%-20s %10s %11s %13s %14s  (medians of %d runs of %d s; CPU in %% of one core)\n" \
    scenario "game CPU%" "floor CPU%" "game peak MB" "floor peak MB" "$RUNS" "$SECONDS_PER_RUN"
for stretch in "${STRETCHES[@]}"; do
    printf "%-20s %10s %11s %13s %14s\n" "$stretch" \
        "$(median <"$WORK/$stretch.game.cpu")" "$(median <"$WORK/$stretch.floor.cpu")" \
        "$(median <"$WORK/$stretch.game.rss" | awk '{printf "%.1f", $1 / 1024}')" \
        "$(median <"$WORK/$stretch.floor.rss" | awk '{printf "%.1f", $1 / 1024}')"
done
echo "floor: the bare loop (clear and swap) at the same size, on the same X server; at 1920x1080 both fill the screen"
