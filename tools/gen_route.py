#!/usr/bin/env python3
"""Writes a line description and a service description for the longest route
the program accepts (1,000,000 m) with dense features, for timing runs.

    tools/gen_route.py OUTDIR [--length L]

Writes OUTDIR/BENCH_linea.txt and OUTDIR/BENCH_TR1-.txt (cp1252, CRLF). The
files are meant to compile with no error at all, so a run does all the work:
every object stands on a cell of its own, and every slowdown has a quiet zone
around it where the track completion finds room for its markers.

Standard library only; the output depends on nothing but the arguments.
"""

import argparse
import os
import sys

CELL = 50


def nearest(x):
    """To the nearest integer, an exact half to the even neighbour."""
    return round(x)


def point_cell(p):
    """Cell of a point object at position p."""
    return nearest(p / CELL + 1)


class Track:
    """Which cells are taken, and which are kept quiet for the completion."""

    def __init__(self, length):
        self.length = length
        self.last_cell = nearest((length + 7000) / CELL)
        self.taken = {}
        self.quiet = set()

    def on_track(self, p):
        return p >= 0 and (p + 100) / CELL <= self.last_cell

    def usable(self, cells):
        return all(0 < c < self.last_cell - 2 and c not in self.taken and c not in self.quiet for c in cells)

    def take(self, cells, what):
        for c in cells:
            self.taken[c] = what


def line_general(length):
    return [
        "[generale]",
        f"lunghezza percorso,    {length}",
        "progressiva chilometrica uno,    1000,    0,    0",
        "progressiva chilometrica due,    0,    0,    0",
        "progressiva chilometrica tre,    0,    0,    0",
        "sfondo uno,    1",
        f"sfondo due,    {length // 2}",
        f"sfondo tre,    {length * 4 // 5}",
        f"ripetizione segnali 9 codici,    1000,    {length // 50 * 50 - 500}",
    ]


def curves(length):
    """A curve every 300 m, alternating sides, every class in turn."""
    lines = []
    s = 400
    i = 0
    while s + 300 < min(length, 999_000):
        cls = 1 + i % 6
        side = "s" if i % 2 else "d"
        lines.append(f"curva{side}{cls},  {s},  {100 + 25 * (i % 5)}")
        s += 300
        i += 1
    return lines


def gradients(length):
    """A gradient change every 1000 m between -30 and +30 per mille."""
    return [f"pendenza,  {p},   {((p // 1000) * 7) % 61 - 30}" for p in range(0, length, 1000)]


def mountains(length, track):
    """The 80 stretches the table holds, every other one a tunnel."""
    lines = []
    step = length // 80
    for n in range(80):
        start = n * step + 1000
        end = start + step // 2
        if end / CELL - 1 > track.last_cell:
            break
        lines.append(f"montagna,   {start},  {end},  {11 if n % 2 else 2}")
    return lines


def station_plan(length, count, track):
    """Stations evenly spread, their end markers reserved on the track."""
    kinds = [2, 12, 22, 4, 24, 26, 12, 5, 7, 28]
    spacing = (length - 20_000) // count // 50 * 50
    stations = []
    for i in range(count):
        p = i * spacing
        kind = 2 if i == 0 else kinds[i % len(kinds)]
        size = 600 + 100 * (i % 4)
        flag3 = i % 2
        if kind in (5, 6):
            area_end = p + 150
        elif kind in (7, 8):
            area_end = p + size
        else:
            area_end = p + size // 2 + (50 if flag3 else 0)
        if kind < 25:
            track.take([nearest(area_end / CELL - 1)], "station")
        hh, mm = divmod(8 * 60 + i * 9, 60)
        name = f"Stazione {i + 1:02d}"
        stations.append(
            f"stazione,{p:8d},{kind:3d},{size:5d},  {i % 2}, 1, {flag3},  1,1,0,  4,1,1,    0,  {hh % 24},{mm:2d}, 0, {name}"
        )
    return stations


def slowdown_plan(length, track):
    """A slowdown every 10 km where its zone is clear; a signal 10 cells before
    the warning point and one 5 cells after the end give the completion its
    signal rules to work on."""
    slowdowns = []
    zone_signals = []
    x = 6000
    i = 0
    while x + 2000 < length:
        size = 1000 if i % 2 == 0 else 600
        speed = 60 if i % 3 else 120
        s_cell, e_cell, w_cell = point_cell(x), point_cell(x + size), point_cell(x - 1200)
        countdown = [nearest((x - 1200) / CELL) - n for n in range(4)]
        zone = range(w_cell - 30, e_cell + 15)
        before, after = w_cell - 10, e_cell + 5
        if track.usable(zone):
            track.take([s_cell, e_cell, w_cell, *countdown], "slowdown")
            track.take([before, after], "signal")
            track.quiet.update(zone)
            slowdowns.append(f"rallentamento,  {x},  {speed},  {size},  1,  1,  {30 if i % 4 == 0 else 0}")
            zone_signals += [(before - 1) * CELL, (after - 1) * CELL]
            x += 10_000
            i += 1
        else:
            x += 500
    return slowdowns, zone_signals


