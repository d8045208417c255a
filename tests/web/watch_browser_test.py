#!/usr/bin/env python3
"""`watch --serve` in a real browser, used the way an author uses it.

    watch_browser_test.py PROGRAM WORK_DIR

Writes the embedded scenario's descriptions into a temporary directory,
runs `watch --serve 0` on them and opens the live page in headless Chromium
(Debian's chromium + chromium-driver, python3-selenium). Checks: the page
shows the scenario; a station renamed and saved appears without a reload
and the view stays where the author left it; a misspelt keyword shows its
warning; a broken number shows the error with its line while the map keeps
the last good scenario; repairing it clears the error. Screenshots land in
WORK_DIR (a build artefact).
"""

import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from view_browser_test import check, fail, settle, start_browser, wait_for  # noqa: E402

SHOWN = "document.querySelector('#live-frames iframe:not(.incoming)')"


class Watch:
    def __init__(self, program, directory, line, service, *extra):
        self.proc = subprocess.Popen([program, "watch", line, service, "-o", "out", "--serve", "0"] + list(extra),
                                     cwd=directory, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.output = []
        self.port = None
        ready = threading.Event()

        def read():
            for line_text in self.proc.stdout:
                self.output.append(line_text)
                m = re.match(r"serving http://127\.0\.0\.1:(\d+)/", line_text)
                if m:
                    self.port = int(m.group(1))
                    ready.set()
            ready.set()

        threading.Thread(target=read, daemon=True).start()
        ready.wait(30)
        if self.port is None:
            fail("watch --serve printed no address: " + "".join(self.output))

    def stop(self):
        self.proc.send_signal(signal.SIGINT)
        return self.proc.wait(timeout=20)


def save(path, data):
    """Saves the way many editors do: a whole new file renamed over the old."""
    tmp = path + ".new"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def view_state(driver):
    return driver.execute_script("var v = %s.contentWindow.sbView.view; return [v.cx, v.cy, v.scale, v.d0, v.d1];" % SHOWN)


def live(driver, what):
    return driver.execute_script("return window.sbLive." + what)


def wait_compile(driver, after_generation, what):
    """Waits for a compile after `after_generation` and for the page to have shown it."""
    return wait_for(driver, "var l = window.sbLive, o = l.outcome; return o && o.generation > %d && "
                    "l.shownView === o.view && !document.querySelector('iframe.incoming') ? o : null;"
                    % after_generation, what)


def wait_swap(driver, after_view, what, timeout=20.0):
    wait_for(driver, "return window.sbLive.shownView > %d && !document.querySelector('iframe.incoming');" % after_view,
             what, timeout)


def open_live_page(driver, port):
    driver.get("http://127.0.0.1:%d/" % port)
    wait_swap(driver, 0, "the first scenario in the page")
    settle(driver)


def save_and_measure(driver, path, data, parts=None):
    """Milliseconds from the save to the open page showing the new scenario;
    `parts` gets the time to the compile's event reaching the page."""
    before = live(driver, "shownView")
    start = time.time() * 1000.0
    save(path, data)
    wait_swap(driver, before, "the saved scenario in the page")
    if parts is not None:
        parts.append(live(driver, "lastEventAt") - start)
    return live(driver, "lastSwapAt") - start


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    program, artefacts = os.path.abspath(sys.argv[1]), sys.argv[2]
    os.makedirs(artefacts, exist_ok=True)
    work = tempfile.mkdtemp()
    profile = tempfile.mkdtemp()
    watch = None
    driver = None
    try:
        subprocess.run([program, "export", work], check=True, capture_output=True)
        line = os.path.join(work, "ORSEA_MONTELBA_linea.txt")
        service = os.path.join(work, "ORSEA_MONTELBA_RX17-.txt")
        line0, service0 = open(line, "rb").read(), open(service, "rb").read()
        os.makedirs(os.path.join(work, "out"))
        watch = Watch(program, work, line, service)
        driver = start_browser(profile)
        open_live_page(driver, watch.port)
        counts = driver.execute_script("return %s.contentWindow.sbView.counts();" % SHOWN)
        check(counts["station"] > 0 and counts["signal"] > 0, "the page shows the scenario (%s)" % counts)
        check(driver.execute_script("return document.getElementById('live-diagnostics').hidden;"),
              "a clean compile shows no diagnostics")

        # The author zooms to a place; a save keeps the view there.
        driver.execute_script("var s = %s.contentWindow.sbView, p = s.pointAt(4500); s.view.cx = p.x; s.view.cy = p.y; "
                              "s.zoomAtCentre(60); s.panBy(80, -30);" % SHOWN)
        settle(driver)
        before = view_state(driver)
        driver.save_screenshot(os.path.join(artefacts, "watch-before-save.png"))
        # A mark on the viewer's window: it survives only if the frame is not reloaded.
        driver.execute_script("%s.contentWindow.sbKept = true;" % SHOWN)
        ms = save_and_measure(driver, service, service0.replace(b"VALLEROSA", b"VALLEVERDE"))
        names = driver.execute_script(
            "return Array.from(%s.contentDocument.querySelectorAll('#find-list option')).map(function (o) { return o.value; });"
            % SHOWN)
        check("VALLEVERDE" in names and "VALLEROSA" not in names, "the renamed station is in the page without a reload")
        print("   save to page: %.0f ms" % ms)
        driver.save_screenshot(os.path.join(artefacts, "watch-after-save.png"))
        after = view_state(driver)
        check(all(abs(a - b) <= 1e-9 * max(1.0, abs(b)) for a, b in zip(after, before)),
              "the view stayed where it was (%s -> %s)" % (before, after))
        check(driver.execute_script("return performance.getEntriesByType('navigation').length === 1 && "
                                    "window.sbLive.swaps >= 2;"), "the live page itself was not reloaded")
        check(driver.execute_script("return %s.contentWindow.sbKept === true;" % SHOWN),
              "the viewer took the new scenario in place, without loading a page")

        # A curve turned the other way changes the plan: the viewer gets the new one, still in place.
        point = "var p = %s.contentWindow.sbView.pointAt(1500); return [p.x, p.y];" % SHOWN
        old_point = driver.execute_script(point)
        turned = line0.replace(b"curvas6,  750,  250", b"curvad6,  750,  250")
        check(turned != line0, "the fixture has the curve the test turns")
        save_and_measure(driver, line, turned)
        new_point = driver.execute_script(point)
        check(driver.execute_script("return %s.contentWindow.sbKept === true;" % SHOWN) and new_point != old_point,
              "a changed plan reaches the open viewer (%s -> %s)" % (old_point, new_point))
        save_and_measure(driver, line, line0)
        check(driver.execute_script(point) == old_point, "saving the old curve brings the old plan back")

        # A misspelt keyword: its warning shows.
        generation = live(driver, "outcome.generation")
        save(line, line0.replace(b"pendenza,  1250", b"pendnza,  1250"))
        wait_compile(driver, generation, "the compile of the misspelt keyword")
        text = driver.execute_script("var w = document.querySelector('#live-diagnostics .warnings'); return w ? w.textContent : '';")
        check("did you mean 'pendenza'" in text, "the misspelt keyword's warning shows: " + text[:120])

        # A broken number: the error with its line, the map keeps the last good scenario.
        shown = live(driver, "shownView")
        generation = live(driver, "outcome.generation")
        save(line, line0.replace(b"pendenza,  1250", b"pendenza,  12x0"))
        wait_compile(driver, generation, "the compile of the broken number")
        settle(driver)
        errors = driver.execute_script("var e = document.querySelector('#live-diagnostics .errors'); return e ? e.textContent : '';")
        check("ORSEA_MONTELBA_linea.txt:34:12:" in errors and "12x0" in errors,
              "the error shows with its file, line, column and the quoted line: " + errors[:160])
        check(live(driver, "shownView") == shown and
              driver.execute_script("return %s.contentWindow.sbView.counts().station;" % SHOWN) == counts["station"],
              "the map still shows the last good scenario")
        check("last good" in driver.execute_script("return document.getElementById('live-note').textContent;"),
              "the page says the map is the last good compile")
        driver.save_screenshot(os.path.join(artefacts, "watch-error.png"))

        # Repaired: the error goes, the scenario comes back.
        generation = live(driver, "outcome.generation")
        save(line, line0)
        wait_compile(driver, generation, "the compile of the repaired description")
        check(live(driver, "shownView") > shown, "the repaired scenario is shown")
        check(driver.execute_script("return document.getElementById('live-diagnostics').hidden;"),
              "repairing the description clears the error")
        driver.save_screenshot(os.path.join(artefacts, "watch-repaired.png"))
        errors = [e for e in driver.get_log("browser") if e.get("level") == "SEVERE"]
        check(not errors, "no console error (%s)" % errors)
    finally:
        if driver is not None:
            driver.quit()
        if watch is not None:
            status = watch.stop()
            check(status == 0, "watch ends with status 0 on Ctrl-C")
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
