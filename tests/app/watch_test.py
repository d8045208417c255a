#!/usr/bin/env python3
"""`watch` against a real file system and a real socket.

    watch_test.py PROGRAM

Saves the descriptions the ways editors do (in place, by rename, by delete
and re-create, in bursts, half-written) and checks that each save gives one
compile whose files are the bytes `compile` writes for the same text; ends
the program with SIGINT and SIGTERM (status 0, no temporary file left). With
--serve: requests outside the server's own pages, with a foreign Host header
or over-long are refused, and a port in use gives status 2 naming the port.
"""

import fcntl
import os
import queue
import re
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

PROGRAM = sys.argv[1]
LINE, SERVICE = "ORSEA_MONTELBA_linea.txt", "ORSEA_MONTELBA_RX17-.txt"
COMPILED = ("ORSEA_MONTELBA_linea.dat", "ORSEA_MONTELBA_RX17.sim", "ORSEA_MONTELBA_RX17.dat")
STATUS = re.compile(r"^\d\d:\d\d:\d\d error code (\d+), (\d+) errors?, (\d+) warnings?, \d+ ms")
failures = []


def check(condition, message):
    print(("ok: " if condition else "FAIL: ") + message, flush=True)
    if not condition:
        failures.append(message)
    return condition


class Watch:
    """A running `watch`, its output read line by line as it comes."""

    def __init__(self, directory, *extra):
        self.dir = directory
        self.out = os.path.join(directory, "out")
        os.makedirs(self.out, exist_ok=True)
        self.proc = subprocess.Popen([PROGRAM, "watch", LINE, SERVICE, "-o", "out"] + list(extra), cwd=directory,
                                     stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.lines = queue.Queue()
        self.seen = []
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.proc.stdout:
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def next_matching(self, pattern, timeout=10.0):
        """The next line matching `pattern`; None when none comes in time."""
        end = time.time() + timeout
        while time.time() < end:
            try:
                line = self.lines.get(timeout=max(0.01, end - time.time()))
            except queue.Empty:
                break
            if line is None:
                break
            self.seen.append(line)
            m = re.search(pattern, line)
            if m:
                return m
        return None

    def status(self, timeout=10.0):
        m = self.next_matching(STATUS.pattern, timeout)
        return None if m is None else tuple(int(g) for g in m.groups())

    def quiet_for(self, seconds):
        """The status lines that came within `seconds`."""
        got = []
        while True:
            s = self.status(seconds)
            if s is None:
                return got
            got.append(s)

    def stop(self, sig=signal.SIGINT):
        self.proc.send_signal(sig)
        try:
            return self.proc.wait(timeout=15)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            return None


def read(path):
    with open(path, "rb") as f:
        return f.read()


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def compiled_by_compile(directory, line_text, service_text):
    """The bytes `compile` writes for these texts, and what it prints."""
    ref = tempfile.mkdtemp(dir=directory)
    write(os.path.join(ref, LINE), line_text)
    write(os.path.join(ref, SERVICE), service_text)
    r = subprocess.run([PROGRAM, "compile", LINE, SERVICE], cwd=ref, capture_output=True, text=True)
    return {n: read(os.path.join(ref, n)) for n in COMPILED if os.path.exists(os.path.join(ref, n))}, r.stderr


def compiled_by_watch(w):
    return {n: read(os.path.join(w.out, n)) for n in COMPILED if os.path.exists(os.path.join(w.out, n))}


def leftovers(directory):
    return [n for root, _, names in os.walk(directory) for n in names if ".~sb" in n or n.endswith(".lock")]


def with_station_name(text, name):
    return text.replace(b"VALLEROSA", name)


def test_saves(base):
    d = tempfile.mkdtemp(dir=base)
    subprocess.run([PROGRAM, "export", d], check=True, capture_output=True)
    line0, service0 = read(os.path.join(d, LINE)), read(os.path.join(d, SERVICE))
    w = Watch(d)
    check(w.status() == (0, 0, 0), "the first compile runs at start")

    # In place: the file is truncated and written again.
    service1 = with_station_name(service0, b"VALLEVERDE")
    write(os.path.join(d, SERVICE), service1)
    check(w.status() is not None, "an in-place save gives a compile")
    check(compiled_by_watch(w) == compiled_by_compile(base, line0, service1)[0],
          "after an in-place save the files are the bytes compile writes")

    # By rename: a new file renamed over the old one.
    service2 = with_station_name(service0, b"VALLEBLU")
    tmp = os.path.join(d, ".editor-tmp")
    write(tmp, service2)
    os.replace(tmp, os.path.join(d, SERVICE))
    check(w.status() is not None, "a save by rename gives a compile")
    check(compiled_by_watch(w) == compiled_by_compile(base, line0, service2)[0],
          "after a save by rename the files are the bytes compile writes")

    # Delete, wait, create again: the missing file is waited for.
    os.remove(os.path.join(d, LINE))
    check(w.next_matching(re.escape(LINE) + " is missing; waiting for it") is not None,
          "a deleted description is waited for, with a message")
    time.sleep(0.2)
    write(os.path.join(d, LINE), line0)
    check(w.status() == (0, 0, 0), "the description created again is compiled")

    # A burst of saves: one compile, on the last text.
    for i in range(30):
        write(os.path.join(d, SERVICE), with_station_name(service0, b"BURST%02d" % i))
    last = with_station_name(service0, b"BURST29")
    got = w.quiet_for(1.5)
    check(len(got) == 1, "a burst of 30 saves gives one compile (got %d)" % len(got))
    check(compiled_by_watch(w) == compiled_by_compile(base, line0, last)[0], "the last text of the burst wins")

    # Half-written, then whole: the first gives errors, the next compiles clean.
    # (Cut in the middle of an entry, so the reader runs out of text.)
    write(os.path.join(d, LINE), line0[: len(line0) // 2])
    s = w.status()
    check(s is not None and s[1] > 0, "a half-written description gives that compile's errors")
    write(os.path.join(d, LINE), line0)
    check(w.status() == (0, 0, 0), "the next save compiles clean again")

    # Diagnostics are the ones compile prints.
    warned = line0.replace(b"pendenza,  1250", b"pendnza,  1250")
    write(os.path.join(d, LINE), warned)
    s = w.status()
    check(s is not None and s[2] >= 1, "a misspelt keyword is counted as a warning")
    w.quiet_for(0.3)
    _, printed = compiled_by_compile(base, warned, last)
    first = printed.splitlines()[0].replace(os.path.join(d, ""), "") if printed else ""
    check(bool(first) and any(first.split(": ", 1)[1] in line for line in w.seen),
          "watch prints the diagnostic compile prints")

    # Something that is no description in the same directory starts nothing.
    write(os.path.join(d, "notes.txt"), b"x")
    check(w.quiet_for(0.5) == [], "a save of another file in the directory gives no compile")

    check(w.stop(signal.SIGINT) == 0, "Ctrl-C (SIGINT) ends watch with status 0")
    check(leftovers(d) == [], "no temporary file nor lock is left")


def test_saves_during_a_compile(base):
    """A compile held up by a run that holds the output directory (as a
    `compile` by hand would): saves made meanwhile give exactly one more
    compile after it, on the last text."""
    d = tempfile.mkdtemp(dir=base)
    subprocess.run([PROGRAM, "export", d], check=True, capture_output=True)
    line0, service0 = read(os.path.join(d, LINE)), read(os.path.join(d, SERVICE))
    w = Watch(d)
    w.status()
    lock_path = os.path.join(w.out, "scenario-builder.lock")
    fd = os.open(lock_path, os.O_RDWR | os.O_CREAT, 0o644)
    fcntl.flock(fd, fcntl.LOCK_EX)
    write(os.path.join(d, SERVICE), with_station_name(service0, b"HELD"))
    time.sleep(0.3)  # the compile has started and waits for the directory
    for i in range(3):
        write(os.path.join(d, SERVICE), with_station_name(service0, b"DURING%d" % i))
        time.sleep(0.1)
    os.unlink(lock_path)
    fcntl.flock(fd, fcntl.LOCK_UN)
    os.close(fd)
    got = w.quiet_for(1.5)
    check(len(got) == 2, "saves during a compile give exactly one more compile after it (got %d)" % len(got))
    check(compiled_by_watch(w) == compiled_by_compile(base, line0, with_station_name(service0, b"DURING2"))[0],
          "the compile after it is of the last text")
    check(w.stop(signal.SIGTERM) == 0 and leftovers(d) == [], "and watch ends cleanly")


def test_signal_during_compiles(base, sig):
    d = tempfile.mkdtemp(dir=base)
    subprocess.run([PROGRAM, "export", d], check=True, capture_output=True)
    line0, service0 = read(os.path.join(d, LINE)), read(os.path.join(d, SERVICE))
    w = Watch(d)
    w.status()
    # Saves (whole texts renamed into place) keep coming; the signal lands at
    # some point of a compile or of a wait.
    texts = [service0]
    for i in range(20):
        texts.append(with_station_name(service0, b"SIGNAL%02d" % i))
        write(os.path.join(d, "next"), texts[-1])
        os.replace(os.path.join(d, "next"), os.path.join(d, SERVICE))
        time.sleep(0.045)
    status = w.stop(sig)
    name = signal.Signals(sig).name
    check(status == 0, name + " ends watch with status 0 (got %r)" % status)
    check(leftovers(d) == [], name + ": no temporary file nor lock is left")
    got = compiled_by_watch(w)
    check(any(got == compiled_by_compile(base, line0, t)[0] for t in reversed(texts)),
          name + ": the compiled files are whole, from one compile")


def http(port, request, timeout=5.0):
    """Status code of the answer to a raw request (None when the connection closes without one)."""
    with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
        s.sendall(request)
        data = b""
        try:
            while b"\r\n" not in data:
                chunk = s.recv(4096)
                if not chunk:
                    break
                data += chunk
        except (ConnectionResetError, socket.timeout):
            pass
    m = re.match(rb"HTTP/1\.[01] (\d{3})", data)
    return int(m.group(1)) if m else None


def test_server(base):
    d = tempfile.mkdtemp(dir=base)
    subprocess.run([PROGRAM, "export", d], check=True, capture_output=True)
    write(os.path.join(d, "secret.txt"), b"secret")
    w = Watch(d, "--serve", "0")
    m = w.next_matching(r"serving http://127\.0\.0\.1:(\d+)/")
    if not check(m is not None, "--serve 0 listens on 127.0.0.1 and prints its address"):
        w.stop()
        return
    port = int(m.group(1))
    w.status()
    host = b"Host: 127.0.0.1:%d\r\n" % port

    def get(path, headers=host):
        return http(port, b"GET " + path + b" HTTP/1.1\r\n" + headers + b"Connection: close\r\n\r\n")

    # The data of the first good compile comes a moment after its status line.
    deadline = time.time() + 10
    while get(b"/data") != 200 and time.time() < deadline:
        time.sleep(0.05)
    for path in (b"/", b"/view", b"/outcome", b"/data", b"/plan"):
        check(get(path) == 200, "its own page %s is served" % path.decode())
    for path in (b"/data/../plan", b"/plan/x", b"/data.json"):
        check(get(path) in (404, 400), "a path near its data gets no data: %s" % path.decode())
    for host_line in (b"Host: localhost:%d\r\n" % port, b"Host: [::1]:%d\r\n" % port):
        check(get(b"/", host_line) == 200, "the Host %s is accepted" % host_line.strip().decode())
    for path in (b"/../secret.txt", b"/%2e%2e/secret.txt", b"/..%2fsecret.txt", b"/%2e%2e%2fsecret.txt",
                 b"/" + os.path.join(d, "secret.txt").encode(), b"//etc/passwd", b"/secret.txt", b"/out/",
                 b"/view/../../secret.txt", b"http://127.0.0.1:%d/etc/passwd" % port, b"/web/view.js"):
        check(get(path) == 404, "a path outside its own pages gets 404: %s" % path.decode())
    for host_line in (b"Host: evil.example:%d\r\n" % port, b"Host: 127.0.0.1\r\n", b"Host: 127.0.0.1:1\r\n",
                      b"Host: localhost.evil.example:%d\r\n" % port, b""):
        check(get(b"/", host_line) in (400, 403), "a foreign Host header is refused: %r" % host_line)
    code = get(b"/" + b"a" * 20000)
    check(code in (400, 414, None), "an over-long request line is refused (got %r)" % code)
    code = http(port, b"GET / HTTP/1.1\r\n" + host + b"X-Big: " + b"b" * 20000 + b"\r\n\r\n")
    check(code in (400, 431, None), "an over-long header is refused (got %r)" % code)
    code = http(port, b"POST /outcome HTTP/1.1\r\n" + host + b"Content-Length: 100000000\r\n\r\n")
    check(code in (400, 404, 405, 413, None), "an over-long body is refused (got %r)" % code)
    # Many idle connections do not keep the page from others (a worker each,
    # given back after the read timeout).
    idle = [socket.create_connection(("127.0.0.1", port)) for _ in range(60)]
    t = time.time()
    code = get(b"/outcome")
    check(code == 200, "with 60 idle connections open a page is still served (in %.1f s)" % (time.time() - t))
    for s in idle:
        s.close()

    # A second server on the same port: status 2 and the port named.
    r = subprocess.run([PROGRAM, "watch", LINE, SERVICE, "-o", "out", "--serve", str(port)], cwd=d,
                       capture_output=True, text=True, timeout=20)
    check(r.returncode == 2, "a port in use gives status 2 (got %d)" % r.returncode)
    check(str(port) in r.stderr and "in use" in r.stderr, "the message names the port: " + r.stderr.strip())
    check(w.stop(signal.SIGTERM) == 0, "SIGTERM ends a serving watch with status 0")


def main():
    with tempfile.TemporaryDirectory() as base:
        test_saves(base)
        test_saves_during_a_compile(base)
        test_signal_during_compiles(base, signal.SIGINT)
        test_signal_during_compiles(base, signal.SIGTERM)
        test_server(base)
    if failures:
        print("%d failed" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
