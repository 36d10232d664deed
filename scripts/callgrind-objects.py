#!/usr/bin/env python3
"""Self cost (instructions) per object file from a callgrind output file.

Usage: callgrind-objects.py CALLGRIND_OUT [FRAMES]

Prints each object's exclusive instruction count (and per frame when FRAMES is
given), largest first. Exclusive cost is the cost lines of a function's own
code; the line after a `calls=` line is the callee's inclusive cost and is not
counted for the caller. Names compressed as "(n) name" are expanded.
"""
import re
import sys


def main():
    path = sys.argv[1]
    frames = int(sys.argv[2]) if len(sys.argv) > 2 else 0
    names = {}
    current_ob = "?"
    fn_ob = "?"
    skip_next = False
    totals = {}
    events = None
    ob_re = re.compile(r"^(cfob|cob|ob)=(?:\((\d+)\))?\s*(.*)$")

    def expand(idx, rest):
        if idx is None:
            return rest
        if rest:
            names[idx] = rest
        return names.get(idx, rest)

    with open(path, errors="replace") as f:
        for line in f:
            if not line or line[0] == "#":
                continue
            c = line[0]
            if c.isdigit() or c in "+-*":
                if skip_next:
                    skip_next = False
                    continue
                parts = line.split()
                if len(parts) >= 2:
                    totals[fn_ob] = totals.get(fn_ob, 0) + int(parts[1])
                continue
            m = ob_re.match(line.rstrip("\n"))
            if m:
                key, idx, rest = m.groups()
                name = expand(idx, rest)
                if key == "ob":
                    current_ob = name
                    fn_ob = name
                # cob names the callee's object; it only matters for the
                # compression table, which expand() has updated.
                continue
            if line.startswith("fn="):
                fn_ob = current_ob
                continue
            if line.startswith("calls="):
                skip_next = True
                continue
            if line.startswith("events:"):
                events = line.split()[1:]

    grand = sum(totals.values())
    print(f"{'instructions':>15} {'per frame':>12} {'share':>6}  object")
    for ob, n in sorted(totals.items(), key=lambda kv: -kv[1]):
        per = f"{n / frames:12.0f}" if frames else " " * 12
        print(f"{n:15d} {per} {100.0 * n / max(grand, 1):5.1f}%  {ob}")
    per = f"{grand / frames:12.0f}" if frames else " " * 12
    print(f"{grand:15d} {per} 100.0%  (all)")


if __name__ == "__main__":
    main()