def speed_boards(length, track):
    lines = []
    for p in range(2000, length, 2500):
        c = point_cell(p)
        if track.usable([c]):
            track.take([c], "speed board")
            v = 80 + (p // 2500) % 10 * 10
            lines.append(f"indicatori_vmax,  {p},  {v},  {v + 10},  {v + 20},  {p // 2500 % 3},  ,  ,  ,  0")
    return lines


def information_boards(length, count, track):
    lines = []
    spacing = length // count
    for i in range(count):
        p = i * spacing + 1750
        while not track.usable([point_cell(p)]):
            p += 50
        track.take([point_cell(p)], "board")
        lines.append(f"cartello_indicatore,  {p},   (Galleria)(Numero {i + 1})")
    return lines


SIGNAL_TAILS = [
    "1, 4, 1,  0, 0,    1,  3,1,0, 0",
    "2, 4, 1,  0, 0,    2,  2,1,0, 0",
    "2, 3, 1,  0, 0,    2,  2,1,0, 0",
    "2, 4, 0,  0, 0,    2,  2,0,0, 215",
    "2, 4, 0,  0, 0,    2,  2,0,0, 0",
    "1, 5, 6,  0, 0,    1,  3,1,0, 0",
    "2, 2, 3,  0, 0,    2,  2,1,0, 40",
]


def signals(length, track, zone_signals):
    """A signal every 250 m wherever the cell is free and outside a slowdown's
    zone, plus the zone signals; in ascending order of position."""
    positions = list(zone_signals)
    for p in range(1000, length, 250):
        c = point_cell(p)
        if track.usable([c]):
            track.take([c], "signal")
            positions.append(p)
    positions.sort()
    return [f"segnale,{p:8d},   {SIGNAL_TAILS[i % len(SIGNAL_TAILS)]}" for i, p in enumerate(positions)]


def markers(length, track):
    """A few abbattimento entries; their cell is the one at the position itself."""
    lines = []
    for i, p in enumerate(range(3125, length, 20_000)):
        c = nearest(p / CELL)
        if track.usable([c]):
            track.take([c], "marker")
            lines.append(f"abbattimento,  {p},  {150 if i % 2 else 0}")
    return lines


def service_general():
    return [
        "[generale]",
        "numero vetture,    12",
        "percentuale massa frenata,    135",
        "sabbia,    300",
        "orologio,    8              0            0 ",
    ]


def write_lines(path, lines):
    with open(path, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1252"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("outdir")
    parser.add_argument("--length", type=int, default=1_000_000, help="route length in metres (default 1000000)")
    parser.add_argument("--boards", type=int, default=20, help="information boards (default 20)")
    args = parser.parse_args()
    length = args.length
    if not 20_000 <= length <= 1_000_000:
        sys.exit("gen_route.py: --length must lie between 20000 and 1000000")
    if not 0 <= args.boards <= 70:
        sys.exit("gen_route.py: --boards must lie between 0 and 70")
    os.makedirs(args.outdir, exist_ok=True)

    track = Track(length)
    # Stations and boards share header entries 1..80: a station is refused
    # once the next station slot reaches the next board slot.
    station_count = 78 - args.boards
    stations = station_plan(length, station_count, track)
    slowdowns, zone_signals = slowdown_plan(length, track)
    boards = information_boards(length, args.boards, track)
    speed = speed_boards(length, track)
    signal_lines = signals(length, track, zone_signals)
    marker_lines = markers(length, track)

    line = line_general(length) + ["[curve]"] + curves(length) + ["[pendenze]"] + gradients(length)
    line += ["[montagne]"] + mountains(length, track) + ["[cartelli]"] + speed + ["[indicazioni]"] + boards
    line += ["[fine]"]

    service = service_general()
    service += ["[aderenze]"] + [f"aderenza,  {p},   {85 + (p // 10_000) % 16}" for p in range(0, length, 10_000)]
    service += ["[vel_limite]"] + [f"velocita,  {p},   {80 + (p // 2000) % 9 * 10}" for p in range(0, length, 2000)]
    service += ["[stazioni]"] + stations + ["[rallentamenti]"] + slowdowns + ["[segnali]"] + signal_lines
    service += ["[codici]"] + marker_lines + ["[fine]"]

    write_lines(os.path.join(args.outdir, "BENCH_linea.txt"), ["Linea di prova"] + line)
    write_lines(os.path.join(args.outdir, "BENCH_TR1-.txt"), ["Servizio di prova"] + service)
    print(
        f"{length} m: {len(stations)} stations, {len(boards)} boards, {len(signal_lines)} signals, "
        f"{len(slowdowns)} slowdowns, {len(speed)} speed boards, {len(marker_lines)} markers",
        file=sys.stderr,
    )


if __name__ == "__main__":
    main()
