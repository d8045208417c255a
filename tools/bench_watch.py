#!/usr/bin/env python3
"""Times `watch --serve` from the save of a description to the open page
showing the new scenario, in headless Chromium.

    tools/bench_watch.py PROGRAM [--reps N]

For the embedded scenario and for the generated 1,000,000 m route: the page
is opened, then a station is renamed and saved N times (renamed into place,
as editors save); each time the figure is the time from just before the
save to the moment the page has taken the new scenario in (the page's
own clock, the same machine's). Prints median, min and max against the
goals (100 ms and 250 ms). Then a curve is turned N times, which changes
the plan: its figures come apart, without a goal.
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
from watch_browser_test import Watch, open_live_page, save_and_measure  # noqa: E402
from view_browser_test import start_browser  # noqa: E402


def measure(program, work, line, service, extra, reps, name_from, name_to, curve):
    """Figures of station renames in the service description (the plan stays),
    then of a curve turned back and forth in the line description (the plan
    changes)."""
    watch = Watch(program, work, line, service, *extra)
    profile = tempfile.mkdtemp()
    driver = start_browser(profile)
    try:
        open_live_page(driver, watch.port)
        text = open(service, "rb").read()
        figures, events = [], []
        for i in range(reps + 1):
            changed = text.replace(name_from, name_to + b"%02d" % i)
            parts = []
            ms = save_and_measure(driver, service, changed, parts)
            if i > 0:  # the first warms the page cache and the browser
                figures.append(ms)
                events.append(parts[0])
        line_text = open(line, "rb").read()
        turned = line_text.replace(curve, curve.replace(b"curvad", b"curvas"), 1)
        assert turned != line_text
        plan_figures = [save_and_measure(driver, line, turned if i % 2 == 0 else line_text) for i in range(reps)]
        return figures, events, plan_figures
    finally:
        driver.quit()
        watch.stop()
        shutil.rmtree(profile, ignore_errors=True)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("--reps", type=int, default=11)
    args = ap.parse_args()
    program = os.path.abspath(args.program)
    work = tempfile.mkdtemp(prefix="sb-bench-watch-")
    try:
        embedded = os.path.join(work, "embedded")
        os.makedirs(os.path.join(embedded, "out"))
        subprocess.run([program, "export", embedded], check=True, capture_output=True)
        long_route = os.path.join(work, "long")
        os.makedirs(os.path.join(long_route, "out"))
        subprocess.run([sys.executable, os.path.join(HERE, "gen_route.py"), long_route], check=True,
                       capture_output=True)
        cases = [
            ("embedded scenario", embedded, "ORSEA_MONTELBA_linea.txt", "ORSEA_MONTELBA_RX17-.txt", [],
             b"VALLEROSA", b"VALLE", b"curvad4,  12900", 100),
            ("1,000,000 m route", long_route, "BENCH_linea.txt", "BENCH_TR1-.txt", ["--route", "BENCH", "--train", "TR1"],
             b"Stazione 02", b"Fermata ", b"curvad3,  1000", 250),
        ]
        print("save to page showing the new scenario, ms (%d saves each)" % args.reps)
        for name, d, line, service, extra, old, new, curve, goal in cases:
            f, e, p = measure(program, d, os.path.join(d, line), os.path.join(d, service), extra, args.reps, old, new,
                              curve)
            median = statistics.median(f)
            print("  %-18s median %6.0f  [%4.0f .. %4.0f]  goal <= %d: %s   (of which save to event in page: median %.0f)" %
                  (name, median, min(f), max(f), goal, "met" if median <= goal else "NOT met", statistics.median(e)))
            print("  %-18s median %6.0f  [%4.0f .. %4.0f]  when a curve changes, and the plan with it" %
                  ("", statistics.median(p), min(p), max(p)))
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
