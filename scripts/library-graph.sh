#!/usr/bin/env bash
# Prints which library links which, as `cmake --graphviz` sees them, for the
# program's own libraries: the layering ARCHITECTURE.md draws, read off the build.
#
# Usage: scripts/library-graph.sh [BUILD_DIR]   (default build/, configured already)
set -euo pipefail

ROOT="$(cd "$(dirname "$0")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
OUT="$(mktemp -d)"
trap 'rm -rf "$OUT"' EXIT
cmake --graphviz="$OUT/moxel.dot" "$BUILD" >/dev/null

# Node lines name a target; edge lines link two nodes, dotted for a private link.
awk '
    /\[ label = / {
        match($0, /"node[0-9]+"/); node = substr($0, RSTART + 1, RLENGTH - 2)
        match($0, /label = "[^"]+"/); name[node] = substr($0, RSTART + 9, RLENGTH - 10)
    }
    / -> / && /"node/ {
        split($0, part, "\""); from = part[2]; to = part[4]
        link = name[to]; if ($0 ~ /dotted/) link = link " (private)"
        if (from in links) link = ", " link
        links[from] = links[from] link
    }
    END {
        split("moxelpark moxel_game moxel_host moxel_graphics moxel_input moxel_audio moxel_hostbase moxel_runtime", order, " ")
        for (i = 1; i <= 8; ++i)
            for (n in name)
                if (name[n] == order[i]) printf "%-15s -> %s\n", order[i], (n in links) ? links[n] : "(nothing)"
    }' "$OUT/moxel.dot"
