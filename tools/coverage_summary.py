#!/usr/bin/env python3
"""Lines and branches reached per folder, from `llvm-cov export -summary-only`.

Usage: coverage_summary.py COVERAGE.json
The readers, track completion and the model each get a line; the other
folders of src/ are summed under "the rest" and listed below it.
"""
import json
import re
import sys

MAIN = ["src/reading", "src/compile", "src/model"]


def folder_of(path):
    # Sources sit directly in src/FOLDER/; paths may be absolute or relative.
    m = re.search(r"(?:^|/)(src/[^/]+)/[^/]+$", path)
    return m.group(1) if m else None


def main():
    data = json.load(open(sys.argv[1]))
    totals = {}
    for f in data["data"][0]["files"]:
        folder = folder_of(f["filename"])
        if folder is None:
            continue
        s = f["summary"]
        t = totals.setdefault(folder, [0, 0, 0, 0])
        t[0] += s["lines"]["covered"]
        t[1] += s["lines"]["count"]
        t[2] += s["branches"]["covered"]
        t[3] += s["branches"]["count"]

    def row(name, t):
        def pct(a, b):
            return f"{100.0 * a / b:6.1f}%" if b else "     -"
        return f"{name:<16} {t[0]:>6}/{t[1]:<6} {pct(t[0], t[1])}   {t[2]:>6}/{t[3]:<6} {pct(t[2], t[3])}"

    print(f"{'folder':<16} {'lines reached':>21}   {'branches reached':>21}")
    for name in MAIN:
        if name in totals:
            print(row(name, totals[name]))
    rest = [k for k in sorted(totals) if k not in MAIN]
    print(row("the rest", [sum(totals[k][i] for k in rest) for i in range(4)]))
    for name in rest:
        print(row("  " + name, totals[name]))
    print(row("all of src", [sum(t[i] for t in totals.values()) for i in range(4)]))


if __name__ == "__main__":
    main()
