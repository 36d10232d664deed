#!/usr/bin/env bash
# Refreshes the README's screenshots in docs/screenshots/ from the real game.
#
# The end-to-end player tests take them (the menu, and a hole of game type 2
# with the ball in flight) into <build>/screenshots/; this runs those two tests
# in build/ (or $MOXEL_BUILD_DIR, which must be a build with the tests, as
# scripts/setup.sh makes) and copies the pictures into the checkout. Running
# the tests alone never touches docs/.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD_DIR="${MOXEL_BUILD_DIR:-build}"
SHOTS="$BUILD_DIR/screenshots"
PLAYER_TEST="$BUILD_DIR/tests/e2e/e2e_player_test"
TESTS="PlayerTest.StartShowsTheWaitScreenThenTheMenu:PlayerTest.AGameByMouseShowsTheCourseAndTheStrokeFliesAndIsHeard"

cmake --build "$BUILD_DIR" --target e2e_player_test moxelpark moxel_data
[ -x "$PLAYER_TEST" ] || { echo "no $PLAYER_TEST: configure $BUILD_DIR with the tests (scripts/setup.sh)" >&2; exit 1; }
rm -f "$SHOTS"/menu.png "$SHOTS"/play.png
(cd "$BUILD_DIR" && xvfb-run -a -s "-screen 0 1024x768x24" "./tests/e2e/e2e_player_test" --gtest_filter="$TESTS")
mkdir -p docs/screenshots
for shot in menu.png play.png; do
    cp "$SHOTS/$shot" "docs/screenshots/$shot"
    echo "docs/screenshots/$shot"
done
