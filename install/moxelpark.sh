#!/bin/sh
# moxelpark: starts the installed game in the player's own folder.
#
# The program reads ./data/ and keeps its settings and highscores in ./.vendlestate, both in its
# working directory. Installed, that directory is ${XDG_DATA_HOME:-$HOME/.local/share}/moxelpark:
# created on first start, with `data` there a symlink to the installed data. Each player keeps their
# own state and the install itself is never written to, so it may be read-only.
#
# The install is found from this script's own place (<prefix>/bin/moxelpark), never from a prefix
# fixed at build time, so an install into any prefix works and a moved one heals its link on the next
# start. The program replaces this shell (exec), so its exit status is the launcher's.
set -eu

fail() {
    echo "moxelpark: $*" >&2
    exit 1
}

# This script's real path, through any symlink to it (say /usr/games/moxelpark -> .../bin/moxelpark).
self=$0
case $self in
    */*) ;;
    *) self=$(command -v -- "$self") || fail "cannot find where the launcher is installed" ;;
esac
if real=$(readlink -f -- "$self" 2>/dev/null) && [ -n "$real" ]; then
    self=$real
fi
prefix=$(cd -P -- "$(dirname -- "$self")/.." && pwd -P) || fail "cannot enter the install folder"
program=$prefix/libexec/moxelpark/moxelpark
data=$prefix/share/moxelpark/data

[ -x "$program" ] || fail "the game is missing: $program"
[ -d "$data" ] || fail "the game's data is missing: $data"

# XDG: an unset, empty or relative XDG_DATA_HOME means the default under HOME.
case ${XDG_DATA_HOME:-} in
    /*) base=$XDG_DATA_HOME ;;
    *)
        [ -n "${HOME:-}" ] || fail "neither XDG_DATA_HOME nor HOME is set"
        base=$HOME/.local/share
        ;;
esac
home=$base/moxelpark

# Folders made for the player's state are the player's alone, as XDG asks.
(umask 077 && mkdir -p -- "$home") || fail "cannot create $home"

# `data` follows the install: made on first start, remade when it points elsewhere (an install
# moved, or a link left from an old one). A real folder there is the player's own doing: leave it.
link=$home/data
if [ -L "$link" ] && [ "$(readlink -- "$link")" != "$data" ]; then
    rm -f -- "$link"
fi
if [ ! -L "$link" ] && [ ! -e "$link" ]; then
    # A second start racing this one may make the same link first; the check below settles it.
    ln -s -- "$data" "$link" 2>/dev/null || true
fi
if [ -L "$link" ]; then
    [ "$(readlink -- "$link")" = "$data" ] || fail "cannot point $link to $data"
elif [ -e "$link" ]; then
    echo "moxelpark: $link is not a link to the installed data; using it as it is" >&2
else
    fail "cannot link $link to $data"
fi

cd -- "$home" || fail "cannot enter $home"
exec "$program" "$@"
