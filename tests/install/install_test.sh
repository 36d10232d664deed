#!/bin/sh
# install_test: the installed game as a player meets it.
#
#   install_test.sh <build-dir>
#
# Installs the build into a temporary prefix and makes the prefix read-only, checks the menu entry
# and the icons, then starts the launcher on a private X server (with openbox) from an unrelated
# folder, with HOME and XDG_DATA_HOME of its own: the game must run in the player's folder, play a
# game through the mouse and the keyboard, leave its state file there, close through the window
# manager and hand its exit status back. Then a second player, a symlinked launcher, an install that
# moved, and a failing start (no display, status 255) through the launcher. Nothing may change under
# the prefix.
set -eu

build=$(cd "$1" && pwd -P)
tmp=$(cd "$(mktemp -d /tmp/moxel-install.XXXXXX)" && pwd -P)
prefix=$tmp/prefix
moved=$tmp/moved
elsewhere=$tmp/elsewhere
xvfb_pid=
wm_pid=

# The window is 640x480 at its logical size, so these are logical coordinates too.
MENU_TYPE1_BUTTON="128 336"  # game type 1, landscape: (0.2 w, 0.7 h)
PAUSE_QUIT_BUTTON="180 184"  # pause panel at rest: (w/2 - 140, 248 - 64)
MENU_BLUE="srgb(0,0,80)"

