#!/usr/bin/env bash
# Seconds from starting the desktop program to its menu on screen (the menu's
# blue in the window's corner), three times, on the X server of $DISPLAY.
# scripts/bench-web.sh runs it under its own Xvfb for the side-by-side figures.
# Usage: scripts/desktop-menu-time.sh BUILD_DIR   (needs xdotool and ImageMagick)
set -euo pipefail
cd "$1"
for run in 1 2 3; do
  t0=$(date +%s%N)
  ./moxelpark >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 1 1000); do
    id=$(xdotool search --name '^Moxelpark$' 2>/dev/null | head -1 || true)
    if [ -n "$id" ] &&
       import -window "$id" -crop 1x1+2+2 -depth 8 txt:- 2>/dev/null | grep -q '#000050'; then
      break
    fi
    sleep 0.02
  done
  t1=$(date +%s%N)
  echo "desktop start to the menu, run $run: $(( (t1 - t0) / 1000000 )) ms"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done
