#!/usr/bin/env python3
"""Times `decompile` and `diff` of the generated 1,000,000 m route against
its `compile`, and prints the figures beside the goals: decompile within 3x
the time of compile, diff of two such routes within 2x.

    tools/bench_author.py --program BIN [--reps N]

Each figure is the median of N runs, wall time and CPU time (user + system
of the child). diff is timed on two equal copies and on a copy with one
edited description line (a curve of another class, so the plans differ).
Standard library only.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def timed(cmd, reps, expect):
    walls, cpus = [], []
    for _ in range(reps):
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        status = subprocess.run(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL).returncode
        walls.append(time.perf_counter() - start)
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
        cpus.append((after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime))
        if status != expect:
            sys.exit(f"{' '.join(cmd)}: exit status {status}, expected {expect}")
    return statistics.median(walls), statistics.median(cpus)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--program", required=True)
    ap.add_argument("--reps", type=int, default=7)
    args = ap.parse_args()
    prog = os.path.abspath(args.program)
    work = tempfile.mkdtemp(prefix="sb-bench-author-")
    try:
        src, out, dec, edited, edited_out = (os.path.join(work, d) for d in ("src", "out", "dec", "edited", "edited_out"))
        for d in (src, out, dec, edited, edited_out):
            os.makedirs(d)
        subprocess.run([sys.executable, os.path.join(HERE, "gen_route.py"), src], check=True, stdout=subprocess.DEVNULL)
        line, service = os.path.join(src, "BENCH_linea.txt"), os.path.join(src, "BENCH_TR1-.txt")
        compile_cmd = [prog, "compile", line, service, "-o", out, "--route", "BENCH", "--train", "TR1", "-q"]
        subprocess.run(compile_cmd, check=True)
        copy = os.path.join(work, "copy")
        shutil.copytree(out, copy)

        # One curve of another class: the plans part from there on.
        with open(line, "rb") as f:
            text = f.read()
        start = text.index(b"curva")
        digit = start + text[start:].index(b",") - 1
        text = text[:digit] + (b"5" if text[digit:digit + 1] != b"5" else b"4") + text[digit + 1:]
        with open(os.path.join(edited, "BENCH_linea.txt"), "wb") as f:
            f.write(text)
        subprocess.run([prog, "compile", os.path.join(edited, "BENCH_linea.txt"), service, "-o", edited_out,
                        "--route", "BENCH", "--train", "TR1", "-q"], check=True)

        figures = [
            ("compile", timed(compile_cmd, args.reps, 0)),
            ("decompile", timed([prog, "decompile", out, "-o", dec], args.reps, 0)),
            ("diff, equal", timed([prog, "diff", out, copy], args.reps, 0)),
            ("diff, one curve", timed([prog, "diff", out, edited_out], args.reps, 1)),
        ]
        base_wall, base_cpu = figures[0][1]
        goals = {"decompile": 3.0, "diff, equal": 2.0, "diff, one curve": 2.0}
        print(f"1,000,000 m route, median of {args.reps} runs")
        print(f"{'':18}{'wall s':>9}{'cpu s':>9}{'x compile (wall)':>18}{'goal':>7}")
        for name, (wall, cpu) in figures:
            ratio = wall / base_wall
            goal = goals.get(name)
            mark = "" if goal is None else (f"<= {goal:g}x " + ("met" if ratio <= goal else "NOT met"))
            print(f"{name:18}{wall:9.3f}{cpu:9.3f}{ratio:18.2f}   {mark}")
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
