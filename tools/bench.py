#!/usr/bin/env python3
"""Times whole runs of scenario-builder against the cost of writing its output.

    tools/bench.py --program BIN --tools DIR --inputs DIR [--also LABEL=BIN ...] [--reps N]

Measured, each N times, round-robin so every case sees the same machine state:
  startup   the program without arguments in a fresh directory (the embedded scenario)
  compile   `compile` of the generated route in DIR into a fresh directory
  cp        `cp` of the same compiled files into a fresh directory
  replace   `compile` into a directory that already holds its compiled files
            (what `watch` does all day), beside `cp` over existing copies
  write     the write_once helper: each file written with one write() call
  write+fsync  the same, each file flushed to the disk before it is closed;
            for reference only
Each command is started by the run_timed helper (both helpers are in the
--tools directory), which measures from fork to exit and reads the child's
peak resident memory.
Every extra --also binary is timed the same way, so a "before" build can be
compared with the current one in one run. Prints median, min and max wall
time, peak resident memory, and the ratios to the two baselines.
"""

import argparse
import filecmp
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

MIB = 1024 * 1024

LINE = "BENCH_linea.txt"
SERVICE = "BENCH_TR1-.txt"
COMPILED_ROUTE = ["BENCH_linea.dat", "BENCH_TR1.sim", "BENCH_TR1.dat"]
COMPILED_STARTUP = ["ORSEA_MONTELBA_linea.dat", "ORSEA_MONTELBA_RX17.sim", "ORSEA_MONTELBA_RX17.dat"]


RUN_TIMED = None  # path of the run_timed helper


def timed(argv, cwd):
    """Runs argv in cwd to its end; returns (wall seconds, CPU seconds, peak RSS in bytes)."""
    done = subprocess.run([RUN_TIMED, cwd, *argv], stdin=subprocess.DEVNULL, capture_output=True, text=True)
    fields = done.stdout.split()
    if done.returncode != 0 or len(fields) != 4 or fields[3] != "0":
        sys.exit(f"bench: {' '.join(argv)} failed: {done.stdout}{done.stderr}")
    return int(fields[0]) / 1e9, int(fields[1]) / 1e9, int(fields[2]) * 1024


class Case:
    def __init__(self, name):
        self.name = name
        self.wall = []
        self.cpu = []
        self.rss = []

    def add(self, result):
        self.wall.append(result[0])
        self.cpu.append(result[1])
        self.rss.append(result[2])


def fresh(base, label):
    return tempfile.mkdtemp(prefix=label + "-", dir=base)


