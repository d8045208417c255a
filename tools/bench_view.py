#!/usr/bin/env python3
"""Figures of the viewer page in headless Chromium, each with its goal.

    tools/bench_view.py [--program build/scenario-builder] [--work DIR] [--loads N]

For the embedded scenario and the generated 1,000,000 m route (tools/gen_route.py):
the page's size, the time from navigation to the end of the first complete
drawing and to the first painted frame (medians of N loads), and the time of a redraw after a pan or a zoom step at
every zoom level of the plan (the page's own drawing plus the canvas'
rasterisation, forced by reading a pixel back; median and worst of 20
steps after 4 warm-up steps). Prints figures; it fails
nothing: speed goals live here, never in timed tests.

Needs Debian's chromium, chromium-driver and python3-selenium (tools/deps.sh).
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def run(args, **kw):
    subprocess.run(args, check=True, capture_output=True, **kw)


def scenarios(program, work):
    embedded = os.path.join(work, "embedded")
    os.makedirs(embedded, exist_ok=True)
    copy = os.path.join(embedded, "scenario-builder")
    shutil.copy2(program, copy)
    run([copy], cwd=embedded)
    os.remove(copy)
    descriptions = os.path.join(work, "long-descriptions")
    long_dir = os.path.join(work, "long")
    os.makedirs(long_dir, exist_ok=True)
    run([sys.executable, os.path.join(ROOT, "tools", "gen_route.py"), descriptions])
    run([program, "compile", os.path.join(descriptions, "BENCH_linea.txt"), os.path.join(descriptions, "BENCH_TR1-.txt"),
         "-o", long_dir, "--route", "BENCH", "--train", "TR1", "-q"])
    return [("embedded scenario", embedded, 200), ("1,000,000 m route", long_dir, 1000)]


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--user-data-dir=" + profile, "--window-size=1400,900",
                 "--force-device-scale-factor=1"):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"), options=options)


# One step, then the two canvases read back: the drawing and its raster.
STEP = """
var v = window.sbView, kind = arguments[0], f = arguments[1];
var t0 = performance.now();
if (kind === 'pan') v.panBy(f, f / 2); else v.zoomAtCentre(f);
document.getElementById('map').getContext('2d').getImageData(0, 0, 1, 1);
document.getElementById('profiles').getContext('2d').getImageData(0, 0, 1, 1);
return performance.now() - t0;
"""


def wait_for_number(driver, script):
    for _ in range(200):
        value = driver.execute_script(script)
        if isinstance(value, (int, float)):
            return value
        time.sleep(0.01)
    raise RuntimeError("no figure from: " + script)


def redraws(driver, route_length):
    rows = []
    levels = driver.execute_script(
        "return JSON.parse(document.getElementById('scenario-data').textContent).plan_levels.map(function (l) { return l.tolerance; })")
    centre = driver.execute_script("return window.sbView.pointAt(arguments[0])", route_length // 2)
    for k, tol in enumerate(levels):
        scale = 1.0 / tol  # the page draws level k from this scale on
        if centre:
            driver.execute_script("var v = window.sbView.view; v.cx = arguments[0]; v.cy = arguments[1]; v.scale = arguments[2];"
                                  "window.sbView.redrawNow();", centre["x"], centre["y"], scale * 0.99)
        for i in range(4):  # warm-up steps, not counted: the script's first runs are compiled then
            driver.execute_script(STEP, "zoom", 1.1 if i % 2 == 0 else 1 / 1.1)
        times = []
        for i in range(10):
            times.append(driver.execute_script(STEP, "pan", 40 if i % 2 == 0 else -40))
            times.append(driver.execute_script(STEP, "zoom", 1.1 if i % 2 == 0 else 1 / 1.1))
        level = driver.execute_script("return window.sbView.stats.level")
        rows.append(("level %d (tolerance %g m, %.3g px/m)" % (level, tol, scale), times))
    driver.execute_script("window.sbView.fitAll()")
    for i in range(4):
        driver.execute_script(STEP, "zoom", 1.1 if i % 2 == 0 else 1 / 1.1)
    times = [driver.execute_script(STEP, "zoom", 1.1 if i % 2 == 0 else 1 / 1.1) for i in range(20)]
    rows.append(("whole route", times))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", default=os.path.join(ROOT, "build", "scenario-builder"))
    parser.add_argument("--work", default=None)
    parser.add_argument("--loads", type=int, default=5)
    args = parser.parse_args()
    work = args.work or tempfile.mkdtemp(prefix="sb-bench-view-")
    profile = tempfile.mkdtemp(prefix="sb-chromium-")
    driver = browser(profile)
    try:
        for name, directory, first_goal in scenarios(os.path.abspath(args.program), work):
            page = os.path.join(work, name.split()[0].replace(",", "") + ".html")
            run([args.program, "view", directory, "-o", page])
            size = os.path.getsize(page)
            firsts, paints = [], []
            for _ in range(args.loads):
                driver.get("about:blank")
                driver.get("file://" + page)
                firsts.append(driver.execute_script("return window.sbView.stats.firstDrawMs"))
                paints.append(wait_for_number(driver, "return window.sbView.stats.firstPaintedMs"))
            route_length = driver.execute_script(
                "var s = JSON.parse(document.getElementById('scenario-data').textContent).scenario;"
                "return s.values ? s.values.route_length : 0;")
            print("\n%s" % name)
            size_goal = " (goal: at most 5 MB)" if first_goal == 1000 else ""
            print("  page size                        %9.2f MB%s" % (size / 1e6, size_goal))
            print("  navigation to first drawing      %9.1f ms median of %d (min %.1f, max %.1f; goal: at most %d ms)"
                  % (statistics.median(firsts), len(firsts), min(firsts), max(firsts), first_goal))
            print("  navigation to first painted frame %8.1f ms median (goal: at most %d ms)"
                  % (statistics.median(paints), first_goal))
            for label, times in redraws(driver, route_length):
                print("  redraw after pan/zoom, %-40s median %6.2f ms, max %6.2f ms (goal: at most 16 ms)"
                      % (label, statistics.median(times), max(times)))
    finally:
        driver.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
