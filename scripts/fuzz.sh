#!/usr/bin/env bash
# The fuzz stage: builds the libFuzzer targets of fuzz/ with clang into
# build-fuzz/ (or $MOXEL_FUZZ_DIR) and runs each for a bounded time.
#
# Usage: scripts/fuzz.sh [seconds-per-target] [target...]
#   seconds default 60; targets default: utf wav ogg image state kept replay.
# Each target starts from a seed corpus made from real files (the generated
# data in build-fuzz/data, a saved state, kept games) and keeps what it finds in
# build-fuzz/corpus/<target>, so longer or repeated runs go deeper. A crash,
# a sanitizer report, an input running over 1 s or an allocation over the
# target's limit stops the stage; the input is saved as
# build-fuzz/artifacts/<target>-crash-... (replay: build-fuzz/fuzz/<target>_fuzz FILE).
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT="$(pwd)"
SECONDS_PER_TARGET="${1:-60}"
shift || true
TARGETS=("$@")
if [ ${#TARGETS[@]} -eq 0 ]; then TARGETS=(utf wav ogg image state kept replay); fi
BUILD_DIR="${MOXEL_FUZZ_DIR:-build-fuzz}"
JOBS=()
if [ -n "${MOXEL_JOBS:-}" ]; then JOBS=(-j "$MOXEL_JOBS"); fi

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMOXEL_FUZZ=ON -DMOXEL_TESTS=OFF >/dev/null
cmake --build "$BUILD_DIR" --target fuzz_all "${JOBS[@]}"

B="$ROOT/$BUILD_DIR"
DATA="$B/data"
SEEDS="$B/seeds"
rm -rf "$SEEDS"
mkdir -p "$SEEDS"/{utf,wav,ogg,image,state,kept,replay} "$B/artifacts"

# ---- Seeds, from real files ----
(cd "$SEEDS/state" && "$B/fuzz/state_seed" >/dev/null && mv .vendlestate saved.state)
(cd "$SEEDS/kept" && "$B/fuzz/kept_seed" >/dev/null)
# The golden replays, as texts and as the bytes behind them (checksum left off:
# the target signs the bytes itself).
n=0
grep -v '^#' tests/game/golden_replays.txt | while read -r _ _ text; do
    n=$((n + 1))
    printf '%s' "$text" >"$SEEDS/replay/golden-$n.txt"
    pad=$(( (4 - ${#text} % 4) % 4 ))
    printf '%s%s' "$text" "$(printf '=%.0s' $(seq 1 $pad))" | tr '_-' '/+' | base64 -d 2>/dev/null |
        head -c -4 >"$SEEDS/replay/golden-$n.bin" || true
done
cp "$SEEDS/state/saved.state" "$SEEDS/utf/"
printf 'Moxelpark|12|' >"$SEEDS/utf/ascii"
printf '\xef\xbb\xbfGr\xc3\xbcn \xe2\x82\xac|' >"$SEEDS/utf/utf8-bom"
printf '\xff\xfeM\x00x\x00\xac\x20' >"$SEEDS/utf/utf16le"
printf '\xfe\xff\x00M\xd8\x3d\xde\x00' >"$SEEDS/utf/utf16be"
cp "$DATA"/sfx/010.wav "$DATA"/sfx/011.wav "$SEEDS/wav/"
oggenc -Q -q 0 -o "$SEEDS/ogg/011.ogg" "$DATA/sfx/011.wav"
oggenc -Q -q 2 --resample 8000 -o "$SEEDS/ogg/010-8k.ogg" "$DATA/sfx/010.wav"
cp "$DATA"/parts.png "$DATA"/logo.png "$DATA"/gfx.png "$DATA"/tesk_font.png "$SEEDS/image/"
# PNG's other colour types and depths, made from the same art.
convert "$DATA/parts.png" -colorspace Gray "$SEEDS/image/parts-gray.png"
convert "$DATA/parts.png" -colorspace Gray -alpha on "$SEEDS/image/parts-gray-alpha.png"
convert "$DATA/parts.png" -alpha off "$SEEDS/image/parts-rgb.png"
convert "$DATA/parts.png" -depth 16 "$SEEDS/image/parts-16bit.png"
convert "$DATA/parts.png" -colors 16 "PNG8:$SEEDS/image/parts-palette.png"

# Inputs that once failed a target are replayed first, every run.
for t in utf wav ogg image state kept replay; do
    if [ -d "fuzz/regressions/$t" ]; then cp "fuzz/regressions/$t"/* "$SEEDS/$t/"; fi
done

# ---- Limits per target: largest input (bytes) and largest allocation (MB) ----
# Readers of uncompressed data may allocate a small multiple of the input;
# decoders of compressed data (PNG's deflate, Vorbis) are held to their own
# bounds (see graphics/surface.cpp and audio/ogg_reader.cpp).
declare -A MAX_LEN=([utf]=65536 [wav]=65536 [ogg]=65536 [image]=65536 [state]=16384 [kept]=16384 [replay]=4096)
declare -A MALLOC_MB=([utf]=16 [wav]=16 [ogg]=2048 [image]=256 [state]=64 [kept]=64 [replay]=64)
# NOTE: stb_vorbis asks malloc for sizes read from a damaged setup header (up
# to 2^64 bytes). In the game malloc then fails and the open fails cleanly;
# here the Ogg target lets such requests return null the same way, and its
# allocation limit is the memory limit. The game's own sounds are WAV files.
declare -A ASAN_EXTRA=([ogg]=":allocator_may_return_null=1")
# The program's own output is closed (stdout; for the kept target stderr too,
# where it reports every unreadable input); libFuzzer and the sanitizers
# still report on a copy of stderr.
declare -A CLOSE_FD=([kept]=3)

# Leaks in the decoders' own code are suppressed narrowly, as in the sanitizer stage.
export LSAN_OPTIONS="suppressions=$ROOT/tests/sanitizers/lsan.supp:print_suppressions=0"

status=0
for t in "${TARGETS[@]}"; do
    corpus="$B/corpus/$t"
    mkdir -p "$corpus"
    echo "== fuzzing $t for ${SECONDS_PER_TARGET}s"
    if ! ASAN_OPTIONS="${ASAN_OPTIONS:-}${ASAN_EXTRA[$t]:-}" "$B/fuzz/${t}_fuzz" "$corpus" "$SEEDS/$t" \
        -max_total_time="$SECONDS_PER_TARGET" -timeout=1 \
        -max_len="${MAX_LEN[$t]}" -malloc_limit_mb="${MALLOC_MB[$t]}" -rss_limit_mb=2048 \
        -artifact_prefix="$B/artifacts/$t-" -close_fd_mask="${CLOSE_FD[$t]:-1}" -print_final_stats=1 \
        2>"$B/artifacts/$t.log"; then
        echo "fuzz target $t failed:"
        grep -v '^#[0-9]' "$B/artifacts/$t.log" | tail -60
        status=1
    else
        grep -E '^stat::(number_of_executed_units|peak_rss_mb)|^Done' "$B/artifacts/$t.log" || true
    fi
done
if [ "$status" -ne 0 ]; then
    echo "Fuzz stage failed."
    exit 1
fi
echo "Fuzz stage: no crash, leak, timeout or oversized allocation."