cleanup() {
    [ -z "$wm_pid" ] || kill "$wm_pid" 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    chmod -R u+w "$tmp" 2>/dev/null || true
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

. "$(dirname "$0")/checks.sh"

die() {
    echo "FAIL: $*"
    for f in "$tmp"/*.log "$tmp"/game.out "$tmp"/game.err; do
        [ -s "$f" ] && { echo "--- $f"; tail -20 "$f"; }
    done
    exit 1
}

# wait_for SECONDS COMMAND...: polls every 0.1 s until COMMAND succeeds.
wait_for() {
    tries=$(($1 * 10))
    shift
    while [ "$tries" -gt 0 ]; do
        if "$@"; then return 0; fi
        sleep 0.1
        tries=$((tries - 1))
    done
    return 1
}

listing() {  # every path under a prefix, with mode, size and change time
    (cd "$1" && find . -exec stat -c '%n %a %s %Y' {} + | LC_ALL=C sort)
}

is_link_to() { [ -L "$1" ] && [ "$(readlink "$1")" = "$2" ]; }
same() { [ "$1" = "$2" ]; }

# --- Install into a temporary prefix --------------------------------------------------------------
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || die "cmake --install failed"
for f in bin/moxelpark libexec/moxelpark/moxelpark; do
    check "$f is installed and executable" test -x "$prefix/$f"
done
for f in share/moxelpark/data/gfx.png share/moxelpark/data/fonts/editundo.png \
    share/moxelpark/data/sfx/001.wav share/moxelpark/data/tesk_font.png; do
    check "$f is installed" test -f "$prefix/$f"
done

# --- Menu entry and icons -------------------------------------------------------------------------
desktop=$prefix/share/applications/moxelpark.desktop
check "the desktop entry is installed" test -f "$desktop"
validation=$(desktop-file-validate "$desktop" 2>&1) || true
check "desktop-file-validate is silent: $validation" same "$validation" ""
check "the entry starts the launcher of this prefix" grep -qxF "Exec=\"$prefix/bin/moxelpark\"" "$desktop"
check "the entry names the themed icon" grep -qx "Icon=moxelpark" "$desktop"
for size in 32 64 128; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/moxelpark.png
    dims=$(identify -format '%w %h' "$icon" 2>&1) || true
    check "icon $size is ${size}x${size} (got $dims)" same "$dims" "$size $size"
    # A picture, not a blank: opaque in the middle, transparent in the rounded corner.
    alphas=$(identify -format "%[fx:p{$((size / 2)),$((size / 2))}.a]/%[fx:p{0,0}.a]" "$icon" 2>&1) || true
    check "icon $size has a drawn tile (alpha middle/corner $alphas)" same "$alphas" "1/0"
done

# From here on the install is read-only and must stay as it is.
chmod -R a-w "$prefix"
listing "$prefix" >"$tmp/before.txt"

# --- A private X server with a window manager -----------------------------------------------------
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$tmp/display.txt" 2>"$tmp/xvfb.log" &
xvfb_pid=$!
wait_for 15 test -s "$tmp/display.txt" || die "Xvfb did not start"
DISPLAY=:$(head -n 1 "$tmp/display.txt")
export DISPLAY
HOME=$tmp/wm-home openbox >"$tmp/openbox.log" 2>&1 &
wm_pid=$!
wait_for 15 wmctrl -m >/dev/null 2>&1 || die "openbox did not start"

# --- Player 1 starts the launcher from an unrelated folder ----------------------------------------
mkdir -p "$elsewhere" "$tmp/home1" "$tmp/xdg1"
player1=$tmp/xdg1/moxelpark
(
    cd "$elsewhere" &&
        HOME=$tmp/home1 XDG_DATA_HOME=$tmp/xdg1 ALSOFT_DRIVERS=null "$prefix/bin/moxelpark" \
            >"$tmp/game.out" 2>"$tmp/game.err"
    echo $? >"$tmp/game.status"
) &

find_window() { wid=$(xdotool search --name '^Moxelpark$' 2>/dev/null | head -n 1) && [ -n "$wid" ]; }
wait_for 30 find_window || die "no Moxelpark window"
pid=$(xdotool getwindowpid "$wid") || die "the window has no process id"
check "the launcher runs the installed program" \
    same "$(readlink "/proc/$pid/exe")" "$prefix/libexec/moxelpark/moxelpark"
check "the game runs in the player's folder" same "$(readlink "/proc/$pid/cwd")" "$player1"
check "the player's data links to the installed data" is_link_to "$player1/data" "$prefix/share/moxelpark/data"

corner_colour() { import -window "$wid" -crop 1x1+2+2 -format '%[pixel:p{0,0}]' info: 2>/dev/null; }
menu_shown() { [ "$(corner_colour)" = "$MENU_BLUE" ]; }
# click X Y: a press long enough for the game's 60 Hz update to see it.
click() {
    xdotool mousemove --window "$wid" "$1" "$2" mousedown 1
    sleep 0.15
    xdotool mouseup 1
}

# One game: start type 1 from the menu, open the pause panel with Escape, quit from it; the game-over
# overlay then returns to the menu and saves.
wait_for 15 menu_shown || die "no menu on screen (corner $(corner_colour))"
sleep 1 # the menu slides in over 32 updates; its buttons reach their places after that
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
# shellcheck disable=SC2086
click $MENU_TYPE1_BUTTON
sleep 1
# Held across an update: the game reads the back action as a held key.
xdotool keydown Escape
sleep 0.15
xdotool keyup Escape
sleep 1
# shellcheck disable=SC2086
click $PAUSE_QUIT_BUTTON
state=$player1/.vendlestate
wait_for 10 test -s "$state" || die "no state saved after the game"
check "the state file is in the player's folder" test -s "$state"

# Close as a player does; the launcher hands back the program's status.
wmctrl -i -c "$wid"
wait_for 15 test -s "$tmp/game.status" || die "the game did not end after the close"
check "a closed game exits 0 through the launcher (got $(cat "$tmp/game.status"))" \
    same "$(cat "$tmp/game.status")" "0"
check "nothing is written in the starting folder ($(ls -A "$elsewhere"))" same "$(ls -A "$elsewhere")" ""
check "the game wrote no errors: $(cat "$tmp/game.err")" same "$(cat "$tmp/game.err")" ""

# --- Player 2: default XDG folder, launcher reached through a symlink, no display -----------------
mkdir -p "$tmp/home2" "$tmp/links"
ln -s "$prefix/bin/moxelpark" "$tmp/links/moxelpark"
status=0
(cd "$elsewhere" && env -u DISPLAY HOME="$tmp/home2" XDG_DATA_HOME= "$tmp/links/moxelpark") \
    >"$tmp/player2.out" 2>&1 || status=$?
check "a failed start exits 255 through the launcher (got $status)" same "$status" 255
check "the program itself reported it: $(cat "$tmp/player2.out")" grep -qx "glfwInit failed (.*DISPLAY.*)" "$tmp/player2.out"
player2=$tmp/home2/.local/share/moxelpark
check "player 2 gets ~/.local/share/moxelpark" is_link_to "$player2/data" "$prefix/share/moxelpark/data"
check "player 2 does not see player 1's state" test ! -e "$player2/.vendlestate"

# --- The install moves: the player's link follows it ----------------------------------------------
mv "$prefix" "$moved"
status=0
(cd / && env -u DISPLAY HOME="$tmp/home1" XDG_DATA_HOME="$tmp/xdg1" "$moved/bin/moxelpark") \
    >"$tmp/moved.out" 2>&1 || status=$?
check "the moved install starts (status $status)" same "$status" 255
check "the stale link is pointed at the moved data" is_link_to "$player1/data" "$moved/share/moxelpark/data"

# --- Nothing under the prefix changed --------------------------------------------------------------
listing "$moved" >"$tmp/after.txt"
if ! cmp -s "$tmp/before.txt" "$tmp/after.txt"; then
    echo "FAIL: the install changed:"
    diff "$tmp/before.txt" "$tmp/after.txt" || true
    failures=$((failures + 1))
fi

if [ "$failures" -gt 0 ]; then
    for f in "$tmp"/game.out "$tmp"/game.err "$tmp"/install.log; do
        [ -s "$f" ] && { echo "--- $f"; tail -20 "$f"; }
    done
    echo "$failures check(s) failed"
    exit 1
fi
echo "all install checks passed"
