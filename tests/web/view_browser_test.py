#!/usr/bin/env python3
"""The viewer page in a real browser, used the way a person uses it.

    view_browser_test.py PROGRAM SOURCE_DIR WORK_DIR {embedded|long}

Compiles a scenario (the program's embedded one, or the generated
1,000,000 m route), writes its page with `view`, opens it from disk in
headless Chromium (Debian's chromium + chromium-driver, python3-selenium) and
checks: no console error, no request beyond the page itself, as many
stations and signals drawn as the scenario holds, a click on a station shows
its record, "34+890" typed in the find box centres the view there, pointing
at the profiles moves the map's marker, and a reload with the fragment comes
back to the same view. A screenshot lands in WORK_DIR (a build artefact).
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

WIDTH, HEIGHT = 1400, 900


def fail(message):
    print("FAIL: " + message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok: " + message)


def run(args, **kw):
    r = subprocess.run(args, capture_output=True, text=True, **kw)
    if r.returncode != 0:
        fail("%s exited %d: %s%s" % (" ".join(args), r.returncode, r.stdout, r.stderr))
    return r.stdout


def compiled_scenario(program, source, work, which):
    """Directory holding the three compiled files."""
    target = os.path.join(work, which)
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(target)
    if which == "embedded":
        # The program without arguments writes its scenario next to itself.
        copy = os.path.join(target, os.path.basename(program))
        shutil.copy2(program, copy)
        run([copy], cwd=target)
        os.remove(copy)
    else:
        descriptions = os.path.join(work, "long-descriptions")
        run([sys.executable, os.path.join(source, "tools", "gen_route.py"), descriptions])
        run([program, "compile", os.path.join(descriptions, "BENCH_linea.txt"),
             os.path.join(descriptions, "BENCH_TR1-.txt"), "-o", target, "--route", "BENCH", "--train", "TR1", "-q"])
    return target


def start_browser(profile_dir):
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--user-data-dir=" + profile_dir,
                 "--window-size=%d,%d" % (WIDTH, HEIGHT), "--force-device-scale-factor=1"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL", "performance": "ALL"})
    service = Service(shutil.which("chromedriver") or "/usr/bin/chromedriver")
    return webdriver.Chrome(service=service, options=options)


def wait_for(driver, script, what, timeout=20.0):
    end = time.time() + timeout
    while time.time() < end:
        value = driver.execute_script(script)
        if value:
            return value
        time.sleep(0.05)
    fail("timed out waiting for " + what)


def settle(driver):
    """Two animation frames: whatever was asked for is drawn."""
    driver.execute_async_script(
        "var done = arguments[0]; requestAnimationFrame(function () { requestAnimationFrame(function () { done(); }); });")


def point_on(driver, element, x, y):
    """Moves the pointer to (x, y) from the element's top-left corner."""
    rect = element.rect
    ActionChains(driver).move_to_element_with_offset(
        element, int(round(x - rect["width"] / 2)), int(round(y - rect["height"] / 2))).perform()


def check_logs(driver, page_url):
    errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
    check(not errors, "no console error (%s)" % errors)
    requests, failed = [], []
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        if message["method"] == "Network.requestWillBeSent":
            requests.append(message["params"]["request"]["url"])
        elif message["method"] == "Network.loadingFailed":
            failed.append(message["params"])
    base = page_url.split("#")[0]
    others = [u for u in requests if u.split("#")[0] != base]
    check(not others, "no request but the page itself (%s)" % others[:5])
    check(not failed, "no failed request (%s)" % failed[:3])


