#!/usr/bin/env python3
"""Prints the language server's latencies on the generated 1,000,000 m route:
diagnostics after a keystroke in the line description (from the change
notification to the published diagnostics) and hover, and the server's memory
before and after a run of edits.

    tools/bench_lsp.py PROGRAM [--edits N] [--hovers N]

Standard library only.
"""

import argparse
import json
import os
import statistics
import subprocess
import sys
import tempfile
import time


class Client:
    def __init__(self, program):
        self.p = subprocess.Popen([program, "lsp"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.next_id = 1

    def send(self, message):
        body = json.dumps(message).encode()
        self.p.stdin.write(b"Content-Length: %d\r\n\r\n" % len(body) + body)
        self.p.stdin.flush()

    def receive(self):
        length = 0
        while True:
            line = self.p.stdout.readline()
            if not line:
                raise RuntimeError("the server ended")
            if line in (b"\r\n", b"\n"):
                break
            if line.lower().startswith(b"content-length"):
                length = int(line.split(b":")[1])
        return json.loads(self.p.stdout.read(length))

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        while True:
            m = self.receive()
            if m.get("id") == self.next_id:
                return m

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def wait_diagnostics(self, uri):
        while True:
            m = self.receive()
            if m.get("method") == "textDocument/publishDiagnostics" and m["params"]["uri"] == uri:
                return m["params"]["diagnostics"]

    def rss_kib(self):
        with open("/proc/%d/status" % self.p.pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
        return 0


def percentile(values, q):
    values = sorted(values)
    return values[min(len(values) - 1, int(q * len(values)))]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("program")
    ap.add_argument("--edits", type=int, default=200)
    ap.add_argument("--hovers", type=int, default=200)
    args = ap.parse_args()
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as work:
        subprocess.run([sys.executable, os.path.join(here, "gen_route.py"), work], check=True, stdout=subprocess.DEVNULL)
        line_path = os.path.join(work, "BENCH_linea.txt")
        with open(line_path, encoding="cp1252", newline="") as f:
            text = f.read()
        lines = text.split("\r\n")
        uri = "file://" + line_path
        c = Client(args.program)
        c.request("initialize", {"capabilities": {}})
        c.notify("initialized", {})
        start = time.perf_counter()
        c.notify("textDocument/didOpen", {"textDocument": {"uri": uri, "languageId": "sb-line", "version": 1, "text": text}})
        first = c.wait_diagnostics(uri)
        opened = time.perf_counter() - start
        print("line description: %d lines, %d bytes; open: %.1f ms, %d diagnostics" % (len(lines), len(text), opened * 1000, len(first)))
        rss_before = c.rss_kib()

        # A keystroke: a blank typed after the last field of a line in the
        # middle of the file, then taken away again.
        row = len(lines) // 2
        col = len(lines[row])
        times = []
        for k in range(args.edits):
            insert = k % 2 == 0
            change = {"range": {"start": {"line": row, "character": col}, "end": {"line": row, "character": col if insert else col + 1}},
                      "text": " " if insert else ""}
            start = time.perf_counter()
            c.notify("textDocument/didChange", {"textDocument": {"uri": uri, "version": k + 2}, "contentChanges": [change]})
            c.wait_diagnostics(uri)
            times.append(time.perf_counter() - start)
        rss_after = c.rss_kib()
        ms = [t * 1000 for t in times]
        print("diagnostics after a keystroke (%d edits): median %.1f ms, p95 %.1f ms, max %.1f ms" %
              (len(ms), statistics.median(ms), percentile(ms, 0.95), max(ms)))
        print("server memory: %d KiB after open, %d KiB after the edits" % (rss_before, rss_after))

        board_rows = [i for i, l in enumerate(lines) if l.lower().startswith("cartello_indicatore")] or [row]
        times = []
        for k in range(args.hovers):
            r = board_rows[k % len(board_rows)]
            start = time.perf_counter()
            c.request("textDocument/hover", {"textDocument": {"uri": uri}, "position": {"line": r, "character": 2}})
            times.append(time.perf_counter() - start)
        ms = [t * 1000 for t in times]
        print("hover (%d requests): median %.2f ms, p95 %.2f ms, max %.2f ms" %
              (len(ms), statistics.median(ms), percentile(ms, 0.95), max(ms)))
        c.request("shutdown", None)
        c.notify("exit", None)
        c.p.wait(timeout=10)


if __name__ == "__main__":
    main()
