#!/bin/sh
# The two set-ups: the player's installs only what building and playing need
# and configures without the tests; the developer's brings every test package
# (those of the packaging checks too); the browser build's brings the
# browsers only for its tests. Each names the options that differ, so
# they can share build/ without inheriting each other's cache.
# Usage: setup_test.sh SOURCE_DIR
set -eu
SETUP="$1/scripts/setup.sh"
play=$(MOXEL_SETUP_DRY_RUN=1 bash "$SETUP" --play)
dev=$(MOXEL_SETUP_DRY_RUN=1 bash "$SETUP")
status=0

# has LISTING LINE WORD: whether the line starting LINE holds WORD.
has() { printf '%s\n' "$1" | grep "^$2: " | tr ' ' '\n' | grep -qx -- "$3"; }
must() { if ! has "$1" "$2" "$3"; then echo "FAIL: $4 lacks $3"; status=1; fi; }
mustnt() { if has "$1" "$2" "$3"; then echo "FAIL: $4 has $3"; status=1; fi; }

for p in build-essential cmake ninja-build libglfw3-dev libgl-dev libgl1-mesa-dri libopenal-dev libstb-dev; do
  must "$play" packages "$p" "the player's set-up"
  must "$dev" packages "$p" "the developer's set-up"
done
for p in googletest libgtest-dev libbenchmark-dev valgrind clang libclang-rt-14-dev openbox imagemagick \
         xvfb xdotool vorbis-tools x11-xserver-utils lintian appstream dpkg-dev; do
  mustnt "$play" packages "$p" "the player's set-up"
  must "$dev" packages "$p" "the developer's set-up"
done
# The browser build installs the three engines only for its tests.
web=$(MOXEL_SETUP_DRY_RUN=1 bash "$1/scripts/web.sh")
webtest=$(MOXEL_SETUP_DRY_RUN=1 MOXEL_WEB_TEST=1 bash "$1/scripts/web.sh")
for p in emscripten libglfw3-dev libopenal-dev; do
  must "$web" packages "$p" "the browser build"
  must "$webtest" packages "$p" "the browser tests"
done
for p in chromium firefox-esr webkit2gtk-driver xvfb; do
  mustnt "$web" packages "$p" "the browser build"
  must "$webtest" packages "$p" "the browser tests"
done
must "$play" options -DMOXEL_TESTS=OFF "the player's set-up"
must "$play" options -DMOXEL_WERROR=OFF "the player's set-up"
must "$dev" options -DMOXEL_TESTS=ON "the developer's set-up"
must "$dev" options -DMOXEL_WERROR=ON "the developer's set-up"

if [ "$status" -eq 0 ]; then echo "the set-ups install and configure what they should"; fi
exit "$status"