def broken_pages(driver, program, scenario, work, decoded):
    """Without a profile file: the profiles and cells, the plan said to be
    missing, a cell of the strip inspected. A faulty track: its fault listed."""
    bare = os.path.join(work, "embedded-no-profile")
    shutil.rmtree(bare, ignore_errors=True)
    os.makedirs(bare)
    for name in os.listdir(scenario):
        if not name.endswith("_linea.dat"):
            shutil.copy2(os.path.join(scenario, name), bare)
    page = os.path.join(work, "view-no-profile.html")
    run([program, "view", bare, "-o", page])
    driver.get("file://" + page)
    wait_for(driver, "return window.sbView && window.sbView.stats.firstDrawMs", "the page without a plan")
    settle(driver)
    note = driver.find_element(By.ID, "map-note")
    check(note.is_displayed() and "plan is missing" in note.text, "without a profile file the page says the plan is missing")
    signal = next(c for c in decoded["cells"] if c["kind"] == 1)
    prof = driver.find_element(By.ID, "profiles")
    # The whole track is shown: the signal's cell sits at its share of the plot's width.
    x, strip_y = driver.execute_script(
        "var v = window.sbView.view; return [100 + (arguments[0] - v.d0) / (v.d1 - v.d0) * (arguments[1] - 112), 0];",
        signal["cell"] * 50 + 25, prof.rect["width"])
    strip_y = driver.execute_script("return window.sbView.stripTop()") + 10
    point_on(driver, prof, x, strip_y)
    ActionChains(driver).click().perform()
    details = driver.find_element(By.ID, "details").text
    check("signal" in details and "first group" in details,
          "a click on the cell strip shows the record of a signal's cell (%s)" % details.splitlines()[:1])
    driver.save_screenshot(os.path.join(work, "view-no-profile.png"))
    check_logs(driver, "file://" + page)

    faulty = os.path.join(work, "embedded-faulty")
    shutil.rmtree(faulty, ignore_errors=True)
    shutil.copytree(scenario, faulty)
    track = next(n for n in os.listdir(faulty) if n.endswith(".dat") and not n.endswith("_linea.dat"))
    with open(os.path.join(faulty, track), "r+b") as f:
        f.seek(1500)
        f.write(bytes([9]))
    page = os.path.join(work, "view-faulty.html")
    status = subprocess.run([program, "view", faulty, "-o", page], capture_output=True).returncode
    check(status == 1 and os.path.exists(page), "a faulty scenario gets its page with exit status 1")
    driver.get("file://" + page)
    wait_for(driver, "return window.sbView && window.sbView.stats.firstDrawMs", "the faulty scenario's page")
    faults = driver.find_element(By.ID, "faults").text
    check("unknown kind 9" in faults, "the page lists the fault (%s)" % faults.splitlines()[:1])