def in_fresh_dir(base, label, body):
    """Runs body(d) in a new directory, removed afterwards (outside the timing)."""
    d = fresh(base, label)
    try:
        return body(d)
    finally:
        shutil.rmtree(d, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--program", required=True)
    ap.add_argument("--tools", required=True, help="directory holding run_timed and write_once")
    ap.add_argument("--inputs", required=True, help="directory holding the generated route")
    ap.add_argument("--also", action="append", default=[], metavar="LABEL=BIN")
    ap.add_argument("--reps", type=int, default=7)
    args = ap.parse_args()
    global RUN_TIMED
    RUN_TIMED = os.path.abspath(os.path.join(args.tools, "run_timed"))
    write_once = os.path.abspath(os.path.join(args.tools, "write_once"))

    programs = [("current", os.path.abspath(args.program))]
    for item in args.also:
        label, _, path = item.partition("=")
        if not path:
            sys.exit(f"bench: --also wants LABEL=BIN, not {item}")
        programs.append((label, os.path.abspath(path)))
    line = os.path.join(args.inputs, LINE)
    service = os.path.join(args.inputs, SERVICE)
    work = tempfile.mkdtemp(prefix="sb-bench-")

    # One reference run of the current program gives the files the baselines copy.
    reference = {}
    ref_startup = fresh(work, "ref-startup")
    shutil.copy2(programs[0][1], ref_startup)
    timed([os.path.join(ref_startup, os.path.basename(programs[0][1]))], ref_startup)
    reference["startup"] = [os.path.join(ref_startup, f) for f in COMPILED_STARTUP]
    ref_compile = fresh(work, "ref-compile")
    timed([programs[0][1], "compile", line, service, "-o", ref_compile, "--route", "BENCH", "--train", "TR1"], work)
    reference["compile"] = [os.path.join(ref_compile, f) for f in COMPILED_ROUTE]

    # Every other binary must write the same bytes, or its timing compares nothing.
    for label, binary in programs[1:]:
        other = fresh(work, "same-" + label)
        shutil.copy2(binary, other)
        timed([os.path.join(other, os.path.basename(binary))], other)
        timed([binary, "compile", line, service, "-o", other, "--route", "BENCH", "--train", "TR1"], work)
        mine = reference["startup"] + reference["compile"]
        differ = [os.path.basename(f) for f in mine if not filecmp.cmp(f, os.path.join(other, os.path.basename(f)),
                                                                        shallow=False)]
        print(f"{label}: " + (f"output DIFFERS in {', '.join(differ)}" if differ else "output byte-identical"))

    cases = {}
    runs = []
    for scenario in ("startup", "compile"):
        for label, binary in programs:
            key = f"{scenario} {label}"
            cases[key] = Case(key)
            if scenario == "startup":
                def body(d, binary=binary):
                    shutil.copy2(binary, d)
                    return timed([os.path.join(d, os.path.basename(binary))], d)
            else:
                def body(d, binary=binary):
                    return timed([binary, "compile", line, service, "-o", d, "--route", "BENCH", "--train", "TR1"],
                                 work)
            runs.append((key, lambda body=body, label=label: in_fresh_dir(work, label, body)))
        for base in ("cp", "write", "write+fsync"):
            key = f"{scenario} baseline {base}"
            cases[key] = Case(key)
            files = reference[scenario]
            if base == "cp":
                def body(d, files=files):
                    return timed(["cp", *files, d], work)
            else:
                sync = ["--fsync"] if base == "write+fsync" else []

                def body(d, files=files, sync=sync):
                    return timed([write_once, *sync, d, *files], work)
            runs.append((key, lambda body=body, base=base: in_fresh_dir(work, base, body)))

    # The replace case: the same directory each time, already holding the files.
    for label, binary in programs:
        key = f"replace {label}"
        cases[key] = Case(key)
        d = fresh(work, "replace-" + label)
        argv = [binary, "compile", line, service, "-o", d, "--route", "BENCH", "--train", "TR1"]
        timed(argv, work)
        runs.append((key, lambda argv=argv: timed(argv, work)))
    cases["replace baseline cp"] = Case("replace baseline cp")
    over = fresh(work, "replace-cp")
    timed(["cp", *reference["compile"], over], work)
    runs.append(("replace baseline cp", lambda: timed(["cp", *reference["compile"], over], work)))

    for _, run in runs:  # warm-up: page cache, dynamic loader
        run()
    for rep in range(args.reps):
        for key, run in runs:
            cases[key].add(run())
    reference["replace"] = reference["compile"]
    sizes = {s: [os.path.getsize(f) for f in reference[s]] for s in reference}

    def ms(x):
        return f"{x * 1000:8.2f}"

    print(f"scenario-builder benchmark: {args.reps} repetitions; wall and CPU (user + system) time in ms,")
    print("median [min .. max]; peak RSS in MiB; ratios of medians to the baselines")
    for scenario in ("startup", "compile", "replace"):
        total = sum(sizes[scenario])
        largest = max(sizes[scenario])
        what = {"startup": "embedded scenario (no arguments)", "compile": "compile of the generated route",
                "replace": "the same compile over its own files (cp over existing copies)"}[scenario]
        print(f"\n== {scenario}: {what}; output {total / MIB:.2f} MiB, largest file {largest / MIB:.2f} MiB")
        print(f"{'case':24s} {'wall':>8s} {'[min':>8s} {'.. max]':>8s} {'cpu':>8s} {'[min':>8s} {'.. max]':>8s}"
              f" {'RSS':>6s}  {'wall/cp':>7s} {'wall/wr':>7s} {'cpu/cp':>6s} {'cpu/wr':>6s} {'wall/wr+fsync':>13s}")
        cp = cases[f"{scenario} baseline cp"]
        # The replace case has cp alone for a baseline.
        wr = cases.get(f"{scenario} baseline write", cp)
        ws = cases.get(f"{scenario} baseline write+fsync", cp)
        for key, case in cases.items():
            if not key.startswith(scenario + " "):
                continue
            w, c = statistics.median(case.wall), statistics.median(case.cpu)
            print(f"{key[len(scenario) + 1:]:24s} {ms(w)} {ms(min(case.wall))} {ms(max(case.wall))}"
                  f" {ms(c)} {ms(min(case.cpu))} {ms(max(case.cpu))} {statistics.median(case.rss) / MIB:6.1f}"
                  f"  {w / statistics.median(cp.wall):7.2f} {w / statistics.median(wr.wall):7.2f}"
                  f" {c / statistics.median(cp.cpu):6.2f} {c / statistics.median(wr.cpu):6.2f}"
                  f" {w / statistics.median(ws.wall):13.2f}")
        goal = 2.0 if scenario == "startup" else 1.5
        budget = (largest + 16 * MIB) / MIB
        for label, _ in programs:
            case = cases[f"{scenario} {label}"]
            ratio = statistics.median(case.wall) / statistics.median(cp.wall)
            rss = max(case.rss) / MIB
            print(f"  goal {label:8s} wall {ratio:5.2f} x cp (<= {goal:.1f}): {'met' if ratio <= goal else 'NOT met'};"
                  f"  peak RSS {rss:.1f} MiB (<= largest file + 16 MiB = {budget:.1f}): "
                  f"{'met' if rss <= budget else 'NOT met'}")
    shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