def main():
    if len(sys.argv) != 5 or sys.argv[4] not in ("embedded", "long"):
        print(__doc__)
        return 2
    program, source, work, which = os.path.abspath(sys.argv[1]), sys.argv[2], os.path.abspath(sys.argv[3]), sys.argv[4]
    os.makedirs(work, exist_ok=True)
    scenario = compiled_scenario(program, source, work, which)
    page = os.path.join(work, "view-%s.html" % which)
    run([program, "view", scenario, "-o", page])
    decoded = json.loads(run([program, "inspect", "--json", scenario]))
    stations = decoded["stations"]
    signals = sum(1 for c in decoded["cells"] if c["kind"] == 1)

    profile_dir = tempfile.mkdtemp(prefix="sb-chromium-")
    driver = start_browser(profile_dir)
    try:
        url = "file://" + page
        driver.get("about:blank")
        driver.get_log("performance")  # what the browser's own start page asked for
        driver.get_log("browser")
        driver.get(url)
        wait_for(driver, "return window.sbView && window.sbView.stats.firstDrawMs", "the first drawing")
        settle(driver)
        check_logs(driver, url)

        drawn = driver.execute_script("return window.sbView.stats.drawn")
        check(drawn["station"] == len(stations), "stations drawn %d == %d in the scenario" % (drawn["station"], len(stations)))
        check(drawn["signal"] == signals, "signals drawn %d == %d in the scenario" % (drawn["signal"], signals))
        driver.save_screenshot(os.path.join(work, "view-%s-whole.png" % which))

        mapc = driver.find_element(By.ID, "map")
        prof = driver.find_element(By.ID, "profiles")

        # A click on a station, brought to the middle of the map by the fragment.
        station = stations[len(stations) // 2]
        p = driver.execute_script("return window.sbView.pointAt(arguments[0])", station["position"])
        driver.execute_script("location.hash = arguments[0]", "#map=%r,%r,2" % (p["x"], p["y"]))
        settle(driver)
        ActionChains(driver).move_to_element(mapc).click().perform()
        details = driver.find_element(By.ID, "details").text
        check(station["name"] in details and station["time"] in details and str(station["position"]) in details,
              "a click on station %s shows its name, position and time" % station["name"])

        # "34+890" in the find box.
        box = driver.find_element(By.ID, "find")
        box.clear()
        box.send_keys("34+890", Keys.ENTER)
        settle(driver)
        state = driver.execute_script(
            "var v = window.sbView.view, p = window.sbView.pointAt(34890);"
            "return {cx: v.cx, cy: v.cy, d0: v.d0, d1: v.d1, cursor: window.sbView.cursor(), p: p};")
        check(state["cursor"] == 34890, "34+890 sets the cursor to metre 34890")
        check(abs(state["cx"] - state["p"]["x"]) < 0.5 and abs(state["cy"] - state["p"]["y"]) < 0.5,
              "34+890 centres the map on the plan's point of metre 34890")
        check(state["d0"] < 34890 < state["d1"] and abs((state["d0"] + state["d1"]) / 2 - 34890) < 100,
              "34+890 centres the profiles on metre 34890 (%.0f .. %.0f)" % (state["d0"], state["d1"]))
        check("34+890" in driver.find_element(By.ID, "readout").text, "the readout shows 34+890")

        # Pointing at the profiles moves the map's marker.
        prof_rect = prof.rect
        markers = []
        for fraction in (0.3, 0.7):
            point_on(driver, prof, 100 + (prof_rect["width"] - 112) * fraction, 40)
            settle(driver)
            markers.append(driver.execute_script(
                "var s = window.sbView.stats.marker; if (!s) return null;"
                "var p = window.sbView.pointAt(s.metre), q = window.sbView.toScreen(p.x, p.y);"
                "return {metre: s.metre, sx: s.sx, sy: s.sy, qx: q[0], qy: q[1], cursor: window.sbView.cursor()};"))
        check(all(m is not None for m in markers), "pointing at the profiles puts a marker on the map")
        check(all(m["metre"] == m["cursor"] and abs(m["sx"] - m["qx"]) < 0.5 and abs(m["sy"] - m["qy"]) < 0.5
                  for m in markers), "the marker stands at the plan's point of the metre pointed at")
        check(markers[0]["metre"] < markers[1]["metre"] and
              (markers[0]["sx"], markers[0]["sy"]) != (markers[1]["sx"], markers[1]["sy"]),
              "moving along the profiles moves the marker (%d m -> %d m)" % (markers[0]["metre"], markers[1]["metre"]))

        # Pointing at the track on the map marks that metre on the profiles.
        rect = mapc.rect
        for target in (34890 + 150, 34890 - 150, 34890 + 40, 34890 - 40):
            q = driver.execute_script("var v = window.sbView; var p = v.pointAt(arguments[0]); return v.toScreen(p.x, p.y);",
                                      target)
            if 20 < q[0] < rect["width"] - 20 and 20 < q[1] < rect["height"] - 20:
                break
        point_on(driver, mapc, q[0], q[1])
        settle(driver)
        on_map = driver.execute_script("return window.sbView.cursor()")
        check(abs(on_map - target) <= 3, "pointing at the track marks metre %s (of %d) on the profiles" % (on_map, target))

        # Zoom and pan with keys and a drag, then reload with the fragment.
        body = driver.find_element(By.TAG_NAME, "body")
        body.click()
        ActionChains(driver).send_keys("+").send_keys("+").perform()
        ActionChains(driver).move_to_element(mapc).click_and_hold().move_by_offset(80, 40).release().perform()
        time.sleep(0.4)
        settle(driver)
        before = driver.execute_script("var v = window.sbView.view; return [v.cx, v.cy, v.scale, v.d0, v.d1, location.hash];")
        check(before[5].startswith("#map="), "the view is kept in the fragment (%s)" % before[5])
        driver.refresh()
        wait_for(driver, "return window.sbView && window.sbView.stats.firstDrawMs", "the drawing after a reload")
        after = driver.execute_script("var v = window.sbView.view; return [v.cx, v.cy, v.scale, v.d0, v.d1, location.hash];")
        same = (abs(after[0] - before[0]) <= 0.1 and abs(after[1] - before[1]) <= 0.1 and
                abs(after[2] / before[2] - 1) < 1e-5 and abs(after[3] - before[3]) <= 1 and abs(after[4] - before[4]) <= 1)
        check(same, "a reload with the fragment comes back to the same view (%s / %s)" % (before, after))

        # The picture for people: the whole route, a station's record, the cursor.
        mapc = driver.find_element(By.ID, "map")
        prof = driver.find_element(By.ID, "profiles")
        driver.find_element(By.TAG_NAME, "body").click()
        ActionChains(driver).send_keys("0").perform()
        settle(driver)
        station = stations[len(stations) // 3]
        q = driver.execute_script("var v = window.sbView; var p = v.pointAt(arguments[0]); return v.toScreen(p.x, p.y);",
                                  station["position"])
        point_on(driver, mapc, q[0], q[1])
        ActionChains(driver).click().perform()
        point_on(driver, prof, 100 + (prof.rect["width"] - 112) * 0.62, 40)
        settle(driver)
        driver.save_screenshot(os.path.join(work, "view-%s.png" % which))
        check_logs(driver, url)
        if which == "embedded":
            broken_pages(driver, program, scenario, work, decoded)
    finally:
        driver.quit()
        shutil.rmtree(profile_dir, ignore_errors=True)
    print("view in the browser (%s): all checks passed; screenshots in %s" % (which, work))
    return 0


if __name__ == "__main__":
    sys.exit(main())
